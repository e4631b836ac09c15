// MatchesWildcard against a table of every pattern prefix by every name
// prefix, on inputs small enough for the table; on longer ones, that it
// ends and that letter case plays no part.
#include <cstddef>
#include <string>
#include <vector>

#include "fuzz/checks/Describe.h"
#include "fuzz/checks/FuzzChecks.h"
#include "support/Wildcard.h"

namespace pix::fuzz {
namespace {

// The upper case of code page 1252, as a table of its own: ASCII, the
// Latin-1 letters (not the multiplication and division signs) and the four
// extra pairs.
char Upper(char c) {
  const auto u = static_cast<unsigned char>(c);
  if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) return static_cast<char>(u - 0x20);
  if (u == 0x9A || u == 0x9C || u == 0x9E) return static_cast<char>(u - 0x10);
  if (u == 0xFF) return static_cast<char>(0x9F);
  return c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// Whether the whole name matches the whole pattern: "*" any run, "?" one
// character, other characters themselves ignoring case. With `dotsLiteral`,
// a dot of the name matches only a dot of the pattern.
bool TableMatch(std::string_view pattern, std::string_view name, bool dotsLiteral) {
  const std::size_t columns = name.size() + 1;
  // row[j]: the pattern so far matches the first j characters of the name.
  std::vector<char> row(columns, 0);
  row[0] = 1;
  for (const char p : pattern) {
    std::vector<char> next(columns, 0);
    for (std::size_t j = 0; j < columns; ++j) {
      const bool wildcardTakes = j > 0 && !(dotsLiteral && name[j - 1] == '.');
      if (p == '*')
        next[j] = static_cast<char>(row[j] || (wildcardTakes && next[j - 1]));
      else if (p == '?')
        next[j] = static_cast<char>(wildcardTakes && row[j - 1]);
      else
        next[j] = static_cast<char>(j > 0 && row[j - 1] && Upper(p) == Upper(name[j - 1]));
    }
    row = std::move(next);
  }
  return row[name.size()] != 0;
}

bool ModelMatch(std::string_view pattern, std::string_view name) {
  if (SameIgnoringCase(pattern, name)) return true;
  if (!pattern.empty() && pattern.back() == '.') {
    const std::string_view stem = pattern.substr(0, pattern.size() - 1);
    return TableMatch(stem, name, name != "." && name != "..");
  }
  if (TableMatch(pattern, name, false)) return true;
  return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
         TableMatch(pattern.substr(0, pattern.size() - 2), name, false);
}

// Every letter in the other case.
std::string Flipped(std::string_view text) {
  static const std::vector<char> other = [] {
    std::vector<char> table(256);
    for (int i = 0; i < 256; ++i)
      table[i] = static_cast<char>(i);
    for (int i = 0; i < 256; ++i) {
      const char c = static_cast<char>(i);
      const char upper = Upper(c);
      if (upper != c) {
        table[i] = upper;
        table[static_cast<unsigned char>(upper)] = c;
      }
    }
    return table;
  }();
  std::string flipped(text);
  for (char& c : flipped)
    c = other[static_cast<unsigned char>(c)];
  return flipped;
}

// Table cells a check may fill; beyond it only the cheaper checks run.
constexpr std::size_t kTableCells = 8192;

}  // namespace

Finding CheckWildcard(std::string_view input) {
  if (input.size() < 2) return {};
  const std::size_t rest = input.size() - 2;
  const std::size_t length = (static_cast<unsigned char>(input[0]) |
                              (static_cast<std::size_t>(static_cast<unsigned char>(input[1])) << 8)) %
                             (rest + 1);
  const std::string_view pattern = input.substr(2, length);
  const std::string_view name = input.substr(2 + length);
  const std::string where = "MatchesWildcard(" + Quoted(pattern) + ", " + Quoted(name) + ")";

  const bool matches = MatchesWildcard(pattern, name);
  if ((pattern.size() + 1) * (name.size() + 1) <= kTableCells) {
    const bool model = ModelMatch(pattern, name);
    if (matches != model)
      return where + " gives " + (matches ? "true" : "false") + ", the rules " + (model ? "true" : "false");
  }
  if (MatchesWildcard(Flipped(pattern), Flipped(name)) != matches)
    return where + " changes when the letters change case";
  return {};
}

}  // namespace pix::fuzz
