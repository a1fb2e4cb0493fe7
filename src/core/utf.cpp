#include "core/utf.h"

#include <cstdint>

namespace veskaro {
namespace {

// Decodes one character at `i`; returns its length in bytes, 0 if malformed.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& out) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    out = b0;
    return 1;
  }
  std::size_t length;
  char32_t value;
  char32_t minimum;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, value = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, value = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, value = b0 & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  out = value;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c;
    const std::size_t n = DecodeUtf8(utf8, i, c);
    if (n == 0) return std::nullopt;
    i += n;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c;
    const std::size_t n = DecodeUtf8(utf8, i, c);
    if (n == 0) {
      ++units, ++i;
      continue;
    }
    units += c >= 0x10000 ? 2 : 1;
    i += n;
  }
  return units;
}

std::string_view Utf8PrefixByUtf16Units(std::string_view utf8, std::size_t maxUnits) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t c;
    std::size_t n = DecodeUtf8(utf8, i, c);
    std::size_t width = 1;
    if (n == 0) {
      n = 1;
    } else if (c >= 0x10000) {
      width = 2;
    }
    if (units + width > maxUnits) break;
    units += width;
    i += n;
  }
  return utf8.substr(0, i);
}

}  // namespace veskaro
