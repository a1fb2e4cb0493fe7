// The integer reader against a plain reference of the same rule, on any text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "core/int_text.h"

namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The rule spelled out with 64-bit arithmetic, independent of the reader.
std::optional<std::int32_t> Reference(std::string_view s) {
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string_view::npos) return std::nullopt;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  std::string_view rest = s.substr(i);
  if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    rest.remove_prefix(1);
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    rest.remove_prefix(2);
  } else {
    if (rest.empty() || rest.find_first_not_of("0123456789") != std::string_view::npos) {
      return std::nullopt;
    }
    const std::size_t first = rest.find_first_not_of('0');
    const std::string_view digits = first == std::string_view::npos ? "0" : rest.substr(first);
    if (digits.size() > 10) return std::nullopt;
    const long long v = std::strtoll(std::string(digits).c_str(), nullptr, 10);
    const long long signedValue = negative ? -v : v;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(signedValue);
  }
  if (rest.empty()) return std::nullopt;
  for (char c : rest) {
    if (!IsHex(c)) return std::nullopt;
  }
  const std::size_t first = rest.find_first_not_of('0');
  const std::string_view digits = first == std::string_view::npos ? "0" : rest.substr(first);
  if (digits.size() > 8) return std::nullopt;
  const auto bits = static_cast<std::uint32_t>(std::strtoull(std::string(digits).c_str(), nullptr, 16));
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> value = veskaro::ParseIntText(text);
  if (value != Reference(text)) std::abort();
  if (value && veskaro::ParseIntText(veskaro::FormatIntText(*value)) != value) std::abort();
  return 0;
}
