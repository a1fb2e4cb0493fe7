// UTF-8 <-> UTF-16 conversion for the core's Unicode text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veskaro {

// Nothing when `utf8` is not well-formed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The length `utf8` has in UTF-16 code units (malformed bytes count as one).
std::size_t Utf16Length(std::string_view utf8);

// The longest prefix of `utf8` that fits in `maxUnits` UTF-16 code units
// without splitting a character.
std::string_view Utf8PrefixByUtf16Units(std::string_view utf8, std::size_t maxUnits);

}  // namespace veskaro
