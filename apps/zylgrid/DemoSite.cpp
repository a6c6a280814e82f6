#include "apps/zylgrid/DemoSite.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/HttpServer.h"
#include "apps/zylgrid/SiteConfig.h"
#include "tools/demo-data/DemoData.h"

namespace zylgrid {

namespace fs = std::filesystem;

std::string WriteDemoConfig(const std::string& dataDir, const std::string& imagesDir) {
  std::string statuses;
  for (const std::string& s : demodata::Statuses()) statuses += (statuses.empty() ? "" : ",") + s;
  fs::path path = fs::path(dataDir) / "demo.ini";
  std::ofstream out(path, std::ios::trunc);
  out << "; The zylgrid demo: customers and their orders.\n"
      << "[Page]\n"
      << "Title=ZylHG demo: customers and orders\n"
      << "ImagesURL=/images/\n"
      << "Theme=modern\n"
      << "ImagesDir=" << imagesDir << "\n\n"
      << "[Customers]\n"
      << "Source=sqlite:zylgrid-demo.db\n"
      << "Table=customers\n"
      << "Header=Customers\n"
      << "RowsPerPage=8\n"
      << "GlobalSorting=1\n\n"
      << "[Orders]\n"
      << "Source=sqlite:zylgrid-demo.db\n"
      << "Table=orders\n"
      << "Header=Orders of the selected customer\n"
      << "Master=Customers\n"
      << "DetailKey=CustomerId=Id\n"
      << "Editable=1\n"
      << "RowsPerPage=10\n"
      << "GlobalSorting=1\n"
      << "PickList.Status=" << statuses << "\n";
  if (!out) throw ConfigError(path.string() + ": cannot be written");
  return path.string();
}

int RunDemo(const std::string& dataDir, const std::string& bind, int port,
            const std::string& executable) {
  fs::path dir = dataDir.empty() ? fs::path(executable).parent_path() / "demo" : fs::path(dataDir);
  fs::create_directories(dir);
  fs::path db = dir / "zylgrid-demo.db";
  if (!fs::exists(db)) {
    std::cout << "zylgrid: creating the sample database " << db.string() << std::endl;
    demodata::CreateDatabase(db.string());
  }
  SiteConfig config = LoadSiteConfig(WriteDemoConfig(dir.string(), DefaultImagesDir(executable)));
  CheckSources(config);
  ServerSettings settings;
  settings.bind = bind;
  settings.port = port;
  settings.banner = "zylgrid demo: open http://" + (bind == "0.0.0.0" ? "127.0.0.1" : bind) + ":" +
                    std::to_string(port) + "/ in your browser (Ctrl+C stops)";
  return RunHttpServer(config, settings);
}

}  // namespace zylgrid
