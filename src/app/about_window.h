// The About window (TForm3): any number may be open, each freeing itself
// when closed.
#pragma once

#include <windows.h>

#include "core/credit_gesture.h"

namespace veskaro::app {

// BitBtn1Click: opens one more About window, modeless, centred on the screen.
// Throws when the window cannot be created.
void OpenAboutWindow(HINSTANCE instance, CreditGesture& gesture);

}  // namespace veskaro::app
