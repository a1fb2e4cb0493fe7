// The Win32 dialogs behind the editor's commands: the open-picture dialog
// (openpd1), the colour dialog (cd1) and the icon picker.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <array>

// commdlg.h maps ChooseColor to ChooseColorW, which would rename the
// editor's ChooseColor wherever both are seen; we call ChooseColorW by name.
#ifdef ChooseColor
#undef ChooseColor
#endif

#include "app/picture_dialog.h"
#include "core/editor.h"

namespace veskaro::app {

class Win32EditorDialogs final : public EditorDialogs {
 public:
  explicit Win32EditorDialogs(HWND owner);
  Win32EditorDialogs(const Win32EditorDialogs&) = delete;
  Win32EditorDialogs& operator=(const Win32EditorDialogs&) = delete;

  std::optional<std::string> ChoosePicture() override;
  std::optional<ColorValue> ChooseColor() override;
  bool PickIcon(std::string& iconFileName, std::int32_t& iconIndex) override;

  // The custom colours the colour dialog opens with next time.
  const std::array<COLORREF, 16>& CustomColors() const { return customColors_; }

 private:
  HWND owner_;
  PictureDialog picture_;
  // cd1's state, shared by both colour commands: the colour last confirmed
  // and the sixteen custom colours as they were at the last OK.
  COLORREF color_ = 0;
  std::array<COLORREF, 16> customColors_{};
};

}  // namespace veskaro::app
