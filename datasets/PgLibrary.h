// The PostgreSQL client library, loaded when the first connection is made.
//
// The library does not link libpq: a program that never opens a PostgreSQL
// source or lock table does not load it, nor the Kerberos, LDAP and TLS
// libraries it brings along (about twenty shared objects), which keeps the
// start of a CGI process short. The first use dlopen()s "libpq.so.5" (the
// soname of every libpq since 2006) and resolves the functions below; a
// missing library raises EPgError naming it.
#pragma once

#include <libpq-fe.h>

namespace zyl::pg {

// The libpq functions the connection uses, resolved from the loaded library.
struct Library {
  decltype(&::PQconnectdb) connectdb;
  decltype(&::PQstatus) status;
  decltype(&::PQerrorMessage) errorMessage;
  decltype(&::PQfinish) finish;
  decltype(&::PQsetClientEncoding) setClientEncoding;
  decltype(&::PQexecParams) execParams;
  decltype(&::PQprepare) prepare;
  decltype(&::PQexecPrepared) execPrepared;
  decltype(&::PQresultStatus) resultStatus;
  decltype(&::PQresultErrorMessage) resultErrorMessage;
  decltype(&::PQresultErrorField) resultErrorField;
  decltype(&::PQclear) clear;
  decltype(&::PQcmdTuples) cmdTuples;
  decltype(&::PQntuples) ntuples;
  decltype(&::PQnfields) nfields;
  decltype(&::PQgetisnull) getisnull;
  decltype(&::PQgetvalue) getvalue;
  decltype(&::PQgetlength) getlength;
  decltype(&::PQfname) fname;
  decltype(&::PQftype) ftype;
  decltype(&::PQfmod) fmod;
  decltype(&::PQescapeIdentifier) escapeIdentifier;
  decltype(&::PQfreemem) freemem;
  // Pipelines (libpq 14 and later); null when the library has none, and
  // statements then go one round trip each.
  decltype(&::PQenterPipelineMode) enterPipelineMode;
  decltype(&::PQexitPipelineMode) exitPipelineMode;
  decltype(&::PQpipelineSync) pipelineSync;
  decltype(&::PQsendQueryParams) sendQueryParams;
  decltype(&::PQgetResult) getResult;
  bool HasPipelines() const { return enterPipelineMode != nullptr; }
};

// The loaded library; loads it on the first call (thread-safe). Raises
// EPgError when libpq cannot be loaded or lacks one of the functions; a
// later call tries again.
const Library& Libpq();

}  // namespace zyl::pg
