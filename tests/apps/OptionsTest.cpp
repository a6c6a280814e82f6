#include <gtest/gtest.h>

#include "apps/zylgrid/Options.h"

namespace zylgrid {
namespace {

TEST(ZylgridOptions, ModesAndTheirSettings) {
  Options serve =
      ParseOptions({"serve", "--config", "site.ini", "--port=9000", "--bind", "0.0.0.0"}, false);
  EXPECT_EQ(serve.mode, Mode::Serve);
  EXPECT_EQ(serve.configFile, "site.ini");
  EXPECT_EQ(serve.port, 9000);
  EXPECT_EQ(serve.bind, "0.0.0.0");

  Options fcgi = ParseOptions({"fcgi", "--socket", "/run/zylgrid.sock"}, false);
  EXPECT_EQ(fcgi.mode, Mode::FastCgi);
  EXPECT_EQ(fcgi.socketPath, "/run/zylgrid.sock");
  EXPECT_EQ(fcgi.port, 0);

  Options demo = ParseOptions({"demo"}, false);
  EXPECT_EQ(demo.mode, Mode::Demo);
  EXPECT_EQ(demo.port, 8080);
  EXPECT_EQ(demo.bind, "127.0.0.1");
}

TEST(ZylgridOptions, GatewayInterfaceMeansCgiWhateverTheArguments) {
  // A web server passes the words of an ISINDEX query as arguments.
  EXPECT_EQ(ParseOptions({"serve", "--bogus"}, true).mode, Mode::Cgi);
  EXPECT_EQ(ParseOptions({}, true).mode, Mode::Cgi);
}

TEST(ZylgridOptions, BadCommandLinesNameTheArgument) {
  auto message = [](std::vector<std::string> args) {
    try {
      ParseOptions(args, false);
    } catch (const UsageError& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  EXPECT_NE(message({}).find("no mode"), std::string::npos);
  EXPECT_NE(message({"run"}).find("'run'"), std::string::npos);
  EXPECT_NE(message({"serve", "--port", "0"}).find("--port"), std::string::npos);
  EXPECT_NE(message({"serve", "--port", "80x"}).find("'80x'"), std::string::npos);
  EXPECT_NE(message({"serve", "--port", "70000"}).find("70000"), std::string::npos);
  EXPECT_NE(message({"serve", "--port"}).find("needs a value"), std::string::npos);
  EXPECT_NE(message({"cgi", "--port", "80"}).find("'--port'"), std::string::npos);
  EXPECT_NE(message({"serve", "--socket", "x"}).find("'--socket'"), std::string::npos);
  EXPECT_NE(message({"fcgi", "--socket", "s", "--port", "9"}).find("not both"), std::string::npos);
}

}  // namespace
}  // namespace zylgrid
