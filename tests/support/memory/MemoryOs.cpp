#include "support/memory/MemoryOs.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "support/Wildcard.h"
#include "support/memory/Collation1252.h"

namespace pix {
namespace {

// Access and sharing bits of an open, as the file system weighs them.
constexpr std::uint32_t kRead = 1;
constexpr std::uint32_t kWrite = 2;
constexpr std::uint32_t kDelete = 4;
constexpr std::uint32_t kShareAll = kRead | kWrite | kDelete;

constexpr std::uint32_t kExtraBits = attr::kReadOnly | attr::kHidden | attr::kSystem | attr::kArchive;

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

// The machine spells its names in code page 1252. A character the code page
// lacks is spelled as kWideMark and six upper-case hex digits of its code
// point: the wide calls read and write that spelling, the ANSI calls show
// "?" in its place, as Windows does.
constexpr char kWideMark = '\x01';
constexpr std::size_t kWideLength = 7;

// The characters of code page 1252 at 0x80 to 0x9F.
constexpr char32_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code point spelled at `at`, when a wide spelling starts there.
std::optional<char32_t> WideAt(std::string_view text, std::size_t at) {
  if (text[at] != kWideMark || text.size() - at < kWideLength) return std::nullopt;
  char32_t code = 0;
  for (std::size_t i = 1; i < kWideLength; ++i) {
    const int digit = HexValue(text[at + i]);
    if (digit < 0) return std::nullopt;
    code = code * 16 + static_cast<char32_t>(digit);
  }
  return code;
}

char32_t CodePointOf(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 && u < 0xA0 ? kHigh1252[u - 0x80] : u;
}

// The code page's byte of a character, when it has one.
std::optional<char> ByteOf(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code < 0x100)) return static_cast<char>(code);
  for (std::size_t i = 0; i < 32; ++i)
    if (kHigh1252[i] == code) return static_cast<char>(0x80 + i);
  return std::nullopt;
}

std::string Spelled(std::wstring_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string spelled;
  spelled.reserve(text.size());
  for (wchar_t c : text) {
    const auto code = static_cast<char32_t>(c);
    if (const auto byte = ByteOf(code)) {
      spelled += *byte;
      continue;
    }
    spelled += kWideMark;
    for (int shift = 20; shift >= 0; shift -= 4)
      spelled += kDigits[(code >> shift) & 0xF];
  }
  return spelled;
}

std::wstring Widened(std::string_view spelled) {
  std::wstring wide;
  wide.reserve(spelled.size());
  for (std::size_t i = 0; i < spelled.size(); ++i) {
    if (const auto code = WideAt(spelled, i)) {
      wide += static_cast<wchar_t>(*code);
      i += kWideLength - 1;
    } else {
      wide += static_cast<wchar_t>(CodePointOf(spelled[i]));
    }
  }
  return wide;
}

// A name as the ANSI calls report it.
std::string AnsiShown(std::string_view spelled) {
  std::string shown;
  shown.reserve(spelled.size());
  for (std::size_t i = 0; i < spelled.size(); ++i) {
    if (WideAt(spelled, i)) {
      shown += '?';
      i += kWideLength - 1;
    } else {
      shown += spelled[i];
    }
  }
  return shown;
}

// Characters no name may hold. The colon is left to the lookup: Windows reads
// it as a stream name, which this machine never finds.
bool HasInvalidCharacter(std::string_view name, bool wildcardsAllowed = false) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (WideAt(name, i)) {
      i += kWideLength - 1;
      continue;
    }
    const char c = name[i];
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '<' || c == '>' || c == '"' || c == '|') return true;
    if (!wildcardsAllowed && (c == '?' || c == '*')) return true;
  }
  return false;
}

// The key under which a folder finds a child whatever its letter case.
std::string FoldedName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    c = ToUpperLatin1(c);
  return folded;
}

struct Node {
  std::string name;
  bool directory = false;
  std::uint32_t attributes = 0;                 // the extra bits only
  std::string contents;                         // what reads see: the cache, written or not
  std::string durable;                          // what is on the disk: the contents as last flushed
  std::vector<std::shared_ptr<Node>> children;  // in creation order
  // The same children by folded name, so that large folders stay quick.
  std::unordered_map<std::string, std::shared_ptr<Node>> childrenByName;
  Node* parent = nullptr;
  bool refusesNewFiles = false;
  // The one part of a file's DACL the program depends on: whether it grants
  // the Users group write access. Files staged by the tests do, as the
  // installer leaves the two the program writes; a file an administrator's
  // process creates inherits the folder's Users read access only.
  bool usersMayWrite = true;
  // Opens on this node: id -> (access, share).
  std::map<std::uint64_t, std::pair<std::uint32_t, std::uint32_t>> opens;

  std::uint32_t Reported() const {
    if (directory) return attributes | attr::kDirectory;
    return attributes == 0 ? attr::kNormal : attributes;
  }

  std::shared_ptr<Node> Child(std::string_view childName) const {
    if (childName.find(':') != std::string_view::npos) return nullptr;
    const auto found = childrenByName.find(FoldedName(childName));
    return found == childrenByName.end() ? nullptr : found->second;
  }

  // Whether an open asking for `access` and sharing `share` can join the opens there.
  bool MayOpen(std::uint32_t access, std::uint32_t share) const {
    for (const auto& [id, open] : opens) {
      if ((access & ~open.second) != 0 || (open.first & ~share) != 0) return false;
    }
    return true;
  }

  void Detach() {
    if (parent == nullptr) return;
    parent->childrenByName.erase(FoldedName(name));
    auto& siblings = parent->children;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [this](const std::shared_ptr<Node>& n) { return n.get() == this; }),
                   siblings.end());
    parent = nullptr;
  }

  bool Contains(const Node* other) const {
    for (const Node* n = other; n != nullptr; n = n->parent)
      if (n == this) return true;
    return false;
  }
};

std::shared_ptr<Node> MakeNode(std::string name, bool directory, std::uint32_t attributes) {
  auto node = std::make_shared<Node>();
  node->name = std::move(name);
  node->directory = directory;
  node->attributes = attributes;
  return node;
}

void Adopt(Node& parent, const std::shared_ptr<Node>& child) {
  child->parent = &parent;
  parent.children.push_back(child);
  parent.childrenByName[FoldedName(child->name)] = child;
}

struct Volume {
  DriveType type = DriveType::Fixed;
  bool ready = true;
  std::string label;
  std::uint32_t flags = volflag::kCasePreserved;
  std::string remoteName;  // for shares
  std::shared_ptr<Node> root = MakeNode("", true, 0);
  // Without a capacity the volume never fills up.
  std::optional<std::uint64_t> capacity;

