#include "platform/win32/win32_text_codec.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>

#include "platform/win32/wide.h"

namespace veskaro::win32 {

namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

bool FitsInt(std::size_t size) { return size <= static_cast<std::size_t>(INT_MAX); }

// The whole text, or nothing when any byte sequence is undefined in the
// code page.
std::optional<std::wstring> DecodeStrict(UINT codePage, const char* bytes, int length) {
  const int wideLength =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
  if (wideLength <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, wide.data(), wideLength);
  return wide;
}

}  // namespace

Win32TextCodec::Win32TextCodec(UINT codePage) : codePage_(codePage), maxCharSize_(1) {
  CPINFO info{};
  if (!GetCPInfo(codePage, &info)) {
    throw std::invalid_argument("unknown code page " + std::to_string(codePage));
  }
  maxCharSize_ = info.MaxCharSize;
}

std::string Win32TextCodec::ToUtf8(std::string_view codePageText) const {
  if (codePageText.empty()) return {};
  if (!FitsInt(codePageText.size())) throw std::length_error("text too long to convert");
  if (auto wide = DecodeStrict(codePage_, codePageText.data(),
                               static_cast<int>(codePageText.size()))) {
    return win32::ToUtf8(*wide);
  }
  // Some byte is undefined: decode character by character so that only
  // that character becomes U+FFFD and the rest keeps its meaning.
  std::wstring wide;
  std::size_t i = 0;
  while (i < codePageText.size()) {
    std::size_t length = 1;
    if (maxCharSize_ == 2 && i + 1 < codePageText.size() &&
        IsDBCSLeadByteEx(codePage_, static_cast<BYTE>(codePageText[i]))) {
      length = 2;
    } else if (maxCharSize_ > 2) {
      // UTF-8, GB18030 and the like: let the system find the longest
      // sequence that decodes.
      length = std::min<std::size_t>(maxCharSize_, codePageText.size() - i);
      while (length > 1 &&
             !DecodeStrict(codePage_, codePageText.data() + i, static_cast<int>(length))) {
        --length;
      }
    }
    if (auto character =
            DecodeStrict(codePage_, codePageText.data() + i, static_cast<int>(length))) {
      wide += *character;
      i += length;
    } else {
      // Only the offending byte is lost: a lead byte followed by a byte
      // that cannot trail it must not swallow that byte.
      wide += kReplacementCharacter;
      ++i;
    }
  }
  return win32::ToUtf8(wide);
}

std::optional<std::string> Win32TextCodec::FromUtf8(std::string_view utf8) const {
  if (utf8.empty()) return std::string();
  if (!FitsInt(utf8.size())) return std::nullopt;
  // Text that is not valid UTF-8 has no exact form in any code page.
  const auto wide = DecodeStrict(CP_UTF8, utf8.data(), static_cast<int>(utf8.size()));
  if (!wide) return std::nullopt;
  if (codePage_ == CP_UTF8) return std::string(utf8);

  const int wideLength = static_cast<int>(wide->size());
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, wide->data(),
                                         wideLength, nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, wide->data(), wideLength, bytes.data(),
                      length, nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  // Belt and braces for code pages whose tables still fold a character
  // into a look-alike: only a conversion that comes back unchanged counts.
  const auto back = DecodeStrict(codePage_, bytes.data(), length);
  if (!back || *back != *wide) return std::nullopt;
  return bytes;
}

}  // namespace veskaro::win32
