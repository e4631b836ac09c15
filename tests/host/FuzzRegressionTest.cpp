// Replays the inputs kept in fuzz/corpus (the seeds, and every input a fuzz
// run has found a fault with) through the checks of their fuzz targets, so
// that a fault once found stays fixed without a fuzz run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/checks/FuzzChecks.h"

namespace pix::fuzz {
namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;
  Finding (*check)(std::string_view);
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzRegressionTest, KeptInputsPassTheirTargetsChecks) {
  const std::vector<Target> targets = {
      {"lenient_int", CheckLenientInt},
      {"settings_lines", CheckSettingsLines},
      {"resolve_path", CheckResolvePath},
      {"wildcard", CheckWildcard},
      {"unpack", CheckUnpack},
  };
  for (const Target& target : targets) {
    SCOPED_TRACE(target.name);
    const fs::path folder = fs::path(PIX_FUZZ_CORPUS_DIR) / target.name;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    std::vector<fs::path> inputs;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    EXPECT_FALSE(inputs.empty()) << "no inputs kept in " << folder;
    for (const fs::path& input : inputs) {
      const Finding finding = target.check(ReadBytes(input));
      EXPECT_FALSE(finding.has_value()) << input.filename() << ": " << finding.value_or("");
    }
  }
}

}  // namespace
}  // namespace pix::fuzz
