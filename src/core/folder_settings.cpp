#include "core/folder_settings.h"

#include "core/profile_file.h"
#include "core/settings_file.h"

namespace veskaro {
namespace {

using namespace settings_keys;

bool IsUsableFolder(const std::string& folderPath, FileSystem& files) {
  return !folderPath.empty() && files.IsExistingAbsoluteDirectory(folderPath);
}

void RequireFolder(const std::string& folderPath, FileSystem& files) {
  if (!IsUsableFolder(folderPath, files)) throw FolderNotFoundError(folderPath);
}

// What an empty settings file gives; also the state for a folder without one.
void SetNoFileState(FolderState& state) {
  state.ImagePath.clear();
  state.IconFileName.clear();
  state.IconIndexValue = 0;
  state.TextColor = 0;
  state.TextBackColor = ColorNone;
}

// Hidden for the file, System added to the folder's own attributes. The shell
// only needs these to honour the file; nothing here may fail the save.
void MarkForShell(const std::string& settingsPath, const std::string& folderPath,
                  FileSystem& files) {
  try {
    files.SetAttributes(settingsPath, file_attribute::Hidden);
  } catch (...) {
  }
  try {
    if (std::optional<std::uint32_t> attributes = files.GetAttributes(folderPath)) {
      files.SetAttributes(folderPath,
                          (*attributes & ~file_attribute::Directory) | file_attribute::System);
    }
  } catch (...) {
  }
}

}  // namespace

EIniFileException::EIniFileException(const std::string& path)
    : std::runtime_error("Unable to write to " + path), path_(path) {}

FolderNotFoundError::FolderNotFoundError(const std::string& path)
    : std::runtime_error("Not an existing folder: " + (path.empty() ? std::string("(none)") : path)),
      path_(path) {}

InvalidValueError::InvalidValueError(const std::string& key)
    : std::runtime_error("The value of " + key + " contains a line break or NUL character") {}

std::string SettingsFilePath(std::string_view folderPath) {
  std::string path(folderPath);
  path += '\\';
  path += FileName;
  return path;
}

void LoadFolderSettings(FolderState& state, SettingsEnvironment env) {
  const std::string path = SettingsFilePath(state.FolderPath);
  if (!IsUsableFolder(state.FolderPath, env.files) || !env.files.IsExistingFile(path)) {
    SetNoFileState(state);
    return;
  }
  SettingsFile file(path, env.files, env.codePage);
  state.ImagePath = file.ReadText(IconAreaSection, Image, "");
  state.TextColor = file.ReadInteger(IconAreaSection, Text, 0);
  state.TextBackColor = file.ReadInteger(IconAreaSection, TextBackground, ColorNone);
  state.IconFileName = file.ReadText(ShellClassInfoSection, IconFile, "");
  state.IconIndexValue = file.ReadInteger(ShellClassInfoSection, IconIndex, 0);
  file.Close();
}

void SaveFolderSettings(const FolderState& state, bool WritePicture, SettingsEnvironment env) {
  RequireFolder(state.FolderPath, env.files);
  const bool writeIcon = !state.IconFileName.empty();
  // Refuse before the first write, so that a bad value leaves the file as it was.
  if (WritePicture && ContainsLineBreakOrNul(state.ImagePath)) {
    throw InvalidValueError(std::string(Image));
  }
  if (writeIcon && ContainsLineBreakOrNul(state.IconFileName)) {
    throw InvalidValueError(std::string(IconFile));
  }

  const std::string path = SettingsFilePath(state.FolderPath);
  SettingsFile file(path, env.files, env.codePage);
  if (WritePicture) file.WriteText(IconAreaSection, Image, state.ImagePath);
  if (state.TextColorChanged) file.WriteInteger(IconAreaSection, Text, state.TextColor);
  if (state.TextBackChanged) {
    file.WriteInteger(IconAreaSection, TextBackground, state.TextBackColor);
  }
  if (writeIcon) {
    file.WriteText(ShellClassInfoSection, IconFile, state.IconFileName);
    file.WriteInteger(ShellClassInfoSection, IconIndex, state.IconIndexValue);
  }
  file.Close();

  MarkForShell(SettingsFilePath(state.FolderPath), state.FolderPath, env.files);
}

void RemoveFolderSettings(const FolderState& state, SettingsEnvironment env) {
  RequireFolder(state.FolderPath, env.files);
  const std::string path = SettingsFilePath(state.FolderPath);
  if (!env.files.IsExistingFile(path)) return;
  const std::optional<std::string> bytes = env.files.ReadFile(path);
  if (!bytes) throw EIniFileException(path);

  ProfileFile file = ProfileFile::Parse(*bytes);
  bool changed = false;
  const std::pair<std::string_view, std::string_view> ourKeys[] = {
      {IconAreaSection, Image},         {IconAreaSection, Text},
      {IconAreaSection, TextBackground}, {ShellClassInfoSection, IconFile},
      {ShellClassInfoSection, IconIndex}};
  // A duplicate key or section would come back into view on the next load,
  // so every one of ours goes.
  for (bool progress = true; progress;) {
    progress = false;
    for (const auto& [section, key] : ourKeys) {
      while (file.RemoveKey(section, key, env.codePage)) progress = changed = true;
    }
    for (std::string_view section : {IconAreaSection, ShellClassInfoSection}) {
      while (file.RemoveSectionIfEmpty(section, env.codePage)) progress = changed = true;
    }
  }

  if (file.IsBlank()) {
    if (env.files.DeleteFile(path) == DeleteResult::Failed) throw EIniFileException(path);
    return;
  }
  if (!changed) return;
  try {
    env.files.ReplaceFileSafely(path, file.Serialize());
  } catch (const FileSystemError&) {
    throw EIniFileException(path);
  }
}

}  // namespace veskaro
