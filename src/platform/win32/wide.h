// UTF-8 (the core's strings) <-> UTF-16 (the Win32 API's strings). Every
// conversion at the Win32 boundary goes through these two functions.
#pragma once

#include <string>
#include <string_view>

namespace veskaro::win32 {

// Invalid UTF-8 sequences become U+FFFD.
std::wstring ToWide(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view wide);

}  // namespace veskaro::win32
