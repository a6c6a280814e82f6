// zylgrid-demo-data PATH [CUSTOMERS ORDERS]: writes the demo's sample database.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "tools/demo-data/DemoData.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::cerr << "usage: zylgrid-demo-data PATH [CUSTOMERS ORDERS]\n";
    return 2;
  }
  try {
    demodata::Counts counts;
    if (argc == 4) {
      counts.customers = std::stoi(argv[2]);
      counts.orders = std::stoi(argv[3]);
      if (counts.customers < 1 || counts.orders < 0) throw std::invalid_argument("counts");
    }
    demodata::CreateDatabase(argv[1], counts);
    std::cout << "wrote " << argv[1] << " (" << counts.customers << " customers, " << counts.orders
              << " orders)\n";
  } catch (const std::exception& e) {
    std::cerr << "zylgrid-demo-data: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
