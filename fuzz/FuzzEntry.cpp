// The fuzzer's entry for one check (PIX_FUZZ_CHECK, set per target). A
// finding is printed and aborts, which libFuzzer reports and keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/checks/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (const pix::fuzz::Finding finding = pix::fuzz::PIX_FUZZ_CHECK(input)) {
    // Whether the text gets out or not, the abort reports the input.
    (void)std::fprintf(stderr, "finding: %s\n", finding->c_str());
    std::abort();
  }
  return 0;
}
