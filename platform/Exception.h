// Exceptions of the library. Every error the library raises derives from
// zyl::Exception and carries its message text exactly as the component
// interface documents it ("List index out of bounds (3)", "Invalid font info").
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace zyl {

// Root of every exception the library throws. what() returns Message().
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

// A value could not be converted ("'x' is not a valid integer value",
// "Invalid font info", "Cannot assign a TFont to a TZylRow").
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A list was addressed outside its bounds ("List index out of bounds (5)").
class EListError : public Exception {
 public:
  using Exception::Exception;
  static EListError OutOfBounds(long long index) {
    return EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
};

// Reading or writing a file or a standard stream failed.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// A variant could not be converted to the requested type.
class EVariantError : public EConvertError {
 public:
  using EConvertError::EConvertError;
};

// An operation whose subsystem is not built into this library.
class ENotImplemented : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace zyl
