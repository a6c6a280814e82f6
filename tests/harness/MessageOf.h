// What an operation raised, for tests that compare messages.
#pragma once

#include <functional>
#include <string>

#include "platform/Exception.h"

namespace zyl::harness {

// The message of the zyl::Exception that `op` raises, or "no error".
inline std::string MessageOf(const std::function<void()>& op) {
  try {
    op();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}

}  // namespace zyl::harness
