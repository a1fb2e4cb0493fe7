// The file operations the core needs from the operating system. Paths are
// UTF-8 and use the Windows separator '\'; an implementation maps them to its
// own system without otherwise changing them.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace veskaro {

// Attribute bits as Windows defines them (FILE_ATTRIBUTE_*).
namespace file_attribute {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t System = 0x04;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
}  // namespace file_attribute

// Raised by a FileSystem when an operation that must not fail silently fails.
class FileSystemError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class DeleteResult { Deleted, NotFound, Failed };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole file's bytes, or nothing when it does not exist or cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;

  // Replaces (or creates) the file with `bytes` so that a failure at any step
  // leaves the old file whole. An existing file keeps its attributes.
  // Throws FileSystemError on failure.
  virtual void ReplaceFileSafely(const std::string& path, std::string_view bytes) = 0;

  // A directory entry of that name exists and is not a directory.
  virtual bool IsExistingFile(const std::string& path) = 0;

  // `path` is an absolute path of an existing directory.
  virtual bool IsExistingAbsoluteDirectory(const std::string& path) = 0;

  virtual DeleteResult DeleteFile(const std::string& path) = 0;

  virtual std::optional<std::uint32_t> GetAttributes(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
};

}  // namespace veskaro
