#include "core/side_channel.h"

namespace veskaro {

void SideChannel::Start() {
  popped_ = false;
  pinned_ = false;
  view_.SetPanelWidth(InWidth);
  view_.SetPinButtonDown(false);
  view_.SetPinButtonVisible(false);
  SetTimer(true);
}

void SideChannel::SetTimer(bool on) {
  timerOn_ = on;
  view_.SetCheckTimer(on);
}

void SideChannel::Pop() {
  view_.SetPinButtonVisible(true);
  view_.SetPanelWidth(OutWidth);
  // A panel that is already out and pinned stays pinned; otherwise it comes
  // out with the pin up and the check running.
  if (!pinned_) SetTimer(true);
  popped_ = true;
}

void SideChannel::Push() {
  popped_ = false;
  pinned_ = false;
  SetTimer(false);
  view_.SetPanelWidth(InWidth);
  view_.SetPinButtonDown(false);
  view_.SetPinButtonVisible(false);
  if (onPush_) onPush_();
}

void SideChannel::CheckTick(int x, int y, const PanelRect& panel) {
  if (!timerOn_) return;
  if (!StrictlyInside(panel, x, y)) Push();
}

void SideChannel::PointerMoved(bool windowActive, bool applicationActive) {
  if (popped_) return;
  if (windowActive && applicationActive) Pop();
}

void SideChannel::TogglePin() { SetPinned(!pinned_); }

void SideChannel::SetPinned(bool down) {
  // The pin exists only while the panel is out.
  if (!popped_) return;
  pinned_ = down;
  view_.SetPinButtonDown(down);
  SetTimer(!down);
}

}  // namespace veskaro
