// The platform's rules for matching file names against a wildcard pattern,
// as directory enumeration applies them, and the letter case of file names
// in the program's 8-bit code page (1252).
#pragma once

#include <string_view>

namespace pix {

// Whether `name` matches `pattern` under the enumeration rules:
// - "*" matches any run of characters, the empty run included, and "?"
//   exactly one character;
// - letter case is ignored (ASCII and the Latin-1 letters of code page 1252);
// - a pattern ending in ".*" also matches the names its part before ".*"
//   matches, so "*.*" matches every name, with or without a dot;
// - a pattern ending in "." matches names without an extension: apart from
//   that final ".", every dot of the name must stand where the pattern has a
//   literal dot ("*." matches "README", not "a.jpg"). "." and ".." count as
//   names without an extension.
// A pattern that equals the name, ignoring case, always matches.
// Never recurses, and needs memory in proportion to the pattern at most.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Upper and lower case of one character of code page 1252: the ASCII letters,
// the Latin-1 letters of 0xC0 to 0xFE and the four extra pairs of the code
// page (S and Z with caron, OE, Y with diaeresis). Every other byte, the
// sharp s included, maps to itself.
constexpr char ToUpperLatin1(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
  switch (u) {
    case 0x9A:
      return static_cast<char>(0x8A);
    case 0x9C:
      return static_cast<char>(0x8C);
    case 0x9E:
      return static_cast<char>(0x8E);
    case 0xFF:
      return static_cast<char>(0x9F);
    default:
      return c;
  }
}

constexpr char ToLowerLatin1(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 0x20);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 0x20);
  switch (u) {
    case 0x8A:
      return static_cast<char>(0x9A);
    case 0x8C:
      return static_cast<char>(0x9C);
    case 0x8E:
      return static_cast<char>(0x9E);
    case 0x9F:
      return static_cast<char>(0xFF);
    default:
      return c;
  }
}

// Equality of two names as the file system sees it: letter case ignored.
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ToUpperLatin1(a[i]) != ToUpperLatin1(b[i])) return false;
  return true;
}

}  // namespace pix
