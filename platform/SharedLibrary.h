// Shared libraries loaded at run time, for what a program seldom uses: a
// process that never needs one does not pay for loading it at its start.
#pragma once

#include <dlfcn.h>

#include <cstring>
#include <string>

namespace zyl {

// The library `soname`, loaded (RTLD_NOW | RTLD_LOCAL) for the life of the
// process; null when it cannot be, with the loader's reason in `reason`.
inline void* OpenSharedLibrary(const char* soname, std::string& reason) {
  void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    reason = why != nullptr ? why : "not found";
  }
  return handle;
}

// Sets `function` to the function `name` of the library `handle`; false
// when the library has none.
template <typename F>
bool ResolveFunction(void* handle, const char* name, F& function) {
  void* symbol = dlsym(handle, name);
  if (symbol == nullptr) return false;
  // POSIX guarantees that the object pointer dlsym returns holds the
  // function's address; copied bitwise, without a cast ISO C++ leaves open.
  static_assert(sizeof(F) == sizeof(void*));
  std::memcpy(&function, &symbol, sizeof symbol);
  return true;
}

}  // namespace zyl
