// Process-wide services of the zylgrid programs: the allocator of a
// long-lived host and the hand-over from `zylgrid` to `zylgrid-serve`.
#pragma once

#include <string>

namespace zylgrid {

// The program of the HTTP modes (serve, demo), installed beside `zylgrid`.
// `zylgrid` itself links no HTTP library, so a CGI or FastCGI start loads
// only what those modes use.
inline constexpr const char* kServeProgram = "zylgrid-serve";

// The environment variable through which `zylgrid` tells `zylgrid-serve`
// the program it was started as (it names the default site configuration).
inline constexpr const char* kProgramVariable = "ZYLGRID_PROGRAM";

// Tunes the allocator of a long-lived host: pages of large tables take
// megabytes, which the C library would otherwise return to the system (and
// fault in again) on every request. Keeps up to 16 MiB per arena, and at
// most two arenas a core.
void KeepHeapForRequests();

// Hands the free memory of every allocator arena back to the system. A
// download of a large table leaves tens of megabytes free in the arena of
// the thread that wrote it (above KeepHeapForRequests' threshold, in every
// worker thread's arena in turn); called after each download, so that a
// long-lived host returns to its idle size.
void ReleaseFreeMemory();

// Replaces this process with `zylgrid-serve` from the directory of
// `program` (the running executable), with the same arguments and
// kProgramVariable set to `program`. Returns only on failure, after
// writing the reason to standard error: exit status 1.
int ExecServeProgram(const std::string& program, char** argv);

}  // namespace zylgrid
