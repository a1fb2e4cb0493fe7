#include "app/shell_tree_watcher.h"

#include <system_error>

namespace veskaro::app::shell {

FolderWatcher::FolderWatcher(HWND target, UINT message)
    : target_(target), message_(message), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!stop_) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                      "CreateEventW");
}

FolderWatcher::~FolderWatcher() { Stop(); }

bool FolderWatcher::Watch(const std::wstring& folder, WPARAM generation) {
  Stop();
  // The tree lists folders only, so only changes of folder names matter;
  // file writes in the folder (our own settings file among them) do not.
  change_.reset(FindFirstChangeNotificationW(folder.c_str(), FALSE,
                                             FILE_NOTIFY_CHANGE_DIR_NAME));
  if (!change_) return false;
  pending_.store(false);
  ResetEvent(stop_.get());
  thread_ = std::thread([this, generation] { Run(generation); });
  return true;
}

void FolderWatcher::Stop() {
  if (thread_.joinable()) {
    SetEvent(stop_.get());
    thread_.join();
  }
  change_.reset();
}

void FolderWatcher::Run(WPARAM generation) {
  const HANDLE handles[2] = {stop_.get(), change_.get()};
  for (;;) {
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (which != WAIT_OBJECT_0 + 1) return;
    if (!pending_.exchange(true)) PostMessageW(target_, message_, generation, 0);
    if (!FindNextChangeNotification(change_.get())) return;
  }
}

}  // namespace veskaro::app::shell
