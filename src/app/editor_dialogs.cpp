// Interim version: the plain common dialogs, no preview, no icon picker yet.
#include "app/editor_dialogs.h"

#include <commdlg.h>

#include <array>

namespace veskaro::app {

struct Win32EditorDialogs::State {
  COLORREF color = 0;
  std::array<COLORREF, 16> custom{};
};

Win32EditorDialogs::Win32EditorDialogs(HWND owner) : owner_(owner), state_(new State) {}
Win32EditorDialogs::~Win32EditorDialogs() { delete state_; }

std::optional<std::string> Win32EditorDialogs::ChoosePicture() { return std::nullopt; }

std::optional<ColorValue> Win32EditorDialogs::ChooseColor() {
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner_;
  cc.rgbResult = state_->color;
  cc.lpCustColors = state_->custom.data();
  cc.Flags = CC_RGBINIT;
  if (!ChooseColorW(&cc)) return std::nullopt;
  state_->color = cc.rgbResult & 0xFFFFFF;
  return static_cast<ColorValue>(state_->color);
}

bool Win32EditorDialogs::PickIcon(std::string&, std::int32_t&) { return false; }

}  // namespace veskaro::app
