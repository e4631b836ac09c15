// One reading of a folder for the lists that read it in quick succession.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Os.h"

namespace pix {

// While one lives, the enumerations of one folder through
// Os::VisitFilesWideShared with "*.*" or a plain extension mask ("*.jpg")
// are answered from one reading of the folder: at start-up the folder list
// and the picture list both read the picture folder, and on a large folder
// the enumeration is most of the time they take. The reading is let go with
// the share, so nothing outlives the moment; a share opened inside another
// leaves the outer one in charge.
class ListingShare {
 public:
  explicit ListingShare(Os& os);
  ListingShare(const ListingShare&) = delete;
  ListingShare& operator=(const ListingShare&) = delete;
  ~ListingShare();

  // Answers the enumeration from the reading when it can, reading the folder
  // first where it has not been read; false where the platform must answer.
  bool Visit(const std::wstring& pattern, const EntryVisitor& visit, std::uint32_t& error);

 private:
  struct Kept {
    std::uint32_t nameBegin = 0, nameLength = 0;
    std::uint32_t shortBegin = 0, shortLength = 0;
    std::uint32_t attributes = 0;
  };

  void Read(const std::wstring& folder);

  Os& os_;
  bool owner_ = false;   // this share is the one the machine asks
  std::wstring folder_;  // with its final backslash; empty while nothing is read
  std::wstring text_;    // the names and short names end to end
  std::vector<Kept> entries_;
  std::uint32_t error_ = 0;
};

// Whether `name` ends in `suffix` (".jpg"), the letters of the suffix
// compared without case. Exactly the platform's match of "*.jpg" where the
// suffix is ASCII letters and digits other than those other scripts fold to
// (see ListingShare.cpp).
bool EndsWithIgnoringAsciiCase(std::wstring_view name, std::wstring_view suffix);

}  // namespace pix
