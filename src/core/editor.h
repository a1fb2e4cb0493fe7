// The main window's folder editing, as plain classes: what each click and
// each slide of the side panel does to FolderState and to what the window
// shows. The window implements EditorView and EditorDialogs; tests use fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/folder_settings.h"

namespace veskaro {

// What the editor shows on the main window.
class EditorView {
 public:
  virtual ~EditorView() = default;
  // Button1 .. Button7, in that order.
  virtual void SetEditingEnabled(bool enabled) = 0;
  virtual void SetFolderName(const std::string& text) = 0;   // foldername
  virtual void SetPictureText(const std::string& text) = 0;  // Edit1
  virtual std::string PictureText() const = 0;               // Edit1
  virtual void SetPathText(const std::string& text) = 0;     // PathTo
  virtual std::string PathText() const = 0;                  // PathTo
  // Label4, the sample of the caption colours.
  virtual void SetSampleTextColor(ColorValue color) = 0;
  virtual void SetSampleBackColor(ColorValue color) = 0;
  virtual void SetSampleTransparent(bool transparent) = 0;
  // Form1's own colour.
  virtual ColorValue WindowColor() const = 0;
  // "Не прописан путь к папке!", modal.
  virtual void ShowEmptyPathError() = 0;
};

// The dialogs the commands show. Each dialog keeps its own state (last file,
// last colour, custom colours) from one use to the next.
class EditorDialogs {
 public:
  virtual ~EditorDialogs() = default;
  // openpd1: the chosen file's full path, or nothing when cancelled.
  virtual std::optional<std::string> ChoosePicture() = 0;
  // cd1: the chosen colour (bits 24-31 zero), or nothing when cancelled.
  virtual std::optional<ColorValue> ChooseColor() = 0;
  // The icon picker: edits the path and index in place; true when accepted.
  virtual bool PickIcon(std::string& iconFileName, std::int32_t& iconIndex) = 0;
};

// The three settings-file operations, so that tests can watch or fail them.
class FolderSettingsStore {
 public:
  virtual ~FolderSettingsStore() = default;
  virtual void Load(FolderState& state) = 0;
  virtual void Save(const FolderState& state, bool writePicture) = 0;
  virtual void Remove(const FolderState& state) = 0;
};

// The store over the real functions of folder_settings.
class FileFolderSettingsStore final : public FolderSettingsStore {
 public:
  explicit FileFolderSettingsStore(SettingsEnvironment env) : env_(env) {}
  void Load(FolderState& state) override { LoadFolderSettings(state, env_); }
  void Save(const FolderState& state, bool writePicture) override {
    SaveFolderSettings(state, writePicture, env_);
  }
  void Remove(const FolderState& state) override { RemoveFolderSettings(state, env_); }

 private:
  SettingsEnvironment env_;
};

}  // namespace veskaro
