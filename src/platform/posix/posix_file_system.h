// FileSystem over POSIX calls. Paths come in Windows notation; '\' becomes
// '/' at the system boundary.
#pragma once

#include "core/file_system.h"

namespace veskaro {

class PosixFileSystem : public FileSystem {
 public:
  std::optional<std::string> ReadFile(const std::string& path) override;
  // A temporary file in the same directory, flushed to disk, renamed over the
  // old one; an existing file's permission bits carry over.
  void ReplaceFileSafely(const std::string& path, std::string_view bytes) override;
  bool IsExistingFile(const std::string& path) override;
  bool IsExistingAbsoluteDirectory(const std::string& path) override;
  DeleteResult DeleteFile(const std::string& path) override;
  // POSIX has no hidden or system attribute: a directory reports Directory,
  // anything else 0, and setting always fails.
  std::optional<std::uint32_t> GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
};

std::string ToPosixPath(const std::string& path);

}  // namespace veskaro
