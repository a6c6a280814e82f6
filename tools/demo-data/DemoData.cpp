#include "tools/demo-data/DemoData.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "platform/Text.h"

namespace demodata {

namespace {

// SplitMix64: small, fast and identical everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
  }

 private:
  std::uint64_t state_;
};

const std::vector<std::string> kFirst = {
    "Anna",  "Ben",  "Clara", "David", "Elena",  "Felix", "Greta", "Hugo",  "Ines", "Jonas",
    "Klara", "Lars", "Maria", "Nils",  "Olivia", "Paul",  "Rosa",  "Simon", "Tara", "Viktor"};
const std::vector<std::string> kLast = {"Albrecht", "Berger",    "Costa",   "Dubois",  "Eriksen",
                                        "Fischer",  "Garcia",    "Hansen",  "Ivanova", "Jensen",
                                        "Keller",   "Lindqvist", "Moreau",  "Novak",   "Olsen",
                                        "Peters",   "Rossi",     "Schmidt", "Toth",    "Weber"};
const std::vector<std::string> kCompany = {"Trading", "Supplies", "Works",     "& Sons",
                                           "Group",   "Imports",  "Wholesale", "Outfitters"};
struct Place {
  const char* city;
  const char* country;
};
const std::vector<Place> kPlaces = {
    {"Berlin", "Germany"},     {"Hamburg", "Germany"}, {"Vienna", "Austria"},
    {"Zurich", "Switzerland"}, {"Lyon", "France"},     {"Paris", "France"},
    {"Milan", "Italy"},        {"Madrid", "Spain"},    {"Lisbon", "Portugal"},
    {"Copenhagen", "Denmark"}, {"Oslo", "Norway"},     {"Stockholm", "Sweden"},
    {"Prague", "Czechia"},     {"Warsaw", "Poland"},   {"Amsterdam", "Netherlands"},
    {"Dublin", "Ireland"}};
struct Product {
  const char* name;
  int cents;
};
const std::vector<Product> kProducts = {
    {"Desk lamp", 3490},   {"Office chair", 18900},   {"Standing desk", 52900},
    {"Monitor arm", 8950}, {"Keyboard", 6490},        {"Mouse", 2990},
    {"Notebook A5", 450},  {"Fountain pen", 7900},    {"Paper, 500 sheets", 690},
    {"Stapler", 1590},     {"Filing cabinet", 21900}, {"Whiteboard", 11900},
    {"Headset", 7490},     {"Webcam", 5990},          {"Cable set", 1990},
    {"Laptop stand", 3990}};

std::string Date(int year, int month, int day) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

// Days since 2015-01-01 as a date, with 28-day months kept simple by the
// month lengths below.
std::string DateFromDays(int days) {
  static const int kLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int year = 2015;
  for (;;) {
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int length = leap ? 366 : 365;
    if (days < length) break;
    days -= length;
    ++year;
  }
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int month = 0;
  for (;; ++month) {
    int length = kLength[month] + (month == 1 && leap ? 1 : 0);
    if (days < length) break;
    days -= length;
  }
  return Date(year, month + 1, days + 1);
}

class Db {
 public:
  explicit Db(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) Fail("open");
  }
  ~Db() { sqlite3_close(db_); }
  void Exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK) Fail(sql);
    return st;
  }
  void Run(sqlite3_stmt* st) {
    if (sqlite3_step(st) != SQLITE_DONE) Fail("insert");
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
  }
  [[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("demo data: " + what + ": " + sqlite3_errmsg(db_));
  }

 private:
  sqlite3* db_ = nullptr;
};

