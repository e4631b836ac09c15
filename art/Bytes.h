// The bytes of a file as the art library makes and reads them.
#pragma once

#include <cstdint>
#include <vector>

namespace pix::art {

using Bytes = std::vector<std::uint8_t>;

}  // namespace pix::art
