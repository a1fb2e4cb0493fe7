// Shared helpers of the Windows tests: a scratch folder of real files and
// raw file access that bypasses the code under test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace veskaro::test {

// Removes a tree even when read-only, hidden or system attributes are set
// on its files or folders.
inline void RemoveTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                                       ? FILE_ATTRIBUTE_DIRECTORY
                                       : FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

// The names in a folder, sorted, without "." and "..".
inline std::vector<std::wstring> ListFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

inline bool WriteRaw(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

inline std::optional<std::string> ReadRaw(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  CloseHandle(file);
  return bytes;
}

// Wine sets the archive bit on every file it writes and Windows on most;
// what the tests care about is the rest.
inline DWORD WithoutArchive(DWORD attributes) { return attributes & ~FILE_ATTRIBUTE_ARCHIVE; }

// A fresh folder under the temporary folder, removed with everything in it
// when the test ends.
class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    static unsigned counter = 0;
    folder_ = std::wstring(temp) + L"veskaro-test-" + std::to_wstring(GetCurrentProcessId()) +
              L"-" + std::to_wstring(++counter);
    RemoveTree(folder_);
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }
  void TearDown() override { RemoveTree(folder_); }

  // A path inside the folder, as UTF-16 and as the UTF-8 the ports take.
  std::wstring Wide(const std::wstring& name) const { return folder_ + L"\\" + name; }
  std::string Utf8(const std::wstring& name) const { return win32::ToUtf8(Wide(name)); }
  std::string FolderUtf8() const { return win32::ToUtf8(folder_); }

  std::wstring folder_;
};

}  // namespace veskaro::test
