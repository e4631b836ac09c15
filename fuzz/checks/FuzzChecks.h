// The checks behind the fuzz targets. Each takes one input as raw bytes,
// runs a part of the program on it and compares the outcome with a small
// model of the same rules written here on its own. The fuzz targets abort on
// a finding; the host tests replay the inputs kept in fuzz/corpus through
// the same checks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pix::fuzz {

// What went wrong for one input, or nothing.
using Finding = std::optional<std::string>;

// The whole input is a text for ReadLenientInt.
Finding CheckLenientInt(std::string_view input);

// Byte 0 is the reader's chunk size (0 stands for the smallest the reader
// allows); the rest is the file's contents.
Finding CheckSettingsLines(std::string_view input);

// Byte 0 picks the current directory on a small in-memory machine; the rest
// is the path text.
Finding CheckResolvePath(std::string_view input);

// Bytes 0 and 1 give the pattern's length (little-endian, cut to what
// follows); the pattern comes next, and the name is the rest.
Finding CheckWildcard(std::string_view input);

// The whole input is packed and unpacked, and read as packed data.
Finding CheckUnpack(std::string_view input);

}  // namespace pix::fuzz
