// The demo mode: the sample database (created when missing), a site
// configuration for it, and the embedded server.
#pragma once

#include <string>

namespace zylgrid {

// Writes `dataDir`/demo.ini for the database `dataDir`/zylgrid-demo.db:
// customers as master, their orders as the editable detail. Returns its path.
std::string WriteDemoConfig(const std::string& dataDir, const std::string& imagesDir);

// Creates the data folder and the database when missing, then serves the
// demo page until SIGINT or SIGTERM. Returns the exit status.
int RunDemo(const std::string& dataDir, const std::string& bind, int port,
            const std::string& executable);

}  // namespace zylgrid
