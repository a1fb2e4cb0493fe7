#include "core/int_text.h"

namespace veskaro {
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ParseIntText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;

  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  std::string_view rest = text.substr(i);
  bool hex = false;
  if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    hex = true;
    rest.remove_prefix(1);
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    hex = true;
    rest.remove_prefix(2);
  }
  if (rest.empty()) return std::nullopt;

  if (hex) {
    std::uint32_t value = 0;
    for (char c : rest) {
      const int digit = HexDigitValue(c);
      if (digit < 0) return std::nullopt;
      // A ninth significant digit would push bits out of the 32-bit value.
      if (value > 0x0FFFFFFFu) return std::nullopt;
      value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    // The bit pattern is a signed number; negation wraps as in 32-bit code.
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
  }

  // Accumulate the magnitude in 64 bits; one more digit past the limit fails.
  constexpr std::int64_t kLimit = 2147483648;  // |INT32_MIN|
  std::int64_t magnitude = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) return std::nullopt;
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  if (magnitude > kLimit - 1) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

std::string FormatIntText(std::int32_t value) {
  return std::to_string(value);
}

}  // namespace veskaro
