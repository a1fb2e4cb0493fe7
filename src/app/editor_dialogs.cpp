#include "app/editor_dialogs.h"

#include <stdexcept>

#include "app/dialog_support.h"
#include "app/icon_picker.h"

namespace veskaro::app {

Win32EditorDialogs::Win32EditorDialogs(HWND owner) : owner_(owner), picture_(owner) {}

std::optional<std::string> Win32EditorDialogs::ChoosePicture() {
  const auto chosen = picture_.Show();
  if (!chosen) return std::nullopt;
  return WideToUtf8(*chosen);
}

std::optional<ColorValue> Win32EditorDialogs::ChooseColor() {
  // The dialog edits the custom colours in place even when cancelled; only
  // an OK keeps them.
  std::array<COLORREF, 16> custom = customColors_;
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.rgbResult = color_;
  dialog.lpCustColors = custom.data();
  dialog.Flags = CC_RGBINIT;
  if (!ChooseColorW(&dialog)) {
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return std::nullopt;
    throw std::runtime_error("The colour dialog cannot be shown (error " + std::to_string(error) + ")");
  }
  customColors_ = custom;
  color_ = dialog.rgbResult & 0x00FFFFFF;
  return static_cast<ColorValue>(color_);
}

bool Win32EditorDialogs::PickIcon(std::string& iconFileName, std::int32_t& iconIndex) {
  return app::PickIcon(owner_, iconFileName, iconIndex);
}

}  // namespace veskaro::app