  // Changes to the tree (creations, deletions, moves, attribute changes)
  // that have not reached this volume's disk yet, each as the step that
  // takes it back, in order. A flush of a file on the volume or a
  // write-through move puts them all on the disk, as a file system's log is
  // forced; a power cut takes back what is still here.
  std::vector<std::function<void()>> journal;
  void Journal(std::function<void()> undo) { journal.push_back(std::move(undo)); }
  void CommitJournal() { journal.clear(); }
  void JournalCreation(const std::shared_ptr<Node>& node) {
    Journal([node] { node->Detach(); });
  }
  void JournalAttributes(const std::shared_ptr<Node>& node) {
    Journal([node, attributes = node->attributes, users = node->usersMayWrite] {
      node->attributes = attributes;
      node->usersMayWrite = users;
    });
  }

  static constexpr std::uint64_t kCluster = 4096;
  static std::uint64_t Clusters(std::uint64_t bytes) { return (bytes + kCluster - 1) / kCluster; }

  std::uint64_t FreeBytes() const {
    if (!capacity) return std::uint64_t{1} << 40;
    const std::uint64_t used = UsedBytes();
    return used >= *capacity ? 0 : *capacity - used;
  }

  std::uint64_t UsedBytes() const { return Used(*root) * kCluster; }

  // How long a file of `length` bytes may grow before the volume is full.
  std::uint64_t RoomFor(std::uint64_t length) const {
    if (!capacity) return ~std::uint64_t{0};
    return (Clusters(length) + FreeBytes() / kCluster) * kCluster;
  }

 private:
  static std::uint64_t Used(const Node& node) {
    std::uint64_t clusters = Clusters(node.contents.size());
    for (const auto& child : node.children)
      clusters += Used(*child);
    return clusters;
  }
};

struct Drive {
  std::shared_ptr<Volume> volume;
  std::uint32_t connectionError = 0;
};

// A path as the full-path rules leave it: a root ("C:" or "\\server\share",
// spelled as given) and its components.
struct Path {
  std::string root;
  std::vector<std::string> parts;
  bool trailingSeparator = false;

  bool IsUnc() const { return root.size() > 2 && root[0] == '\\'; }

  // The text GetCurrentDirectory gives for it: no trailing backslash except
  // at a drive root.
  std::string Text() const {
    std::string text = root;
    if (parts.empty()) {
      if (!IsUnc()) text += '\\';
      return text;
    }
    for (const auto& part : parts)
      text += '\\' + part;
    return text;
  }
};

std::string FoldedShareKey(std::string_view remoteName) {
  std::string key;
  for (char c : remoteName)
    key += ToUpperLatin1(c == '/' ? '\\' : c);
  while (!key.empty() && key.back() == '\\')
    key.pop_back();
  return key;
}

// Collapses the components of `rest` onto `base` by the full-path rules.
void Collapse(std::string_view rest, Path& path) {
  std::size_t start = 0;
  path.trailingSeparator = false;
  while (start <= rest.size()) {
    std::size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end]))
      ++end;
    const bool last = end >= rest.size();
    std::string part(rest.substr(start, end - start));
    if (part.empty()) {
      if (last && start > 0) path.trailingSeparator = true;
    } else if (part == ".") {
      path.trailingSeparator = false;
    } else if (part == "..") {
      if (!path.parts.empty()) path.parts.pop_back();
      path.trailingSeparator = false;
    } else {
      if (!last) {
        if (part.back() == '.') part.pop_back();
      } else {
        while (!part.empty() && (part.back() == '.' || part.back() == ' '))
          part.pop_back();
      }
      if (!part.empty()) {
        path.parts.push_back(std::move(part));
        path.trailingSeparator = false;
      } else if (last) {
        path.trailingSeparator = !path.parts.empty();
      }
    }
    if (last) break;
    start = end + 1;
  }
}

}  // namespace

struct MemoryOs::Machine {
  std::map<char, Drive> drives;                           // by upper-case letter
  std::map<std::string, std::shared_ptr<Volume>> shares;  // by folded \\SERVER\SHARE
  std::map<char, Path> remembered;                        // "=X:" folders, by upper-case letter
  Path current{"C:", {}, false};

  std::uint32_t errorMode = 0;
  std::vector<std::uint32_t> errorModeLog;
  std::size_t criticalErrorPrompts = 0;

  LocalTime localTime{2024, 5, 17, 10, 0, 0, 0};
  std::uint32_t ticks = 5'000'000;
  std::uint32_t processId = 1000;
  std::optional<std::int64_t> performanceCounter = 123'456'789'000;

  std::string moduleFileName = "C:\\Program\\Pix_Rn.exe";
  std::string windowsDirectory = "C:\\windows";
  std::vector<ShellCall> shellCalls;
  std::string wallpaper;
  std::vector<std::string> wallpaperReloads;

  std::size_t writeFaultCountdown = 0;
  std::uint32_t writeFaultError = 0;
  std::uint32_t closeFaultError = 0;

  std::uint64_t nextOpenId = 1;
  std::size_t seamOpens = 0;

  // A standard user's process: it may open a file for writing only where
  // the file's DACL grants the Users group write access.
  bool standardUser = false;

  // --- Paths ---

  // The base that "X:rel" is read against.
  Path DriveBase(char letter) const {
    if (!current.IsUnc() && UpperAscii(current.root[0]) == UpperAscii(letter)) return current;
    const auto found = remembered.find(UpperAscii(letter));
    if (found != remembered.end()) return found->second;
    return Path{std::string{letter, ':'}, {}, false};
  }

