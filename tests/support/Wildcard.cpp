#include "support/Wildcard.h"

#include <algorithm>
#include <vector>

namespace pix {
namespace {

bool SameLetter(char a, char b) {
  return ToUpperLatin1(a) == ToUpperLatin1(b);
}

// Whether a star-free piece of pattern matches these characters exactly.
bool MatchesHere(std::string_view piece, std::string_view text) {
  for (std::size_t i = 0; i < piece.size(); ++i)
    if (piece[i] != '?' && !SameLetter(piece[i], text[i])) return false;
  return true;
}

// The first place in `text` where a star-free piece matches, or npos.
std::size_t FindPiece(std::string_view piece, std::string_view text) {
  if (piece.size() > text.size()) return std::string_view::npos;
  if (piece.find('?') == std::string_view::npos) {
    // Knuth-Morris-Pratt keeps a long piece in a long name linear, where
    // trying every place would take the product of the two lengths.
    std::vector<std::size_t> border(piece.size(), 0);
    for (std::size_t i = 1, k = 0; i < piece.size(); ++i) {
      while (k > 0 && !SameLetter(piece[i], piece[k]))
        k = border[k - 1];
      if (SameLetter(piece[i], piece[k])) ++k;
      border[i] = k;
    }
    for (std::size_t i = 0, k = 0; i < text.size(); ++i) {
      while (k > 0 && !SameLetter(text[i], piece[k]))
        k = border[k - 1];
      if (SameLetter(text[i], piece[k])) ++k;
      if (k == piece.size()) return i + 1 - piece.size();
    }
    return std::string_view::npos;
  }
  for (std::size_t at = 0; at + piece.size() <= text.size(); ++at)
    if (MatchesHere(piece, text.substr(at, piece.size()))) return at;
  return std::string_view::npos;
}

// "*" and "?" only. The part before the first star is anchored at the start,
// the part after the last star at the end, and every piece between stars
// taken at its first place: a later place can never help, since the stars
// around a piece absorb whatever it skips.
bool MatchPlain(std::string_view pattern, std::string_view name) {
  const std::size_t firstStar = pattern.find('*');
  if (firstStar == std::string_view::npos) return pattern.size() == name.size() && MatchesHere(pattern, name);
  const std::size_t lastStar = pattern.rfind('*');
  const std::string_view head = pattern.substr(0, firstStar);
  const std::string_view tail = pattern.substr(lastStar + 1);
  if (head.size() + tail.size() > name.size()) return false;
  if (!MatchesHere(head, name) || !MatchesHere(tail, name.substr(name.size() - tail.size()))) return false;
  std::string_view middle = pattern.substr(firstStar, lastStar - firstStar);
  std::string_view rest = name.substr(head.size(), name.size() - head.size() - tail.size());
  while (!middle.empty()) {
    const std::size_t stars = middle.find_first_not_of('*');
    if (stars == std::string_view::npos) break;
    middle.remove_prefix(stars);
    const std::size_t pieceEnd = std::min(middle.find('*'), middle.size());
    const std::string_view piece = middle.substr(0, pieceEnd);
    const std::size_t at = FindPiece(piece, rest);
    if (at == std::string_view::npos) return false;
    rest.remove_prefix(at + piece.size());
    middle.remove_prefix(pieceEnd);
  }
  return true;
}

// The pattern without its final ".": wildcards do not stand for dots, so the
// dot-separated pieces of pattern and name must pair up one to one.
bool MatchWithoutExtension(std::string_view pattern, std::string_view name) {
  if (name == "." || name == "..") return MatchPlain(pattern, name);
  for (;;) {
    const std::size_t pd = pattern.find('.');
    const std::size_t nd = name.find('.');
    if ((pd == std::string_view::npos) != (nd == std::string_view::npos)) return false;
    if (!MatchPlain(pattern.substr(0, pd), name.substr(0, nd))) return false;
    if (pd == std::string_view::npos) return true;
    pattern.remove_prefix(pd + 1);
    name.remove_prefix(nd + 1);
  }
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (EqualsIgnoringCase(pattern, name)) return true;
  if (!pattern.empty() && pattern.back() == '.') {
    pattern.remove_suffix(1);
    return MatchWithoutExtension(pattern, name);
  }
  if (MatchPlain(pattern, name)) return true;
  return pattern.size() >= 2 && pattern.ends_with(".*") &&
         MatchPlain(pattern.substr(0, pattern.size() - 2), name);
}

}  // namespace pix
