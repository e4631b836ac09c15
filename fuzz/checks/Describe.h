// Texts for the findings of the fuzz checks.
#pragma once

#include <string>
#include <string_view>

namespace pix::fuzz {

// The bytes as a quoted C string, with everything but printable ASCII (and
// the quote and backslash) escaped, so that a finding can be typed back in.
std::string Quoted(std::string_view bytes);

}  // namespace pix::fuzz
