// The settings file's six primitives over our profile engine and the
// file-system port: open, read text, read integer, write text, write
// integer, close.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_system.h"
#include "core/profile_file.h"
#include "core/text_codec.h"

namespace veskaro {

// A read returns at most this many characters (UTF-16 code units), as a
// 2048-character buffer with its terminating null holds.
inline constexpr std::size_t kReadTextLimit = 2047;

class SettingsFile {
 public:
  // Remembers the path; touches nothing on disk.
  SettingsFile(std::string path, FileSystem& files, const TextCodec& codePage);
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;
  ~SettingsFile();

  const std::string& path() const { return path_; }

  // The key's value, or `defaultValue` when the file, section or key is
  // missing or the file cannot be read; cut to kReadTextLimit characters.
  std::string ReadText(std::string_view section, std::string_view key,
                       std::string_view defaultValue) const;
  // ReadText with an empty default, converted by the integer reading rule;
  // `defaultValue` when that fails.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;

  // Reads the file afresh, sets one key and replaces the file safely. Throws
  // EIniFileException when the file exists but cannot be read, or cannot be
  // replaced; InvalidValueError for a value with CR, LF or NUL.
  void WriteText(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);

  // Every write has reached the file when it returns, so there is no cache
  // to flush; closing only ends the use of the file.
  void Close();

 private:
  const ProfileFile* ParsedForReading() const;

  std::string path_;
  FileSystem& files_;
  const TextCodec& codePage_;
  // The reads of one load share one parse of the file; a write starts afresh.
  mutable std::optional<std::optional<ProfileFile>> readCache_;
};

// A text value the settings file cannot hold without breaking its lines.
bool ContainsLineBreakOrNul(std::string_view value);

}  // namespace veskaro
