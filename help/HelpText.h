// The text that the help program shows, in UTF-8 with "\n" line ends.
#pragma once

#include <string_view>

namespace pix::help {

// The window's title.
std::u8string_view HelpTitle();

// The help itself: paragraphs separated by empty lines.
std::u8string_view HelpText();

}  // namespace pix::help
