// The description on the About window's "About" page.
#pragma once

#include <string_view>

namespace veskaro {

// The description's 32 lines, UTF-8, joined with CR LF (no line break after
// the last). The spaces at the ends of the lines are part of the text: they
// decide where the word-wrapped memo breaks, so they are kept as written.
std::string_view AboutText();

}  // namespace veskaro
