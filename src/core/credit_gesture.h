// The hidden-credit gesture: a right press on the main window's free surface,
// then a left press before the next tick of the one-second timer, unlocks the
// credit line of the About window.
#pragma once

namespace veskaro {

enum class MouseButton { Left, Right, Middle, Other };

// Starts the one-second timer (Timer1). Enabling an enabled timer must not
// restart it. Throws when the system refuses the timer.
class GestureTimer {
 public:
  virtual ~GestureTimer() = default;
  virtual void Enable() = 0;
};

class CreditGesture {
 public:
  explicit CreditGesture(GestureTimer& timer) : timer_(timer) {}

  void FormCreate();                         // TForm1.FormCreate
  void MouseDown(MouseButton button);        // suiForm1MouseDown
  void TimerTick();                          // Timer1Timer
  void AboutWindowClosed();                  // TForm3.FormClose
  bool CreditUnlocked() const { return creditUnlocked_; }
  bool RightClickArmed() const { return rightClickArmed_; }

 private:
  GestureTimer& timer_;
  bool creditUnlocked_ = false;
  bool rightClickArmed_ = false;
};

}  // namespace veskaro