  // Gives 0 and the full path of a text in `out`, or the error code.
  std::uint32_t Resolve(std::string_view text, Path& out) const {
    if (text.empty()) return oserr::kPathNotFound;
    std::string_view rest;
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
      if (text.size() >= 4 && (text[2] == '?' || text[2] == '.') && IsSeparator(text[3]))
        return oserr::kInvalidName;
      std::size_t serverEnd = 2;
      while (serverEnd < text.size() && !IsSeparator(text[serverEnd]))
        ++serverEnd;
      if (serverEnd == 2 || serverEnd >= text.size()) return memerr::kBadNetPath;
      std::size_t shareEnd = serverEnd + 1;
      while (shareEnd < text.size() && !IsSeparator(text[shareEnd]))
        ++shareEnd;
      if (shareEnd == serverEnd + 1) return memerr::kBadNetPath;
      out = Path{};
      out.root = "\\\\" + std::string(text.substr(2, serverEnd - 2)) + "\\" +
                 std::string(text.substr(serverEnd + 1, shareEnd - serverEnd - 1));
      rest = text.substr(shareEnd);
    } else if (text.size() >= 2 && text[1] == ':' && !IsSeparator(text[0])) {
      if (text.size() >= 3 && IsSeparator(text[2])) {
        out = Path{std::string(text.substr(0, 2)), {}, false};
      } else {
        out = DriveBase(text[0]);
      }
      rest = text.substr(2);
    } else if (IsSeparator(text[0])) {
      out = Path{current.root, {}, false};
      rest = text;
    } else {
      out = current;
      rest = text;
    }
    Collapse(rest, out);
    for (const auto& part : out.parts)
      if (HasInvalidCharacter(part)) return oserr::kInvalidName;
    return oserr::kSuccess;
  }

  std::shared_ptr<Volume> VolumeOf(const Path& path, std::uint32_t& error) const {
    if (path.IsUnc()) {
      const auto found = shares.find(FoldedShareKey(path.root));
      if (found == shares.end()) {
        error = memerr::kBadNetPath;
        return nullptr;
      }
      return found->second;
    }
    const auto found = drives.find(UpperAscii(path.root[0]));
    if (found == drives.end()) {
      error = oserr::kPathNotFound;
      return nullptr;
    }
    return found->second.volume;
  }

  // What a path leads to: its volume, the folder holding the last component
  // and the entry itself (null when that one is missing).
  struct Place {
    std::shared_ptr<Volume> volume;
    std::shared_ptr<Node> parent;
    std::shared_ptr<Node> node;
    std::string leaf;
  };

  // For the seam: a volume that is not ready fails with 21.
  std::uint32_t Locate(const Path& path, Place& place, bool seam) {
    std::uint32_t error = oserr::kSuccess;
    place = Place{};
    place.volume = VolumeOf(path, error);
    if (!place.volume) return error;
    if (seam && !place.volume->ready) {
      if ((errorMode & kSemFailCriticalErrors) == 0) ++criticalErrorPrompts;
      return oserr::kNotReady;
    }
    std::shared_ptr<Node> folder = place.volume->root;
    if (path.parts.empty()) {
      place.node = folder;
      return oserr::kSuccess;
    }
    for (std::size_t i = 0; i + 1 < path.parts.size(); ++i) {
      folder = folder->Child(path.parts[i]);
      if (!folder || !folder->directory) return oserr::kPathNotFound;
    }
    place.parent = folder;
    place.leaf = path.parts.back();
    place.node = folder->Child(place.leaf);
    return oserr::kSuccess;
  }

  // Resolves and locates a path for the seam. Gives the error for a path
  // that leads nowhere at all; a missing last entry is left to the caller.
  std::uint32_t Find(std::string_view text, Place& place, Path* resolved = nullptr) {
    Path path;
    if (const auto error = Resolve(text, path)) return error;
    if (HasWildcard(text)) return oserr::kInvalidName;
    if (const auto error = Locate(path, place, true)) return error;
    // A file named with a trailing backslash is no valid name.
    if (path.trailingSeparator && place.node && !place.node->directory) return oserr::kInvalidName;
    if (resolved) *resolved = path;
    return oserr::kSuccess;
  }

  // For staging: the entry a path names, or a throw.
  std::shared_ptr<Node> StageFind(const std::string& text, Place& place) {
    Path path;
    if (Resolve(text, path) != oserr::kSuccess) throw std::runtime_error("bad staging path: " + text);
    if (Locate(path, place, false) != oserr::kSuccess)
      throw std::runtime_error("no such folder on the way to: " + text);
    return place.node;
  }

  std::shared_ptr<Node> StageNode(const std::string& text) {
    Place place;
    auto node = StageFind(text, place);
    if (!node) throw std::runtime_error("no such file or folder: " + text);
    return node;
  }

  // Creates the folders of a path as needed; gives the last one.
  // NOLINTNEXTLINE(readability-make-member-function-const): it grows the tree it holds.
  std::shared_ptr<Node> StageFolders(const std::string& text, std::vector<std::string>* leaf) {
    Path path;
    if (Resolve(text, path) != oserr::kSuccess) throw std::runtime_error("bad staging path: " + text);
    std::uint32_t error = 0;
    auto volume = VolumeOf(path, error);
    if (!volume) throw std::runtime_error("no such drive or share: " + text);
    std::size_t count = path.parts.size();
    if (leaf) {
      if (count == 0) throw std::runtime_error("a file path needs a name: " + text);
      leaf->push_back(path.parts.back());
      --count;
    }
    std::shared_ptr<Node> folder = volume->root;
    for (std::size_t i = 0; i < count; ++i) {
      auto next = folder->Child(path.parts[i]);
      if (!next) {
        next = MakeNode(path.parts[i], true, 0);
        Adopt(*folder, next);
      } else if (!next->directory) {
        throw std::runtime_error("a file stands where a folder is wanted: " + text);
      }
      folder = next;
    }
    return folder;
  }

  std::uint64_t Open(Node& node, std::uint32_t access, std::uint32_t share) {
    const std::uint64_t id = nextOpenId++;
    node.opens[id] = {access, share};
    return id;
  }

  // A new entry may not be made in a folder that refuses new files, nor with
  // a name that only a stream could have.
  static std::uint32_t MayCreateIn(const Node& folder, const std::string& name) {
    if (name.find(':') != std::string::npos) return oserr::kInvalidName;
    if (folder.refusesNewFiles) return oserr::kAccessDenied;
    return oserr::kSuccess;
  }
};

namespace {

class MemoryFile final : public OsFile {
 public:
  MemoryFile(std::shared_ptr<MemoryOs::Machine> machine, std::shared_ptr<Volume> volume,
             std::shared_ptr<Node> node, std::uint64_t openId, bool writing)
      : machine_(std::move(machine)),
        volume_(std::move(volume)),
        node_(std::move(node)),
        openId_(openId),
        writing_(writing) {
    ++machine_->seamOpens;
  }
  ~MemoryFile() override { Release(); }

  std::uint32_t Read(char* buffer, std::size_t size, std::size_t& got) override {
    got = 0;
    if (!node_) return oserr::kInvalidHandle;
    if (writing_) return oserr::kAccessDenied;
    const std::string& contents = node_->contents;
    if (position_ < contents.size()) {
      got = std::min(size, contents.size() - position_);
      std::copy_n(contents.data() + position_, got, buffer);
      position_ += got;
    }
    return oserr::kSuccess;
  }

