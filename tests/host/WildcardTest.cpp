#include "support/Wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pix {
namespace {

struct WildcardCase {
  std::string pattern;
  std::string name;
  bool matches;
};

TEST(WildcardTest, MatchesNamesByTheEnumerationRules) {
  const std::vector<WildcardCase> cases = {
      // The picture mask.
      {"*.jpg", "photo.JPG", true},
      {"*.jpg", "a.jpg", true},
      {"*.jpg", "a.jpeg", false},
      {"*.jpg", "a.jpg.bak", false},
      {"*.jpg", "x.jpg", true},  // a folder of that name matches; the caller filters folders
      {"*.jpg", ".jpg", true},
      {"*.jpg", "jpg", false},
      {"*.JPG", "photo.jpg", true},
      {"*.jpg", "a.jpgx", false},
      // Every name.
      {"*", "README", true},
      {"*", ".", true},
      {"*.*", "README", true},
      {"*.*", "a.b.c", true},
      {"*.*", ".", true},
      {"*.*", "..", true},
      // A trailing ".*" may match nothing at all.
      {"a.*", "a", true},
      {"a.*", "a.jpeg", true},
      {"a.*", "ab", false},
      // A trailing "." keeps to names without an extension.
      {"*.", "README", true},
      {"*.", "a.jpg", false},
      {"*.", ".", true},
      {"*.", "..", true},
      {"a.b.", "a.b", true},
      {"a*.", "ab.c", false},
      // "?" stands for exactly one character.
      {"?", "a", true},
      {"?", "", false},
      {"?", "ab", false},
      {"??", "ab", true},
      {"??", "a", false},
      {"???", "ab", false},
      {"a?", "a", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"*.jp?", "a.jpg", true},
      {"*.jp?", "a.jp", false},
      // Backtracking over several stars.
      {"*a*b*", "xxaxxbxx", true},
      {"*a*b*", "ab", true},
      {"*a*b*", "ba", false},
      {"*a*b", "aab", true},
      {"*a*b", "abab", true},
      {"*a*b", "abba", false},
      {"a*a*a", "aaa", true},
      {"a*a*a", "aa", false},
      {"*ab*ab", "abxab", true},
      {"*ab*ab", "aabab", true},
      {"**", "anything", true},
      {"*?*?", "ab", true},
      {"*?*?", "a", false},
      // Empty pattern and empty name.
      {"", "", true},
      {"", "a", false},
      {"*", "", true},
      // Letter case, Latin-1 letters of code page 1252 included.
      {"PHOTO.jpg", "photo.JPG", true},
      {"\xC9t\xC9.jpg", "\xE9t\xE9.jpg", true},
      {"\x8A*",
       "\x9A"
       "a",
       true},
      {"\xFF", "\x9F", true},
      {"\xDF", "SS", false},
      {"\xD7", "\xF7", false},  // multiplication and division signs are no letter pair
      // Literal characters must match exactly.
      {"a.jpg", "a_jpg", false},
      {"abc", "abd", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("pattern \"" + c.pattern + "\", name \"" + c.name + "\"");
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches);
  }
}

TEST(WildcardTest, SurvivesHugePatternsWithoutRecursion) {
  struct HugeCase {
    const char* what;
    std::string pattern;
    std::string name;
    bool matches;
  };
  const std::string mega(1 << 20, '*');
  std::string alternating;
  for (int i = 0; i < (1 << 19); ++i)
    alternating += "*a";
  const std::vector<HugeCase> cases = {
      {"a megabyte of stars", mega, "photo.jpg", true},
      {"a megabyte of stars and a dot", mega + ".", "photo", true},
      {"stars between many letters, name too short", alternating, std::string(100, 'a'), false},
      {"stars between many letters, name long enough", alternating, std::string(1 << 19, 'a'), true},
      {"a megabyte of question marks", std::string(1 << 20, '?'), "abc", false},
      {"a long literal against a long name", std::string(1 << 20, 'x'), std::string(1 << 20, 'X'), true},
      // Pieces that almost match everywhere: a search retried at every place
      // would take some 10^11 steps here.
      {"a long piece that never quite fits", "*" + std::string(1 << 19, 'a') + "b*",
       std::string(1 << 20, 'a'), false},
      {"a long piece with its odd letter first", "*b" + std::string(1 << 19, 'a') + "*",
       std::string(1 << 20, 'a'), false},
      {"a long piece found at the very end", "*" + std::string(1 << 19, 'a') + "b*",
       std::string(1 << 20, 'a') + "b", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches);
  }
}

// The textbook table over all pattern and name prefixes, for patterns
// without dots (where no special rule applies).
bool ReferenceMatch(const std::string& pattern, const std::string& name) {
  std::vector<std::vector<bool>> table(pattern.size() + 1, std::vector<bool>(name.size() + 1, false));
  table[0][0] = true;
  for (std::size_t p = 1; p <= pattern.size(); ++p) {
    for (std::size_t n = 0; n <= name.size(); ++n) {
      const char c = pattern[p - 1];
      if (c == '*') {
        table[p][n] = table[p - 1][n] || (n > 0 && table[p][n - 1]);
      } else if (n > 0) {
        const bool same = c == '?' || ToUpperLatin1(c) == ToUpperLatin1(name[n - 1]);
        table[p][n] = same && table[p - 1][n - 1];
      }
    }
  }
  return table[pattern.size()][name.size()];
}

TEST(WildcardTest, AgreesWithTheTableOnRandomPatterns) {
  std::uint32_t state = 12345;
  const auto next = [&state](std::uint32_t bound) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % bound;
  };
  const std::string patternLetters = "aAb*?*";
  const std::string nameLetters = "aAbB";
  int matches = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string pattern, name;
    for (std::uint32_t n = next(9); n > 0; --n)
      pattern += patternLetters[next(patternLetters.size())];
    for (std::uint32_t n = next(11); n > 0; --n)
      name += nameLetters[next(nameLetters.size())];
    const bool expected = ReferenceMatch(pattern, name);
    matches += expected;
    ASSERT_EQ(MatchesWildcard(pattern, name), expected)
        << "pattern \"" << pattern << "\", name \"" << name << "\"";
  }
  EXPECT_GT(matches, 1000) << "the random cases must hold matches as well as misses";
}

TEST(WildcardTest, CaseMapsOfCodePage1252) {
  struct CaseMap {
    unsigned char lower;
    unsigned char upper;
  };
  const std::vector<CaseMap> pairs = {{'a', 'A'},   {'z', 'Z'},   {0xE0, 0xC0}, {0xE9, 0xC9}, {0xFE, 0xDE},
                                      {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
  for (const auto& p : pairs) {
    SCOPED_TRACE(static_cast<int>(p.lower));
    EXPECT_EQ(ToUpperLatin1(static_cast<char>(p.lower)), static_cast<char>(p.upper));
    EXPECT_EQ(ToLowerLatin1(static_cast<char>(p.upper)), static_cast<char>(p.lower));
  }
  // Bytes without a partner in the code page map to themselves.
  const std::vector<unsigned char> alone = {'1', '.', '\\', 0xDF, 0xB5, 0xD7, 0xF7, 0x83};
  for (const unsigned char c : alone) {
    SCOPED_TRACE(static_cast<int>(c));
    EXPECT_EQ(ToUpperLatin1(static_cast<char>(c)), static_cast<char>(c));
    EXPECT_EQ(ToLowerLatin1(static_cast<char>(c)), static_cast<char>(c));
  }
}

}  // namespace
}  // namespace pix
