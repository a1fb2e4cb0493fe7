// Files and folders the tests prepare and check, and shell facts they compare
// against.
#include "driver.h"

#include <objbase.h>
#include <shlobj.h>
#include <shellapi.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace veskaro::e2e {

TempFolder::TempFolder(std::wstring_view name_hint, const std::filesystem::path& parent) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path root = parent;
  if (root.empty()) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    root = temp;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name = std::wstring(name_hint) + L"-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(counter++);
    std::error_code error;
    std::filesystem::create_directories(root, error);
    if (std::filesystem::create_directory(root / name, error)) {
      path_ = root / name;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder under " + Utf8(root.wstring()));
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::optional<std::string> ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + Utf8(file.wstring()));
}

DWORD FileAttributes(const std::filesystem::path& file) {
  return GetFileAttributesW(file.c_str());
}

bool FileExists(const std::filesystem::path& file) {
  return FileAttributes(file) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::filesystem::path& folder) {
  if (folder.empty()) return;
  std::error_code error;
  // Programs under test mark files hidden/system/read-only, which would stop
  // a plain removal.
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(folder, error);
}

std::filesystem::path CopyProgram(
    const std::filesystem::path& exe, const std::filesystem::path& folder,
    const std::vector<std::pair<std::wstring, std::string>>& extra_files) {
  const auto copy = folder / exe.filename();
  if (!CopyFileW(exe.c_str(), copy.c_str(), FALSE))
    throw std::runtime_error("cannot copy " + Utf8(exe.wstring()) + ": error " +
                             std::to_string(GetLastError()));
  for (const auto& [name, bytes] : extra_files) WriteFileBytes(folder / name, bytes);
  return copy;
}

std::wstring MyComputerDisplayName() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::wstring name;
  PIDLIST_ABSOLUTE pidl = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl))) {
    SHFILEINFOW info{};
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_DISPLAYNAME))
      name = info.szDisplayName;
    CoTaskMemFree(pidl);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return name;
}

}  // namespace veskaro::e2e
