// The main window's folder editing, as plain classes: what each click and
// each slide of the side panel does to FolderState and to what the window
// shows. The window implements EditorView and EditorDialogs; tests use fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/folder_settings.h"
#include "core/side_channel.h"

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

// The main window's handlers for choosing, loading, editing and applying a
// folder's settings. Every handler works on the one FolderState it is given
// and reaches the screen only through the view, the dialogs and the panel.
class Editor {
 public:
  Editor(FolderState& state, EditorView& view, EditorDialogs& dialogs,
         FolderSettingsStore& store, SideChannel& panel)
      : state_(state), view_(view), dialogs_(dialogs), store_(store), panel_(panel) {}
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  // Folder choice and loading.
  void Panel1Click();                                 // begins a new choice
  void ShellTreeView1Change(const std::string& path);  // tree -> PathTo
  void suiButton1Click();                             // confirms PathTo
  void suiSideChannel1Push();                         // the load step

  // Appearance commands.
  void Button1Click();  // "Выбрать": the picture
  void Button2Click();  // "Цвет шрифта": caption text colour
  void Button5Click();  // "Цвет подписей": caption background colour
  void Button4Click();  // "Сброс"
  void Button6Click();  // "Вернуть стандарт"
  void Button3Click();  // "Применить"
  void Button7Click();  // "Выбор иконки"

  const FolderState& State() const { return state_; }

 private:
  FolderState& state_;
  EditorView& view_;
  EditorDialogs& dialogs_;
  FolderSettingsStore& store_;
  SideChannel& panel_;
};

}  // namespace veskaro
