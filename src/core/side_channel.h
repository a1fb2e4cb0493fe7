// The slide-out side panel (suiSideChannel1) as a state machine: in or out,
// pinned or not, its once-a-second pointer check on or off. The window
// implements SideChannelView and feeds in ticks and pointer movements; the
// rules live here so that they can be tested without a window.
#pragma once

#include <functional>

namespace veskaro {

// A rectangle as left, top, width and height, in screen pixels.
struct PanelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The leftmost column and the top row belong to the outside, and so do the
// column and row just past the right and bottom edges.
constexpr bool StrictlyInside(const PanelRect& r, int x, int y) {
  return r.left < x && x < r.left + r.width && r.top < y && y < r.top + r.height;
}

class SideChannelView {
 public:
  virtual ~SideChannelView() = default;
  virtual void SetPanelWidth(int width) = 0;
  virtual void SetPinButtonVisible(bool visible) = 0;
  virtual void SetPinButtonDown(bool down) = 0;
  virtual void SetCheckTimer(bool on) = 0;
};

class SideChannel {
 public:
  static constexpr int InWidth = 10;    // only the bar shows
  static constexpr int OutWidth = 286;  // covers all but 8 px of the frame
  static constexpr int CheckIntervalMs = 1000;

  explicit SideChannel(SideChannelView& view) : view_(view) {}
  SideChannel(const SideChannel&) = delete;
  SideChannel& operator=(const SideChannel&) = delete;

  // Built in, 10 px wide; releasing the pin at build time starts the check
  // timer, so the first tick slides the panel back and fires OnPush.
  void Start();

  // Bound after Start, as the layout binds the handler after the panel's
  // settings: nothing fires during construction.
  void SetOnPush(std::function<void()> onPush) { onPush_ = std::move(onPush); }

  void Pop();   // slide out, in one step
  void Push();  // slide back, in one step, then OnPush (also when already in)

  // One tick of the check timer with the pointer's screen position and the
  // panel's current screen rectangle. Ticks while the timer is off (a late
  // message after it was killed) are ignored.
  void CheckTick(int x, int y, const PanelRect& panel);

  // The pointer moved over the panel (over its bar while it is in).
  void PointerMoved(bool windowActive, bool applicationActive);

  // The pin toggle was pressed: down keeps the panel out.
  void TogglePin();
  void SetPinned(bool down);

  bool Popped() const { return popped_; }
  bool Pinned() const { return pinned_; }
  bool CheckTimerOn() const { return timerOn_; }
  int Width() const { return popped_ ? OutWidth : InWidth; }

 private:
  void SetTimer(bool on);

  SideChannelView& view_;
  std::function<void()> onPush_;
  bool popped_ = false;
  bool pinned_ = false;
  bool timerOn_ = false;
};

}  // namespace veskaro
