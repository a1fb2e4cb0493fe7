// The file-system port against real files under Wine.
#include "platform/win32/win32_file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "win_test_support.h"

namespace veskaro::test {
namespace {

using ::testing::ElementsAre;
using win32::ReplaceStep;
using win32::Win32FileSystem;

constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD kSystem = FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY;

const std::string kOld = "[.ShellClassInfo]\r\nIconFile=old.ico\r\nIconIndex=3\r\n";
const std::string kNew = "[.ShellClassInfo]\r\nIconFile=new.ico\r\n";

class Win32FileSystemTest : public ScratchFolder {
 protected:
  Win32FileSystem files_;
};

TEST_F(Win32FileSystemTest, ReplaceCreatesAMissingFileWithExactlyTheBytes) {
  const std::string bytes("\xFF\xFE[\0s\0]\0\r\0\n\0", 12);  // embedded NULs, CR LF
  files_.ReplaceFileSafely(Utf8(L"Desktop.ini"), bytes);
  EXPECT_EQ(ReadRaw(Wide(L"Desktop.ini")), bytes);
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));
  // A new file is plain: hiding it is the attribute step's business.
  EXPECT_EQ(WithoutArchive(GetFileAttributesW(Wide(L"Desktop.ini").c_str())), 0u);
}

TEST_F(Win32FileSystemTest, ReplaceWithShorterContentLeavesNoTail) {
  ASSERT_TRUE(WriteRaw(Wide(L"Desktop.ini"), kOld));
  files_.ReplaceFileSafely(Utf8(L"Desktop.ini"), kNew);
  EXPECT_EQ(ReadRaw(Wide(L"Desktop.ini")), kNew);
  files_.ReplaceFileSafely(Utf8(L"Desktop.ini"), "");
  EXPECT_EQ(ReadRaw(Wide(L"Desktop.ini")), "");
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));
}

// The attributes a Desktop.ini has in the wild; each must survive a write.
class ReplaceKeepsAttributes : public Win32FileSystemTest,
                               public ::testing::WithParamInterface<DWORD> {};

TEST_P(ReplaceKeepsAttributes, OnAnExistingFile) {
  const std::wstring path = Wide(L"Desktop.ini");
  ASSERT_TRUE(WriteRaw(path, kOld));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), GetParam()));
  const DWORD before = GetFileAttributesW(path.c_str());

  files_.ReplaceFileSafely(win32::ToUtf8(path), kNew);

  EXPECT_EQ(ReadRaw(path), kNew);
  EXPECT_EQ(WithoutArchive(GetFileAttributesW(path.c_str())), WithoutArchive(before));
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));
}

INSTANTIATE_TEST_SUITE_P(Attributes, ReplaceKeepsAttributes,
                         ::testing::Values(FILE_ATTRIBUTE_NORMAL, kHidden, kSystem,
                                           kHidden | kSystem,
                                           kHidden | kSystem | FILE_ATTRIBUTE_ARCHIVE));

// Every way the write can fail must leave the old file as it was and no
// temporary file behind.
class ReplaceRefusesReadOnly : public Win32FileSystemTest,
                               public ::testing::WithParamInterface<DWORD> {};

TEST_P(ReplaceRefusesReadOnly, AndLeavesTheFileWhole) {
  const std::wstring path = Wide(L"Desktop.ini");
  ASSERT_TRUE(WriteRaw(path, kOld));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), GetParam()));
  const DWORD before = GetFileAttributesW(path.c_str());

  EXPECT_THROW(files_.ReplaceFileSafely(win32::ToUtf8(path), kNew), FileSystemError);

  EXPECT_EQ(ReadRaw(path), kOld);
  EXPECT_EQ(GetFileAttributesW(path.c_str()), before);
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));
}

INSTANTIATE_TEST_SUITE_P(Attributes, ReplaceRefusesReadOnly,
                         ::testing::Values(kReadOnly, kReadOnly | kHidden,
                                           kReadOnly | kHidden | kSystem));

// Each step of the replacement failing in turn, on a new file and on a
// hidden system one: the old state stays exactly as it was.
struct FaultCase {
  ReplaceStep step;
  bool existing;
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c) {
  return out << "step " << static_cast<int>(c.step) << (c.existing ? " existing" : " new");
}

