// The integer rules of the settings file: how a value's text is read as a
// 32-bit signed integer and how an integer is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veskaro {

// Leading spaces, one optional sign, then either a hexadecimal number after
// "$", "x", "X", "0x" or "0X" (at most eight significant digits, the 32-bit
// pattern taken as signed) or a decimal number within the 32-bit signed
// range. Anything else, a trailing blank included, gives nothing.
std::optional<std::int32_t> ParseIntText(std::string_view text);

// Signed decimal: a leading "-" for negative values, no "+", no padding.
std::string FormatIntText(std::int32_t value);

}  // namespace veskaro
