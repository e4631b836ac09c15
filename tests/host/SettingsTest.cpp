#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/Errors.h"
#include "settings/SettingsFile.h"
#include "support/Checks.h"
#include "support/memory/MemoryOs.h"

namespace pix::test {
namespace {

// An open file that serves fixed bytes and can fail a read or the close.
class BytesFile final : public OsFile {
 public:
  struct Log {
    int reads = 0;
    int closes = 0;
  };

  BytesFile(std::string bytes, std::shared_ptr<Log> log) : bytes_(std::move(bytes)), log_(std::move(log)) {}

  void FailRead(int n, std::uint32_t code) {
    failRead_ = n;
    readCode_ = code;
  }
  void FailClose(std::uint32_t code) { closeCode_ = code; }

  std::uint32_t Read(char* buffer, std::size_t size, std::size_t& got) override {
    got = 0;
    if (++log_->reads == failRead_) return readCode_;
    got = std::min(size, bytes_.size() - offset_);
    bytes_.copy(buffer, got, offset_);
    offset_ += got;
    return 0;
  }
  std::uint32_t Write(const char*, std::size_t) override { return oserr::kAccessDenied; }
  std::uint32_t SetEnd() override { return oserr::kAccessDenied; }
  std::uint32_t Flush() override { return oserr::kAccessDenied; }
  std::uint32_t Close() override {
    ++log_->closes;
    return closeCode_;
  }

 private:
  std::string bytes_;
  std::size_t offset_ = 0;
  std::shared_ptr<Log> log_;
  int failRead_ = 0;
  std::uint32_t readCode_ = 0;
  std::uint32_t closeCode_ = 0;
};

std::vector<std::string> ReadLines(const std::string& bytes, std::size_t count, std::size_t chunkSize) {
  TextFileReader reader(std::make_unique<BytesFile>(bytes, std::make_shared<BytesFile::Log>()), chunkSize);
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < count; ++i)
    lines.push_back(reader.ReadLine());
  return lines;
}

struct LineCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;  // then one more read, which must give ""
};

const std::vector<LineCase>& LineCases() {
  static const std::vector<LineCase> cases = {
      {"CR LF", "C:\\Pictures\\\r\n120\r\n1\r\n-1\r\n", {"C:\\Pictures\\", "120", "1", "-1"}},
      {"LF only", "C:\\Pictures\\\n120\n1\n-1\n", {"C:\\Pictures\\", "120", "1", "-1"}},
      {"mixed ends, last unterminated", "a\r\nb\nc", {"a", "b", "c"}},
      {"lone CR joins its neighbours", "ab\rcd\r\nef", {"abcd", "ef"}},
      {"CR before CR LF", "a\r\r\nb", {"a", "b"}},
      {"CR at the end of the file", "a\r", {"a"}},
      {"two CRs at the end", "a\r\r", {"a"}},
      {"LF CR", "a\n\rb\n", {"a", "b"}},
      {"Ctrl-Z skips the rest of its line",
       "ab\x1a"
       "cd\r\nef\r\n",
       {"ab", "ef"}},
      {"Ctrl-Z first on a line",
       "\x1a"
       "zz\nnext",
       {"", "next"}},
      {"lone CR after Ctrl-Z",
       "a\x1a"
       "b\rc\nd",
       {"a", "d"}},
      {"CR LF after Ctrl-Z", "a\x1a\r\nd", {"a", "d"}},
      {"two Ctrl-Zs on a line",
       "a\x1a"
       "b\x1a"
       "c\nd",
       {"a", "d"}},
      {"Ctrl-Z at the end of the file", "a\x1a", {"a"}},
      {"empty file", "", {"", ""}},
      {"empty lines", "\n\r\n\n", {"", "", ""}},
      {"short file", "C:\\x\\\r\n", {"C:\\x\\", "", "", ""}},
      {"three lines", "C:\\x\\\r\n120\r\n1\r\n", {"C:\\x\\", "120", "1", ""}},
      {"blanks kept", " 60 \r\n", {" 60 "}},
      {"NUL and other bytes kept", std::string("a\0b\tc\x7f\xe9\n", 8), {std::string("a\0b\tc\x7f\xe9", 7)}},
  };
  return cases;
}

