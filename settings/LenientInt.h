// The one rule by which the program turns any numeric text (settings lines,
// delay texts, the countdown label) into a signed 32-bit integer. It never
// rejects a text: a text that does not read cleanly still gives a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pix {

struct LenientIntReading {
  std::int32_t value = 0;
  // 0 when the text read cleanly. Otherwise the 1-based position of the
  // character the reading stopped at, or text.size() + 1 when the text ended
  // before a digit or the final range check failed.
  std::size_t errorPosition = 0;
};

// Leading blanks (32 only), one optional "+" or "-", an optional hex prefix
// ("$", "x", "X", "0x", "0X"), then digits to the end of the text. On an
// error the value is what the digits gave so far, without the sign; a
// decimal overflow at the end gives the wrapped 32-bit value.
LenientIntReading ReadLenientInt(std::string_view text);

// ReadLenientInt's value; what every caller uses.
std::int32_t ParseLenientInt(std::string_view text);

// Digits with a leading "-" for a negative value; no "+", no leading zeros.
std::string DecimalText(std::int32_t value);

}  // namespace pix
