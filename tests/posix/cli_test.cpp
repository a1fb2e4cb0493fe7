// veskaro-cli run as a program on temporary folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "temp_dir.h"

namespace veskaro {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& arg) {
  std::string quoted(1, '\'');
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

class CliTest : public ::testing::Test {
 protected:
  Result Run(const std::vector<std::string>& args) {
    std::string command = Quote(VESKARO_CLI_PATH);
    for (const std::string& arg : args) {
      command += ' ';
      command += Quote(arg);
    }
    command += " >";
    command += Quote(io / "out");
    command += " 2>";
    command += Quote(io / "err");
    const int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadBytes(io / "out").value_or("");
    result.err = ReadBytes(io / "err").value_or("");
    return result;
  }
  std::string Ini() const { return folder / "Desktop.ini"; }

  TempDir io;
  TempDir folder;
};

TEST_F(CliTest, HelpDescribesTheCommands) {
  const Result r = Run({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("veskaro-cli show FOLDER"));
  EXPECT_THAT(r.out, HasSubstr("--code-page NAME"));
  EXPECT_THAT(r.out, HasSubstr("#RRGGBB"));
  EXPECT_EQ(r.err, "");
}

class CliUsageError : public CliTest,
                      public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliUsageError, ExitsWithTwoAndTouchesNothing) {
  std::vector<std::string> args = GetParam();
  for (std::string& arg : args) {
    if (arg == "DIR") arg = folder.path();
  }
  const Result r = Run(args);
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.err, HasSubstr("veskaro-cli: "));
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(std::filesystem::exists(Ini()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliUsageError,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"paint", "DIR"},
                      std::vector<std::string>{"set"}, std::vector<std::string>{"show"},
                      std::vector<std::string>{"show", "DIR", "DIR"},
                      std::vector<std::string>{"show", "--picture", "p", "DIR"},
                      std::vector<std::string>{"reset", "--icon", "i", "DIR"},
                      std::vector<std::string>{"set", "--bogus", "DIR"},
                      std::vector<std::string>{"set", "--text-color", "red", "DIR"},
                      std::vector<std::string>{"set", "--text-color", "16777216", "DIR"},
                      std::vector<std::string>{"set", "--text-color", "-1", "DIR"},
                      std::vector<std::string>{"set", "--text-background", "#12345", "DIR"},
                      std::vector<std::string>{"set", "--icon-index", "3", "DIR"},
                      std::vector<std::string>{"set", "--icon", "i", "--icon-index", "x", "DIR"},
                      std::vector<std::string>{"set", "DIR", "--picture"},
                      std::vector<std::string>{"set", "--code-page", "NO-SUCH", "--picture", "p",
                                               "DIR"}));

TEST_F(CliTest, ShowPrintsTheFiveFields) {
  WriteBytes(Ini(), "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconarea_Image=C:\\a.jpg\r\n"
                    "IconArea_Text=0xFF\r\n[.ShellClassInfo]\r\nIconFile=C:\\i.ico\r\nIconIndex=3\r\n");
  const Result r = Run({"show", folder.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "ImagePath=C:\\a.jpg\nTextColor=255\nTextBackColor=-1\nIconFileName=C:\\i.ico\n"
            "IconIndexValue=3\n");
}

TEST_F(CliTest, SetWritesTheOptionsAndShowReadsThemBack) {
  const Result set = Run({"set", "--picture", "C:\\Обои\\фон 1.jpg", "--text-color", "#FF8000",
                          "--text-background=65280", "--icon", "C:\\icons\\f.ico", "--icon-index",
                          "-2", "--code-page", "WINDOWS-1251", folder.path()});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_THAT(set.err, HasSubstr("warning"));
  EXPECT_EQ(ReadBytes(Ini()),
            "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconarea_Image=C:\\\xCE\xE1\xEE\xE8\\"
            "\xF4\xEE\xED 1.jpg\r\nIconArea_Text=33023\r\nIconArea_TextBackground=65280\r\n"
            "[.ShellClassInfo]\r\nIconFile=C:\\icons\\f.ico\r\nIconIndex=-2\r\n");
  const Result show = Run({"show", "--code-page", "WINDOWS-1251", folder.path()});
  EXPECT_EQ(show.out,
            "ImagePath=C:\\Обои\\фон 1.jpg\nTextColor=33023\nTextBackColor=65280\n"
            "IconFileName=C:\\icons\\f.ico\nIconIndexValue=-2\n");
}

TEST_F(CliTest, TextOutsideTheCodePageMakesAUtf16File) {
  EXPECT_EQ(Run({"set", "--picture", "C:\\Обои\\фон.jpg", folder.path()}).status, 0);
  EXPECT_EQ(ReadBytes(Ini())->substr(0, 2), "\xFF\xFE");  // Windows-1252 has no Cyrillic
  EXPECT_THAT(Run({"show", folder.path()}).out, HasSubstr("ImagePath=C:\\Обои\\фон.jpg\n"));
}

TEST_F(CliTest, AFailedFolderIsReportedAndTheOthersAreDone) {
  TempDir second;
  const std::string missing = folder / "missing";
  const Result r = Run({"set", "--text-color", "255", missing, "relative", second.path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr(missing + ": "));
  EXPECT_THAT(r.err, HasSubstr("relative: "));
  EXPECT_EQ(ReadBytes(second / "Desktop.ini"),
            "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconArea_Text=255\r\n");
  EXPECT_EQ(Run({"show", missing}).status, 1);
}

TEST_F(CliTest, ResetRemovesOnlyOurSettings) {
  WriteBytes(Ini(), "[.ShellClassInfo]\r\nInfoTip=mine\r\nIconFile=i\r\n");
  TempDir onlyOurs;
  WriteBytes(onlyOurs / "Desktop.ini", "[.ShellClassInfo]\r\nIconFile=i\r\n");
  TempDir none;
  const Result r = Run({"reset", folder.path(), onlyOurs.path(), none.path()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadBytes(Ini()), "[.ShellClassInfo]\r\nInfoTip=mine\r\n");
  EXPECT_FALSE(std::filesystem::exists(onlyOurs / "Desktop.ini"));
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace veskaro