class ReplaceFaults : public ScratchFolder, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ReplaceFaults, LeaveTheOldStateWhole) {
  const std::wstring path = Wide(L"Desktop.ini");
  if (GetParam().existing) {
    ASSERT_TRUE(WriteRaw(path, kOld));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), kHidden | kSystem));
  }
  const DWORD before = GetFileAttributesW(path.c_str());
  int reached = 0;
  Win32FileSystem files([&](ReplaceStep step) {
    if (step == GetParam().step) ++reached;
    return step == GetParam().step;
  });

  try {
    files.ReplaceFileSafely(win32::ToUtf8(path), kNew);
    ADD_FAILURE() << "no error";
  } catch (const FileSystemError& error) {
    EXPECT_THAT(error.what(), ::testing::HasSubstr(win32::ToUtf8(path)));
  }
  EXPECT_EQ(reached, 1);
  EXPECT_EQ(GetFileAttributesW(path.c_str()), before);
  if (GetParam().existing) {
    EXPECT_EQ(ReadRaw(path), kOld);
    EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));
  } else {
    EXPECT_THAT(ListFolder(folder_), ElementsAre());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ReplaceFaults,
    ::testing::Values(FaultCase{ReplaceStep::CreateTemporary, true},
                      FaultCase{ReplaceStep::Write, true}, FaultCase{ReplaceStep::Flush, true},
                      FaultCase{ReplaceStep::Close, true},
                      FaultCase{ReplaceStep::CarryAttributes, true},
                      FaultCase{ReplaceStep::Swap, true},
                      FaultCase{ReplaceStep::CreateTemporary, false},
                      FaultCase{ReplaceStep::Write, false}, FaultCase{ReplaceStep::Flush, false},
                      FaultCase{ReplaceStep::Close, false}, FaultCase{ReplaceStep::Swap, false}));

TEST_F(Win32FileSystemTest, ReplaceOfAFileHeldOpenWithoutSharingFailsAndKeepsIt) {
  const std::wstring path = Wide(L"Desktop.ini");
  ASSERT_TRUE(WriteRaw(path, kOld));
  HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  EXPECT_THROW(files_.ReplaceFileSafely(win32::ToUtf8(path), kNew), FileSystemError);
  CloseHandle(holder);

  EXPECT_EQ(ReadRaw(path), kOld);
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));
}

TEST_F(Win32FileSystemTest, ReplaceInAMissingFolderFailsAndCreatesNothing) {
  try {
    files_.ReplaceFileSafely(Utf8(L"missing\\Desktop.ini"), kNew);
    FAIL() << "no error";
  } catch (const FileSystemError& error) {
    EXPECT_THAT(error.what(), ::testing::HasSubstr(Utf8(L"missing\\Desktop.ini")));
  }
  EXPECT_TRUE(ListFolder(folder_).empty());
}

TEST_F(Win32FileSystemTest, ADirectoryNamedDesktopIniIsNoFile) {
  const std::wstring path = Wide(L"Desktop.ini");
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
  const std::string utf8 = win32::ToUtf8(path);

  EXPECT_FALSE(files_.IsExistingFile(utf8));
  EXPECT_EQ(files_.ReadFile(utf8), std::nullopt);
  EXPECT_THROW(files_.ReplaceFileSafely(utf8, kNew), FileSystemError);
  EXPECT_EQ(files_.DeleteFile(utf8), DeleteResult::Failed);
  ASSERT_TRUE(files_.GetAttributes(utf8).has_value());
  EXPECT_NE(*files_.GetAttributes(utf8) & file_attribute::Directory, 0u);
  EXPECT_THAT(ListFolder(folder_), ElementsAre(L"Desktop.ini"));
  EXPECT_THAT(ListFolder(path), ElementsAre());
}

TEST_F(Win32FileSystemTest, UnicodePathsWorkEverywhere) {
  const std::wstring sub = L"Папка 文件夹";
  ASSERT_TRUE(CreateDirectoryW(Wide(sub).c_str(), nullptr));
  const std::wstring path = Wide(sub + L"\\Desktop.ini");
  const std::string utf8 = win32::ToUtf8(path);
  // The UTF-8 really carries the characters (no '?' from a code page).
  ASSERT_NE(utf8.find("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 \xE6\x96\x87"), std::string::npos);

  EXPECT_TRUE(files_.IsExistingAbsoluteDirectory(win32::ToUtf8(Wide(sub))));
  EXPECT_FALSE(files_.IsExistingFile(utf8));
  files_.ReplaceFileSafely(utf8, kOld);
  EXPECT_TRUE(files_.IsExistingFile(utf8));
  EXPECT_EQ(ReadRaw(path), kOld);  // the file has the wide name
  EXPECT_EQ(files_.ReadFile(utf8), kOld);
  EXPECT_TRUE(files_.SetAttributes(utf8, file_attribute::Hidden));
  files_.ReplaceFileSafely(utf8, kNew);
  EXPECT_EQ(files_.ReadFile(utf8), kNew);
  EXPECT_EQ(WithoutArchive(*files_.GetAttributes(utf8)), kHidden);
  EXPECT_EQ(files_.DeleteFile(utf8), DeleteResult::Deleted);
  EXPECT_THAT(ListFolder(Wide(sub)), ElementsAre());
}

