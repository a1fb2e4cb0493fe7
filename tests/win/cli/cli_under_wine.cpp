// veskaro-cli.exe as a user runs it: a separate process with a command line,
// its exit status, its output, and what it did to files and attributes.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "../win_test_support.h"
#include "platform/win32/wide.h"

namespace veskaro::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using win32::ToUtf8;
using win32::ToWide;

struct Result {
  DWORD exitCode = 0;
  std::string out;
  std::string err;
};

// One argument quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

std::string Drain(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  return text;
}

Result RunCli(const std::vector<std::wstring>& args) {
  std::wstring commandLine = Quote(L"" VESKARO_CLI_EXE);
  for (const std::wstring& arg : args) commandLine += L" " + Quote(arg);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    ADD_FAILURE() << "CreatePipe: " << GetLastError();
    return {};
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  Result result;
  if (!started) {
    ADD_FAILURE() << "cannot start " << ToUtf8(commandLine) << ": " << GetLastError();
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
  }
  // Both pipes at once, so that neither can fill up and stall the program.
  std::thread errReader([&] { result.err = Drain(errRead); });
  result.out = Drain(outRead);
  errReader.join();
  WaitForSingleObject(process.hProcess, 60000);
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(outRead);
  CloseHandle(errRead);
  return result;
}

std::wstring ShellRead(const std::wstring& ini, const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[2048];
  GetPrivateProfileStringW(section, key, L"<missing>", buffer, 2048, ini.c_str());
  return buffer;
}

constexpr wchar_t kIconArea[] = L"{BE098140-A513-11D0-A3A4-00C04FD706EC}";

class CliUnderWine : public ScratchFolder {};

TEST_F(CliUnderWine, HelpAndUsageErrors) {
  const Result help = RunCli({L"--help"});
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_THAT(help.out, StartsWith("Usage:"));
  EXPECT_THAT(help.out, HasSubstr("veskaro-cli reset FOLDER..."));

  for (const std::vector<std::wstring>& args :
       {std::vector<std::wstring>{}, {L"frobnicate", folder_}, {L"show"},
        {L"set", L"--text-color", L"#12345", folder_}, {L"show", L"--icon", L"x.ico", folder_}}) {
    const Result result = RunCli(args);
    EXPECT_EQ(result.exitCode, 2u) << result.err;
    EXPECT_THAT(result.err, StartsWith("veskaro-cli: "));
    EXPECT_EQ(result.out, "");
  }
  EXPECT_TRUE(ListFolder(folder_).empty()) << "a usage error touches nothing";
}

TEST_F(CliUnderWine, SetShowResetOnAUnicodeFolder) {
  const std::wstring folder = Wide(L"\u0424\u043E\u0442\u043E \u5199\u771F");  // Фото 写真
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring ini = folder + L"\\Desktop.ini";

  const Result set = RunCli({L"set", L"--picture", folder + L"\\\u043D\u0435\u0431\u043E.jpg",
                             L"--text-color", L"#FF0000", L"--text-background", L"16777215",
                             L"--icon", L"%SystemRoot%\\system32\\shell32.dll", L"--icon-index",
                             L"-4", folder});
  ASSERT_EQ(set.exitCode, 0u) << set.err;
  EXPECT_EQ(set.err, "");

  // What Explorer will read, and the marks that make it read the file.
  EXPECT_EQ(ShellRead(ini, kIconArea, L"Iconarea_Image"), folder + L"\\\u043D\u0435\u0431\u043E.jpg");
  EXPECT_EQ(ShellRead(ini, kIconArea, L"IconArea_Text"), L"255");
  EXPECT_EQ(ShellRead(ini, kIconArea, L"IconArea_TextBackground"), L"16777215");
  EXPECT_EQ(ShellRead(ini, L".ShellClassInfo", L"IconIndex"), L"-4");
  EXPECT_EQ(WithoutArchive(GetFileAttributesW(ini.c_str())), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_SYSTEM, 0u);

  const Result show = RunCli({L"show", folder});
  ASSERT_EQ(show.exitCode, 0u) << show.err;
  EXPECT_EQ(show.out, "ImagePath=" + ToUtf8(folder + L"\\\u043D\u0435\u0431\u043E.jpg") +
                          "\nTextColor=255\nTextBackColor=16777215\n"
                          "IconFileName=%SystemRoot%\\system32\\shell32.dll\nIconIndexValue=-4\n");

  const Result reset = RunCli({L"reset", folder});
  ASSERT_EQ(reset.exitCode, 0u) << reset.err;
  EXPECT_EQ(GetFileAttributesW(ini.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_SYSTEM, 0u)
      << "reset leaves the folder a system folder";

  const Result empty = RunCli({L"show", folder});
  EXPECT_EQ(empty.exitCode, 0u);
  EXPECT_EQ(empty.out,
            "ImagePath=\nTextColor=0\nTextBackColor=-1\nIconFileName=\nIconIndexValue=0\n");
}

TEST_F(CliUnderWine, AFailedFolderIsReportedAndTheOthersAreStillDone) {
  const std::wstring good = Wide(L"good");
  const std::wstring locked = Wide(L"locked");
  ASSERT_TRUE(CreateDirectoryW(good.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(locked.c_str(), nullptr));
  ASSERT_TRUE(WriteRaw(locked + L"\\Desktop.ini", "[.ShellClassInfo]\r\nInfoTip=mine\r\n"));
  ASSERT_TRUE(SetFileAttributesW((locked + L"\\Desktop.ini").c_str(), FILE_ATTRIBUTE_READONLY));
  const std::wstring missing = Wide(L"missing");

  const Result result = RunCli({L"set", L"--text-color", L"65280", missing, locked, good});
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_THAT(result.err, HasSubstr("veskaro-cli: " + ToUtf8(missing) + ": "));
  EXPECT_THAT(result.err, HasSubstr("Unable to write to " + ToUtf8(locked) + "\\Desktop.ini"));
  EXPECT_EQ(ReadRaw(locked + L"\\Desktop.ini"), "[.ShellClassInfo]\r\nInfoTip=mine\r\n");
  EXPECT_EQ(ShellRead(good + L"\\Desktop.ini", kIconArea, L"IconArea_Text"), L"65280");
  EXPECT_EQ(WithoutArchive(GetFileAttributesW((good + L"\\Desktop.ini").c_str())),
            FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);

  // reset and show fail the same way for a folder that is not there, or a
  // path that names no folder on its own.
  for (const std::vector<std::wstring>& args :
       {std::vector<std::wstring>{L"reset", missing, good}, {L"show", L"good"}}) {
    const Result failed = RunCli(args);
    EXPECT_EQ(failed.exitCode, 1u) << ToUtf8(args[1]);
    EXPECT_THAT(failed.err, HasSubstr("veskaro-cli: " + ToUtf8(args[1]) + ": "));
    EXPECT_EQ(failed.out, "");
  }
  // The good folder's reset went through despite the missing one before it.
  EXPECT_EQ(GetFileAttributesW((good + L"\\Desktop.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace veskaro::test
