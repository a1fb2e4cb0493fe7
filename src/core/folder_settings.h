// The folder's editing state and its Desktop.ini settings file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/file_system.h"
#include "core/text_codec.h"

namespace veskaro {

// A colour in COLORREF layout 0x00BBGGRR, or ColorNone.
using ColorValue = std::int32_t;
inline constexpr ColorValue ColorNone = -1;

struct FolderState {
  std::string FolderPath;    // UTF-8; empty: no folder chosen
  std::string ImagePath;     // UTF-8; empty: no picture
  std::string IconFileName;  // UTF-8; empty: no icon chosen
  std::int32_t IconIndexValue = 0;
  ColorValue TextColor = 0;
  ColorValue TextBackColor = 0;
  bool TextColorChanged = false;
  bool TextBackChanged = false;

  friend bool operator==(const FolderState&, const FolderState&) = default;
};

// Names the settings file uses. The letter case is the one Explorer writes.
namespace settings_keys {
inline constexpr std::string_view IconAreaSection = "{BE098140-A513-11D0-A3A4-00C04FD706EC}";
inline constexpr std::string_view Image = "Iconarea_Image";
inline constexpr std::string_view Text = "IconArea_Text";
inline constexpr std::string_view TextBackground = "IconArea_TextBackground";
inline constexpr std::string_view ShellClassInfoSection = ".ShellClassInfo";
inline constexpr std::string_view IconFile = "IconFile";
inline constexpr std::string_view IconIndex = "IconIndex";
inline constexpr std::string_view FileName = "Desktop.ini";
}  // namespace settings_keys

// A failed write to the settings file: "Unable to write to <path>".
class EIniFileException : public std::runtime_error {
 public:
  explicit EIniFileException(const std::string& path);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Save or Remove asked for a folder that is not an existing absolute folder.
class FolderNotFoundError : public std::runtime_error {
 public:
  explicit FolderNotFoundError(const std::string& path);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A value that would break the file's line structure (CR, LF or NUL).
class InvalidValueError : public std::runtime_error {
 public:
  explicit InvalidValueError(const std::string& key);
};

// What the three operations need from the operating system.
struct SettingsEnvironment {
  FileSystem& files;
  const TextCodec& codePage;
};

// FolderPath followed directly by "\Desktop.ini", joined as they stand.
std::string SettingsFilePath(std::string_view folderPath);

// Fills the picture, colours and icon from the folder's settings file. A
// folder without one (or a FolderPath that is no existing absolute folder)
// gives what an empty file gives, so nothing of an earlier folder is kept.
// FolderPath and the two flags are left alone.
void LoadFolderSettings(FolderState& state, SettingsEnvironment env);

// Writes the keys whose conditions hold, one safe replacement per key, then
// hides the file and adds System to the folder's attributes (failures there
// are ignored). Throws FolderNotFoundError, InvalidValueError (before any
// write) or EIniFileException (at the key that failed).
void SaveFolderSettings(const FolderState& state, bool WritePicture, SettingsEnvironment env);

// Removes our five keys and any of our sections left empty; deletes the file
// only when nothing else is left in it. No file is no error. Throws
// FolderNotFoundError or EIniFileException.
void RemoveFolderSettings(const FolderState& state, SettingsEnvironment env);

}  // namespace veskaro
