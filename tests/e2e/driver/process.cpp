// Starting, watching and ending the program under test.
#include "driver.h"

#include <psapi.h>

#include <stdexcept>

namespace veskaro::e2e {

namespace {

// Wine needs a moment after CreateProcessW before the new process answers;
// a round trip through the window's own message loop shows that it handles
// messages again after its start-up work.
bool AnswersMessages(HWND window, Milliseconds timeout) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, UINT(timeout.count()),
                             &result) != 0;
}

}  // namespace

Process Process::Start(const std::filesystem::path& exe, const std::filesystem::path& working_dir,
                       std::wstring_view arguments) {
  std::wstring command_line = L"\"" + exe.wstring() + L"\"";
  if (!arguments.empty()) {
    command_line += L' ';
    command_line += arguments;
  }
  const std::wstring folder =
      working_dir.empty() ? exe.parent_path().wstring() : working_dir.wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    throw std::runtime_error("CreateProcessW failed for " + Utf8(exe.wstring()) + ": error " +
                             std::to_string(GetLastError()));
  }
  CloseHandle(info.hThread);
  return Process(UniqueHandle(info.hProcess), info.dwProcessId);
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    if (IsRunning()) Close();
    process_ = std::move(other.process_);
    id_ = other.id_;
  }
  return *this;
}

Process::~Process() {
  if (IsRunning()) Close();
}

bool Process::IsRunning() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

HWND Process::WaitForMainWindow(std::wstring_view class_name, Milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  auto remaining = [&] {
    return std::max<Milliseconds>(0ms, std::chrono::duration_cast<Milliseconds>(
                                           deadline - std::chrono::steady_clock::now()));
  };
  HWND window = nullptr;
  WaitUntil(
      [&] {
        if (!IsRunning()) return true;  // no use waiting for a dead process
        auto windows = TopWindows(id_, class_name);
        window = windows.empty() ? nullptr : windows.front();
        return window != nullptr;
      },
      timeout);
  if (window == nullptr) return nullptr;
  WaitForInputIdle(process_.get(), DWORD(remaining().count()));
  if (!AnswersMessages(window, std::max<Milliseconds>(remaining(), 100ms))) return nullptr;
  return window;
}

std::optional<DWORD> Process::WaitForExit(Milliseconds timeout) const {
  if (!process_) return std::nullopt;
  if (WaitForSingleObject(process_.get(), DWORD(timeout.count())) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

DWORD Process::Close(Milliseconds timeout) {
  if (!process_) return 0;
  if (IsRunning()) {
    for (HWND window : TopWindows(id_)) PostMessageW(window, WM_CLOSE, 0, 0);
  }
  if (auto code = WaitForExit(timeout)) return *code;
  TerminateProcess(process_.get(), 0xDEAD);
  return WaitForExit(5s).value_or(0xDEAD);
}

MemoryUse Process::Memory() const {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  MemoryUse use;
  if (process_ && GetProcessMemoryInfo(process_.get(), &counters, sizeof counters)) {
    use.peak_working_set = counters.PeakWorkingSetSize;
    use.working_set = counters.WorkingSetSize;
    use.pagefile_usage = counters.PagefileUsage;
    use.peak_pagefile_usage = counters.PeakPagefileUsage;
  }
  return use;
}

}  // namespace veskaro::e2e
