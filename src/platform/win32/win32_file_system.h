// The file-system port on the Win32 wide API.
#pragma once

#include <windows.h>

// <windows.h> maps DeleteFile to DeleteFileW; the port's member must keep
// its own name in every file that sees it, or calls and definition part.
#ifdef DeleteFile
#undef DeleteFile
#endif

#include <functional>
#include <string_view>
#include <utility>

#include "core/file_system.h"

namespace veskaro::win32 {

// The steps of ReplaceFileSafely, in order; tests make each one fail to see
// that no failure loses the old file or leaves a temporary one.
enum class ReplaceStep { CreateTemporary, Write, Flush, Close, CarryAttributes, Swap };

class Win32FileSystem final : public FileSystem {
 public:
  // Returns true for a step that is to fail as a Windows call fails.
  using FaultInjector = std::function<bool(ReplaceStep)>;

  Win32FileSystem() = default;
  explicit Win32FileSystem(FaultInjector injectFault) : injectFault_(std::move(injectFault)) {}

  std::optional<std::string> ReadFile(const std::string& path) override;

  // Writes `bytes` to a new file beside the target, flushes it, and only
  // then puts it in the target's place. A hidden or system Desktop.ini, which
  // Windows will not open with CREATE_ALWAYS, is replaced all the same and
  // keeps its attributes. A read-only target is refused, as the profile
  // functions refuse it. Whatever fails, the old file stays whole and no
  // temporary file is left behind.
  void ReplaceFileSafely(const std::string& path, std::string_view bytes) override;

  bool IsExistingFile(const std::string& path) override;

  // Only a drive-letter path ("C:\...") or a UNC path ("\\server\share...")
  // counts as absolute: "C:folder" and "\folder" depend on the current
  // drive and directory, so they are refused.
  bool IsExistingAbsoluteDirectory(const std::string& path) override;

  DeleteResult DeleteFile(const std::string& path) override;
  std::optional<std::uint32_t> GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;

 private:
  bool Faulted(ReplaceStep step) const;

  FaultInjector injectFault_;
};

// True for "X:\..." (either separator) and for a UNC or device path that
// starts with two separators. Exposed for tests.
bool IsAbsoluteWindowsPath(std::wstring_view path);

}  // namespace veskaro::win32
