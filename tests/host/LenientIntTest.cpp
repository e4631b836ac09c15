#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "settings/LenientInt.h"

namespace pix {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct Reading {
  std::string text;
  std::int32_t value;
  std::size_t errorPosition;  // 0: read cleanly
};

void ExpectReadings(const std::vector<Reading>& cases) {
  for (const Reading& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\"");
    const LenientIntReading reading = ReadLenientInt(c.text);
    EXPECT_EQ(reading.value, c.value);
    EXPECT_EQ(reading.errorPosition, c.errorPosition);
    EXPECT_EQ(ParseLenientInt(c.text), c.value);
  }
}

// The readings the settings lines and the countdown rely on.
TEST(LenientInt, ReadingsTheProgramDependsOn) {
  ExpectReadings({
      {"0", 0, 0},
      {"50", 50, 0},
      {"49", 49, 0},
      {"-5", -5, 0},
      {"+7", 7, 0},
      {" 60", 60, 0},
      {"60 ", 60, 3},
      {"abc", 0, 1},
      {"12abc", 12, 3},
      {"-12a", 12, 4},
      {"", 0, 1},
      {"$40", 64, 0},
      {"0x1F", 31, 0},
      {"$FFFFFFFF", -1, 0},
      {"2147483647", kMax, 0},
      {"2147483648", kMin, 11},
      {"-2147483648", kMin, 0},
  });
}

// What the delay editor reads from the texts that Enter commits.
TEST(LenientInt, DelayEditorTexts) {
  ExpectReadings({
      {"0", 0, 0},
      {"", 0, 1},
      {"abc", 0, 1},
      {"-5", -5, 0},
      {"1", 1, 0},
      {"49", 49, 0},
      {"50", 50, 0},
      {" 60", 60, 0},
      {"$40", 64, 0},
      {"60abc", 60, 3},
      {"2147483648", kMin, 11},
  });
}

TEST(LenientInt, BlanksAndSigns) {
  ExpectReadings({
      {"\t5", 0, 1},  // only 32 counts as a blank
      {"  \t5", 0, 3},
      {"     7", 7, 0},
      {"   ", 0, 4},  // nothing after the blanks
      {"+", 0, 2},
      {"-", 0, 2},
      {" -", 0, 3},
      {"- 5", 0, 2},  // no blank after the sign
      {"--5", 0, 2},  // one sign only
      {"+-5", 0, 2},
      {" -5", -5, 0},
      {"-0", 0, 0},
      {"+0", 0, 0},
      {"1 2", 1, 2},
      {std::string("5\0", 2), 5, 2},  // a NUL is just another non-digit
      {"\xB5", 0, 1},
      {"7\xB5", 7, 2},
  });
}

TEST(LenientInt, DecimalDigitsAndOverflow) {
  ExpectReadings({
      {"00", 0, 0},
      {"007", 7, 0},  // a leading 0 is an ordinary digit
      {"0a", 0, 2},
      {"0b1", 0, 2},
      {"-2147483647", -kMax, 0},
      {"+2147483647", kMax, 0},
      {"+2147483648", kMin, 12},
      {"2147483649", -2147483647, 11},  // wrapped, no sign involved
      {"-2147483649", 2147483647, 12},  // the negation comes out positive
      {"2147483650", 214748365, 10},    // over the limit before the last digit
      {"-2147483650", 214748365, 11},   // without the sign
      {"4294967295", 429496729, 10},
      {"21474836470", kMax, 11},
      {"99999999999", 999999999, 10},
      {"0000000000002147483647", kMax, 0},  // leading zeros never overflow
  });
}

TEST(LenientInt, HexadecimalForms) {
  ExpectReadings({
      {"$", 0, 2},
      {"x", 0, 2},
      {"X", 0, 2},
      {"0x", 0, 3},
      {"0X", 0, 3},
      {"-$", 0, 3},
      {"+0x", 0, 4},
      {"0X1f", 31, 0},
      {"x10", 16, 0},
      {"X10", 16, 0},
      {"$aBcD", 0xABCD, 0},
      {"-$10", -16, 0},
      {"+$10", 16, 0},
      {"-0x10", -16, 0},
      {" $7fffffff", kMax, 0},
      {"$80000000", kMin, 0},
      {"-$80000000", kMin, 0},
      {"-$FFFFFFFF", 1, 0},
      {"$00000000FF", 255, 0},  // leading zeros never overflow
      {"$fg", 15, 3},
      {"$-10", 0, 2},  // the sign comes before the prefix
      {"0x0x1", 0, 4},
      {"xx", 0, 2},
      {"$ 1", 0, 2},
      {"$\xC1", 0, 2},  // no letter beyond F, none beyond ASCII
      {"$G", 0, 2},
      {"$123456789", 0x12345678, 10},  // over FFFFFFF before the ninth digit
      {"$100000000", 0x10000000, 10},
      {"-$100000000", 0x10000000, 11},  // without the sign
      {"$FFFFFFFF0", -1, 10},
  });
}

TEST(DecimalText, KnownTexts) {
  const std::vector<std::pair<std::int32_t, std::string>> cases = {
      {0, "0"},
      {1, "1"},
      {-1, "-1"},
      {9, "9"},
      {10, "10"},
      {-10, "-10"},
      {120, "120"},
      {kMax, "2147483647"},
      {kMin, "-2147483648"},
      {-kMax, "-2147483647"},
      {1000000000, "1000000000"},
  };
  for (const auto& [value, text] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(DecimalText(value), text);
  }
}

// Every decimal text reads back as its value, cleanly, over a spread of
// values around each power of ten and the ends of the range.
TEST(DecimalText, ReadsBackAsItsValue) {
  std::vector<std::int32_t> values = {kMin, kMin + 1, kMax - 1, kMax};
  for (std::int64_t power = 1; power <= 1000000000; power *= 10) {
    for (std::int64_t delta : {-1, 0, 1}) {
      values.push_back(static_cast<std::int32_t>(power + delta));
      values.push_back(static_cast<std::int32_t>(-(power + delta)));
    }
  }
  std::uint32_t state = 12345;
  for (int i = 0; i < 2000; ++i) {
    state = state * 134775813u + 1u;
    values.push_back(static_cast<std::int32_t>(state));
  }
  for (const std::int32_t value : values) {
    SCOPED_TRACE(value);
    const std::string text = DecimalText(value);
    EXPECT_EQ(text, std::to_string(value));
    const LenientIntReading reading = ReadLenientInt(text);
    EXPECT_EQ(reading.value, value);
    EXPECT_EQ(reading.errorPosition, 0u);
  }
}

}  // namespace
}  // namespace pix
