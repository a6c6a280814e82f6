// The sample database of the demo: customers and their orders, generated
// deterministically (the same file content for the same counts, on every
// machine), with text, numbers, money, dates, booleans and a status column.
//
//   customers(Id INTEGER PRIMARY KEY, Name TEXT, City TEXT, Country TEXT,
//             Email TEXT, Since DATE, CreditLimit MONEY, Active BOOLEAN)
//   orders(OrderId INTEGER PRIMARY KEY, CustomerId INTEGER, OrderDate DATE,
//          Product TEXT, Quantity INTEGER, UnitPrice MONEY, Discount REAL,
//          Status TEXT, Paid BOOLEAN)
//
// Dates are stored as ISO text, booleans as 1/0.
#pragma once

#include <string>
#include <vector>

namespace demodata {

struct Counts {
  int customers = 200;
  int orders = 20000;
};

// The values the Status column takes (the demo's pick list).
const std::vector<std::string>& Statuses();

// Writes the database to `path` (replacing any file there) by way of a
// temporary file in the same folder. Raises std::runtime_error on failure.
void CreateDatabase(const std::string& path, const Counts& counts = Counts());

}  // namespace demodata
