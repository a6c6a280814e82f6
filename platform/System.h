// Operating-system services: environment variables, the running module's
// file name, the temporary directory and unique temporary files, file
// tests and operations, wildcard deletion, GUIDs.
#pragma once

#include <string>
#include <string_view>

namespace zyl {

// The variable's value; false when it is not set.
bool GetEnvVar(const std::string& name, std::string& value);

// Full path of the running executable ("/srv/cgi-bin/grid.cgi").
std::string ModuleFileName();

// The system's temporary directory with a trailing "/" ($TMPDIR, else /tmp/).
std::string TempDirectory();
// Creates a fresh, empty, uniquely named file in `directory` (owner-only
// permissions) and returns its full name. Throws EInOutError on failure.
std::string CreateUniqueTempFile(const std::string& directory, const std::string& prefix = "zyl");

bool FileExists(const std::string& name);
// Removes the file; false when it did not exist or could not be removed.
bool DeleteFile(const std::string& name);
// Copies, replacing an existing destination. Throws EInOutError on failure.
void CopyFile(const std::string& from, const std::string& to);
// Deletes the regular files of `directory` (not its subfolders) whose names
// match the shell wildcard `pattern` ("grid.cgi*.upd"), letter case counting
// and a leading "." matched only explicitly; returns how many were deleted.
int DeleteFiles(const std::string& directory, const std::string& pattern);
// `text` with the wildcard characters * ? [ and \ escaped, so that a file
// name taken from outside ("grid[1].cgi") matches only itself in a pattern.
std::string EscapeWildcards(std::string_view text);
// Reads a whole file; throws EInOutError when it cannot be read.
std::string ReadFileBytes(const std::string& name);

// "dir/name.ext" -> "name.ext"; "dir/" -> "".
std::string ExtractFileName(std::string_view path);
// "dir/name.ext" -> "dir/" (with the separator); "name.ext" -> "".
std::string ExtractFilePath(std::string_view path);
// Replaces the extension (from the last "." of the file name) with `ext`
// (which includes its "."); adds it when the name has none.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// A new GUID from a cryptographically random source, formatted as 36
// upper-case hex digits with dashes (8-4-4-4-12), without braces.
std::string CreateGuidString();
// True for text of exactly that form (either letter case).
bool IsGuidString(std::string_view text);

// Holds an exclusive advisory lock (flock) on the file `path`, created with
// `mode` when missing, for as long as the object lives: closing the file
// releases it. Refuses a symbolic link and anything but a plain file (with
// `ownOnly`, also a file of another user or with other names). Raises
// EInOutError "<what> '<path>': <reason>" when the file cannot be opened
// or locked.
class ExclusiveFileLock {
 public:
  ExclusiveFileLock(const std::string& path, std::string_view what, unsigned mode, bool ownOnly);
  ~ExclusiveFileLock();
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace zyl
