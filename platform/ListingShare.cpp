#include "platform/ListingShare.h"

#include <limits>
#include <new>

namespace pix {

namespace {

wchar_t AsciiUpper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// The mask's suffix where its matches can be told from the folder's whole
// reading: "*" followed by a dot and ASCII letters and digits. The platform
// compares names in upper case, and the dotless i and the long s fold to I
// and S there: a mask with either letter is left to the platform.
std::optional<std::wstring_view> PlainExtension(std::wstring_view mask) {
  if (mask.size() < 3 || mask[0] != L'*' || mask[1] != L'.') return std::nullopt;
  for (const wchar_t c : mask.substr(2)) {
    const wchar_t upper = AsciiUpper(c);
    const bool letterOrDigit = (c >= L'0' && c <= L'9') || (upper >= L'A' && upper <= L'Z');
    if (!letterOrDigit || upper == L'I' || upper == L'S') return std::nullopt;
  }
  return mask.substr(1);
}

bool IsAbsoluteFolder(std::wstring_view folder) {
  return (folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\') || folder.starts_with(L"\\\\");
}

std::uint32_t Offset(std::size_t size) {
  if (size > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
  return static_cast<std::uint32_t>(size);
}

}  // namespace

bool EndsWithIgnoringAsciiCase(std::wstring_view name, std::wstring_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::wstring_view end = name.substr(name.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (AsciiUpper(end[i]) != AsciiUpper(suffix[i])) return false;
  return true;
}

ListingShare::ListingShare(Os& os) : os_(os) {
  if (os_.share_ == nullptr) {
    os_.share_ = this;
    owner_ = true;
  }
}

ListingShare::~ListingShare() {
  if (owner_) os_.share_ = nullptr;
}

void ListingShare::Read(const std::wstring& folder) {
  folder_.clear();
  text_.clear();
  entries_.clear();
  error_ = os_.VisitFilesWide(folder + L"*.*", [&](const FoundEntry& found) {
    Kept kept;
    kept.nameBegin = Offset(text_.size());
    kept.nameLength = Offset(found.name.size());
    text_ += found.name;
    kept.shortBegin = Offset(text_.size());
    kept.shortLength = Offset(found.shortName.size());
    text_ += found.shortName;
    kept.attributes = found.attributes;
    entries_.push_back(kept);
  });
  folder_ = folder;
}

bool ListingShare::Visit(const std::wstring& pattern, const EntryVisitor& visit, std::uint32_t& error) {
  const std::size_t cut = pattern.rfind(L'\\');
  std::wstring folder;
  std::wstring_view mask;
  if (cut == std::wstring::npos) {
    folder = os_.AnsiToWide(os_.GetCurrentDirectory());
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    mask = pattern;
  } else {
    folder = pattern.substr(0, cut + 1);
    mask = std::wstring_view(pattern).substr(cut + 1);
  }
  const bool everything = mask == L"*.*" || mask == L"*";
  const auto extension = PlainExtension(mask);
  if (!IsAbsoluteFolder(folder) || (!everything && !extension)) return false;

  if (folder != folder_) Read(folder);
  bool matched = false;
  for (const Kept& kept : entries_) {
    const FoundEntry found{std::wstring_view(text_).substr(kept.nameBegin, kept.nameLength),
                           std::wstring_view(text_).substr(kept.shortBegin, kept.shortLength),
                           kept.attributes};
    // The platform matches a mask against the short name as well.
    if (!everything && !EndsWithIgnoringAsciiCase(found.name, *extension) &&
        (found.shortName.empty() || !EndsWithIgnoringAsciiCase(found.shortName, *extension)))
      continue;
    matched = true;
    visit(found);
  }
  error = matched ? oserr::kSuccess : entries_.empty() && error_ ? error_ : oserr::kFileNotFound;
  return true;
}

std::uint32_t Os::VisitFilesWideShared(const std::wstring& pattern, const EntryVisitor& visit) {
  std::uint32_t error = oserr::kSuccess;
  if (share_ != nullptr && share_->Visit(pattern, visit, error)) return error;
  return VisitFilesWide(pattern, visit);
}

}  // namespace pix
