// Stand-in for the shell folder tree until shell_tree.h exists: the same
// interface over a plain tree of the drives.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace veskaro::app {

class ShellTree {
 public:
  using ChangeHandler = std::function<void(const std::string& utf8Path)>;
  using ErrorHandler = std::function<void(std::exception_ptr)>;
  ShellTree(HWND parent, int controlId, const RECT& bounds, ChangeHandler onChange, ErrorHandler onError = {});
  ~ShellTree();
  ShellTree(const ShellTree&) = delete;
  ShellTree& operator=(const ShellTree&) = delete;
  HWND hwnd() const { return host_; }
  std::string Path() const;

 private:
  static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND host_ = nullptr;
  HWND tree_ = nullptr;
  ChangeHandler onChange_;
  ErrorHandler onError_;
};

}  // namespace veskaro::app
