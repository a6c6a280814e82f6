#include "datasets/PgLibrary.h"

#include <mutex>
#include <string>

#include "datasets/PgError.h"
#include "platform/SharedLibrary.h"

namespace zyl::pg {

namespace {

constexpr const char* kSoname = "libpq.so.5";

template <typename F>
void Resolve(void* handle, const char* name, F& function) {
  if (!ResolveFunction(handle, name, function)) {
    throw EPgError(std::string("PostgreSQL: the client library ") + kSoname + " has no " + name,
                   "");
  }
}

Library Load() {
  std::string reason;
  void* handle = OpenSharedLibrary(kSoname, reason);
  if (handle == nullptr) {
    throw EPgError(std::string("PostgreSQL: cannot load the client library ") + kSoname + ": " +
                       reason + " (install the libpq5 package)",
                   "");
  }
  // The handle stays open for the life of the process.
  Library lib{};
  Resolve(handle, "PQconnectdb", lib.connectdb);
  Resolve(handle, "PQstatus", lib.status);
  Resolve(handle, "PQerrorMessage", lib.errorMessage);
  Resolve(handle, "PQfinish", lib.finish);
  Resolve(handle, "PQsetClientEncoding", lib.setClientEncoding);
  Resolve(handle, "PQexecParams", lib.execParams);
  Resolve(handle, "PQprepare", lib.prepare);
  Resolve(handle, "PQexecPrepared", lib.execPrepared);
  Resolve(handle, "PQresultStatus", lib.resultStatus);
  Resolve(handle, "PQresultErrorMessage", lib.resultErrorMessage);
  Resolve(handle, "PQresultErrorField", lib.resultErrorField);
  Resolve(handle, "PQclear", lib.clear);
  Resolve(handle, "PQcmdTuples", lib.cmdTuples);
  Resolve(handle, "PQntuples", lib.ntuples);
  Resolve(handle, "PQnfields", lib.nfields);
  Resolve(handle, "PQgetisnull", lib.getisnull);
  Resolve(handle, "PQgetvalue", lib.getvalue);
  Resolve(handle, "PQgetlength", lib.getlength);
  Resolve(handle, "PQfname", lib.fname);
  Resolve(handle, "PQftype", lib.ftype);
  Resolve(handle, "PQfmod", lib.fmod);
  Resolve(handle, "PQescapeIdentifier", lib.escapeIdentifier);
  Resolve(handle, "PQfreemem", lib.freemem);
  Library pipelines = lib;
  if (!ResolveFunction(handle, "PQenterPipelineMode", pipelines.enterPipelineMode) ||
      !ResolveFunction(handle, "PQexitPipelineMode", pipelines.exitPipelineMode) ||
      !ResolveFunction(handle, "PQpipelineSync", pipelines.pipelineSync) ||
      !ResolveFunction(handle, "PQsendQueryParams", pipelines.sendQueryParams) ||
      !ResolveFunction(handle, "PQgetResult", pipelines.getResult)) {
    return lib;  // an older libpq: no pipelines
  }
  return pipelines;
}

}  // namespace

const Library& Libpq() {
  // A load that throws leaves the flag unset, so the next call tries again.
  static std::once_flag once;
  static Library library{};
  std::call_once(once, [] { library = Load(); });
  return library;
}

}  // namespace zyl::pg
