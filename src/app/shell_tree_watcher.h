// Watches one folder for sub-folders that are added, deleted or renamed, on a
// thread of its own, and posts a message to a window for each change. The
// window's thread does the work; the watcher thread only waits and posts.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32/handles.h"

namespace veskaro::app::shell {

class FolderWatcher {
 public:
  // Changes arrive at `target` as `message` with wParam = the generation
  // given to Watch.
  FolderWatcher(HWND target, UINT message);
  ~FolderWatcher();
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;

  // Stops watching the previous folder and starts on `folder`. False when
  // the folder cannot be watched (it is then not watched at all).
  bool Watch(const std::wstring& folder, WPARAM generation);

  // Stops the thread and waits for it; nothing is posted afterwards.
  void Stop();

  // Called by the window before it acts on a change: a burst of changes
  // posts one message until the window has taken it.
  void Acknowledge() { pending_.store(false); }

 private:
  void Run(WPARAM generation);

  HWND target_;
  UINT message_;
  win32::UniqueHandle stop_;
  win32::UniqueChangeNotification change_;
  std::atomic<bool> pending_{false};
  std::thread thread_;
};

}  // namespace veskaro::app::shell
