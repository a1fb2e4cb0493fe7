// The code-page port and the UTF-8/UTF-16 conversions against the real
// Win32 tables under Wine.
#include "platform/win32/win32_text_codec.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/win32/wide.h"

namespace veskaro::test {
namespace {

using win32::Win32TextCodec;

struct CodecCase {
  UINT codePage;
  const char* utf8;
  const char* bytes;  // nullptr: the text has no exact form in the code page
};

std::ostream& operator<<(std::ostream& out, const CodecCase& c) {
  return out << c.codePage << ":" << c.utf8;
}

class CodecTable : public ::testing::TestWithParam<CodecCase> {};

TEST_P(CodecTable, ConvertsExactlyOrRefuses) {
  const Win32TextCodec codec(GetParam().codePage);
  const auto bytes = codec.FromUtf8(GetParam().utf8);
  if (GetParam().bytes == nullptr) {
    EXPECT_EQ(bytes, std::nullopt);
    return;
  }
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, GetParam().bytes);
  EXPECT_EQ(codec.ToUtf8(*bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CodecTable,
    ::testing::Values(
        CodecCase{1251, "", ""}, CodecCase{1251, "IconFile=a.ico", "IconFile=a.ico"},
        CodecCase{1251, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",  // Привет
                  "\xCF\xF0\xE8\xE2\xE5\xF2"},
        CodecCase{1251, "\xD0\x81\xD1\x91", "\xA8\xB8"},  // Ёё
        CodecCase{1251, "\xE2\x84\x96", "\xB9"},          // №
        CodecCase{1251, "\xE6\x97\xA5\xE6\x9C\xAC", nullptr},  // 日本
        CodecCase{1251, "caf\xC3\xA9", nullptr},               // é: best fit would be e
        CodecCase{1251, "\xF0\x9F\x98\x80", nullptr},          // an emoji (surrogate pair)
        CodecCase{1252, "caf\xC3\xA9", "caf\xE9"}, CodecCase{1252, "\xE2\x82\xAC", "\x80"},  // €
        CodecCase{1252, "\xD0\x9F", nullptr},                  // П
        CodecCase{1252, "\xC5\x82", nullptr},                  // ł: best fit would be l
        CodecCase{1252, "\xE2\x88\x9E", nullptr},              // ∞: best fit would be 8
        CodecCase{1252, "\xEF\xBC\xA1", nullptr},              // fullwidth A: best fit A
        // A real question mark is not mistaken for the default character.
        CodecCase{1252, "who?", "who?"}, CodecCase{1251, "?\xD0\x96?", "?\xC6?"},
        CodecCase{932, "\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B"},  // 日本 in Shift-JIS
        CodecCase{932, "\xD0\x81", "\x84\x46"},                          // Ё in Shift-JIS
        CodecCase{932, "\xC3\xA9", nullptr}));

TEST(Win32TextCodec, KeepsEmbeddedNulBytes) {
  const Win32TextCodec codec(1251);
  const std::string text("a\0b", 3);
  EXPECT_EQ(codec.FromUtf8(text), text);
  EXPECT_EQ(codec.ToUtf8(text), text);
}

TEST(Win32TextCodec, RefusesTextThatIsNotUtf8) {
  const Win32TextCodec codec(1252);
  EXPECT_EQ(codec.FromUtf8("caf\xE9"), std::nullopt);   // Latin-1 byte, not UTF-8
  EXPECT_EQ(codec.FromUtf8("\xED\xA0\x80"), std::nullopt);  // an encoded lone surrogate
}

TEST(Win32TextCodec, EverySingleByteOfCodePage1251DecodesAndComesBack) {
  const Win32TextCodec codec(1251);
  for (int byte = 1; byte < 256; ++byte) {
    const std::string single(1, static_cast<char>(byte));
    const std::string utf8 = codec.ToUtf8(single);
    if (utf8 == "\xEF\xBF\xBD") continue;  // undefined in the code page
    EXPECT_EQ(codec.FromUtf8(utf8), single) << "byte " << byte;
  }
}

TEST(Win32TextCodec, UndefinedBytesBecomeReplacementCharactersAlone) {
  const Win32TextCodec shiftJis(932);
  // A lead byte with nothing after it, and one followed by a byte that
  // cannot trail it: only the lead byte is lost.
  EXPECT_EQ(shiftJis.ToUtf8("\x93\xFA\x93"), "\xE6\x97\xA5\xEF\xBF\xBD");
  EXPECT_EQ(shiftJis.ToUtf8("\x93\x20" "a"), "\xEF\xBF\xBD a");
}

TEST(Win32TextCodec, BytesWindowsMapsToControlCharactersRoundTrip) {
  // Windows' table for 1251 gives 0x98 the control character U+0098
  // rather than refusing it, so a value holding it is written back as it
  // was read.
  const Win32TextCodec codec(1251);
  EXPECT_EQ(codec.ToUtf8("\xC0\x98\xC1"), "\xD0\x90\xC2\x98\xD0\x91");
  EXPECT_EQ(codec.FromUtf8("\xD0\x90\xC2\x98\xD0\x91"), "\xC0\x98\xC1");
}

TEST(Win32TextCodec, DefaultIsTheAnsiCodePage) {
  const Win32TextCodec system;
  const Win32TextCodec explicitAcp(GetACP());
  for (int byte = 1; byte < 256; ++byte) {
    const std::string single(1, static_cast<char>(byte));
    EXPECT_EQ(system.ToUtf8(single), explicitAcp.ToUtf8(single)) << "byte " << byte;
  }
  EXPECT_EQ(system.FromUtf8("Desktop.ini"), "Desktop.ini");
}

TEST(Win32TextCodec, SymbolicIdsAreResolved) {
  EXPECT_EQ(Win32TextCodec().codePage(), GetACP());
  EXPECT_EQ(Win32TextCodec(CP_OEMCP).codePage(), GetOEMCP());
}

// Code pages that take no WC_NO_BEST_FIT_CHARS: exactness still holds, by
// the round trip.
TEST(Win32TextCodec, CodePagesWithoutBestFitFlagStillConvertExactly) {
  const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
  const Win32TextCodec utf8(CP_UTF8);
  EXPECT_EQ(utf8.FromUtf8(privet), privet);
  EXPECT_EQ(utf8.ToUtf8(privet), privet);
  EXPECT_EQ(utf8.ToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");

  const Win32TextCodec utf7(CP_UTF7);
  const auto encoded = utf7.FromUtf8(privet);
  ASSERT_TRUE(encoded.has_value());
  EXPECT_EQ(utf7.ToUtf8(*encoded), privet);
}

TEST(Win32TextCodec, UnknownCodePageIsRefusedAtOnce) {
  EXPECT_THROW(Win32TextCodec(12345), std::invalid_argument);
}

TEST(WideConversion, RoundTripsEveryPlane) {
  const std::wstring wide = L"Desktop \u041F\u0430\u043F\u043A\u0430 \u6587\u4EF6 \U0001F600";
  const std::string utf8 = win32::ToUtf8(wide);
  EXPECT_EQ(utf8,
            "Desktop \xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 \xE6\x96\x87\xE4\xBB\xB6 "
            "\xF0\x9F\x98\x80");
  EXPECT_EQ(win32::ToWide(utf8), wide);
  EXPECT_EQ(win32::ToWide(""), L"");
  EXPECT_EQ(win32::ToUtf8(L""), "");
  EXPECT_EQ(win32::ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(WideConversion, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(win32::ToWide("a\xFF" "b"), L"a\uFFFDb");
  EXPECT_EQ(win32::ToUtf8(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "a\xEF\xBF\xBD" "b");
}

}  // namespace
}  // namespace veskaro::test
