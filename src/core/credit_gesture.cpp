#include "core/credit_gesture.h"

namespace veskaro {

void CreditGesture::FormCreate() { creditUnlocked_ = false; }

void CreditGesture::MouseDown(MouseButton button) {
  if (button == MouseButton::Right) {
    rightClickArmed_ = true;
    timer_.Enable();
  }
  if (rightClickArmed_ && button == MouseButton::Left) creditUnlocked_ = true;
}

void CreditGesture::TimerTick() { rightClickArmed_ = false; }

void CreditGesture::AboutWindowClosed() { creditUnlocked_ = false; }

}  // namespace veskaro
