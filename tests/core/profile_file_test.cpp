#include "core/profile_file.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace veskaro {
namespace {

using testing::FakeCodePage;

// A UTF-16LE file's bytes: the byte-order mark, then the text.
std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

// A literal's bytes, embedded NULs included.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

const FakeCodePage kCodePage;

// --- Reading ---------------------------------------------------------------

struct ReadCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, ReadsAsWindowsDoes) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(ProfileFile::Parse(c.file).Read(c.section, c.key, kCodePage), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileRead,
    ::testing::Values(
        ReadCase{"Plain", "[s]\r\nk=v\r\n", "s", "k", "v"},
        ReadCase{"NamesIgnoreCase", "[SeC]\r\nKeY=v", "sec", "kEy", "v"},
        ReadCase{"BlanksTrimmed", "  [ s ]  \r\n \t k \t= \t v w \t \r\n", "s", "k", "v w"},
        ReadCase{"PassedNamesTrimmed", "[s]\r\nk=v\r\n", "  s ", " k  ", "v"},
        ReadCase{"DoubleQuotesRemoved", "[s]\r\nk= \"v 1\" \r\n", "s", "k", "v 1"},
        ReadCase{"SingleQuotesRemoved", "[s]\r\nk='x'\r\n", "s", "k", "x"},
        ReadCase{"OnePairOnly", "[s]\r\nk=\"\"x\"\"\r\n", "s", "k", "\"x\""},
        ReadCase{"UnmatchedQuotesKept", "[s]\r\nk=\"x'\r\n", "s", "k", "\"x'"},
        ReadCase{"LoneQuoteKept", "[s]\r\nk=\"\r\n", "s", "k", "\""},
        ReadCase{"EmptyValue", "[s]\r\nk=\r\n", "s", "k", ""},
        ReadCase{"LineWithoutEqualsIsNoKey", "[s]\r\nk\r\n", "s", "k", std::nullopt},
        ReadCase{"CommentIsNoKey", "[s]\r\n;k=v\r\n", "s", "k", std::nullopt},
        ReadCase{"HashIsNoComment", "[s]\r\n#k=v\r\n", "s", "#k", "v"},
        ReadCase{"FirstKeyWins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "1"},
        ReadCase{"FirstSectionWins", "[s]\r\nj=1\r\n[S]\r\nk=3\r\n", "s", "k", std::nullopt},
        ReadCase{"OtherSection", "[a]\r\nk=1\r\n[b]\r\nk=2\r\n", "b", "k", "2"},
        ReadCase{"KeyBeforeFirstSection", "k=v\r\n[s]\r\n", "s", "k", std::nullopt},
        ReadCase{"TextAfterHeaderIgnored", "[s] trailing ]\r\nk=v\r\n", "s", "k", "v"},
        ReadCase{"HeaderWithoutClosingBracket", "[s  \r\nk=v\r\n", "s", "k", "v"},
        ReadCase{"KeyOnHeaderLineIgnored", "[s]k=v\r\n", "s", "k", std::nullopt},
        ReadCase{"LoneCrEndsLines", "[s]\rk=v\r", "s", "k", "v"},
        ReadCase{"LoneLfEndsLines", "[s]\nk=v", "s", "k", "v"},
        ReadCase{"MissingSection", "[s]\r\nk=v\r\n", "t", "k", std::nullopt},
        ReadCase{"EqualsInValue", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
        ReadCase{"CodePageValue", "[s]\r\nk=\xCF\xF0\xE8\r\n", "s", "k", "При"},
        ReadCase{"CodePageName", "[\xCF]\r\n\xE8=1\r\n", "П", "и", "1"},
        ReadCase{"UndefinedByte", "[s]\r\nk=a\x98" "b\r\n", "s", "k", "a\xEF\xBF\xBD" "b"},
        ReadCase{"Utf16File", Utf16File(u"[s]\r\nk = 中文 \r\n"), "S", "K", "中文"},
        ReadCase{"Utf16WithoutFinalBreak", Utf16File(u"[s]\r\nk=Привет"), "s", "k", "Привет"}),
    [](const auto& test) { return std::string(test.param.name); });

// --- Writing ---------------------------------------------------------------

struct WriteCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, EditsOnlyTheKeyLine) {
  const WriteCase& c = GetParam();
  ProfileFile file = ProfileFile::Parse(c.before);
  file.Write(c.section, c.key, c.value, kCodePage);
  EXPECT_EQ(file.Serialize(), c.after);
  EXPECT_EQ(file.Read(c.section, c.key, kCodePage), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileWrite,
    ::testing::Values(
        WriteCase{"NewFile", "", "s", "k", "v", "[s]\r\nk=v\r\n"},
        WriteCase{"ReplaceValue", "[s]\r\nk=old\r\n", "s", "k", "v", "[s]\r\nk=v\r\n"},
        WriteCase{"ReplaceKeepsTheFilesSpelling", "[S]\r\n  KEY = old \r\n;c\r\n", "s", "key",
                  "v", "[S]\r\nKEY=v\r\n;c\r\n"},
        WriteCase{"ReplaceLastLineGetsBreak", "[s]\r\nk=old", "s", "k", "v", "[s]\r\nk=v\r\n"},
        WriteCase{"ReplaceFirstDuplicate", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "v",
                  "[s]\r\nk=v\r\nk=2\r\n"},
        WriteCase{"NewKeyAfterLastKey", "[s]\r\na=1\r\n\r\n;comment\r\n[t]\r\n", "s", "k", "v",
                  "[s]\r\na=1\r\nk=v\r\n\r\n;comment\r\n[t]\r\n"},
        WriteCase{"NewKeyInSectionWithoutKeys", "[s]\r\n; c\r\n\r\n", "s", "k", "v",
                  "[s]\r\nk=v\r\n; c\r\n\r\n"},
        WriteCase{"NewKeyAfterHeaderAtEnd", "[s]", "s", "k", "v", "[s]\r\nk=v\r\n"},
        WriteCase{"NewKeyAfterLastLineWithoutBreak", "[s]\nk=1", "s", "k2", "v",
                  "[s]\nk=1\r\nk2=v\r\n"},
        WriteCase{"NewSectionAtEnd", "[a]\nx=1\n\n", "s", "k", "v", "[a]\nx=1\n\n[s]\r\nk=v\r\n"},
        WriteCase{"NewSectionAfterMissingBreak", "[a]\nx=1", "s", "k", "v",
                  "[a]\nx=1\r\n[s]\r\nk=v\r\n"},
        WriteCase{"NewSectionNamesTrimmed", "", " s ", " k ", "v", "[s]\r\nk=v\r\n"},
        WriteCase{"ExistingHeaderSpellingKept", "  [ S ] junk\r\n", "s", "k", "v",
                  "  [ S ] junk\r\nk=v\r\n"},
        WriteCase{"BytesBeforeFirstSectionKept", Bytes("junk\0\xFF\r\n[s]\r\nk=1\r\n"), "s",
                  "k", "v", Bytes("junk\0\xFF\r\n[s]\r\nk=v\r\n")},
        WriteCase{"OtherLineEndingsKept", "[s]\rk=1\r[t]\n", "s", "k", "v", "[s]\rk=v\r\n[t]\n"},
        WriteCase{"EmptyValueKeepsKey", "[s]\r\nk=1\r\n", "s", "k", "", "[s]\r\nk=\r\n"},
        WriteCase{"ValueWithOuterBlanksQuoted", "", "s", "k", " x ", "[s]\r\nk=\" x \"\r\n"},
        WriteCase{"QuotedValueQuotedAgain", "", "s", "k", "'q'", "[s]\r\nk=\"'q'\"\r\n"},
        WriteCase{"InnerQuotesAsGiven", "", "s", "k", "a \"b\" c", "[s]\r\nk=a \"b\" c\r\n"},
        WriteCase{"CodePageValue", "[s]\r\n", "s", "k", "Привет",
                  "[s]\r\nk=\xCF\xF0\xE8\xE2\xE5\xF2\r\n"},
        WriteCase{"Utf16StaysUtf16", Utf16File(u"[s]\r\nk=1\r\n"), "s", "k", "中",
                  Utf16File(u"[s]\r\nk=中\r\n")},
        WriteCase{"CodePageConvertedWhole", "[s]\r\na=\xCF\x98\r\n; \xE8\n", "s", "k", "中",
                  Utf16File(u"[s]\r\na=П\u0098\r\nk=中\r\n; и\n")},
        WriteCase{"NewFileUtf16WhenNeeded", "", "s", "k", "日本", Utf16File(u"[s]\r\nk=日本\r\n")},
        WriteCase{"UnrepresentableSectionConverts", "[a]\r\n", "節", "k", "v",
                  Utf16File(u"[a]\r\n[節]\r\nk=v\r\n")}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ProfileWrite, RefusesTextThatWouldBreakLines) {
  const std::string before = "[s]\r\nk=1\r\n";
  ProfileFile file = ProfileFile::Parse(before);
  for (std::string_view bad : {std::string_view("a\rb"), std::string_view("a\nb"),
                               std::string_view("a\0b", 3)}) {
    EXPECT_THROW(file.Write("s", "k", bad, kCodePage), std::invalid_argument);
    EXPECT_THROW(file.Write(bad, "k", "v", kCodePage), std::invalid_argument);
    EXPECT_THROW(file.Write("s", bad, "v", kCodePage), std::invalid_argument);
  }
  EXPECT_THROW(file.Write("a]b", "k", "v", kCodePage), std::invalid_argument);
  EXPECT_THROW(file.Write("s", "a=b", "v", kCodePage), std::invalid_argument);
  EXPECT_THROW(file.Write("s", ";k", "v", kCodePage), std::invalid_argument);
  EXPECT_THROW(file.Write(" ", "k", "v", kCodePage), std::invalid_argument);
  EXPECT_THROW(file.Write("\ts", "k", "v", kCodePage), std::invalid_argument);
  EXPECT_THROW(file.Write("s", "k\t", "v", kCodePage), std::invalid_argument);
  EXPECT_THROW(file.Write("s", "k", "\xFF", kCodePage), std::invalid_argument);
  EXPECT_EQ(file.Serialize(), before);
}

TEST(ProfileWrite, SeveralKeysComeInTheOrderWritten) {
  ProfileFile file;
  file.Write("a", "k1", "1", kCodePage);
  file.Write("a", "k2", "2", kCodePage);
  file.Write("b", "k3", "3", kCodePage);
  file.Write("a", "k4", "4", kCodePage);
  file.Write("A", "K1", "5", kCodePage);
  EXPECT_EQ(file.Serialize(), "[a]\r\nk1=5\r\nk2=2\r\nk4=4\r\n[b]\r\nk3=3\r\n");
}

// --- Round trip and removal ------------------------------------------------

TEST(ProfileParse, GivesEveryByteBack) {
  const std::string inputs[] = {
      "",
      "no section at all",
      "\r\n\r\r\n\n\n\r",
      Bytes("[s]\r\nk=\x98\x00\xFF\r\n  ; comment  \r\n\t\r\nk2 = v \r\n[t] x\r\n=\r\n["),
      "\xEF\xBB\xBF[s]\r\nk=v",  // UTF-8 mark: code-page text to us, as to Windows
      Utf16File(u"[s]\r\nk=中\r\n\r\n;c"),
      Utf16File(u"[s]\r\nk=\xD800") + "\x41",  // unpaired surrogate and an odd last byte
      "\xFF\xFE",
      "\xFF",
  };
  for (const std::string& bytes : inputs) {
    EXPECT_EQ(ProfileFile::Parse(bytes).Serialize(), bytes);
  }
}

TEST(ProfileParse, Utf16MarkSelectsUtf16) {
  EXPECT_EQ(ProfileFile::Parse(Utf16File(u"")).encoding(), ProfileEncoding::Utf16Le);
  EXPECT_EQ(ProfileFile::Parse("\xFE\xFF").encoding(), ProfileEncoding::CodePage);
  EXPECT_EQ(ProfileFile().encoding(), ProfileEncoding::CodePage);
}

TEST(ProfileRemove, RemovesOnlyTheFirstMatchingKey) {
  ProfileFile file = ProfileFile::Parse("[s]\r\n;c\r\nk=1\r\nK=2\r\nj=3");
  EXPECT_TRUE(file.RemoveKey("S", "k", kCodePage));
  EXPECT_EQ(file.Serialize(), "[s]\r\n;c\r\nK=2\r\nj=3");
  EXPECT_TRUE(file.RemoveKey("s", "k", kCodePage));
  EXPECT_FALSE(file.RemoveKey("s", "k", kCodePage));
  EXPECT_FALSE(file.RemoveKey("t", "j", kCodePage));
  EXPECT_EQ(file.Serialize(), "[s]\r\n;c\r\nj=3");
}

TEST(ProfileRemove, SectionGoesOnlyWhenNothingButBlankLinesIsLeft) {
  ProfileFile withComment = ProfileFile::Parse("[a]\r\nx=1\r\n[s]\r\n;mine\r\n");
  EXPECT_FALSE(withComment.RemoveSectionIfEmpty("s", kCodePage));

  ProfileFile blank = ProfileFile::Parse("[a]\r\nx=1\r\n\r\n[s]\r\n \t\r\n\r\n[b]\r\ny=2\r\n");
  EXPECT_TRUE(blank.RemoveSectionIfEmpty("S", kCodePage));
  EXPECT_EQ(blank.Serialize(), "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
  EXPECT_FALSE(blank.RemoveSectionIfEmpty("s", kCodePage));
}

TEST(ProfileRemove, BlankMeansOnlyBlankLines) {
  EXPECT_TRUE(ProfileFile::Parse("").IsBlank());
  EXPECT_TRUE(ProfileFile::Parse(" \r\n\t\n").IsBlank());
  EXPECT_TRUE(ProfileFile::Parse(Utf16File(u"\r\n")).IsBlank());
  EXPECT_FALSE(ProfileFile::Parse("[s]").IsBlank());
  EXPECT_FALSE(ProfileFile::Parse(";").IsBlank());
}

}  // namespace
}  // namespace veskaro
