// How long a picture-list reload takes beside a bare enumeration of the same
// folder, which is the least any listing must cost. Prints the times, their
// ratio and the peak working set. Not a test: it asserts nothing.
//
// On Windows it runs on the real layer over folders given as arguments; on
// the host it runs on the in-memory machine with folders it makes itself.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchMachine.h"
#include "core/PictureFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(const std::function<std::size_t()>& work, std::size_t& count) {
  const auto start = Clock::now();
  count = work();
  const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
  return elapsed.count();
}

}  // namespace

int main(int argc, char** argv) {
  pix::bench::BenchMachine machine(argc, argv);
  pix::Os& os = machine.os();
  // "--peak-memory-pictures" or "--peak-memory-bare": one listing of each
  // folder of one kind only, and the process's peak working set after it.
  // The peak never comes down, so each kind needs a process of its own.
  std::string memoryOf;
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]).starts_with("--peak-memory-")) memoryOf = argv[i] + 14;

  for (const auto& folder : machine.Folders()) {
    const auto rawListing = [&] {
      // The baseline: enumerate once and keep the names a picture list keeps.
      std::vector<std::string> names;
      for (const auto& entry : os.FindFiles(folder.path + "\\*.jpg").value) {
        if (entry.attributes & (pix::attr::kHidden | pix::attr::kSystem | pix::attr::kDirectory)) continue;
        names.push_back(entry.name);
      }
      return names.size();
    };
    const auto pictureList = [&] {
      pix::PictureFolder pictures(os);
      pictures.SetMask("*.jpg");
      pictures.SetFolderPath(folder.path);
      return static_cast<std::size_t>(pictures.Count());
    };
    if (!memoryOf.empty()) {
      const double before = pix::bench::BenchMachine::PeakWorkingSetMiB();
      const std::size_t listed = memoryOf == "pictures" ? pictureList() : rawListing();
      std::printf("%-10zu %-24s %12zu %10.1f MiB %10.1f MiB\n", folder.pictures,
                  memoryOf == "pictures" ? "picture list" : "bare enumeration", listed,
                  pix::bench::BenchMachine::PeakWorkingSetMiB(), before);
      continue;
    }
    if (&folder == &machine.Folders().front())
      std::printf("%-10s %12s %12s %12s %8s\n", "pictures", "listed", "list (ms)", "raw (ms)", "ratio");
    // Alternate the two and keep each one's best run: the one least
    // disturbed by the rest of the machine, with the same caches for both.
    double raw = 1e300, list = 1e300;
    std::size_t rawCount = 0, listCount = 0;
    for (int run = 0; run < folder.runs; ++run) {
      raw = std::min(raw, Milliseconds(rawListing, rawCount));
      list = std::min(list, Milliseconds(pictureList, listCount));
    }
    std::printf("%-10zu %12zu %12.1f %12.1f %8.2f\n", folder.pictures, listCount, list, raw, list / raw);
    if (listCount != rawCount || listCount != folder.pictures)
      std::printf("  (listed %zu, raw %zu, expected %zu)\n", listCount, rawCount, folder.pictures);
  }
  if (memoryOf.empty())
    std::printf("peak working set of the whole run: %.1f MiB\n",
                pix::bench::BenchMachine::PeakWorkingSetMiB());
  return 0;
}
