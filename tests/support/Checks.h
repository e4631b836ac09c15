// Checks that the cases of several files make alike, on either machine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Os.h"
#include "settings/Errors.h"

namespace pix::test {

// Runs `action`, which must raise EInOutError with this code and, when one
// is given, this message.
inline void ExpectInOutError(const std::function<void()>& action, std::uint32_t code,
                             const std::optional<std::string>& message = std::nullopt) {
  try {
    action();
    ADD_FAILURE() << "no error raised";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), code);
    if (message) {
      EXPECT_EQ(e.Message(), *message);
    }
  }
}

// Each row sets the current directory and says what the call answers and
// where the process stands afterwards.
struct DirectoryStep {
  std::string set;
  std::uint32_t error;
  std::string current;
};
inline void ExpectDirectorySteps(Os& os, const std::vector<DirectoryStep>& steps) {
  for (const DirectoryStep& s : steps) {
    SCOPED_TRACE(s.set);
    EXPECT_EQ(os.SetCurrentDirectory(s.set), s.error);
    EXPECT_EQ(os.GetCurrentDirectory(), s.current);
  }
}

// The signs of comparing a with b, ignoring case and not; both ways round,
// and the sort keys order the pair as the comparison does.
struct Comparison {
  std::string a, b;
  int ignoringCase, caseSensitive;
};
inline void ExpectComparisons(Os& os, const std::vector<Comparison>& rows) {
  const auto sign = [](int value) { return (value > 0) - (value < 0); };
  for (const Comparison& c : rows) {
    SCOPED_TRACE("\"" + c.a + "\" vs \"" + c.b + "\"");
    EXPECT_EQ(sign(os.CompareTextIgnoreCase(c.a, c.b)), c.ignoringCase);
    EXPECT_EQ(sign(os.CompareTextIgnoreCase(c.b, c.a)), -c.ignoringCase);
    EXPECT_EQ(sign(os.CompareTextCaseSensitive(c.a, c.b)), c.caseSensitive);
    EXPECT_EQ(sign(os.CompareTextCaseSensitive(c.b, c.a)), -c.caseSensitive);
    EXPECT_EQ(sign(os.SortKeyIgnoreCase(c.a).compare(os.SortKeyIgnoreCase(c.b))), c.ignoringCase)
        << "the sort key orders as the comparison";
  }
}

struct LetterCase {
  std::string text, lower, upper;
};
inline void ExpectLetterCase(Os& os, const std::vector<LetterCase>& rows) {
  for (const LetterCase& c : rows) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(os.LowerCase(c.text), c.lower);
    EXPECT_EQ(os.UpperCase(c.text), c.upper);
  }
}

}  // namespace pix::test
