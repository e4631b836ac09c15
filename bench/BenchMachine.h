// The machine a benchmark runs on, and the folders it lists there.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/Os.h"

namespace pix::bench {

struct BenchFolder {
  std::string path;
  std::size_t pictures;
  int runs;
};

class BenchMachine {
 public:
  BenchMachine(int argc, char** argv);
  ~BenchMachine();
  Os& os();
  const std::vector<BenchFolder>& Folders() const { return folders_; }
  // The benchmark process's, whatever machine it lists.
  static double PeakWorkingSetMiB();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::vector<BenchFolder> folders_;
};

}  // namespace pix::bench