void Text(sqlite3_stmt* st, int i, const std::string& s) {
  sqlite3_bind_text(st, i, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void Fill(Db& db, const Counts& counts) {
  Random random(20240601);
  db.Exec("PRAGMA journal_mode=DELETE;");
  db.Exec(
      "CREATE TABLE customers (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL, City TEXT, "
      "Country TEXT, Email TEXT, Since DATE, CreditLimit MONEY, Active BOOLEAN);"
      "CREATE TABLE orders (OrderId INTEGER PRIMARY KEY, CustomerId INTEGER NOT NULL "
      "REFERENCES customers(Id), OrderDate DATE, Product TEXT, Quantity INTEGER, "
      "UnitPrice MONEY, Discount REAL, Status TEXT, Paid BOOLEAN);");
  db.Exec("BEGIN;");
  sqlite3_stmt* customer = db.Prepare(
      "INSERT INTO customers (Id, Name, City, Country, Email, Since, CreditLimit, Active) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  for (int id = 1; id <= counts.customers; ++id) {
    const std::string& first = random.Pick(kFirst);
    const std::string& last = random.Pick(kLast);
    std::string name =
        random.Below(3) == 0 ? last + " " + random.Pick(kCompany) : first + " " + last;
    const Place& place = random.Pick(kPlaces);
    std::string email =
        zyl::AsciiLowerCase(first + "." + last) + std::to_string(id) + "@example.com";
    sqlite3_bind_int(customer, 1, id);
    Text(customer, 2, name);
    Text(customer, 3, place.city);
    Text(customer, 4, place.country);
    Text(customer, 5, email);
    Text(customer, 6, DateFromDays(random.Below(3000)));
    sqlite3_bind_double(customer, 7, 1000.0 * (1 + random.Below(50)));
    sqlite3_bind_int(customer, 8, random.Below(10) < 8 ? 1 : 0);
    db.Run(customer);
  }
  sqlite3_finalize(customer);

  sqlite3_stmt* order = db.Prepare(
      "INSERT INTO orders (OrderId, CustomerId, OrderDate, Product, Quantity, UnitPrice, Discount, "
      "Status, Paid) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  for (int id = 1; id <= counts.orders; ++id) {
    // Customers get uneven shares: some order a lot, some rarely.
    int a = random.Below(counts.customers);
    int b = random.Below(counts.customers);
    int customerId = 1 + (a < b ? a : b);
    const Product& product = random.Pick(kProducts);
    int days = 1800 + random.Below(1900);
    int statusPick = random.Below(100);
    const std::vector<std::string>& statuses = Statuses();
    std::string status = days < 3500 ? (statusPick < 6 ? statuses[4] : statuses[3])
                                     : statuses[static_cast<std::size_t>(random.Below(4))];
    sqlite3_bind_int(order, 1, id);
    sqlite3_bind_int(order, 2, customerId);
    Text(order, 3, DateFromDays(days));
    Text(order, 4, product.name);
    sqlite3_bind_int(order, 5, 1 + random.Below(random.Below(4) == 0 ? 40 : 6));
    sqlite3_bind_double(order, 6, product.cents / 100.0);
    static const double kDiscounts[] = {0, 0, 0, 0.05, 0.1, 0.15};
    sqlite3_bind_double(order, 7, kDiscounts[random.Below(6)]);
    Text(order, 8, status);
    sqlite3_bind_int(order, 9, status == "Delivered" || random.Below(3) == 0 ? 1 : 0);
    db.Run(order);
  }
  sqlite3_finalize(order);
  db.Exec("COMMIT;");
  db.Exec("CREATE INDEX orders_customer ON orders(CustomerId);");
}

}  // namespace

const std::vector<std::string>& Statuses() {
  static const std::vector<std::string> statuses = {"New", "Confirmed", "Shipped", "Delivered",
                                                    "Cancelled"};
  return statuses;
}

void CreateDatabase(const std::string& path, const Counts& counts) {
  namespace fs = std::filesystem;
  fs::path target(path);
  fs::path temp = target;
  temp += ".tmp";
  std::error_code ec;
  fs::remove(temp, ec);
  {
    Db db(temp.string());
    Fill(db, counts);
  }
  fs::rename(temp, target, ec);
  if (ec) throw std::runtime_error("demo data: cannot write " + path + ": " + ec.message());
}

}  // namespace demodata
