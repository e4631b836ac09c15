// Text of a code page in wide characters, for the calls that take UTF-16.
#pragma once

#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <string>
#include <string_view>

namespace pix::win32 {

// MultiByteToWideChar over the whole text: "" for "" and for text the code
// page cannot read.
inline std::wstring WideFromCodePage(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

}  // namespace pix::win32