  std::uint32_t Write(const char* data, std::size_t size) override {
    if (!node_) return oserr::kInvalidHandle;
    if (machine_->writeFaultCountdown > 0 && --machine_->writeFaultCountdown == 0)
      return machine_->writeFaultError;
    if (!writing_) return oserr::kAccessDenied;
    // A full volume takes what still fits, as a real disk does.
    std::string& contents = node_->contents;
    const std::uint64_t room = volume_->RoomFor(contents.size());
    const std::size_t fits =
        position_ >= room ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(size, room - position_));
    if (contents.size() < position_ + fits) contents.resize(position_ + fits);
    std::copy_n(data, fits, contents.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ += fits;
    return fits == size ? oserr::kSuccess : oserr::kDiskFull;
  }

  std::uint32_t SetEnd() override {
    if (!node_) return oserr::kInvalidHandle;
    if (!writing_) return oserr::kAccessDenied;
    node_->contents.resize(position_);
    return oserr::kSuccess;
  }

  std::uint32_t Flush() override {
    if (!node_) return oserr::kInvalidHandle;
    if (!writing_) return oserr::kAccessDenied;
    node_->durable = node_->contents;
    volume_->CommitJournal();
    return oserr::kSuccess;
  }

  std::uint32_t Close() override {
    if (!node_) return oserr::kSuccess;
    Release();
    return std::exchange(machine_->closeFaultError, 0);
  }

 private:
  void Release() {
    if (!node_) return;
    node_->opens.erase(openId_);
    node_.reset();
    --machine_->seamOpens;
  }

  std::shared_ptr<MemoryOs::Machine> machine_;
  std::shared_ptr<Volume> volume_;
  std::shared_ptr<Node> node_;
  std::uint64_t openId_;
  bool writing_;
  std::size_t position_ = 0;
};

// The sort key of a text, level by level (see Collation1252.h).
std::vector<std::uint8_t> SortKey(std::string_view text, bool ignoreCase) {
  using namespace collation1252;
  std::vector<std::uint8_t> primary, accent, letterCase, positional;
  std::size_t primaries = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (const auto code = WideAt(text, at)) {
      // A character beyond the code page: after every script of the code
      // page, in the order of its code point, without accent or case.
      primary.insert(primary.end(),
                     {0xFE, static_cast<std::uint8_t>(2 + (*code >> 16)),
                      static_cast<std::uint8_t>(*code >> 8), static_cast<std::uint8_t>(*code)});
      accent.insert(accent.end(), {kNoWeight, kNoWeight});
      letterCase.insert(letterCase.end(), {kNoWeight, kNoWeight});
      primaries += 2;
      at += kWideLength - 1;
      continue;
    }
    const char c = text[at];
    const Weights& w = kWeights[static_cast<unsigned char>(c)];
    if (w.positional != 0) {
      const auto position = static_cast<std::uint16_t>(0xFFFF - primaries);
      positional.insert(positional.end(), {static_cast<std::uint8_t>(position >> 8),
                                           static_cast<std::uint8_t>(position & 0xFF), w.positional, 0x12});
    }
    for (std::uint8_t i = 0; i < w.count; ++i) {
      primary.push_back(static_cast<std::uint8_t>(w.primary[i] >> 8));
      primary.push_back(static_cast<std::uint8_t>(w.primary[i] & 0xFF));
      accent.push_back(w.accent[i]);
      letterCase.push_back(ignoreCase ? static_cast<std::uint8_t>(w.letterCase[i] & ~kCaseBits)
                                      : w.letterCase[i]);
      ++primaries;
    }
  }
  while (!accent.empty() && accent.back() == kNoWeight)
    accent.pop_back();
  while (!letterCase.empty() && letterCase.back() == kNoWeight)
    letterCase.pop_back();
  std::vector<std::uint8_t> key = std::move(primary);
  key.push_back(1);
  key.insert(key.end(), accent.begin(), accent.end());
  key.push_back(1);
  key.insert(key.end(), letterCase.begin(), letterCase.end());
  key.push_back(1);
  key.push_back(1);
  key.insert(key.end(), positional.begin(), positional.end());
  key.push_back(0);
  return key;
}

int CompareKeys(const std::string& a, const std::string& b, bool ignoreCase) {
  const auto ka = SortKey(a, ignoreCase);
  const auto kb = SortKey(b, ignoreCase);
  if (ka < kb) return -1;
  if (kb < ka) return 1;
  return 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[(month - 1) % 12];
}

// The drive letter of a root text like "c:" or "C:\", else 0.
char RootLetter(const std::string& root) {
  if (root.size() < 2 || root.size() > 3 || !IsLetter(root[0]) || root[1] != ':') return 0;
  if (root.size() == 3 && !IsSeparator(root[2])) return 0;
  return UpperAscii(root[0]);
}

}  // namespace

MemoryOs::MemoryOs() : m_(std::make_shared<Machine>()) {}
MemoryOs::~MemoryOs() = default;

// --- The seam ---

std::string MemoryOs::ModuleFileName() {
  return m_->moduleFileName;
}

OsResult<std::unique_ptr<OsFile>> MemoryOs::OpenFile(const std::string& path, OpenMode mode) {
  Machine::Place place;
  Path resolved;
  if (const auto error = m_->Find(path, place, &resolved)) return {nullptr, error};
  const bool writing = mode != OpenMode::Read;
  const std::uint32_t access = writing ? kWrite : kRead;
  std::shared_ptr<Node> node = place.node;
  if (node) {
    if (node->directory) return {nullptr, oserr::kAccessDenied};
    if (writing && (node->attributes & attr::kReadOnly)) return {nullptr, oserr::kAccessDenied};
    if (writing && m_->standardUser && !node->usersMayWrite) return {nullptr, oserr::kAccessDenied};
    // Emptying a hidden or system file asks for those attributes, which the
    // real layer does not pass.
    if (mode == OpenMode::CreateNew) return {nullptr, oserr::kFileExists};
    if (mode == OpenMode::CreateWrite && (node->attributes & (attr::kHidden | attr::kSystem)))
      return {nullptr, oserr::kAccessDenied};
    if (!node->MayOpen(access, kRead)) return {nullptr, oserr::kSharingViolation};
    if (mode == OpenMode::CreateWrite) {
      node->contents.clear();
      place.volume->JournalAttributes(node);
      node->attributes = attr::kArchive;
    }
  } else {
    if (mode != OpenMode::CreateWrite && mode != OpenMode::CreateNew) return {nullptr, oserr::kFileNotFound};
    if (resolved.trailingSeparator) return {nullptr, oserr::kInvalidName};
    if (const auto error = Machine::MayCreateIn(*place.parent, place.leaf)) return {nullptr, error};
    node = MakeNode(place.leaf, false, attr::kArchive);
    // Its creator may write it; an administrator's new file grants Users no more than its folder does.
    node->usersMayWrite = m_->standardUser;
    Adopt(*place.parent, node);
    place.volume->JournalCreation(node);
  }
  const auto id = m_->Open(*node, access, kRead);
  return {std::make_unique<MemoryFile>(m_, place.volume, node, id, writing), oserr::kSuccess};
}

