#include "fuzz/checks/Describe.h"

namespace pix::fuzz {

std::string Quoted(std::string_view bytes) {
  std::string text = "\"";
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (u >= 0x20 && u < 0x7F) {
      text += c;
    } else {
      // Three octal digits: unlike a hex escape, it never takes in the
      // digits that follow it.
      text += '\\';
      text += static_cast<char>('0' + (u >> 6));
      text += static_cast<char>('0' + ((u >> 3) & 7));
      text += static_cast<char>('0' + (u & 7));
    }
  }
  text += '"';
  return text;
}

}  // namespace pix::fuzz