// Every case at chunk sizes that put a chunk boundary at every place of the
// short texts (a CR ending one chunk and its LF starting the next among
// them), and at the normal size.
TEST(TextFileReader, LineRulesAtEveryChunkBoundary) {
  std::vector<std::size_t> chunkSizes = {TextFileReader::kDefaultChunkSize};
  for (std::size_t size = 1; size <= 9; ++size)
    chunkSizes.push_back(size);
  for (const LineCase& c : LineCases()) {
    for (const std::size_t chunkSize : chunkSizes) {
      SCOPED_TRACE(std::string(c.name) + ", chunk size " + std::to_string(chunkSize));
      std::vector<std::string> expected = c.lines;
      expected.emplace_back();
      EXPECT_EQ(ReadLines(c.bytes, expected.size(), chunkSize), expected);
    }
  }
}

TEST(TextFileReader, LinesUpToTheBoundReadWholeAndLongerOnesEndTheReading) {
  constexpr std::size_t kBound = TextFileReader::kLongestLine;
  const std::string path300 = "C:\\" + std::string(296, 'p') + "\\";
  struct Case {
    const char* name;
    std::string line;
    std::size_t chunkSize;
    bool whole;
  };
  const std::vector<Case> cases = {
      {"300 characters", path300, TextFileReader::kDefaultChunkSize, true},
      {"300 characters, small chunks", path300, 7, true},
      {"the bound", std::string(kBound, 'm'), TextFileReader::kDefaultChunkSize, true},
      {"the bound, odd chunks", std::string(kBound, 'm'), 4093, true},
      {"one past the bound", std::string(kBound + 1, 'm'), TextFileReader::kDefaultChunkSize, false},
      {"50 MB", std::string(50u << 20, 'm'), TextFileReader::kDefaultChunkSize, false},
      {"60 and 50 MB of blanks", "60" + std::string(50u << 20, ' '), 4093, false},
      {"skipped after a Ctrl-Z", "60\x1a" + std::string(50u << 20, ' '), TextFileReader::kDefaultChunkSize,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto log = std::make_shared<BytesFile::Log>();
    TextFileReader reader(std::make_unique<BytesFile>(c.line + "\r\n120\r\n", log), c.chunkSize);
    if (c.whole) {
      EXPECT_EQ(reader.ReadLine(), c.line);
      EXPECT_EQ(reader.ReadLine(), "120");
      continue;
    }
    ExpectInOutError([&] { reader.ReadLine(); }, 122u);
    // The reader stopped within a chunk of the bound, whatever the line's length.
    EXPECT_LE(static_cast<std::size_t>(log->reads), kBound / c.chunkSize + 2);
  }
}

TEST(TextFileReader, AByteOrderMarkAtTheStartIsSkipped) {
  const std::string mark = "\xEF\xBB\xBF";
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"before the first line", mark + "C:\\Pics\\\r\n120\r\n", {"C:\\Pics\\", "120"}},
      {"alone", mark, {"", ""}},
      {"before an empty line", mark + "\r\n5\r\n", {"", "5"}},
      {"only at the start", "a\r\n" + mark + "b\r\n", {"a", mark + "b"}},
      {"a part of one is text", "\xEF\xBBx\r\n", {"\xEF\xBBx", ""}},
  };
  for (const Case& c : cases) {
    for (const std::size_t chunkSize : {std::size_t{1}, std::size_t{2}, std::size_t{4096}}) {
      SCOPED_TRACE(std::string(c.name) + " at chunk size " + std::to_string(chunkSize));
      EXPECT_EQ(ReadLines(c.bytes, c.lines.size(), chunkSize), c.lines);
    }
  }
}