std::string MemoryOs::GetCurrentDirectory() {
  return AnsiShown(m_->current.Text());
}

std::uint32_t MemoryOs::SetCurrentDirectory(const std::string& path) {
  if (path.empty()) return oserr::kInvalidName;
  Machine::Place place;
  Path resolved;
  if (const auto error = m_->Find(path, place, &resolved)) return error;
  if (!place.node) return oserr::kFileNotFound;
  if (!place.node->directory) return oserr::kDirectory;
  resolved.trailingSeparator = false;
  m_->current = std::move(resolved);
  return oserr::kSuccess;
}

OsResult<std::vector<DirEntry>> MemoryOs::FindFiles(const std::string& pattern) {
  auto result = FindSpelled(pattern);
  for (DirEntry& entry : result.value)
    entry.name = AnsiShown(entry.name);
  return result;
}

std::uint32_t MemoryOs::VisitFilesWide(const std::wstring& pattern, const EntryVisitor& visit) {
  const auto spelled = FindSpelled(Spelled(pattern));
  for (const DirEntry& entry : spelled.value) {
    // The machine keeps no short names.
    const std::wstring name = Widened(entry.name);
    visit({name, {}, entry.attributes});
  }
  return spelled.error;
}

OsResult<std::vector<DirEntry>> MemoryOs::FindSpelled(const std::string& pattern) {
  ++enumerations_;
  OsResult<std::vector<DirEntry>> result;
  if (pattern.empty()) {
    result.error = oserr::kPathNotFound;
    return result;
  }
  const std::size_t cut = pattern.find_last_of("\\/");
  std::string folder, name;
  if (cut != std::string::npos) {
    folder = pattern.substr(0, cut + 1);
    name = pattern.substr(cut + 1);
  } else if (pattern.size() >= 2 && pattern[1] == ':') {
    folder = pattern.substr(0, 2);
    name = pattern.substr(2);
  } else {
    name = pattern;
  }
  if (!HasWildcard(name)) {
    // A plain path names one entry, found under its own name.
    Machine::Place place;
    if (const auto error = m_->Find(pattern, place)) {
      result.error = error;
      return result;
    }
    if (!place.node || !place.parent || name.empty()) {
      result.error = oserr::kFileNotFound;
      return result;
    }
    result.value.push_back({place.node->name, place.node->Reported()});
    return result;
  }
  if (HasInvalidCharacter(name, /*wildcardsAllowed=*/true)) {
    result.error = oserr::kInvalidName;
    return result;
  }
  Machine::Place place;
  if (const auto error = m_->Find(folder.empty() ? "." : folder, place)) {
    result.error = error;
    return result;
  }
  if (!place.node) {
    result.error = oserr::kPathNotFound;
    return result;
  }
  if (!place.node->directory) {
    result.error = oserr::kDirectory;
    return result;
  }
  const Node& dir = *place.node;
  if (dir.parent != nullptr) {
    if (MatchesWildcard(name, ".")) result.value.push_back({".", dir.Reported()});
    if (MatchesWildcard(name, "..")) result.value.push_back({"..", dir.parent->Reported()});
  }
  for (const auto& child : dir.children)
    if (MatchesWildcard(name, child->name)) result.value.push_back({child->name, child->Reported()});
  if (result.value.empty()) result.error = oserr::kFileNotFound;
  return result;
}

OsResult<std::uint32_t> MemoryOs::GetFileAttributesWide(const std::wstring& path) {
  return GetFileAttributes(Spelled(path));
}

OsResult<std::uint32_t> MemoryOs::GetFileAttributes(const std::string& path) {
  Machine::Place place;
  if (const auto error = m_->Find(path, place)) return {0, error};
  if (!place.node) return {0, oserr::kFileNotFound};
  return {place.node->Reported(), oserr::kSuccess};
}

std::uint32_t MemoryOs::GetLogicalDrives() {
  std::uint32_t bits = 0;
  for (const auto& [letter, drive] : m_->drives)
    bits |= 1u << (letter - 'A');
  return bits;
}

DriveType MemoryOs::GetDriveType(const std::string& root) {
  if (root.size() > 2 && IsSeparator(root[0]) && IsSeparator(root[1])) {
    // Only the share's own root counts, not a folder in it.
    const bool known = m_->shares.find(FoldedShareKey(root)) != m_->shares.end();
    return known ? DriveType::Remote : DriveType::NoRootDir;
  }
  const char letter = RootLetter(root);
  const auto found = m_->drives.find(letter);
  if (found == m_->drives.end()) return DriveType::NoRootDir;
  return found->second.volume->type;
}

OsResult<VolumeInfo> MemoryOs::GetVolumeInformation(const std::string& root) {
  if (root.empty() || !IsSeparator(root.back())) return {{}, oserr::kInvalidName};
  Path path;
  if (const auto error = m_->Resolve(root, path)) return {{}, error};
  if (!path.parts.empty()) {
    Machine::Place place;
    if (const auto error = m_->Locate(path, place, true)) return {{}, error};
    return {{}, place.node ? memerr::kDirNotRoot : oserr::kFileNotFound};
  }
  Machine::Place place;
  if (const auto error = m_->Locate(path, place, true)) return {{}, error};
  return {{place.volume->label, place.volume->flags}, oserr::kSuccess};
}

OsResult<std::string> MemoryOs::GetNetworkConnection(const std::string& localName) {
  const char letter = localName.size() == 2 ? RootLetter(localName) : '\0';
  const auto found = m_->drives.find(letter);
  if (letter == 0 || found == m_->drives.end()) return {{}, memerr::kBadDevice};
  const Drive& drive = found->second;
  if (drive.volume->type != DriveType::Remote) return {{}, oserr::kNotConnected};
  if (drive.connectionError != 0) return {{}, drive.connectionError};
  return {drive.volume->remoteName, oserr::kSuccess};
}

std::uint32_t MemoryOs::SetErrorMode(std::uint32_t mode) {
  m_->errorModeLog.push_back(mode);
  return std::exchange(m_->errorMode, mode);
}

int MemoryOs::CompareTextIgnoreCase(const std::string& a, const std::string& b) {
  return CompareKeys(a, b, true);
}

int MemoryOs::CompareTextCaseSensitive(const std::string& a, const std::string& b) {
  return CompareKeys(a, b, false);
}

