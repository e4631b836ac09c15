// The in-memory machine: the folders are made here, 1,000, 10,000 and
// 100,000 pictures with 1,000 files of other kinds beside each, to show how
// the listing's cost grows with the folder.
#include <sys/resource.h>

#include <cstdio>

#include "bench/BenchMachine.h"
#include "support/memory/MemoryOs.h"

namespace pix::bench {

struct BenchMachine::Impl {
  MemoryOs os;
};

BenchMachine::BenchMachine(int, char**) : impl_(std::make_unique<Impl>()) {
  MemoryOs& os = impl_->os;
  os.AddDrive('c', DriveType::Fixed, "SYSTEM");
  for (const std::size_t pictures : {1000u, 10000u, 100000u}) {
    const std::string folder = "C:\\bench\\listing" + std::to_string(pictures);
    os.MakeDirectory(folder);
    // Every name fits, so the lengths snprintf gives are of no use.
    char name[32];
    for (std::size_t i = 1; i <= pictures; ++i) {
      (void)std::snprintf(name, sizeof name, "\\picture%06zu.jpg", i);
      os.WriteFileContents(folder + name, "");
    }
    for (std::size_t i = 1; i <= 500; ++i) {
      (void)std::snprintf(name, sizeof name, "\\other%04zu.png", i);
      os.WriteFileContents(folder + name, "");
      (void)std::snprintf(name, sizeof name, "\\notes%04zu.txt", i);
      os.WriteFileContents(folder + name, "");
    }
    folders_.push_back({folder, pictures, pictures >= 100000 ? 3 : 9});
  }
}

BenchMachine::~BenchMachine() = default;

Os& BenchMachine::os() {
  return impl_->os;
}

double BenchMachine::PeakWorkingSetMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

}  // namespace pix::bench
