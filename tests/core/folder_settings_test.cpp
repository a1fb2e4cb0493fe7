#include "core/folder_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/settings_file.h"
#include "fakes.h"

namespace veskaro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using testing::FakeCodePage;
using testing::FakeFileSystem;

constexpr char kFolder[] = "C:\\Photos";
constexpr char kIni[] = "C:\\Photos\\Desktop.ini";
const std::string kGuid = "{BE098140-A513-11D0-A3A4-00C04FD706EC}";

class FolderSettingsTest : public ::testing::Test {
 protected:
  FolderSettingsTest() {
    files.AddFolder("C:\\");
    files.AddFolder(kFolder);
    state.FolderPath = kFolder;
  }
  SettingsEnvironment env() { return SettingsEnvironment{files, codePage}; }
  FolderState Loaded() {
    FolderState loaded;
    loaded.FolderPath = state.FolderPath;
    LoadFolderSettings(loaded, env());
    return loaded;
  }

  FakeFileSystem files;
  FakeCodePage codePage;
  FolderState state;
};

TEST(SettingsFilePathTest, JoinsAsTheyStand) {
  EXPECT_EQ(SettingsFilePath("C:\\Photos"), "C:\\Photos\\Desktop.ini");
  EXPECT_EQ(SettingsFilePath("C:\\"), "C:\\\\Desktop.ini");
  EXPECT_EQ(SettingsFilePath("D:\\a\\"), "D:\\a\\\\Desktop.ini");
}

// --- Load ------------------------------------------------------------------

TEST_F(FolderSettingsTest, LoadReadsTheFiveKeys) {
  files.AddFile(kIni, "[" + kGuid + "]\r\nICONAREA_IMAGE = C:\\pic.jpg\r\n"
                "iconarea_text=$FF\r\nIconArea_TextBackground=-1\r\n"
                "[.shellclassinfo]\r\nIconFile=\"C:\\i.ico\"\r\nIconIndex=-3\r\n");
  state.TextColorChanged = state.TextBackChanged = true;
  LoadFolderSettings(state, env());
  EXPECT_EQ(state.FolderPath, kFolder);
  EXPECT_EQ(state.ImagePath, "C:\\pic.jpg");
  EXPECT_EQ(state.TextColor, 255);
  EXPECT_EQ(state.TextBackColor, ColorNone);
  EXPECT_EQ(state.IconFileName, "C:\\i.ico");
  EXPECT_EQ(state.IconIndexValue, -3);
  EXPECT_TRUE(state.TextColorChanged && state.TextBackChanged);  // not the load's to clear
}

TEST_F(FolderSettingsTest, LoadGivesEachMissingOrUnreadableKeyItsDefault) {
  files.AddFile(kIni, "[" + kGuid + "]\r\nIconArea_Text=12abc\r\n[.ShellClassInfo]\r\nIconIndex=x\r\n");
  state.ImagePath = "old";
  state.TextColor = 7;
  state.IconIndexValue = 5;
  LoadFolderSettings(state, env());
  EXPECT_EQ(state.ImagePath, "");
  EXPECT_EQ(state.TextColor, 0);
  EXPECT_EQ(state.TextBackColor, ColorNone);
  EXPECT_EQ(state.IconFileName, "");
  EXPECT_EQ(state.IconIndexValue, 0);
}

// Without a file the state must not keep the previous folder's picture and
// icon, or the next save writes them into this folder.
TEST_F(FolderSettingsTest, LoadWithoutAFileClearsWhatAnEarlierFolderLeft) {
  files.AddFolder("C:\\Dir");
  files.AddFolder("C:\\Dir\\Desktop.ini");  // a folder of that name is no file
  for (const std::string& folder : {std::string(kFolder), std::string("C:\\Dir"), std::string(),
                                   std::string("Photos"), std::string("C:\\Missing")}) {
    FolderState previous;
    previous.FolderPath = folder;
    previous.ImagePath = "C:\\old.jpg";
    previous.IconFileName = "C:\\old.ico";
    previous.IconIndexValue = 5;
    previous.TextColor = 9;
    previous.TextBackColor = 9;
    LoadFolderSettings(previous, env());
    FolderState expected;
    expected.FolderPath = folder;
    expected.TextBackColor = ColorNone;
    EXPECT_EQ(previous, expected) << folder;
  }
}

