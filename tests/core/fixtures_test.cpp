// Realistic Desktop.ini files: everything we do not edit comes back byte
// for byte, through a save and through a removal.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/folder_settings.h"
#include "core/profile_file.h"
#include "fakes.h"

namespace veskaro {
namespace {

using testing::FakeCodePage;
using testing::FakeFileSystem;

std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(VESKARO_SOURCE_DIR) + "/tests/fixtures/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct RawLine {
  std::u16string content;
  std::u16string lineBreak;
};

// The file's lines in its own units, each with the break that ends it.
std::vector<RawLine> SplitLines(const std::string& bytes) {
  std::u16string units;
  if (bytes.rfind("\xFF\xFE", 0) == 0) {
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
  } else {
    for (char b : bytes) units += static_cast<char16_t>(static_cast<unsigned char>(b));
  }
  std::vector<RawLine> lines;
  RawLine line;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (units[i] == u'\r' || units[i] == u'\n') {
      line.lineBreak = units[i] == u'\r' && i + 1 < units.size() && units[i + 1] == u'\n'
                           ? u"\r\n"
                           : std::u16string(1, units[i]);
      i += line.lineBreak.size() - 1;
      lines.push_back(line);
      line = RawLine();
    } else {
      line.content += units[i];
    }
  }
  if (!line.content.empty()) lines.push_back(line);
  return lines;
}

std::u16string Lower(std::u16string s) {
  for (char16_t& c : s) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return s;
}

bool IsOurKeyLine(const RawLine& line) {
  std::u16string trimmed = Lower(line.content);
  trimmed.erase(0, trimmed.find_first_not_of(u" \t"));
  for (std::u16string key : {u"iconarea_image", u"iconarea_text", u"iconarea_textbackground",
                             u"iconfile", u"iconindex"}) {
    if (trimmed.rfind(key, 0) == 0 && trimmed.find_first_not_of(u" \t", key.size()) ==
                                          trimmed.find(u'=')) {
      return true;
    }
  }
  return false;
}

bool IsOurSectionHeader(const RawLine& line) {
  const std::u16string lower = Lower(line.content);
  return lower.find(u"[{be098140-a513-11d0-a3a4-00c04fd706ec}]") != std::u16string::npos ||
         lower.find(u"[.shellclassinfo]") != std::u16string::npos;
}

bool IsBlank(const RawLine& line) {
  return line.content.find_first_not_of(u" \t") == std::u16string::npos;
}

// Walks both files in order: every line of `before` that `mustStay` picks is
// in `after` unchanged (its last line may gain the break that a line added
// after it needs), and every line of `after` that does not come from `before`
// is one that `mayBeNew` allows.
template <typename MustStay, typename MayBeNew>
void ExpectLinesKept(const std::string& beforeBytes, const std::string& afterBytes,
                     MustStay mustStay, MayBeNew mayBeNew) {
  const std::vector<RawLine> before = SplitLines(beforeBytes);
  const std::vector<RawLine> after = SplitLines(afterBytes);
  std::size_t j = 0;
  const auto same = [&](std::size_t i, std::size_t k) {
    if (before[i].content != after[k].content) return false;
    if (before[i].lineBreak == after[k].lineBreak) return true;
    return i + 1 == before.size() && before[i].lineBreak.empty() && after[k].lineBreak == u"\r\n";
  };
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (j < after.size() && same(i, j)) {
      ++j;
      continue;
    }
    if (!mustStay(before[i])) continue;
    while (j < after.size() && mayBeNew(after[j]) && !same(i, j)) ++j;
    ASSERT_TRUE(j < after.size() && same(i, j)) << "line " << i << " lost or changed";
    ++j;
  }
  for (; j < after.size(); ++j) EXPECT_TRUE(mayBeNew(after[j])) << "unexpected line " << j;
}

struct FixtureCase {
  const char* file;
  FolderState expected;  // what a load gives
  bool removalDeletes;
};