std::string MemoryOs::SortKeyIgnoreCase(const std::string& text) {
  if (text.empty()) return {};  // the platform's call refuses an empty text
  const auto key = SortKey(text, true);
  return std::string(key.begin(), key.end());
}

void MemoryOs::AppendSortKeyIgnoreCaseWide(std::wstring_view text, std::string& keys) {
  keys += SortKeyIgnoreCase(Spelled(text));
}

std::wstring MemoryOs::AnsiToWide(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (char c : text)
    wide += static_cast<wchar_t>(CodePointOf(c));
  return wide;
}

std::optional<std::string> MemoryOs::WideToAnsi(const std::wstring& text) {
  std::string ansi;
  ansi.reserve(text.size());
  for (wchar_t c : text) {
    const auto byte = ByteOf(static_cast<char32_t>(c));
    if (!byte) return std::nullopt;
    ansi += *byte;
  }
  return ansi;
}

std::string MemoryOs::SpelledName(const std::wstring& path) {
  return Spelled(path);
}

std::string MemoryOs::LowerCase(const std::string& text) {
  std::string result = text;
  for (char& c : result)
    c = ToLowerLatin1(c);
  return result;
}

std::string MemoryOs::UpperCase(const std::string& text) {
  std::string result = text;
  for (char& c : result)
    c = ToUpperLatin1(c);
  return result;
}

LocalTime MemoryOs::GetLocalTime() {
  return m_->localTime;
}

std::optional<std::int64_t> MemoryOs::QueryPerformanceCounter() {
  return m_->performanceCounter;
}

std::uint32_t MemoryOs::GetTickCount() {
  return m_->ticks;
}

std::string MemoryOs::GetWindowsDirectory() {
  return m_->windowsDirectory.size() >= 255 ? std::string() : m_->windowsDirectory;
}

std::uint32_t MemoryOs::DeleteFile(const std::string& path) {
  Machine::Place place;
  if (const auto error = m_->Find(path, place)) return error;
  if (!place.node) return oserr::kFileNotFound;
  if (place.node->directory) return oserr::kAccessDenied;
  if (!place.node->MayOpen(kDelete, kShareAll)) return oserr::kSharingViolation;
  if (place.node->attributes & attr::kReadOnly) return oserr::kAccessDenied;
  place.node->Detach();
  place.volume->Journal([node = place.node, parent = place.parent] { Adopt(*parent, node); });
  return oserr::kSuccess;
}

OsResult<std::uint64_t> MemoryOs::GetFileSizeWide(const std::wstring& path) {
  Machine::Place place;
  if (const auto error = m_->Find(Spelled(path), place)) return {0, error};
  if (!place.node) return {0, oserr::kFileNotFound};
  return {place.node->directory ? 0 : place.node->contents.size(), oserr::kSuccess};
}

OsResult<DiskSpace> MemoryOs::GetDiskFreeSpace(const std::string& folder) {
  Machine::Place place;
  if (const auto error = m_->Find(folder.empty() ? m_->current.Text() : folder, place)) return {{}, error};
  if (!place.node || !place.node->directory) return {{}, oserr::kPathNotFound};
  return {{place.volume->FreeBytes(), static_cast<std::uint32_t>(Volume::kCluster)}, oserr::kSuccess};
}

OsResult<std::unique_ptr<OsFile>> MemoryOs::OpenFileForReadingWide(const std::wstring& path) {
  return OpenFile(Spelled(path), OpenMode::Read);
}

namespace {

// Puts a node under a new name in a folder, as one change the volume's
// journal can take back.
void Rename(Volume& volume, const std::shared_ptr<Node>& node, const std::shared_ptr<Node>& folder,
            const std::string& name) {
  volume.Journal([node, parent = node->parent, old = node->name] {
    node->Detach();
    node->name = old;
    if (parent != nullptr) Adopt(*parent, node);
  });
  node->Detach();
  node->name = name;
  Adopt(*folder, node);
}

}  // namespace

std::uint32_t MemoryOs::MoveToFreeName(const std::wstring& from, const std::wstring& to, bool writeThrough) {
  Machine::Place source;
  if (const auto error = m_->Find(Spelled(from), source)) return error;
  if (!source.node) return oserr::kFileNotFound;
  if (!source.parent) return oserr::kAccessDenied;  // a root
  if (!source.node->MayOpen(kDelete, kShareAll)) return oserr::kSharingViolation;
  Machine::Place target;
  Path targetPath;
  if (const auto error = m_->Find(Spelled(to), target, &targetPath)) return error;
  if (!target.parent) return oserr::kAccessDenied;  // a root
  if (target.node && target.node != source.node) return oserr::kAlreadyExists;
  if (target.volume != source.volume) return memerr::kNotSameDevice;
  if (source.node->directory && source.node->Contains(target.parent.get())) return oserr::kAccessDenied;
  if (!target.node) {
    if (targetPath.trailingSeparator && !source.node->directory) return oserr::kInvalidName;
    if (const auto error = Machine::MayCreateIn(*target.parent, target.leaf)) return error;
  }
  // The moved file keeps its own DACL and attributes, whatever stood there before.
  Rename(*source.volume, source.node, target.parent, target.leaf);
  if (writeThrough) source.volume->CommitJournal();
  return oserr::kSuccess;
}

std::uint32_t MemoryOs::ReplaceKeepingRights(const std::wstring& replaced, const std::wstring& replacement,
                                             const std::wstring& backup) {
  Machine::Place old;
  Machine::Place fresh;
  Machine::Place saved;
  if (const auto error = m_->Find(Spelled(replaced), old)) return error;
  if (const auto error = m_->Find(Spelled(replacement), fresh)) return error;
  if (const auto error = m_->Find(Spelled(backup), saved)) return error;
  if (!old.node || !fresh.node) return oserr::kFileNotFound;
  if (old.node->directory || fresh.node->directory || old.node == fresh.node) return oserr::kAccessDenied;
  if (old.volume != fresh.volume || saved.volume != old.volume) return memerr::kNotSameDevice;
  if (!fresh.node->MayOpen(kDelete, kShareAll)) return oserr::kSharingViolation;
  if ((old.node->attributes & attr::kReadOnly) || !old.node->MayOpen(kDelete, kShareAll))
    return oserr::kUnableToRemoveReplaced;
  if (m_->standardUser && !old.node->usersMayWrite) return oserr::kAccessDenied;
  if (saved.node) {
    if (saved.node->directory || !saved.node->MayOpen(kDelete, kShareAll))
      return oserr::kUnableToRemoveReplaced;
    saved.node->Detach();
    old.volume->Journal([node = saved.node, parent = saved.parent] { Adopt(*parent, node); });
  } else if (Machine::MayCreateIn(*saved.parent, saved.leaf)) {
    return oserr::kUnableToRemoveReplaced;
  }
  // The replacement takes on what the replaced file carried, then its name.
  old.volume->JournalAttributes(fresh.node);
  fresh.node->attributes = old.node->attributes;
  fresh.node->usersMayWrite = old.node->usersMayWrite;
  const std::string name = old.node->name;
  Rename(*old.volume, old.node, saved.parent, saved.leaf);
  Rename(*old.volume, fresh.node, old.parent, name);
  return oserr::kSuccess;
}

