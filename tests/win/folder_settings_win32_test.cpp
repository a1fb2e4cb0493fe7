// Load, save and removal of a folder's settings through the real Win32
// ports: real files, real attributes, and the shell's own reader
// (GetPrivateProfileStringW) agreeing with what we wrote.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/folder_settings.h"
#include "platform/platform.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_text_codec.h"
#include "win_test_support.h"

namespace veskaro::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using win32::ToUtf8;
using win32::ToWide;

constexpr wchar_t kIconArea[] = L"{BE098140-A513-11D0-A3A4-00C04FD706EC}";

class FolderSettingsWin32 : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    files_ = MakeFileSystem();
    codePage_ = MakeSystemCodePage("ignored on Windows");
    state_.FolderPath = FolderUtf8();
    iniPath_ = Wide(L"Desktop.ini");
  }

  SettingsEnvironment Env() { return SettingsEnvironment{*files_, *codePage_}; }

  // What Explorer reads from the file.
  std::wstring ShellRead(const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[2048];
    GetPrivateProfileStringW(section, key, L"<missing>", buffer, 2048, iniPath_.c_str());
    return buffer;
  }

  DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<TextCodec> codePage_;
  FolderState state_;
  std::wstring iniPath_;
};

TEST_F(FolderSettingsWin32, PlatformReportsAttributes) { EXPECT_TRUE(PlatformHasFileAttributes()); }

TEST_F(FolderSettingsWin32, SaveWritesWhatTheShellReadsAndMarksFileAndFolder) {
  state_.ImagePath = "C:\\Pictures\\sky.jpg";
  state_.TextColor = 255;
  state_.TextColorChanged = true;
  state_.TextBackColor = 16777215;
  state_.TextBackChanged = true;
  state_.IconFileName = "%SystemRoot%\\system32\\shell32.dll";
  state_.IconIndexValue = -4;
  SaveFolderSettings(state_, true, Env());

  EXPECT_EQ(ShellRead(kIconArea, L"Iconarea_Image"), L"C:\\Pictures\\sky.jpg");
  EXPECT_EQ(ShellRead(kIconArea, L"IconArea_Text"), L"255");
  EXPECT_EQ(ShellRead(kIconArea, L"IconArea_TextBackground"), L"16777215");
  EXPECT_EQ(ShellRead(L".ShellClassInfo", L"IconFile"), L"%SystemRoot%\\system32\\shell32.dll");
  EXPECT_EQ(ShellRead(L".ShellClassInfo", L"IconIndex"), L"-4");
  // A new file in plain code-page text, not UTF-16.
  EXPECT_EQ(ReadRaw(iniPath_)->rfind("[", 0), 0u);

  EXPECT_EQ(WithoutArchive(Attributes(iniPath_)), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Attributes(folder_) & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM),
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));

  FolderState loaded;
  loaded.FolderPath = state_.FolderPath;
  LoadFolderSettings(loaded, Env());
  EXPECT_EQ(loaded.ImagePath, state_.ImagePath);
  EXPECT_EQ(loaded.TextColor, 255);
  EXPECT_EQ(loaded.TextBackColor, 16777215);
  EXPECT_EQ(loaded.IconFileName, state_.IconFileName);
  EXPECT_EQ(loaded.IconIndexValue, -4);
}

