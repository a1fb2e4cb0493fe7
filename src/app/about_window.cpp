// Interim version: the About window is not built yet.
#include "app/about_window.h"

namespace veskaro::app {

void OpenAboutWindow(HINSTANCE, CreditGesture&) {}

}  // namespace veskaro::app