TEST(TextFileReader, ReadFailureRaisesItsCode) {
  struct Case {
    const char* name;
    int failingRead;
    std::size_t goodLines;  // lines read before the failure shows
  };
  // Chunks of 4 bytes over "abc\r\ndef\r\n": the second read holds "\ndef".
  const std::vector<Case> cases = {{"first read", 1, 0}, {"second read", 2, 0}, {"third read", 3, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto log = std::make_shared<BytesFile::Log>();
    auto file = std::make_unique<BytesFile>("abc\r\ndef\r\n", log);
    file->FailRead(c.failingRead, oserr::kNotReady);
    TextFileReader reader(std::move(file), 4);
    for (std::size_t i = 0; i < c.goodLines; ++i)
      EXPECT_EQ(reader.ReadLine(), "abc");
    ExpectInOutError([&] { reader.ReadLine(); }, oserr::kNotReady, "I/O error 21");
  }
}

TEST(TextFileReader, ClosesOnceAndReportsCloseFailure) {
  {
    auto log = std::make_shared<BytesFile::Log>();
    { TextFileReader reader(std::make_unique<BytesFile>("x\n", log)); }
    EXPECT_EQ(log->closes, 1) << "the destructor closes the file";
  }
  {
    auto log = std::make_shared<BytesFile::Log>();
    TextFileReader reader(std::make_unique<BytesFile>("x\n", log));
    reader.Close();
    reader.Close();
    EXPECT_EQ(log->closes, 1);
    EXPECT_EQ(reader.ReadLine(), "") << "a closed reader is at its end";
  }
  {
    auto log = std::make_shared<BytesFile::Log>();
    auto file = std::make_unique<BytesFile>("x\n", log);
    file->FailClose(oserr::kWriteFault);
    TextFileReader reader(std::move(file));
    ExpectInOutError([&] { reader.Close(); }, oserr::kWriteFault);
    EXPECT_EQ(log->closes, 1);
  }
}

// A machine with drive C: and an empty folder C:\cfg for the settings file.
class SettingsOnMemory : public ::testing::Test {
 protected:
  SettingsOnMemory() {
    os_.AddDrive('C', DriveType::Fixed);
    os_.MakeDirectory("C:\\cfg");
  }

  std::vector<std::string> FolderEntries() {
    std::vector<std::string> names;
    for (const DirEntry& entry : os_.FindFiles("C:\\cfg\\*").value)
      if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
    return names;
  }

  MemoryOs os_;
  const std::string path_ = "C:\\cfg\\Pix_rn.dat";
};

TEST_F(SettingsOnMemory, SettingsFileLiesBesideTheExecutable) {
  struct Case {
    std::string module;
    std::string folder;
  };
  const std::vector<Case> cases = {
      {"C:\\Tools\\app.exe", "C:\\Tools\\"},
      {"D:\\app.exe", "D:\\"},
      {"D:app.exe", "D:"},
      {"C:\\My.Programs\\Pix\\Pix_Rn.exe", "C:\\My.Programs\\Pix\\"},
      {"\\\\server\\share\\bin\\app.exe", "\\\\server\\share\\bin\\"},
      {"app.exe", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    os_.SetModuleFileName(c.module);
    EXPECT_EQ(ExecutableFolder(os_), c.folder);
    EXPECT_EQ(SettingsFilePath(os_), c.folder + "Pix_rn.dat");
  }
}

// The same rules through the machine's own files, which are read in chunks
// of their own.
TEST_F(SettingsOnMemory, LineRulesOnTheMachine) {
  for (const LineCase& c : LineCases()) {
    for (const std::size_t chunkSize : {std::size_t{1}, std::size_t{3}, TextFileReader::kDefaultChunkSize}) {
      SCOPED_TRACE(std::string(c.name) + ", chunk size " + std::to_string(chunkSize));
      os_.WriteFileContents(path_, c.bytes);
      std::vector<std::string> lines;
      {
        TextFileReader reader(os_, path_, chunkSize);
        for (std::size_t i = 0; i <= c.lines.size(); ++i)
          lines.push_back(reader.ReadLine());
        reader.Close();
      }
      std::vector<std::string> expected = c.lines;
      expected.emplace_back();
      EXPECT_EQ(lines, expected);
      EXPECT_EQ(os_.OpenFileCount(), 0u);
    }
  }
}

TEST_F(SettingsOnMemory, ReadsTheFirstLinesOnly) {
  os_.WriteFileContents(path_, "C:\\Pictures\\\r\n120\r\n1\r\n2\r\nextra\r\n");
  EXPECT_EQ(ReadSettingsLines(os_, path_, 4), (std::vector<std::string>{"C:\\Pictures\\", "120", "1", "2"}));
  EXPECT_EQ(ReadSettingsLines(os_, path_, 0), std::vector<std::string>{});
  EXPECT_EQ(os_.OpenFileCount(), 0u);
}

// Whatever fails, no file of the save stays open and no temporary file
// stays in the folder.
TEST_F(SettingsOnMemory, FailuresLeaveNoFileOpen) {
  struct Case {
    const char* name;
    std::function<void(MemoryOs&)> arm;
    std::uint32_t code;
  };
  const std::vector<Case> cases = {
      {"first write", [](MemoryOs& os) { os.FailWrite(1, oserr::kDiskFull); }, oserr::kDiskFull},
      {"write in place",
       [](MemoryOs& os) {
         os.FailWrite(1, oserr::kWriteFault);
         os.RefuseNewFiles("C:\\cfg");
       },
       oserr::kWriteFault},
      {"close", [](MemoryOs& os) { os.FailNextClose(oserr::kDiskFull); }, oserr::kDiskFull},
      {"read-only", [](MemoryOs& os) { os.SetAttributes("C:\\cfg\\Pix_rn.dat", attr::kReadOnly); },
       oserr::kAccessDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    os_.WriteFileContents(path_, "old\r\n");
    c.arm(os_);
    ExpectInOutError([&] { WriteSettingsLines(os_, path_, {"a", "b", "c", "d"}); }, c.code);
    os_.ClearFaults();
    EXPECT_EQ(os_.OpenFileCount(), 0u);
    EXPECT_EQ(os_.ReadFileContents(path_), "old\r\n");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Pix_rn.dat"});
    os_.SetAttributes(path_, 0);
    os_.RefuseNewFiles("C:\\cfg", false);
  }
}

// A folder where users may not create files but the settings file was made
// writable for them: the save rewrites the file in place. Without the file
// the folder's refusal is what the user sees.
TEST_F(SettingsOnMemory, FolderRefusingNewFiles) {
  os_.RefuseNewFiles("C:\\cfg");
  os_.WriteFileContents(path_, "old and longer\r\n0\r\n0\r\n0\r\n");
  WriteSettingsLines(os_, path_, {"C:\\", "50", "0", "-1"});
  EXPECT_EQ(os_.ReadFileContents(path_), "C:\\\r\n50\r\n0\r\n-1\r\n");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Pix_rn.dat"});

  os_.Remove(path_);
  ExpectInOutError(
      [&] {
        WriteSettingsLines(os_, path_, {"C:\\", "50", "0", "-1"});
      },
      oserr::kAccessDenied, "File access denied");
  EXPECT_TRUE(FolderEntries().empty());
  EXPECT_EQ(os_.OpenFileCount(), 0u);
}

TEST(Errors, FileErrorMessages) {
  const std::vector<std::pair<std::uint32_t, std::string>> cases = {
      {2, "File not found"},
      {3, "Invalid filename"},
      {4, "Too many open files"},
      {5, "File access denied"},
      {100, "Read beyond end of file"},
      {101, "Disk full"},
      {106, "Invalid numeric input"},
      {0, "I/O error 0"},
      {1, "I/O error 1"},
      {32, "I/O error 32"},
      {102, "I/O error 102"},
      {112, "I/O error 112"},
      {4294967295u, "I/O error 4294967295"},
  };
  for (const auto& [code, message] : cases) {
    SCOPED_TRACE(code);
    EXPECT_EQ(FileErrorMessage(code), message);
    const EInOutError error(code);
    EXPECT_EQ(error.ErrorCode(), code);
    EXPECT_EQ(error.Message(), message);
    EXPECT_STREQ(error.what(), message.c_str());
  }
}

TEST(Errors, KindsAndClassNames) {
  struct Case {
    std::unique_ptr<Exception> error;
    const char* className;
    const char* message;
  };
  std::vector<Case> cases;
  cases.push_back({std::make_unique<Exception>("plain"), "Exception", "plain"});
  cases.push_back({std::make_unique<EInOutError>(5), "EInOutError", "File access denied"});
  cases.push_back({std::make_unique<EInvalidOperation>("Invalid file name - x"), "EInvalidOperation",
                   "Invalid file name - x"});
  cases.push_back({std::make_unique<EOutOfResources>("Not enough timers available"), "EOutOfResources",
                   "Not enough timers available"});
  cases.push_back({std::make_unique<EStringListError>("List index out of bounds (-1)"), "EStringListError",
                   "List index out of bounds (-1)"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.className);
    EXPECT_STREQ(c.error->ClassName(), c.className);
    EXPECT_EQ(c.error->Message(), c.message);
    const std::exception& base = *c.error;
    EXPECT_STREQ(base.what(), c.message);
  }
}

TEST(Errors, ErrorBoxText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"!", "!"},
      {"I/O error 32", "I/O error 32."},
      {"File access denied", "File access denied."},
      {"Done.", "Done."},
      {"trailing blank ", "trailing blank "},
      {"(x)", "(x)"},
      {"a,", "a,"},
      {"a-", "a-"},
      {"a/", "a/."},  // 0x2F, the first byte above "."
      {"\x01", "\x01"},
      {"caf\xE9", "caf\xE9."},
      {"\xFF", "\xFF."},
  };
  for (const auto& [message, shown] : cases) {
    SCOPED_TRACE(message);
    EXPECT_EQ(ErrorBoxText(message), shown);
  }
}

}  // namespace
}  // namespace pix::test
