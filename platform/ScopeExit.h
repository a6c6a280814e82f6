// Clean-up that runs when a scope ends, also when an exception leaves it.
//
//   ScopeExit removeTemp([&] { DeleteFile(temp); });
//   auto reading = ValueForScope(readingDataset_, true);  // old value back at the end
#pragma once

#include <utility>

namespace zyl {

// Runs `fn` once when the guard goes. The function must not throw (the
// guard's destructor is noexcept); catch inside it what may fail.
template <class Fn>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(Fn fn) : fn_(std::move(fn)) {}
  ~ScopeExit() { fn_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Fn fn_;
};

// Sets `variable` to `value` for the rest of the scope and gives it its old
// value back when the returned guard goes.
template <class T, class U>
[[nodiscard]] auto ValueForScope(T& variable, U&& value) {
  T old = std::exchange(variable, std::forward<U>(value));
  return ScopeExit([&variable, old = std::move(old)]() mutable { variable = std::move(old); });
}

}  // namespace zyl
