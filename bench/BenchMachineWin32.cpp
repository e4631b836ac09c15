// The real layer: the folders come as arguments "path=pictures", made by the
// script that runs the benchmark.
#include <windows.h>
// windows.h first.
#include <psapi.h>

#include "platform/win32/NoNameMacros.h"
// Project headers only after the macros are gone.
#include <cstdlib>

#include "bench/BenchMachine.h"
#include "platform/win32/Win32Os.h"

namespace pix::bench {

struct BenchMachine::Impl {
  Win32Os os;
};

BenchMachine::BenchMachine(int argc, char** argv) : impl_(std::make_unique<Impl>()) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto equals = argument.rfind('=');
    if (equals == std::string::npos) continue;
    const std::size_t pictures = std::strtoul(argument.c_str() + equals + 1, nullptr, 10);
    folders_.push_back({argument.substr(0, equals), pictures, pictures >= 100000 ? 7 : 15});
  }
}

BenchMachine::~BenchMachine() = default;

Os& BenchMachine::os() {
  return impl_->os;
}

double BenchMachine::PeakWorkingSetMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

}  // namespace pix::bench