TEST_F(FolderSettingsTest, LoadCutsTextTo2047Characters) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 code units
  const struct {
    std::string value;
    std::string expected;
  } cases[] = {
      {std::string(3000, 'a'), std::string(2047, 'a')},
      {std::string(2047, 'b'), std::string(2047, 'b')},
      {std::string(2046, 'c') + emoji, std::string(2046, 'c')},  // no half character
      {std::string(2045, 'd') + emoji, std::string(2045, 'd') + emoji},
  };
  for (const auto& c : cases) {
    files.AddFile(kIni, testing::Utf16Bytes(u"[.ShellClassInfo]\r\nIconFile=") +
                            testing::Utf16Bytes(c.value, false));
    EXPECT_EQ(Loaded().IconFileName, c.expected);
  }
}

// --- Save ------------------------------------------------------------------

struct SaveCase {
  const char* name;
  bool writePicture;
  bool textChanged;
  bool backChanged;
  const char* icon;
  const char* expectedFile;  // nullptr: no file
};

class SaveConditions : public FolderSettingsTest,
                       public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveConditions, WriteOnlyTheKeysWhoseConditionsHold) {
  const SaveCase& c = GetParam();
  state.ImagePath = "";
  state.TextColor = 255;
  state.TextBackColor = 16711680;
  state.TextColorChanged = c.textChanged;
  state.TextBackChanged = c.backChanged;
  state.IconFileName = c.icon;
  state.IconIndexValue = 4;
  SaveFolderSettings(state, c.writePicture, env());
  if (c.expectedFile) {
    EXPECT_EQ(files.Bytes(kIni), std::string(c.expectedFile));
  } else {
    EXPECT_EQ(files.Find(kIni), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveConditions,
    ::testing::Values(
        SaveCase{"Nothing", false, false, false, "", nullptr},
        SaveCase{"EmptyPictureStillWritten", true, false, false, "",
                 "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconarea_Image=\r\n"},
        SaveCase{"Colours", false, true, true, "",
                 "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconArea_Text=255\r\n"
                 "IconArea_TextBackground=16711680\r\n"},
        SaveCase{"IconWithIndex", false, false, false, "C:\\a.ico",
                 "[.ShellClassInfo]\r\nIconFile=C:\\a.ico\r\nIconIndex=4\r\n"},
        SaveCase{"Everything", true, true, true, "C:\\a.ico",
                 "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconarea_Image=\r\n"
                 "IconArea_Text=255\r\nIconArea_TextBackground=16711680\r\n"
                 "[.ShellClassInfo]\r\nIconFile=C:\\a.ico\r\nIconIndex=4\r\n"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FolderSettingsTest, SaveKeepsEverythingElseOfTheFile) {
  const std::string before = "; mine\r\n[" + kGuid + "]\r\nIconArea_Text = 1 \r\nOther=x\r\n\r\n"
                             "[Foreign]\r\nIconFile=keep\r\n[.ShellClassInfo]\r\nInfoTip=tip";
  files.AddFile(kIni, before);
  state.TextColor = 65280;
  state.TextColorChanged = true;
  state.IconFileName = "C:\\b.ico";
  SaveFolderSettings(state, false, env());
  EXPECT_EQ(files.Bytes(kIni), "; mine\r\n[" + kGuid + "]\r\nIconArea_Text=65280\r\nOther=x\r\n\r\n"
                               "[Foreign]\r\nIconFile=keep\r\n[.ShellClassInfo]\r\nInfoTip=tip\r\n"
                               "IconFile=C:\\b.ico\r\nIconIndex=0\r\n");
}

TEST_F(FolderSettingsTest, SaveTwiceWritesTheSameFile) {
  state.ImagePath = "C:\\x.jpg";
  state.TextBackChanged = true;
  SaveFolderSettings(state, true, env());
  const auto once = files.Bytes(kIni);
  SaveFolderSettings(state, true, env());
  EXPECT_EQ(files.Bytes(kIni), once);
}

TEST_F(FolderSettingsTest, UnicodeValuesComeBackWhole) {
  state.ImagePath = "C:\\Обои\\фон.jpg";  // fits the code page
  SaveFolderSettings(state, true, env());
  EXPECT_EQ(files.Bytes(kIni)->substr(0, 2), "[{");
  EXPECT_EQ(Loaded().ImagePath, state.ImagePath);

  state.IconFileName = "C:\\图标\\アイコン.ico";  // does not: the file turns UTF-16LE
  SaveFolderSettings(state, true, env());
  EXPECT_EQ(files.Bytes(kIni)->substr(0, 2), "\xFF\xFE");
  const FolderState loaded = Loaded();
  EXPECT_EQ(loaded.ImagePath, state.ImagePath);
  EXPECT_EQ(loaded.IconFileName, state.IconFileName);
}

TEST_F(FolderSettingsTest, AttributeStepHidesTheFileAndAddsSystemToTheFolder) {
  files.AddFolder(kFolder, file_attribute::Directory | file_attribute::Hidden |
                               file_attribute::ReadOnly);
  files.AddFile(kIni, "", file_attribute::Archive | file_attribute::ReadOnly);
  SaveFolderSettings(state, false, env());  // no key: only the attribute step
  EXPECT_THAT(files.setAttributeCalls,
              ElementsAre(Pair(kIni, file_attribute::Hidden),
                          Pair(kFolder, file_attribute::Hidden | file_attribute::ReadOnly |
                                            file_attribute::System)));
}

TEST_F(FolderSettingsTest, AttributeFailuresAreIgnored) {
  files.failSetAttributes = true;
  state.ImagePath = "p";
  EXPECT_NO_THROW(SaveFolderSettings(state, true, env()));
  EXPECT_EQ(files.setAttributeCalls.size(), 2u);
}

TEST_F(FolderSettingsTest, DriveRootUsesThePathAsFormed) {
  state.FolderPath = "C:\\";
  state.ImagePath = "p";
  SaveFolderSettings(state, true, env());
  EXPECT_TRUE(files.Find("C:\\Desktop.ini"));
  EXPECT_THAT(files.setAttributeCalls,
              ElementsAre(Pair("C:\\\\Desktop.ini", file_attribute::Hidden),
                          Pair("C:\\", file_attribute::System)));
}

// A failure at the write leaves the old bytes whole, reports the path, and
// stops the save before later keys and the attribute step.
TEST_F(FolderSettingsTest, FailedWriteLeavesTheFileWholeAndNamesIt) {
  const std::string before = "[.ShellClassInfo]\r\nInfoTip=tip\r\n";
  files.AddFile(kIni, before);
  files.failReplaceAfter = 1;  // the first key goes through, the second fails
  state.ImagePath = "C:\\p.jpg";
  state.TextColorChanged = true;
  state.TextColor = 1;
  try {
    SaveFolderSettings(state, true, env());
    FAIL() << "no exception";
  } catch (const EIniFileException& e) {
    EXPECT_STREQ(e.what(), "Unable to write to C:\\Photos\\Desktop.ini");
    EXPECT_EQ(e.path(), kIni);
  }
  EXPECT_EQ(files.Bytes(kIni), before + "[" + kGuid + "]\r\nIconarea_Image=C:\\p.jpg\r\n");
  EXPECT_THAT(files.setAttributeCalls, IsEmpty());
}

TEST_F(FolderSettingsTest, ReadOnlyOrUnreadableFileIsAWriteError) {
  state.ImagePath = "p";
  files.AddFile(kIni, "[a]\r\n", file_attribute::ReadOnly);
  EXPECT_THROW(SaveFolderSettings(state, true, env()), EIniFileException);
  EXPECT_EQ(files.Bytes(kIni), "[a]\r\n");

  files.AddFile(kIni, "[a]\r\nx=1\r\n");
  files.unreadable.insert(kIni);  // never replace what could not be read
  EXPECT_THROW(SaveFolderSettings(state, true, env()), EIniFileException);
  EXPECT_EQ(files.Bytes(kIni), "[a]\r\nx=1\r\n");
}

TEST_F(FolderSettingsTest, SaveAndRemoveRefuseAFolderThatIsNotThere) {
  files.AddFile("C:\\file.txt", "");
  for (const std::string& folder : {std::string(), std::string("Photos"), std::string("\\Photos"),
                                   std::string("C:\\Missing"), std::string("C:\\file.txt")}) {
    state.FolderPath = folder;
    state.ImagePath = "p";
    try {
      SaveFolderSettings(state, true, env());
      FAIL() << folder;
    } catch (const FolderNotFoundError& e) {
      EXPECT_EQ(e.path(), folder);
      if (!folder.empty()) {
        EXPECT_THAT(e.what(), ::testing::HasSubstr(folder));
      }
    }
    EXPECT_THROW(RemoveFolderSettings(state, env()), FolderNotFoundError);
  }
  EXPECT_EQ(files.replaceCalls, 0);
  EXPECT_THAT(files.setAttributeCalls, IsEmpty());
}

TEST_F(FolderSettingsTest, ValueThatWouldInjectLinesIsRefusedBeforeAnyWrite) {
  for (const std::string& bad : {std::string("a\r\n[x]"), std::string("a\nb"),
                                std::string("a\0b", 3)}) {
    state.ImagePath = "fine.jpg";
    state.IconFileName = bad;
    EXPECT_THROW(SaveFolderSettings(state, true, env()), InvalidValueError);
    state.IconFileName = "";
    state.ImagePath = bad;
    EXPECT_THROW(SaveFolderSettings(state, true, env()), InvalidValueError);
  }
  EXPECT_EQ(files.replaceCalls, 0);
  EXPECT_EQ(files.Find(kIni), nullptr);
}

TEST_F(FolderSettingsTest, WriteTextPrimitiveAlsoRefusesLineBreaks) {
  SettingsFile file(kIni, files, codePage);
  EXPECT_THROW(file.WriteText(".ShellClassInfo", "IconFile", "a\rb"), InvalidValueError);
  EXPECT_EQ(files.replaceCalls, 0);
}

TEST_F(FolderSettingsTest, ReadsSeeTheFileAsTheLastWriteLeftIt) {
  files.AddFile(kIni, "[s]\r\nk=1\r\n");
  SettingsFile file(kIni, files, codePage);
  EXPECT_EQ(file.ReadInteger("s", "k", 0), 1);
  files.AddFile(kIni, "[s]\r\nk=2\r\nj=3\r\n");  // changed behind our back
  file.WriteInteger("s", "k", 5);                     // a write reads the file afresh
  EXPECT_EQ(files.Bytes(kIni), "[s]\r\nk=5\r\nj=3\r\n");
  EXPECT_EQ(file.ReadInteger("s", "k", 0), 5);
  EXPECT_EQ(file.ReadText("s", "j", "none"), "3");
  EXPECT_EQ(file.ReadText("s", "x", "none"), "none");
  file.Close();
}

// --- Remove ----------------------------------------------------------------

struct RemoveCase {
  const char* name;
  std::string before;
  std::optional<std::string> after;  // nothing: the file is deleted
};

class RemoveFolderSettingsTest : public FolderSettingsTest,
                                 public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveFolderSettingsTest, RemovesOnlyOurSettings) {
  files.AddFolder(kFolder, file_attribute::Directory | file_attribute::System);
  files.AddFile(kIni, GetParam().before, file_attribute::Hidden);
  RemoveFolderSettings(state, env());
  EXPECT_EQ(files.Bytes(kIni), GetParam().after);
  EXPECT_EQ(files.GetAttributes(kFolder), file_attribute::Directory | file_attribute::System);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RemoveFolderSettingsTest,
    ::testing::Values(
        RemoveCase{"OnlyOursDeletesTheFile",
                   "[" + kGuid + "]\r\nIconarea_Image=a\r\nIconArea_Text=1\r\n"
                   "IconArea_TextBackground=2\r\n\r\n[.ShellClassInfo]\r\nIconFile=i\r\nIconIndex=1\r\n",
                   std::nullopt},
        RemoveCase{"ForeignKeysStay",
                   "[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\nIconFile=i\r\n"
                   "IconIndex=1\r\n[" + kGuid + "]\r\nIconArea_Text=1\r\n",
                   "[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\n"},
        RemoveCase{"CommentKeepsItsSection", "[" + kGuid + "]\r\n; note\r\nIconArea_Text=1\r\n",
                   "[" + kGuid + "]\r\n; note\r\n"},
        RemoveCase{"DuplicatesGoToo",
                   "[.ShellClassInfo]\r\nIconFile=a\r\nICONFILE=b\r\n[.shellclassinfo]\r\nIconIndex=3\r\n"
                   "[Other]\r\nx=1",
                   "[Other]\r\nx=1"},
        RemoveCase{"NothingOfOursLeavesTheBytes", "[Other]\n x = 1 ", "[Other]\n x = 1 "}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FolderSettingsTest, RemoveOfAMissingFileIsNoError) {
  EXPECT_NO_THROW(RemoveFolderSettings(state, env()));
  EXPECT_EQ(files.replaceCalls, 0);
}

TEST_F(FolderSettingsTest, RemoveFailuresAreReported) {
  files.AddFile(kIni, "[.ShellClassInfo]\r\nIconFile=i\r\n");
  files.failDelete = true;
  EXPECT_THROW(RemoveFolderSettings(state, env()), EIniFileException);

  files.AddFile(kIni, "[.ShellClassInfo]\r\nIconFile=i\r\nInfoTip=t\r\n");
  files.failReplaceAfter = 0;
  EXPECT_THROW(RemoveFolderSettings(state, env()), EIniFileException);
  EXPECT_EQ(files.Bytes(kIni), "[.ShellClassInfo]\r\nIconFile=i\r\nInfoTip=t\r\n");

  files.unreadable.insert(kIni);
  EXPECT_THROW(RemoveFolderSettings(state, env()), EIniFileException);
}

}  // namespace
}  // namespace veskaro