TEST_F(Win32FileSystemTest, ReadFileGivesBytesOrNothing) {
  EXPECT_EQ(files_.ReadFile(Utf8(L"absent.ini")), std::nullopt);
  EXPECT_EQ(files_.ReadFile(Utf8(L"no\\such\\folder.ini")), std::nullopt);

  const std::string bytes("a\0b\r\nc\xE9", 7);
  ASSERT_TRUE(WriteRaw(Wide(L"hidden.ini"), bytes));
  ASSERT_TRUE(SetFileAttributesW(Wide(L"hidden.ini").c_str(), kHidden | kSystem | kReadOnly));
  EXPECT_EQ(files_.ReadFile(Utf8(L"hidden.ini")), bytes);

  // Another program editing the file must not stop us reading it.
  HANDLE writer = CreateFileW(Wide(L"open.ini").c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(writer, "x=1", 3, &written, nullptr));
  EXPECT_EQ(files_.ReadFile(Utf8(L"open.ini")), "x=1");
  CloseHandle(writer);
}

TEST_F(Win32FileSystemTest, IsExistingFileSeesHiddenAndSystemFiles) {
  ASSERT_TRUE(WriteRaw(Wide(L"Desktop.ini"), kOld));
  ASSERT_TRUE(SetFileAttributesW(Wide(L"Desktop.ini").c_str(), kHidden | kSystem));
  EXPECT_TRUE(files_.IsExistingFile(Utf8(L"Desktop.ini")));
  EXPECT_TRUE(files_.IsExistingFile(Utf8(L"DESKTOP.INI")));  // names ignore case
  EXPECT_FALSE(files_.IsExistingFile(Utf8(L"Desktop.in")));
  // No wildcard matching: "Desktop.in?" names no file.
  EXPECT_FALSE(files_.IsExistingFile(Utf8(L"Desktop.in?")));
  EXPECT_FALSE(files_.IsExistingFile(FolderUtf8()));
}

TEST_F(Win32FileSystemTest, DeleteReportsWhatHappened) {
  ASSERT_TRUE(WriteRaw(Wide(L"Desktop.ini"), kOld));
  ASSERT_TRUE(SetFileAttributesW(Wide(L"Desktop.ini").c_str(), kHidden | kSystem));
  EXPECT_EQ(files_.DeleteFile(Utf8(L"Desktop.ini")), DeleteResult::Deleted);
  EXPECT_THAT(ListFolder(folder_), ElementsAre());
  EXPECT_EQ(files_.DeleteFile(Utf8(L"Desktop.ini")), DeleteResult::NotFound);
  EXPECT_EQ(files_.DeleteFile(Utf8(L"missing\\Desktop.ini")), DeleteResult::NotFound);

  ASSERT_TRUE(WriteRaw(Wide(L"locked.ini"), kOld));
  ASSERT_TRUE(SetFileAttributesW(Wide(L"locked.ini").c_str(), kReadOnly));
  EXPECT_EQ(files_.DeleteFile(Utf8(L"locked.ini")), DeleteResult::Failed);
  EXPECT_EQ(ReadRaw(Wide(L"locked.ini")), kOld);
}

TEST_F(Win32FileSystemTest, AttributesAreSetAndReadBack) {
  const std::string file = Utf8(L"Desktop.ini");
  EXPECT_EQ(files_.GetAttributes(file), std::nullopt);
  EXPECT_FALSE(files_.SetAttributes(file, file_attribute::Hidden));

  ASSERT_TRUE(WriteRaw(Wide(L"Desktop.ini"), kOld));
  ASSERT_TRUE(files_.SetAttributes(file, file_attribute::Hidden | file_attribute::System |
                                             file_attribute::ReadOnly));
  EXPECT_EQ(WithoutArchive(*files_.GetAttributes(file)), kHidden | kSystem | kReadOnly);
  ASSERT_TRUE(files_.SetAttributes(file, file_attribute::Hidden));
  EXPECT_EQ(WithoutArchive(*files_.GetAttributes(file)), kHidden);

  const std::string folder = FolderUtf8();
  const std::uint32_t folderBefore = *files_.GetAttributes(folder);
  ASSERT_TRUE(files_.SetAttributes(folder, folderBefore | file_attribute::System));
  EXPECT_EQ(*files_.GetAttributes(folder) & (file_attribute::Directory | file_attribute::System),
            file_attribute::Directory | file_attribute::System);
}

