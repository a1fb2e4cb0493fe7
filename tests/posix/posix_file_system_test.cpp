#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "temp_dir.h"

namespace veskaro {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  // The core names files the Windows way: folder, backslash, name.
  std::string Ini() const { return dir.path() + "\\Desktop.ini"; }
  std::string IniOnDisk() const { return dir / "Desktop.ini"; }
  std::size_t EntriesInDir() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++n;
    return n;
  }

  TempDir dir;
  PosixFileSystem files;
};

TEST_F(PosixFileSystemTest, ReadsEveryByteAndNothingForMissingOrDirectory) {
  const std::string bytes("a\0\xFF\r\nb", 6);
  WriteBytes(IniOnDisk(), bytes);
  EXPECT_EQ(files.ReadFile(Ini()), bytes);
  EXPECT_EQ(files.ReadFile(dir.path() + "\\missing.ini"), std::nullopt);
  EXPECT_EQ(files.ReadFile(dir.path()), std::nullopt);
}

TEST_F(PosixFileSystemTest, ReplaceCreatesAndReplacesLeavingNoTemporaryFile) {
  files.ReplaceFileSafely(Ini(), "first");
  EXPECT_EQ(ReadBytes(IniOnDisk()), "first");
  files.ReplaceFileSafely(Ini(), std::string("second\0", 7));
  EXPECT_EQ(ReadBytes(IniOnDisk()), std::string("second\0", 7));
  EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(PosixFileSystemTest, ReplaceKeepsThePermissionBits) {
  WriteBytes(IniOnDisk(), "old");
  ASSERT_EQ(::chmod(IniOnDisk().c_str(), 0640), 0);
  files.ReplaceFileSafely(Ini(), "new");
  struct stat st {};
  ASSERT_EQ(::stat(IniOnDisk().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(PosixFileSystemTest, ReplaceWritesThroughASymbolicLink) {
  WriteBytes(dir / "real.ini", "old");
  ASSERT_EQ(::symlink((dir / "real.ini").c_str(), IniOnDisk().c_str()), 0);
  files.ReplaceFileSafely(Ini(), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(IniOnDisk()));
  EXPECT_EQ(ReadBytes(dir / "real.ini"), "new");
}

TEST_F(PosixFileSystemTest, FailedReplaceThrowsAndLeavesTheOldFile) {
  std::filesystem::create_directory(IniOnDisk());
  EXPECT_THROW(files.ReplaceFileSafely(Ini(), "x"), FileSystemError);
  EXPECT_TRUE(std::filesystem::is_directory(IniOnDisk()));
  EXPECT_THROW(files.ReplaceFileSafely(dir.path() + "\\no\\Desktop.ini", "x"), FileSystemError);
  EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(PosixFileSystemTest, TellsFilesFromFolders) {
  WriteBytes(IniOnDisk(), "");
  std::filesystem::create_directory(dir / "sub");
  EXPECT_TRUE(files.IsExistingFile(Ini()));
  EXPECT_FALSE(files.IsExistingFile(dir.path() + "\\sub"));
  EXPECT_FALSE(files.IsExistingFile(dir.path() + "\\missing"));
  EXPECT_TRUE(files.IsExistingAbsoluteDirectory(dir.path() + "\\sub"));
  EXPECT_TRUE(files.IsExistingAbsoluteDirectory(dir.path() + "\\sub\\"));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory(Ini()));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory(""));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory("."));
  EXPECT_FALSE(files.IsExistingAbsoluteDirectory(dir.path() + "\\missing"));
}

TEST_F(PosixFileSystemTest, DeleteReportsWhatHappened) {
  WriteBytes(IniOnDisk(), "");
  std::filesystem::create_directory(dir / "sub");
  EXPECT_EQ(files.DeleteFile(Ini()), DeleteResult::Deleted);
  EXPECT_FALSE(std::filesystem::exists(IniOnDisk()));
  EXPECT_EQ(files.DeleteFile(Ini()), DeleteResult::NotFound);
  EXPECT_EQ(files.DeleteFile(dir.path() + "\\sub"), DeleteResult::Failed);
}

TEST_F(PosixFileSystemTest, AttributesOnlyTellFoldersAndCannotBeSet) {
  WriteBytes(IniOnDisk(), "");
  EXPECT_EQ(files.GetAttributes(dir.path()), file_attribute::Directory);
  EXPECT_EQ(files.GetAttributes(Ini()), 0u);
  EXPECT_EQ(files.GetAttributes(dir.path() + "\\missing"), std::nullopt);
  EXPECT_FALSE(files.SetAttributes(Ini(), file_attribute::Hidden));
}

}  // namespace
}  // namespace veskaro
