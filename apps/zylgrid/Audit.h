// The audit trail: every record an accepted update, add or delete stored,
// appended to a file as one JSON line (docs/SECURITY.md, "Audit trail"):
//
//   {"time":"2026-12-07T15:04:05Z","user":"ann","address":"10.0.0.7",
//    "grid":"Orders","action":"update","record":"11",
//    "old":{"Qty":"1"},"new":{"Qty":"3"}}
//
// Each line is written whole with one write on a file opened O_APPEND, so
// lines of concurrent requests and processes never mix.
#pragma once

#include <cstdint>
#include <string>

#include "model/GridTypes.h"

namespace zylgrid {

struct Visitor;

// The JSON line (with its LF) of one change made at `time` (seconds since
// the epoch, UTC).
std::string AuditLine(std::int64_t time, const Visitor& visitor, const std::string& grid,
                      const zyl::TRecordChange& change);

// Appends AuditLine for now to `file` (made with mode 0600 when missing).
// Raises zyl::Exception when the line cannot be written whole.
void AppendAudit(const std::string& file, const Visitor& visitor, const std::string& grid,
                 const zyl::TRecordChange& change);

}  // namespace zylgrid
