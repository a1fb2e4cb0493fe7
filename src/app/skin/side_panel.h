// The slide-out side panel's window (suiSideChannel1): docked at the right
// of the frame below the title bar, 10 pixels when in and 286 when out. It
// draws the bar, the caption strip and the pin, runs the check timer and
// feeds ticks and pointer movements to the SideChannel state machine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/skin/controls.h"
#include "core/side_channel.h"

namespace veskaro::app::skin {

class SidePanel final : public SideChannelView {
 public:
  static constexpr int CaptionHeight = 21;

  SidePanel(HWND frame, int top, const std::wstring& caption, const Skin& skin);
  SidePanel(const SidePanel&) = delete;
  SidePanel& operator=(const SidePanel&) = delete;

  // Set before the channel starts.
  void Bind(SideChannel& channel) { channel_ = &channel; }
  HWND hwnd() const { return hwnd_; }
  // Controls inside the panel show only while it is out.
  void AddContent(HWND child);

  // SideChannelView
  void SetPanelWidth(int width) override;
  void SetPinButtonVisible(bool visible) override;
  void SetPinButtonDown(bool down) override;
  void SetCheckTimer(bool on) override;

  static void Register(HINSTANCE instance);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnPaint(HDC dc);
  void OnTimer();
  void OnMouseMove();

  HWND frame_;
  HWND hwnd_ = nullptr;
  HWND pin_ = nullptr;
  int top_;
  int width_ = SideChannel::InWidth;
  const Skin& skin_;
  SideChannel* channel_ = nullptr;
  std::vector<HWND> content_;
};

}  // namespace veskaro::app::skin