std::string MemoryOs::GetDesktopWallpaper() {
  return m_->wallpaper;
}

std::uint32_t MemoryOs::SetDesktopWallpaper(const std::string& path) {
  m_->wallpaper = path;
  m_->wallpaperReloads.push_back(path);
  return oserr::kSuccess;
}

void MemoryOs::SetWallpaperSetting(const std::string& path) {
  m_->wallpaper = path;
}

const std::vector<std::string>& MemoryOs::WallpaperReloads() const {
  return m_->wallpaperReloads;
}

std::uintptr_t MemoryOs::ShellExecute(std::uintptr_t owner, const std::string& file,
                                      const std::string& directory, int showCommand) {
  m_->shellCalls.push_back({owner, file, directory, showCommand});
  Machine::Place place;
  const auto error = m_->Find(file, place);
  if (error == oserr::kPathNotFound) return 3;            // SE_ERR_PNF
  if (error != oserr::kSuccess || !place.node) return 2;  // SE_ERR_FNF
  return 42;
}

// --- Staging: drives and volumes ---

void MemoryOs::AddDrive(char letter, DriveType type, const std::string& label, std::uint32_t volumeFlags) {
  if (!IsLetter(letter)) throw std::runtime_error("not a drive letter");
  if (type == DriveType::Remote) throw std::runtime_error("AddDrive makes local drives; use AddNetworkDrive");
  auto volume = std::make_shared<Volume>();
  volume->type = type;
  volume->label = label;
  volume->flags = volumeFlags;
  m_->drives[UpperAscii(letter)] = Drive{volume, 0};
}

void MemoryOs::AddShare(const std::string& remoteName, const std::string& label, std::uint32_t volumeFlags) {
  const std::string key = FoldedShareKey(remoteName);
  if (key.size() < 5 || key.rfind("\\\\", 0) != 0 || std::count(key.begin(), key.end(), '\\') != 3)
    throw std::runtime_error("not a share name: " + remoteName);
  auto& volume = m_->shares[key];
  if (!volume) {
    volume = std::make_shared<Volume>();
    volume->type = DriveType::Remote;
    volume->remoteName = remoteName;
  }
  volume->label = label;
  volume->flags = volumeFlags;
}

void MemoryOs::AddNetworkDrive(char letter, const std::string& remoteName) {
  if (!IsLetter(letter)) throw std::runtime_error("not a drive letter");
  const std::string key = FoldedShareKey(remoteName);
  if (m_->shares.find(key) == m_->shares.end()) AddShare(remoteName);
  m_->drives[UpperAscii(letter)] = Drive{m_->shares[key], 0};
}

namespace {
Drive& StagedDrive(std::map<char, Drive>& drives, char letter) {
  const auto found = drives.find(UpperAscii(letter));
  if (found == drives.end()) throw std::runtime_error(std::string("no drive ") + letter);
  return found->second;
}
}  // namespace

void MemoryOs::SetDriveReady(char letter, bool ready) {
  StagedDrive(m_->drives, letter).volume->ready = ready;
}

void MemoryOs::SetShareReady(const std::string& remoteName, bool ready) {
  const auto found = m_->shares.find(FoldedShareKey(remoteName));
  if (found == m_->shares.end()) throw std::runtime_error("no share " + remoteName);
  found->second->ready = ready;
}

void MemoryOs::SetVolumeLabel(char letter, const std::string& label) {
  StagedDrive(m_->drives, letter).volume->label = label;
}

void MemoryOs::LeaveFreeSpace(char letter, std::optional<std::uint64_t> bytes) {
  Volume& volume = *StagedDrive(m_->drives, letter).volume;
  volume.capacity.reset();
  if (bytes) volume.capacity = volume.UsedBytes() + *bytes;
}

void MemoryOs::SetVolumeFlags(char letter, std::uint32_t volumeFlags) {
  StagedDrive(m_->drives, letter).volume->flags = volumeFlags;
}

void MemoryOs::SetConnectionError(char letter, std::uint32_t error) {
  StagedDrive(m_->drives, letter).connectionError = error;
}

void MemoryOs::SetRememberedDirectory(char letter, const std::string& path) {
  Path resolved;
  if (m_->Resolve(path, resolved) != oserr::kSuccess || resolved.IsUnc() ||
      UpperAscii(resolved.root[0]) != UpperAscii(letter))
    throw std::runtime_error("a remembered folder must be an absolute path on its drive: " + path);
  resolved.trailingSeparator = false;
  m_->remembered[UpperAscii(letter)] = std::move(resolved);
}

// --- Staging: the file tree ---

void MemoryOs::MakeDirectory(const std::string& path, std::uint32_t attributes) {
  auto folder = m_->StageFolders(path, nullptr);
  if (folder->parent != nullptr) folder->attributes = attributes & kExtraBits;
}

void MemoryOs::WriteFileContents(const std::string& path, const std::string& contents,
                                 std::uint32_t attributes) {
  std::vector<std::string> leaf;
  auto folder = m_->StageFolders(path, &leaf);
  auto node = folder->Child(leaf.front());
  if (node && node->directory) throw std::runtime_error("a folder stands there: " + path);
  if (!node) {
    node = MakeNode(leaf.front(), false, 0);
    Adopt(*folder, node);
  }
  node->contents = node->durable = contents;
  node->attributes = attributes == 0 ? attr::kArchive : (attributes & kExtraBits);
}

std::string MemoryOs::ReadFileContents(const std::string& path) const {
  auto node = m_->StageNode(path);
  if (node->directory) throw std::runtime_error("a folder, not a file: " + path);
  return node->contents;
}

void MemoryOs::SetAttributes(const std::string& path, std::uint32_t attributes) {
  m_->StageNode(path)->attributes = attributes & kExtraBits;
}

bool MemoryOs::Exists(const std::string& path) const {
  Path resolved;
  Machine::Place place;
  if (m_->Resolve(path, resolved) != oserr::kSuccess) return false;
  return m_->Locate(resolved, place, false) == oserr::kSuccess && place.node != nullptr;
}