TEST_F(FolderSettingsWin32, SaveOverExplorersHiddenSystemFileKeepsItsEncodingAndLines) {
  // Explorer writes its own Desktop.ini as UTF-16LE, hidden and system.
  const std::wstring original =
      L"\uFEFF[.ShellClassInfo]\r\nLocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,"
      L"-21770\r\nIconResource=%SystemRoot%\\system32\\imageres.dll,-112\r\n"
      L"[ViewState]\r\nMode=\r\nVid=\r\nFolderType=Documents\r\n";
  ASSERT_TRUE(WriteRaw(iniPath_, std::string(reinterpret_cast<const char*>(original.data()),
                                             original.size() * sizeof(wchar_t))));
  ASSERT_TRUE(SetFileAttributesW(iniPath_.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

  state_.IconFileName = "C:\\Icons\\\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0.ico";  // папка.ico
  state_.IconIndexValue = 2;
  SaveFolderSettings(state_, false, Env());

  const std::string bytes = *ReadRaw(iniPath_);
  ASSERT_EQ(bytes.rfind("\xFF\xFE", 0), 0u) << "still UTF-16LE";
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  EXPECT_EQ(text,
            L"\uFEFF[.ShellClassInfo]\r\nLocalizedResourceName=@%SystemRoot%\\system32\\"
            L"shell32.dll,-21770\r\nIconResource=%SystemRoot%\\system32\\imageres.dll,-112\r\n"
            L"IconFile=C:\\Icons\\\u043F\u0430\u043F\u043A\u0430.ico\r\nIconIndex=2\r\n"
            L"[ViewState]\r\nMode=\r\nVid=\r\nFolderType=Documents\r\n");
  EXPECT_EQ(ShellRead(L".ShellClassInfo", L"IconFile"), L"C:\\Icons\\\u043F\u0430\u043F\u043A\u0430.ico");
  // The attribute step makes it hidden alone.
  EXPECT_EQ(WithoutArchive(Attributes(iniPath_)), FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FolderSettingsWin32, AValueOutsideTheCodePageTurnsANewFileIntoUtf16) {
  const std::wstring sub = L"\u0424\u043E\u0442\u043E \u5199\u771F";  // Фото 写真
  ASSERT_TRUE(CreateDirectoryW(Wide(sub).c_str(), nullptr));
  state_.FolderPath = ToUtf8(Wide(sub));
  iniPath_ = Wide(sub + L"\\Desktop.ini");
  state_.ImagePath = ToUtf8(Wide(sub + L"\\\u65E5\u672C.jpg"));
  SaveFolderSettings(state_, true, Env());

  EXPECT_EQ(ReadRaw(iniPath_)->rfind("\xFF\xFE", 0), 0u);
  EXPECT_EQ(ShellRead(kIconArea, L"Iconarea_Image"), Wide(sub + L"\\\u65E5\u672C.jpg"));
  FolderState loaded;
  loaded.FolderPath = state_.FolderPath;
  LoadFolderSettings(loaded, Env());
  EXPECT_EQ(loaded.ImagePath, state_.ImagePath);
  EXPECT_EQ(WithoutArchive(Attributes(iniPath_)), FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FolderSettingsWin32, ReadOnlyFileRefusesTheSaveAndNothingChanges) {
  const std::string original = "[.ShellClassInfo]\r\nIconFile=old.ico\r\n";
  ASSERT_TRUE(WriteRaw(iniPath_, original));
  const DWORD fileAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesW(iniPath_.c_str(), fileAttributes));
  const DWORD folderBefore = Attributes(folder_);

  state_.TextColor = 65280;
  state_.TextColorChanged = true;
  try {
    SaveFolderSettings(state_, false, Env());
    FAIL() << "the save went through";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + state_.FolderPath + "\\Desktop.ini");
  }
  EXPECT_EQ(ReadRaw(iniPath_), original);
  EXPECT_EQ(WithoutArchive(Attributes(iniPath_)), fileAttributes);
  EXPECT_EQ(Attributes(folder_), folderBefore) << "no attribute step after a failed write";
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));
}

