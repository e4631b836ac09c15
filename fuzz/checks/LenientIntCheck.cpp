// ReadLenientInt against the seven steps of the reading rule, done again in
// 64-bit arithmetic, where nothing can wrap until the rule says it does.
#include <cstdint>
#include <string>

#include "fuzz/checks/Describe.h"
#include "fuzz/checks/FuzzChecks.h"
#include "settings/LenientInt.h"

namespace pix::fuzz {
namespace {

constexpr std::int64_t k2Pow32 = std::int64_t{1} << 32;
constexpr std::int64_t k2Pow31 = std::int64_t{1} << 31;

// The value of the low 32 bits as a signed 32-bit number.
std::int64_t Wrapped(std::int64_t value) {
  std::int64_t low = value % k2Pow32;
  if (low < 0) low += k2Pow32;
  return low >= k2Pow31 ? low - k2Pow32 : low;
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value;
}

struct ModelReading {
  std::int64_t value;
  std::size_t errorPosition;
};

ModelReading Model(std::string_view text) {
  const std::size_t n = text.size();
  const std::size_t pastEnd = n + 1;
  std::size_t i = 0;
  // 1. Blanks (32 only).
  while (i < n && text[i] == ' ')
    ++i;
  // 2. One sign.
  bool minus = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    minus = text[i] == '-';
    ++i;
  }
  // 3. The hexadecimal prefix.
  int base = 10;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    i += 1;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  // 4. At least one digit.
  if (i == n) return {0, pastEnd};
  // 5. The digits, with the overflow test before each.
  const std::int64_t limit = base == 10 ? 214748364 : 268435455;
  std::int64_t accumulator = 0;
  for (; i < n; ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0 || accumulator > limit) return {Wrapped(accumulator), i + 1};
    accumulator = accumulator * base + digit;
  }
  // 6. The sign and the final range test.
  if (minus) {
    const std::int64_t negated = Wrapped(-accumulator);
    return {negated, base == 10 && negated > 0 ? pastEnd : 0};
  }
  if (base == 10 && accumulator >= k2Pow31) return {Wrapped(accumulator), pastEnd};
  // 7. The value.
  return {Wrapped(accumulator), 0};
}

}  // namespace

Finding CheckLenientInt(std::string_view input) {
  const ModelReading model = Model(input);
  const LenientIntReading reading = ReadLenientInt(input);
  if (reading.value != model.value || reading.errorPosition != model.errorPosition)
    return "ReadLenientInt(" + Quoted(input) + ") gives {" + std::to_string(reading.value) + ", " +
           std::to_string(reading.errorPosition) + "}, the rule {" + std::to_string(model.value) + ", " +
           std::to_string(model.errorPosition) + "}";
  if (ParseLenientInt(input) != reading.value) return "ParseLenientInt(" + Quoted(input) + ") differs";

  // The decimal text of the value, and reading it back.
  const std::string decimal = DecimalText(reading.value);
  if (decimal != std::to_string(reading.value))
    return "DecimalText(" + std::to_string(reading.value) + ") gives " + Quoted(decimal);
  const LenientIntReading back = ReadLenientInt(decimal);
  if (back.value != reading.value || back.errorPosition != 0)
    return "reading " + Quoted(decimal) + " back gives {" + std::to_string(back.value) + ", " +
           std::to_string(back.errorPosition) + "}";
  return {};
}

}  // namespace pix::fuzz
