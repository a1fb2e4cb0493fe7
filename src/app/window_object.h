// The object behind a window of one of our classes: bound from the creation
// parameter on WM_NCCREATE (the first message a custom frame needs), unbound
// on WM_NCDESTROY so that no message after it reaches a deleted object.
#pragma once

#include <windows.h>

namespace veskaro::app {

template <typename T>
T* WindowObject(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return self;
}

}  // namespace veskaro::app