TEST_F(FolderSettingsWin32, FolderKeepsItsOwnAttributesAndGainsSystem) {
  ASSERT_TRUE(SetFileAttributesW(folder_.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  const bool wineShowsReadOnly = (Attributes(folder_) & FILE_ATTRIBUTE_READONLY) != 0;
  state_.TextBackColor = 0;
  state_.TextBackChanged = true;
  SaveFolderSettings(state_, false, Env());

  const DWORD after = Attributes(folder_);
  EXPECT_NE(after & FILE_ATTRIBUTE_SYSTEM, 0u);
  EXPECT_NE(after & FILE_ATTRIBUTE_HIDDEN, 0u);
  // Wine keeps no read-only bit on folders; Windows does, and it must stay.
  if (wineShowsReadOnly) {
    EXPECT_NE(after & FILE_ATTRIBUTE_READONLY, 0u);
  }
}

TEST_F(FolderSettingsWin32, RemoveKeepsForeignSettingsAndDeletesAFileLeftEmpty) {
  const std::string foreign =
      "[.ShellClassInfo]\r\nInfoTip=Family photos\r\nIconFile=a.ico\r\nIconIndex=1\r\n"
      "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconArea_Text=255\r\n";
  ASSERT_TRUE(WriteRaw(iniPath_, foreign));
  ASSERT_TRUE(SetFileAttributesW(iniPath_.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW(folder_.c_str(), FILE_ATTRIBUTE_SYSTEM));

  RemoveFolderSettings(state_, Env());
  EXPECT_EQ(ReadRaw(iniPath_), "[.ShellClassInfo]\r\nInfoTip=Family photos\r\n");
  EXPECT_EQ(WithoutArchive(Attributes(iniPath_)), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(ShellRead(L".ShellClassInfo", L"InfoTip"), L"Family photos");

  // Ours alone: the file goes; the folder stays a system folder.
  ASSERT_TRUE(WriteRaw(iniPath_, "[.ShellClassInfo]\r\nIconFile=a.ico\r\nIconIndex=1\r\n"));
  ASSERT_TRUE(SetFileAttributesW(iniPath_.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  RemoveFolderSettings(state_, Env());
  EXPECT_THAT(ListFolder(folder_), ElementsAre());
  EXPECT_NE(Attributes(folder_) & FILE_ATTRIBUTE_SYSTEM, 0u);

  // Nothing to remove is no error.
  EXPECT_NO_THROW(RemoveFolderSettings(state_, Env()));
}

TEST_F(FolderSettingsWin32, RemoveOfAReadOnlyFileReportsTheWriteError) {
  ASSERT_TRUE(WriteRaw(iniPath_, "[.ShellClassInfo]\r\nIconFile=a.ico\r\n"));
  ASSERT_TRUE(SetFileAttributesW(iniPath_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(RemoveFolderSettings(state_, Env()), EIniFileException);
  EXPECT_EQ(ReadRaw(iniPath_), "[.ShellClassInfo]\r\nIconFile=a.ico\r\n");
}

TEST_F(FolderSettingsWin32, APathThatIsNoAbsoluteFolderTouchesNothing) {
  wchar_t current[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, current), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  struct Restore {
    std::wstring path;
    ~Restore() { SetCurrentDirectoryW(path.c_str()); }
  } restore{current};

  // A virtual folder's display name, a relative path, a drive-relative one.
  ASSERT_TRUE(CreateDirectoryW(Wide(L"sub").c_str(), nullptr));
  for (const std::string& path : {std::string("\xD0\x9C\xD0\xBE\xD0\xB9 \xD0\xBA\xD0\xBE\xD0\xBC"
                                             "\xD0\xBF\xD1\x8C\xD1\x8E\xD1\x82\xD0\xB5\xD1\x80"),
                                 std::string("sub"), std::string("\\sub"), std::string("")}) {
    state_.FolderPath = path;
    state_.TextColorChanged = true;
    try {
      SaveFolderSettings(state_, true, Env());
      ADD_FAILURE() << "saved into " << path;
    } catch (const FolderNotFoundError& error) {
      if (!path.empty()) {
        EXPECT_THAT(error.what(), HasSubstr(path));
      }
    }
    EXPECT_THROW(RemoveFolderSettings(state_, Env()), FolderNotFoundError);
    FolderState loaded;
    loaded.FolderPath = path;
    loaded.IconIndexValue = 5;
    LoadFolderSettings(loaded, Env());
    EXPECT_EQ(loaded.IconIndexValue, 0);
    EXPECT_EQ(loaded.TextBackColor, ColorNone);
  }
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"sub"));
  EXPECT_THAT(ListFolder(Wide(L"sub")), ElementsAre());
}

}  // namespace
}  // namespace veskaro::test
