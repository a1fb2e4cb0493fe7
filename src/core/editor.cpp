#include "core/editor.h"

namespace veskaro {

void Editor::Panel1Click() {
  panel_.Pop();
  state_.FolderPath.clear();
  state_.ImagePath.clear();
  state_.IconFileName.clear();
  state_.TextColor = 0;
  state_.TextBackColor = 0;
  state_.TextColorChanged = false;
  state_.TextBackChanged = false;
  // The icon index is the one field a new choice keeps.
}

void Editor::ShellTreeView1Change(const std::string& path) { view_.SetPathText(path); }

void Editor::suiButton1Click() {
  std::string text = view_.PathText();
  if (text.empty()) {
    view_.ShowEmptyPathError();
    return;
  }
  // Taken character for character: the user's text is the folder.
  state_.FolderPath = std::move(text);
}

void Editor::suiSideChannel1Push() {
  if (!state_.FolderPath.empty()) {
    view_.SetEditingEnabled(true);
    store_.Load(state_);
    if (state_.TextBackColor == ColorNone) {
      view_.SetSampleTransparent(true);
    } else {
      view_.SetSampleTransparent(false);
      view_.SetSampleBackColor(state_.TextBackColor);
    }
  } else {
    view_.SetEditingEnabled(false);
    view_.SetSampleTransparent(true);
  }
  view_.SetFolderName(state_.FolderPath);
  state_.TextColorChanged = false;
  state_.TextBackChanged = false;
  view_.SetPictureText(state_.ImagePath);
  view_.SetSampleTextColor(state_.TextColor);
}

void Editor::Button1Click() {
  std::optional<std::string> file = dialogs_.ChoosePicture();
  if (!file) return;
  state_.ImagePath = std::move(*file);
  view_.SetPictureText(state_.ImagePath);
}

void Editor::Button2Click() {
  std::optional<ColorValue> color = dialogs_.ChooseColor();
  if (!color) return;
  view_.SetSampleTextColor(*color);
  state_.TextColor = *color;
  state_.TextColorChanged = true;
}

void Editor::Button5Click() {
  std::optional<ColorValue> color = dialogs_.ChooseColor();
  if (!color) return;
  view_.SetSampleTransparent(false);
  view_.SetSampleBackColor(*color);
  state_.TextBackColor = *color;
  state_.TextBackChanged = true;
}

void Editor::Button4Click() {
  // The change flags stay: a colour chosen before Reset is still written,
  // now as black.
  state_.TextColor = 0;
  state_.TextBackColor = 0;
  view_.SetSampleTextColor(0);
  view_.SetSampleBackColor(view_.WindowColor());
  state_.ImagePath.clear();
  view_.SetPictureText({});
}

void Editor::Button6Click() {
  // A removal that fails for a reason other than a missing file throws
  // before the window changes, so the display keeps matching the disk.
  store_.Remove(state_);
  view_.SetPictureText({});
  view_.SetSampleTextColor(0);
  view_.SetSampleBackColor(view_.WindowColor());
  view_.SetSampleTransparent(true);
}

void Editor::Button3Click() {
  // Whether the picture is written depends on Edit1; what is written is
  // always ImagePath.
  store_.Save(state_, !view_.PictureText().empty());
}

void Editor::Button7Click() {
  (void)dialogs_.PickIcon(state_.IconFileName, state_.IconIndexValue);
}

}  // namespace veskaro