void MemoryOs::Remove(const std::string& path) {
  auto node = m_->StageNode(path);
  if (node->parent == nullptr) throw std::runtime_error("a root cannot be removed: " + path);
  node->Detach();
}

std::shared_ptr<void> MemoryOs::HoldOpen(const std::string& path) {
  auto node = m_->StageNode(path);
  const auto id = m_->Open(*node, kRead, 0);
  return std::shared_ptr<void>(node.get(), [node, id](void*) { node->opens.erase(id); });
}

std::size_t MemoryOs::OpenFileCount() const {
  return m_->seamOpens;
}

// --- Clocks ---

void MemoryOs::SetLocalTime(const LocalTime& time) {
  m_->localTime = time;
}

void MemoryOs::SetProcessId(std::uint32_t id) {
  m_->processId = id;
}

std::uint32_t MemoryOs::CurrentProcessId() {
  return m_->processId;
}

std::uint32_t MemoryOs::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  Machine::Place place;
  if (const auto error = m_->Find(path, place, nullptr)) return error;
  if (!place.node) return oserr::kFileNotFound;
  const std::uint32_t kept = place.node->directory ? attr::kDirectory : 0;
  place.volume->JournalAttributes(place.node);
  place.node->attributes = (attributes == attr::kNormal ? 0 : attributes & kExtraBits) | kept;
  return oserr::kSuccess;
}

void MemoryOs::Sleep(std::uint32_t milliseconds) {
  Advance(milliseconds);
}

void MemoryOs::SetTickCount(std::uint32_t ticks) {
  m_->ticks = ticks;
}

void MemoryOs::SetPerformanceCounter(std::optional<std::int64_t> count) {
  m_->performanceCounter = count;
}

void MemoryOs::Advance(std::uint32_t milliseconds) {
  m_->ticks += milliseconds;
  if (m_->performanceCounter) *m_->performanceCounter += static_cast<std::int64_t>(milliseconds) * 10'000;
  LocalTime& t = m_->localTime;
  std::uint64_t ms = t.millisecond + static_cast<std::uint64_t>(milliseconds);
  t.millisecond = static_cast<std::uint16_t>(ms % 1000);
  std::uint64_t carry = ms / 1000 + t.second;
  t.second = static_cast<std::uint16_t>(carry % 60);
  carry = carry / 60 + t.minute;
  t.minute = static_cast<std::uint16_t>(carry % 60);
  carry = carry / 60 + t.hour;
  t.hour = static_cast<std::uint16_t>(carry % 24);
  for (carry /= 24; carry > 0; --carry) {
    if (++t.day > DaysInMonth(t.year, t.month)) {
      t.day = 1;
      if (++t.month > 12) {
        t.month = 1;
        ++t.year;
      }
    }
  }
}

// --- The process ---

void MemoryOs::SetModuleFileName(const std::string& path) {
  m_->moduleFileName = path;
}

void MemoryOs::SetWindowsDirectory(const std::string& path) {
  m_->windowsDirectory = path;
}

// --- Observation ---

std::uint32_t MemoryOs::ErrorMode() const {
  return m_->errorMode;
}

const std::vector<std::uint32_t>& MemoryOs::ErrorModeLog() const {
  return m_->errorModeLog;
}

std::size_t MemoryOs::CriticalErrorPrompts() const {
  return m_->criticalErrorPrompts;
}

const std::vector<MemoryOs::ShellCall>& MemoryOs::ShellCalls() const {
  return m_->shellCalls;
}

// --- Faults ---

void MemoryOs::FailWrite(std::size_t nth, std::uint32_t error) {
  m_->writeFaultCountdown = nth;
  m_->writeFaultError = error;
}

void MemoryOs::FailNextClose(std::uint32_t error) {
  m_->closeFaultError = error;
}

void MemoryOs::RefuseNewFiles(const std::string& folder, bool refuse) {
  auto node = m_->StageNode(folder);
  if (!node->directory) throw std::runtime_error("not a folder: " + folder);
  node->refusesNewFiles = refuse;
}

void MemoryOs::SetUsersMayWrite(const std::string& path, bool mayWrite) {
  m_->StageNode(path)->usersMayWrite = mayWrite;
}

bool MemoryOs::UsersMayWrite(const std::string& path) const {
  return m_->StageNode(path)->usersMayWrite;
}

void MemoryOs::SetStandardUser(bool standardUser) {
  m_->standardUser = standardUser;
}

namespace {

// What the disk holds of a file whose last writes were not flushed.
std::string AfterPowerCut(const std::string& cached, const std::string& durable, UnflushedData fate) {
  switch (fate) {
    case UnflushedData::Lost:
      return durable;
    case UnflushedData::Zeroed: {
      // The new length reached the disk, the data did not.
      std::string left(cached.size(), '\0');
      std::copy_n(durable.begin(), std::min(durable.size(), left.size()), left.begin());
      return left;
    }
    case UnflushedData::Torn: {
      // The first half of what was written reached the disk.
      const std::size_t half = cached.size() / 2;
      std::string left = cached.substr(0, half);
      if (durable.size() > half) left += durable.substr(half);
      return left;
    }
  }
  return durable;
}

void CutPower(Node& node, UnflushedData fate) {
  node.opens.clear();  // the process that held them is gone
  if (!node.directory && node.contents != node.durable)
    node.contents = node.durable = AfterPowerCut(node.contents, node.durable, fate);
  for (const auto& child : node.children)
    CutPower(*child, fate);
}

std::set<Volume*> Volumes(const MemoryOs::Machine& machine) {
  std::set<Volume*> volumes;
  for (const auto& [letter, drive] : machine.drives)
    volumes.insert(drive.volume.get());
  for (const auto& [name, share] : machine.shares)
    volumes.insert(share.get());
  return volumes;
}

}  // namespace

void MemoryOs::PowerCut(UnflushedData fate) {
  for (Volume* volume : Volumes(*m_)) {
    // Latest first.
    while (!volume->journal.empty()) {
      const auto undo = std::move(volume->journal.back());
      volume->journal.pop_back();
      undo();
    }
    CutPower(*volume->root, fate);
  }
}

bool MemoryOs::AllOnDisk() const {
  const auto volumes = Volumes(*m_);
  return std::all_of(volumes.begin(), volumes.end(), [](const Volume* v) { return v->journal.empty(); });
}

void MemoryOs::ClearFaults() {
  m_->writeFaultCountdown = 0;
  m_->writeFaultError = 0;
  m_->closeFaultError = 0;
}

}  // namespace pix