FolderState Expect(std::string image, ColorValue text, ColorValue back, std::string icon,
                   std::int32_t index) {
  FolderState s;
  s.FolderPath = "C:\\F";
  s.ImagePath = std::move(image);
  s.TextColor = text;
  s.TextBackColor = back;
  s.IconFileName = std::move(icon);
  s.IconIndexValue = index;
  return s;
}

class Fixtures : public ::testing::TestWithParam<FixtureCase> {
 protected:
  Fixtures() {
    files.AddFolder("C:\\F");
    original = ReadFixture(GetParam().file);
    files.AddFile(kIni, original);
  }
  SettingsEnvironment env() { return SettingsEnvironment{files, codePage}; }
  FolderState Load() {
    FolderState state;
    state.FolderPath = "C:\\F";
    LoadFolderSettings(state, env());
    return state;
  }

  static constexpr char kIni[] = "C:\\F\\Desktop.ini";
  FakeFileSystem files;
  FakeCodePage codePage;
  std::string original;
};

TEST_P(Fixtures, ParseAndSerialiseGiveTheBytesBack) {
  EXPECT_EQ(ProfileFile::Parse(original).Serialize(), original);
}

TEST_P(Fixtures, LoadReadsWhatExplorerReads) { EXPECT_EQ(Load(), GetParam().expected); }

TEST_P(Fixtures, SaveChangesOnlyOurKeys) {
  FolderState state = Load();
  state.ImagePath = "D:\\Картинки\\фон.jpg";
  state.TextColor = 255;
  state.TextBackColor = 65280;
  state.TextColorChanged = state.TextBackChanged = true;
  state.IconFileName = "D:\\Иконки\\папка.ico";
  state.IconIndexValue = 7;
  SaveFolderSettings(state, true, env());

  const std::string saved = *files.Bytes(kIni);
  EXPECT_EQ(saved.rfind("\xFF\xFE", 0) == 0, original.rfind("\xFF\xFE", 0) == 0);
  ExpectLinesKept(
      original, saved, [](const RawLine& line) { return !IsOurKeyLine(line); },
      [](const RawLine& line) { return IsOurKeyLine(line) || IsOurSectionHeader(line); });
  FolderState expected = state;
  expected.TextColorChanged = expected.TextBackChanged = false;
  EXPECT_EQ(Load(), expected);
}

TEST_P(Fixtures, RemoveTakesOnlyOurKeys) {
  RemoveFolderSettings(Load(), env());
  const std::optional<std::string> left = files.Bytes(kIni);
  ASSERT_EQ(!left.has_value(), GetParam().removalDeletes);
  if (!left) return;
  ExpectLinesKept(
      original, *left,
      [](const RawLine& line) {
        return !IsOurKeyLine(line) && !IsOurSectionHeader(line) && !IsBlank(line);
      },
      [](const RawLine&) { return false; });
  FolderState empty = Expect("", 0, ColorNone, "", 0);
  EXPECT_EQ(Load(), empty);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, Fixtures,
    ::testing::Values(
        FixtureCase{"explorer_pictures_utf16.ini", Expect("", 0, ColorNone, "", 0), false},
        FixtureCase{"special_folder.ini",
                    Expect("", 0, ColorNone, "%SystemRoot%\\system32\\shell32.dll", -235), false},
        FixtureCase{"customised_cp1251.ini",
                    Expect("C:\\Обои\\лето.jpg", 16777215, ColorNone, "C:\\Иконки\\дача.ico", 2),
                    false},
        FixtureCase{"windows_xp_style.ini",
                    Expect("C:\\WINDOWS\\Web\\Wallpaper\\Bliss.bmp", 0, 65280, "", 0), false},
        FixtureCase{"odd_layout.ini", Expect("", 0, ColorNone, "D:\\icons\\a b.ico", 16), false}),
    [](const auto& test) {
      std::string name = test.param.file;
      name = name.substr(0, name.find('.'));
      std::replace(name.begin(), name.end(), '_', 'X');
      return name;
    });

}  // namespace
}  // namespace veskaro
