// The Win32 dialogs behind the editor's commands: the open-picture dialog
// (openpd1), the colour dialog (cd1) and the icon picker.
#pragma once

#include <windows.h>

#include "core/editor.h"

namespace veskaro::app {

class Win32EditorDialogs final : public EditorDialogs {
 public:
  explicit Win32EditorDialogs(HWND owner);
  ~Win32EditorDialogs() override;
  Win32EditorDialogs(const Win32EditorDialogs&) = delete;
  Win32EditorDialogs& operator=(const Win32EditorDialogs&) = delete;

  std::optional<std::string> ChoosePicture() override;
  std::optional<ColorValue> ChooseColor() override;
  bool PickIcon(std::string& iconFileName, std::int32_t& iconIndex) override;

 private:
  struct State;
  HWND owner_;
  State* state_;
};

}  // namespace veskaro::app