struct AbsoluteCase {
  const wchar_t* path;
  bool absolute;
};

class AbsolutePathRule : public ::testing::TestWithParam<AbsoluteCase> {};

TEST_P(AbsolutePathRule, DependsOnlyOnTheSpelling) {
  EXPECT_EQ(win32::IsAbsoluteWindowsPath(GetParam().path), GetParam().absolute)
      << win32::ToUtf8(GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AbsolutePathRule,
    ::testing::Values(AbsoluteCase{L"C:\\", true}, AbsoluteCase{L"c:\\Users", true},
                      AbsoluteCase{L"Z:/tmp", true}, AbsoluteCase{L"\\\\server\\share", true},
                      AbsoluteCase{L"\\\\?\\C:\\x", true}, AbsoluteCase{L"", false},
                      AbsoluteCase{L"C:", false}, AbsoluteCase{L"C:Windows", false},
                      AbsoluteCase{L"\\Windows", false}, AbsoluteCase{L"/Windows", false},
                      AbsoluteCase{L"\\\\", false}, AbsoluteCase{L"\\\\\\x", false},
                      AbsoluteCase{L"Windows", false}, AbsoluteCase{L".", false},
                      AbsoluteCase{L"1:\\x", false},
                      AbsoluteCase{L"Мой компьютер", false}));

TEST_F(Win32FileSystemTest, ExistingAbsoluteDirectoryNeedsBoth) {
  Win32FileSystem& files = files_;
  EXPECT_TRUE(files.IsExistingAbsoluteDirectory(FolderUtf8()));
  EXPECT_TRUE(files.IsExistingAbsoluteDirectory(FolderUtf8() + "\\"));
  EXPECT_TRUE(files.IsExistingAbsoluteDirectory("C:\\"));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory(Utf8(L"missing")));
  ASSERT_TRUE(WriteRaw(Wide(L"file"), "x"));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory(Utf8(L"file")));

  // Relative spellings of folders that do exist are still refused.
  wchar_t windows[MAX_PATH];
  ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const std::wstring windowsDir = windows;  // "C:\windows"
  ASSERT_TRUE(files.IsExistingAbsoluteDirectory(win32::ToUtf8(windowsDir)));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory(win32::ToUtf8(windowsDir.substr(2))));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory(
      win32::ToUtf8(windowsDir.substr(0, 2) + windowsDir.substr(3))));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory("."));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory(""));
}

// A drive root as folder: the settings path has two backslashes in a row
// ("C:\" + "\Desktop.ini") and must still name C:\Desktop.ini everywhere.
TEST(Win32FileSystemDriveRoot, DoubledSeparatorPathWorksEverywhere) {
  Win32FileSystem files;
  const std::string rootPath = "C:\\\\Desktop.ini";
  const std::wstring plain = L"C:\\Desktop.ini";
  if (GetFileAttributesW(plain.c_str()) != INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "C:\\Desktop.ini exists already; not touching it";
  }
  struct Cleanup {
    std::wstring path;
    ~Cleanup() { RemoveTree(path); }
  } cleanup{plain};

  EXPECT_FALSE(files.IsExistingFile(rootPath));
  files.ReplaceFileSafely(rootPath, kOld);
  EXPECT_EQ(ReadRaw(plain), kOld);
  EXPECT_TRUE(files.IsExistingFile(rootPath));
  EXPECT_TRUE(files.SetAttributes(rootPath, file_attribute::Hidden | file_attribute::System));
  files.ReplaceFileSafely(rootPath, kNew);
  EXPECT_EQ(files.ReadFile(rootPath), kNew);
  EXPECT_EQ(WithoutArchive(*files.GetAttributes(rootPath)), kHidden | kSystem);
  EXPECT_EQ(files.DeleteFile(rootPath), DeleteResult::Deleted);
  EXPECT_EQ(GetFileAttributesW(plain.c_str()), INVALID_FILE_ATTRIBUTES);
  // Nothing of ours is left at the root either.
  for (const std::wstring& name : ListFolder(L"C:")) {
    EXPECT_EQ(name.find(L"~veskaro-"), std::wstring::npos) << win32::ToUtf8(name);
  }
}

}  // namespace
}  // namespace veskaro::test
