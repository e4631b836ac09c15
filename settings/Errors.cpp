#include "settings/Errors.h"

#include <string>

namespace pix {

EInOutError::EInOutError(std::uint32_t code) : Exception(FileErrorMessage(code)), code_(code) {}

std::string FileErrorMessage(std::uint32_t code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > 0x2E) return message + ".";
  return message;
}

}  // namespace pix
