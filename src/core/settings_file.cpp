#include "core/settings_file.h"

#include <optional>

#include "core/folder_settings.h"
#include "core/int_text.h"
#include "core/profile_file.h"
#include "core/utf.h"

namespace veskaro {

bool ContainsLineBreakOrNul(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

SettingsFile::SettingsFile(std::string path, FileSystem& files, const TextCodec& codePage)
    : path_(std::move(path)), files_(files), codePage_(codePage) {}

SettingsFile::~SettingsFile() = default;

const ProfileFile* SettingsFile::ParsedForReading() const {
  if (!readCache_) {
    std::optional<std::string> bytes = files_.ReadFile(path_);
    readCache_.emplace(bytes ? std::optional<ProfileFile>(ProfileFile::Parse(*bytes)) : std::nullopt);
  }
  return *readCache_ ? &**readCache_ : nullptr;
}

std::string SettingsFile::ReadText(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
  std::optional<std::string> value;
  if (const ProfileFile* file = ParsedForReading()) value = file->Read(section, key, codePage_);
  const std::string_view text = value ? std::string_view(*value) : defaultValue;
  return std::string(Utf8PrefixByUtf16Units(text, kReadTextLimit));
}

std::int32_t SettingsFile::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t defaultValue) const {
  return ParseIntText(ReadText(section, key, "")).value_or(defaultValue);
}

void SettingsFile::WriteText(std::string_view section, std::string_view key,
                             std::string_view value) {
  if (ContainsLineBreakOrNul(value)) throw InvalidValueError(std::string(key));
  readCache_.reset();
  ProfileFile file;
  if (std::optional<std::string> bytes = files_.ReadFile(path_)) {
    file = ProfileFile::Parse(*bytes);
  } else if (files_.IsExistingFile(path_)) {
    // Writing now would replace a file we could not read with one key.
    throw EIniFileException(path_);
  }
  try {
    file.Write(section, key, value, codePage_);
  } catch (const std::invalid_argument&) {
    throw InvalidValueError(std::string(key));
  }
  try {
    files_.ReplaceFileSafely(path_, file.Serialize());
  } catch (const FileSystemError&) {
    throw EIniFileException(path_);
  }
}

void SettingsFile::WriteInteger(std::string_view section, std::string_view key,
                                std::int32_t value) {
  WriteText(section, key, FormatIntText(value));
}

void SettingsFile::Close() {}

}  // namespace veskaro
