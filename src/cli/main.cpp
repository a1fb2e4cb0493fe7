// Entry point: arguments in, UTF-8 text out. The only Windows-specific code
// of the command line lives here.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"

#ifdef _WIN32
#include <windows.h>

namespace {

std::string ToUtf8(const wchar_t* text) {
  const int length = static_cast<int>(wcslen(text));
  if (length == 0) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

// A console gets UTF-16 (its code page may not be UTF-8); a pipe or file
// gets the UTF-8 bytes.
void Write(DWORD which, std::string_view utf8) {
  if (utf8.empty()) return;
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD mode;
  DWORD written;
  if (GetConsoleMode(handle, &mode)) {
    const int length = static_cast<int>(utf8.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), size);
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ToUtf8(argv[i]));
  const veskaro::cli::Output output{
      [](std::string_view text) { Write(STD_OUTPUT_HANDLE, text); },
      [](std::string_view text) { Write(STD_ERROR_HANDLE, text); }};
  return veskaro::cli::Run(args, output);
}

#else

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const veskaro::cli::Output output{
      [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); },
      [](std::string_view text) {
        std::fflush(stdout);
        std::fwrite(text.data(), 1, text.size(), stderr);
      }};
  return veskaro::cli::Run(args, output);
}

#endif
