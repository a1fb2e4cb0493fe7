#include "platform/win32/win32_text_codec.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <stdexcept>
#include <string>

#include "platform/win32/wide.h"

namespace veskaro::win32 {

namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

bool FitsInt(std::size_t size) { return size <= static_cast<std::size_t>(INT_MAX); }

// The whole text, or nothing when any byte sequence is undefined in the
// code page.
// UTF-7 and a few others take no MB_ERR_INVALID_CHARS; they decode as
// they can.
std::optional<std::wstring> DecodeStrict(UINT codePage, const char* bytes, int length) {
  DWORD flags = MB_ERR_INVALID_CHARS;
  int wideLength = MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
  if (wideLength <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;
    wideLength = MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
  }
  if (wideLength <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(codePage, flags, bytes, length, wide.data(), wideLength);
  return wide;
}

// The code page a symbolic id stands for now, so that UTF-8 as the ANSI
// code page is recognised as UTF-8.
UINT Resolve(UINT codePage) {
  switch (codePage) {
    case CP_ACP: return GetACP();
    case CP_OEMCP: return GetOEMCP();
    case CP_THREAD_ACP: {
      // The thread's locale's ANSI code page.
      wchar_t text[8] = {};
      if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, text, 8) > 0) {
        const UINT value = static_cast<UINT>(std::wcstoul(text, nullptr, 10));
        if (value != 0) return value;
      }
      return GetACP();
    }
    default: return codePage;
  }
}

}  // namespace

Win32TextCodec::Win32TextCodec(UINT codePage) : codePage_(Resolve(codePage)), maxCharSize_(1) {
  CPINFO info{};
  if (!GetCPInfo(codePage_, &info)) {
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
  // Some code pages (UTF-7, the ISO-2022 family, GB18030, ...) take neither
  // the flag nor the default-character report; for them the round trip
  // below is the whole test.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultReport = &usedDefault;
  int length = WideCharToMultiByte(codePage_, flags, wide->data(), wideLength, nullptr, 0,
                                   nullptr, usedDefaultReport);
  if (length <= 0 && (GetLastError() == ERROR_INVALID_FLAGS ||
                      GetLastError() == ERROR_INVALID_PARAMETER)) {
    flags = 0;
    usedDefaultReport = nullptr;
    length = WideCharToMultiByte(codePage_, flags, wide->data(), wideLength, nullptr, 0, nullptr,
                                 nullptr);
  }
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage_, flags, wide->data(), wideLength, bytes.data(), length, nullptr,
                      usedDefaultReport);
  if (usedDefault) return std::nullopt;
  // Belt and braces for code pages whose tables still fold a character
  // into a look-alike: only a conversion that comes back unchanged counts.
  const auto back = DecodeStrict(codePage_, bytes.data(), length);
  if (!back || *back != *wide) return std::nullopt;
  return bytes;
}

}  // namespace veskaro::win32
