// The program's exception kinds. Every failure travels as one of these and
// ends, uncaught, in the error box, which shows Message() (through
// ErrorBoxText) and, for a failure outside the message loop, ClassName().
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace pix {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}

  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  std::string message_;
};

// A failed file or folder operation, with the operating system's error code
// (or one of the runtime's own, 100 and up) and the message for that code.
class EInOutError : public Exception {
 public:
  explicit EInOutError(std::uint32_t code);

  std::uint32_t ErrorCode() const noexcept { return code_; }
  const char* ClassName() const noexcept override { return "EInOutError"; }

 private:
  std::uint32_t code_;
};

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EInvalidOperation"; }
};

class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EOutOfResources"; }
};

class EStringListError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EStringListError"; }
};

// The message of the file-error table for an error code.
std::string FileErrorMessage(std::uint32_t code);

// The text the error box shows for a message: a closing "." is added unless
// the message is empty or already ends in a byte of 0x2E (".") or below.
std::string ErrorBoxText(const std::string& message);

}  // namespace pix
