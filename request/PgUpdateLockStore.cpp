#include "request/PgUpdateLockStore.h"

#include <algorithm>
#include <utility>

#include "platform/Exception.h"

namespace zyl {

namespace {

// Failures of the connection itself rather than of a statement: no
// SQLSTATE (libpq's own), connection exceptions (08xxx) and a server that
// shut the session down (57P01..57P03).
bool ConnectionLost(const EPgError& e) {
  const std::string& state = e.SqlState();
  return state.empty() || state.rfind("08", 0) == 0 || state.rfind("57P", 0) == 0;
}

// An age in seconds as the statements take it: a thousand years at most,
// so that the interval and the moment it reaches back to stay in range.
std::string AgeText(long seconds) {
  constexpr long kLongest = 1000L * 366L * 24L * 3600L;
  return std::to_string(std::min(seconds, kLongest));
}

}  // namespace

PgUpdateLockStore::PgUpdateLockStore(std::string conninfo, std::string table)
    : conninfo_(std::move(conninfo)),
      table_(std::move(table)),
      context_("PostgreSQL update lock table '" + table_ + "'") {
  std::lock_guard<std::mutex> guard(mutex_);
  Connect();
  CreateTable();
}

PgUpdateLockStore::~PgUpdateLockStore() = default;

void PgUpdateLockStore::Connect() {
  connection_.reset();
  connection_ = std::make_unique<pg::Connection>(conninfo_, context_);
  quoted_ = connection_->Quote(table_);
}

void PgUpdateLockStore::CreateTable() {
  // Looked up first: CREATE ... IF NOT EXISTS would leave a notice on the
  // server's log and the client's standard error at every start.
  pg::Result found = connection_->Exec("SELECT to_regclass($1) IS NOT NULL", {quoted_});
  if (found.Rows() == 1 && found.Value(0, 0) == "t") return;
  try {
    connection_->Exec("CREATE TABLE IF NOT EXISTS " + quoted_ +
                      " (prefix text NOT NULL, guid text NOT NULL,"
                      " created timestamptz NOT NULL DEFAULT now(),"
                      " PRIMARY KEY (prefix, guid))");
  } catch (const EPgError& e) {
    // Another server created it at the same moment.
    if (e.SqlState() != "23505" && e.SqlState() != "42P07") throw;
  }
}

pg::Result PgUpdateLockStore::Exec(const std::string& sql,
                                   const std::vector<pg::Text>& parameters) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (connection_ == nullptr) Connect();
  try {
    return connection_->Exec(sql, parameters);
  } catch (const EPgError& e) {
    if (!ConnectionLost(e)) throw;
  }
  // Every statement here can run twice without harm.
  connection_.reset();
  Connect();
  return connection_->Exec(sql, parameters);
}

void PgUpdateLockStore::Write(const std::string& prefix, const std::string& guid) {
  if (!IsUpdateLockKey(prefix, guid)) {
    throw EInOutError(context_ + ": the page identity is not a GUID or the prefix holds a '/'");
  }
  Exec("INSERT INTO " + quoted_ +
           " (prefix, guid, created) VALUES ($1, $2, now())"
           " ON CONFLICT (prefix, guid) DO UPDATE SET created = EXCLUDED.created",
       {prefix, guid});
}

bool PgUpdateLockStore::ClaimOnce(const std::string& prefix, const std::string& guid,
                                  long maxAgeSeconds) {
  connection_->Exec("BEGIN");
  try {
    connection_->Exec("SELECT pg_advisory_xact_lock(hashtext($1), hashtext($2))", {table_, prefix});
    bool valid = connection_
                     ->Exec("DELETE FROM " + quoted_ +
                                " WHERE prefix = $1 AND guid = $2"
                                " AND ($3::bigint <= 0 OR created >= now() - $3::bigint * "
                                "interval '1 second') RETURNING 1",
                            {prefix, guid, AgeText(maxAgeSeconds)})
                     .Rows() > 0;
    if (valid) connection_->Exec("DELETE FROM " + quoted_ + " WHERE prefix = $1", {prefix});
    connection_->Exec(valid ? "COMMIT" : "ROLLBACK");
    return valid;
  } catch (const EPgError& e) {
    if (!ConnectionLost(e)) {
      try {
        connection_->Exec("ROLLBACK");
      } catch (const EPgError&) {
        connection_.reset();  // made again by the next operation
      }
    }
    throw;
  }
}

bool PgUpdateLockStore::Claim(const std::string& prefix, const std::string& guid,
                              long maxAgeSeconds) {
  if (!IsUpdateLockKey(prefix, guid)) return false;
  std::lock_guard<std::mutex> guard(mutex_);
  if (connection_ == nullptr) Connect();
  try {
    return ClaimOnce(prefix, guid, maxAgeSeconds);
  } catch (const EPgError& e) {
    if (!ConnectionLost(e)) throw;
  }
  // Lost before the commit was answered: when it was stored after all, the
  // page's lock is gone and the second try refuses, which is safe.
  Connect();
  return ClaimOnce(prefix, guid, maxAgeSeconds);
}

bool PgUpdateLockStore::IsValid(const std::string& prefix, const std::string& guid,
                                long maxAgeSeconds) {
  if (!IsUpdateLockKey(prefix, guid)) return false;
  pg::Result found = Exec("SELECT 1 FROM " + quoted_ +
                              " WHERE prefix = $1 AND guid = $2"
                              " AND ($3::bigint <= 0 OR created >= now() - $3::bigint * "
                              "interval '1 second')",
                          {prefix, guid, AgeText(maxAgeSeconds)});
  return found.Rows() > 0;
}

bool PgUpdateLockStore::Delete(const std::string& prefix, const std::string& guid) {
  if (!IsUpdateLockKey(prefix, guid)) return false;
  return Exec("DELETE FROM " + quoted_ + " WHERE prefix = $1 AND guid = $2", {prefix, guid})
             .Affected() > 0;
}

int PgUpdateLockStore::DeleteAll(const std::string& prefix) {
  return static_cast<int>(
      Exec("DELETE FROM " + quoted_ + " WHERE prefix = $1", {prefix}).Affected());
}

int PgUpdateLockStore::DeleteOlderThan(const std::string& prefix, long maxAgeSeconds) {
  if (maxAgeSeconds <= 0) return 0;
  return static_cast<int>(Exec("DELETE FROM " + quoted_ +
                                   " WHERE prefix = $1"
                                   " AND created < now() - $2::bigint * interval '1 second'",
                               {prefix, AgeText(maxAgeSeconds)})
                              .Affected());
}

int PgUpdateLockStore::DeleteOldestBeyond(const std::string& prefix, std::size_t keep) {
  return static_cast<int>(Exec("DELETE FROM " + quoted_ +
                                   " WHERE prefix = $1 AND guid IN (SELECT guid FROM " + quoted_ +
                                   " WHERE prefix = $1 ORDER BY created DESC OFFSET $2::bigint)",
                               {prefix, std::to_string(keep)})
                              .Affected());
}

}  // namespace zyl
