#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace veskaro::win32 {

namespace {

// The attributes a replaced file takes over from the file it replaces.
// Read-only never gets here (such a file is refused), and the others
// (directory, reparse point, ...) are not ours to copy.
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

std::string SystemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length > 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                           text.back() == L'.')) {
    text.pop_back();
  }
  std::string message = "error " + std::to_string(error);
  if (!text.empty()) message += ": " + ToUtf8(text);
  return message;
}

[[noreturn]] void Fail(const std::string& path, const std::string& what, DWORD error) {
  throw FileSystemError(path + ": " + what + " (" + SystemMessage(error) + ")");
}

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
  throw FileSystemError(path + ": " + what);
}

// Everything up to and including the last separator: the folder part as
// the caller spelled it, so that a new name beside the target lands in the
// same folder (and on the same volume, which a rename needs).
std::wstring FolderPrefix(const std::wstring& path) {
  const std::size_t last = path.find_last_of(L"\\/");
  if (last == std::wstring::npos) {
    // "C:name" lives in the current folder of drive C:.
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
    return {};
  }
  return path.substr(0, last + 1);
}

// A name beside the target that nothing else uses: the process id keeps two
// programs apart, the counter two calls in one program.
std::wstring Hex(unsigned long long value) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), L"0123456789abcdef"[value % 16]);
    value /= 16;
  } while (value != 0);
  return digits;
}

std::wstring NameBeside(const std::wstring& target, const wchar_t* kind) {
  static std::atomic<unsigned> counter{0};
  return FolderPrefix(target) + L"~veskaro-" + Hex(GetCurrentProcessId()) + L"-" +
         Hex(GetTickCount64()) + L"-" + Hex(counter.fetch_add(1)) + L"." + kind;
}

// A temporary file we created, with its handle while it is being written;
// closed and deleted when it goes out of scope unless it has become the
// target.
class TemporaryFile {
 public:
  TemporaryFile(std::wstring path, UniqueHandle handle)
      : path_(std::move(path)), handle_(std::move(handle)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    // The handle first: an open handle without delete sharing would make
    // the delete fail and leave the file behind.
    handle_.reset();
    if (owned_) {
      // Attributes copied from the target (hidden, system) do not stop a
      // delete, but read-only would: clear them to be sure.
      SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path_.c_str());
    }
  }
  const std::wstring& path() const { return path_; }
  HANDLE handle() const { return handle_.get(); }
  bool Close() { return handle_.close(); }
  void Release() { owned_ = false; }

 private:
  std::wstring path_;
  UniqueHandle handle_;
  bool owned_ = true;
};

void WriteAll(HANDLE file, std::string_view bytes, bool faulted, const std::string& path) {
  if (faulted) Fail(path, "cannot write the new content", ERROR_WRITE_FAULT);
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
      Fail(path, "cannot write the new content", GetLastError());
    }
    if (written == 0) Fail(path, "cannot write the new content: nothing was written");
    bytes.remove_prefix(written);
  }
}

}  // namespace

bool Win32FileSystem::Faulted(ReplaceStep step) const {
  if (!injectFault_ || !injectFault_(step)) return false;
  SetLastError(ERROR_WRITE_FAULT);
  return true;
}

bool IsAbsoluteWindowsPath(std::wstring_view path) {
  if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
    return true;
  }
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
         !IsSeparator(path[2]);
}

std::optional<std::string> Win32FileSystem::ReadFile(const std::string& path) {
  const std::wstring widePath = ToWide(path);
  // Share everything: Explorer or an editor may hold the file open.
  UniqueHandle file(CreateFileW(widePath.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    bytes.append(buffer, read);
  }
  return bytes;
}

void Win32FileSystem::ReplaceFileSafely(const std::string& path, std::string_view bytes) {
  const std::wstring target = ToWide(path);
  const DWORD oldAttributes = GetFileAttributesW(target.c_str());
  const bool targetExists = oldAttributes != INVALID_FILE_ATTRIBUTES;
  if (targetExists && (oldAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    Fail(path, "a folder has this name");
  }
  if (targetExists && (oldAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    Fail(path, "the file is read-only", ERROR_ACCESS_DENIED);
  }

  // CREATE_NEW: never open something that is already there, so a name
  // clash cannot overwrite a stranger's file.
  std::wstring tempPath;
  UniqueHandle file;
  for (int attempt = 0; attempt < 100 && !file; ++attempt) {
    tempPath = NameBeside(target, L"tmp");
    file.reset(Faulted(ReplaceStep::CreateTemporary)
                   ? INVALID_HANDLE_VALUE
                   : CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        Fail(path, "cannot create a temporary file beside it", error);
      }
    }
  }
  if (!file) Fail(path, "cannot find a free temporary name beside it");
  TemporaryFile temp(tempPath, std::move(file));

  WriteAll(temp.handle(), bytes, Faulted(ReplaceStep::Write), path);
  if (Faulted(ReplaceStep::Flush) || !FlushFileBuffers(temp.handle())) {
    Fail(path, "cannot flush the new content", GetLastError());
  }
  if (Faulted(ReplaceStep::Close) || !temp.Close()) {
    Fail(path, "cannot close the new content", GetLastError());
  }

  if (!targetExists) {
    // No MOVEFILE_REPLACE_EXISTING: a file that appeared meanwhile is not
    // clobbered.
    if (Faulted(ReplaceStep::Swap) ||
        !MoveFileExW(temp.path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      Fail(path, "cannot put the new file in place", GetLastError());
    }
    temp.Release();
    return;
  }

  // ReplaceFileW carries the attributes over on Windows; setting them on
  // the new file first makes that hold wherever the swap is a plain rename
  // (Wine's ReplaceFileW is one: it leaves a hidden file visible).
  DWORD carried = oldAttributes & kCarriedAttributes;
  if (carried == 0) carried = FILE_ATTRIBUTE_NORMAL;
  if (Faulted(ReplaceStep::CarryAttributes) || !SetFileAttributesW(temp.path().c_str(), carried)) {
    Fail(path, "cannot give the new content the file's attributes", GetLastError());
  }

  // With a backup name ReplaceFileW never leaves the old content nameless:
  // it either stays under the target's name or sits under the backup name.
  const std::wstring backup = NameBeside(target, L"old");
  if (Faulted(ReplaceStep::Swap) ||
      !ReplaceFileW(target.c_str(), temp.path().c_str(), backup.c_str(),
                    REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                    nullptr)) {
    const DWORD error = GetLastError();
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (!MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        Fail(path,
             "cannot replace the file, and its old content could not be moved back from " +
                 ToUtf8(backup),
             error);
      }
    }
    Fail(path, "cannot replace the file", error);
  }
  temp.Release();
  // The backup is the old content; losing it is no failure of the write.
  SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(backup.c_str());
}

bool Win32FileSystem::IsExistingFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::IsExistingAbsoluteDirectory(const std::string& path) {
  const std::wstring widePath = ToWide(path);
  if (!IsAbsoluteWindowsPath(widePath)) return false;
  const DWORD attributes = GetFileAttributesW(widePath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

DeleteResult Win32FileSystem::DeleteFile(const std::string& path) {
  if (::DeleteFileW(ToWide(path).c_str())) return DeleteResult::Deleted;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return DeleteResult::NotFound;
  }
  return DeleteResult::Failed;
}

std::optional<std::uint32_t> Win32FileSystem::GetAttributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool Win32FileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return SetFileAttributesW(ToWide(path).c_str(), attributes) != FALSE;
}

}  // namespace veskaro::win32
