#include "platform/posix/iconv_text_codec.h"

#include <gtest/gtest.h>

#include "core/folder_settings.h"
#include "platform/posix/posix_file_system.h"
#include "temp_dir.h"

namespace veskaro {
namespace {

struct CodecCase {
  const char* codePage;
  std::string utf8;
  std::optional<std::string> bytes;  // nothing: not representable
};

class IconvRoundTrip : public ::testing::TestWithParam<CodecCase> {};

TEST_P(IconvRoundTrip, ConvertsExactlyOrNotAtAll) {
  const IconvTextCodec codec(GetParam().codePage);
  EXPECT_EQ(codec.FromUtf8(GetParam().utf8), GetParam().bytes);
  if (GetParam().bytes) {
    EXPECT_EQ(codec.ToUtf8(*GetParam().bytes), GetParam().utf8);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, IconvRoundTrip,
    ::testing::Values(CodecCase{"WINDOWS-1251", "Привет, Ёж №1", "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6 \xB9" "1"},
                      CodecCase{"WINDOWS-1251", "€", "\x88"},
                      CodecCase{"WINDOWS-1251", "中", std::nullopt},
                      CodecCase{"WINDOWS-1251", "ü", std::nullopt},  // no "u" stand-in
                      CodecCase{"WINDOWS-1252", "café — 5€", "caf\xE9 \x97 5\x80"},
                      CodecCase{"WINDOWS-1252", "Я", std::nullopt},
                      CodecCase{"WINDOWS-1252", "\xFF", std::nullopt},  // not UTF-8
                      CodecCase{"WINDOWS-1252", "", ""}));

TEST(IconvTextCodec, UndefinedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(IconvTextCodec("WINDOWS-1251").ToUtf8("a\x98" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(IconvTextCodec("WINDOWS-1252").ToUtf8("\x81\x8D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(IconvTextCodec, UnknownCodePageIsAnError) {
  EXPECT_THROW(IconvTextCodec("NO-SUCH-CODE-PAGE"), std::runtime_error);
}

// The whole road on a real folder: Russian values into a Windows-1251 file.
TEST(PosixSettings, SaveAndLoadThroughTheRealPorts) {
  testing::TempDir dir;
  PosixFileSystem files;
  const IconvTextCodec codePage("WINDOWS-1251");
  const SettingsEnvironment env{files, codePage};
  FolderState state;
  state.FolderPath = dir.path();
  state.ImagePath = "C:\\Обои\\лето.jpg";
  state.TextColor = 16777215;
  state.TextColorChanged = true;
  SaveFolderSettings(state, true, env);
  EXPECT_EQ(testing::ReadBytes(dir / "Desktop.ini"),
            "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconarea_Image=C:\\\xCE\xE1\xEE\xE8\\"
            "\xEB\xE5\xF2\xEE.jpg\r\nIconArea_Text=16777215\r\n");
  FolderState loaded;
  loaded.FolderPath = dir.path();
  LoadFolderSettings(loaded, env);
  EXPECT_EQ(loaded.ImagePath, state.ImagePath);
  EXPECT_EQ(loaded.TextColor, 16777215);
  RemoveFolderSettings(loaded, env);
  EXPECT_EQ(testing::ReadBytes(dir / "Desktop.ini"), std::nullopt);
}

}  // namespace
}  // namespace veskaro
