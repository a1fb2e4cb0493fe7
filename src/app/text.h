// UTF-8 inside the program, UTF-16 at the Win32 boundary: the one place
// where the two meet, and the string table.
#pragma once

#include <string>
#include <string_view>

namespace veskaro::app {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A string of the program's string table (res/veskaro_ids.h).
std::wstring ResString(unsigned id);

// A window's text.
std::wstring WindowText(void* hwnd);

}  // namespace veskaro::app
