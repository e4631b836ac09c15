#include "settings/LenientInt.h"

namespace pix {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::int32_t AsSigned(std::uint32_t bits) {
  return static_cast<std::int32_t>(bits);
}

}  // namespace

LenientIntReading ReadLenientInt(std::string_view text) {
  const std::size_t size = text.size();
  const std::size_t pastEnd = size + 1;
  std::size_t i = 0;
  while (i < size && text[i] == ' ')
    ++i;

  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  bool hex = false;
  if (i < size && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    i += 1;
  } else if (i + 1 < size && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }

  // The accumulator is unsigned so that every step is defined; the checks
  // before each digit keep it within 32 bits except for the last hex digit,
  // which wraps on purpose.
  std::uint32_t acc = 0;
  if (i == size) return {0, pastEnd};
  for (; i < size; ++i) {
    const int digit = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return {AsSigned(acc), i + 1};
    if (hex) {
      if (acc > 0x0FFFFFFFu) return {AsSigned(acc), i + 1};
      acc = acc * 16u + static_cast<std::uint32_t>(digit);
    } else {
      if (acc > 214748364u) return {AsSigned(acc), i + 1};
      acc = acc * 10u + static_cast<std::uint32_t>(digit);
    }
  }

  if (hex) return {AsSigned(negative ? 0u - acc : acc), 0};
  if (negative) {
    // Only 2147483649 negates to a positive value.
    const std::int32_t result = AsSigned(0u - acc);
    return {result, result > 0 ? pastEnd : 0};
  }
  return {AsSigned(acc), acc >= 0x80000000u ? pastEnd : 0};
}

std::int32_t ParseLenientInt(std::string_view text) {
  return ReadLenientInt(text).value;
}

std::string DecimalText(std::int32_t value) {
  // Through the unsigned magnitude, so that INT32_MIN needs no special case.
  const bool negative = value < 0;
  auto magnitude = static_cast<std::uint32_t>(value);
  if (negative) magnitude = 0u - magnitude;
  char digits[11];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10u);
    magnitude /= 10u;
  } while (magnitude != 0);
  std::string text;
  text.reserve(count + 1);
  if (negative) text.push_back('-');
  while (count > 0)
    text.push_back(digits[--count]);
  return text;
}

}  // namespace pix
