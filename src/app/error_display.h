// The application's default error display: every event handler runs inside
// Guarded, so that no exception crosses a window procedure; what escapes a
// handler is shown in one program-modal message box and the program goes on.
#pragma once

#include <exception>
#include <string>

namespace veskaro::app {

// The message as the box shows it: a full stop is added when the last
// character's code lies above that of '.', so "!", "." and "," end it as is.
std::wstring ErrorDisplayText(std::wstring message);

// The box: caption "Veskaro v 1.3", stop icon, OK, modal for the program.
void ShowHandlerError(const std::wstring& message);

// The text for an exception, including our own translations.
std::wstring ExceptionMessage(const std::exception& e);

void ShowCurrentException() noexcept;

template <class F>
void Guarded(F&& handler) noexcept {
  try {
    handler();
  } catch (...) {
    ShowCurrentException();
  }
}

}  // namespace veskaro::app
