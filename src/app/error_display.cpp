#include "app/error_display.h"

#include <windows.h>

#include "app/text.h"
#include "core/folder_settings.h"
#include "veskaro_ids.h"

namespace veskaro::app {

std::wstring ErrorDisplayText(std::wstring message) {
  if (!message.empty() && message.back() > L'.') message += L'.';
  return message;
}

void ShowHandlerError(const std::wstring& message) {
  // No owner and task-modal: every window of the program (the main window
  // and any About window) is disabled while the box is up.
  MessageBoxW(nullptr, ErrorDisplayText(message).c_str(), ResString(IDS_APP_TITLE).c_str(),
              MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

std::wstring ExceptionMessage(const std::exception& e) {
  if (auto* notFound = dynamic_cast<const FolderNotFoundError*>(&e)) {
    return ResString(IDS_FOLDER_NOT_FOUND) + Widen(notFound->path());
  }
  return Widen(e.what());
}

void ShowCurrentException() noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& e) {
      ShowHandlerError(ExceptionMessage(e));
    } catch (...) {
      ShowHandlerError(ResString(IDS_UNKNOWN_ERROR));
    }
  } catch (...) {
    // Showing the error failed (out of memory): nothing more can be done.
  }
}

}  // namespace veskaro::app
