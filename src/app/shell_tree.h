// ShellTreeView1: a folder tree of the shell namespace under My Computer.
// A host child window of its own class holds a SysTreeView32 and answers its
// notifications: children are enumerated when a node is first expanded,
// sorted by the shell's own comparison, and shown with the shell's icons; the
// selected folder is watched on a background thread and re-listed when
// folders in it are added, deleted or renamed; a right-click selects the node
// and opens the shell's context menu for it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace veskaro::app {

class ShellTree {
 public:
  using ChangeHandler = std::function<void(const std::string& utf8Path)>;
  // Receives what escapes a handler inside the window procedure (onChange
  // above all); without one such exceptions are dropped.
  using ErrorHandler = std::function<void(std::exception_ptr)>;

  // Builds the tree at `bounds` (client coordinates of `parent`), then
  // expands and selects My Computer and calls onChange with its path before
  // returning. Throws when the shell or the windows cannot be set up, and
  // passes on what the first onChange throws.
  ShellTree(HWND parent, int controlId, const RECT& bounds, ChangeHandler onChange,
            ErrorHandler onError = {});
  ~ShellTree();
  ShellTree(const ShellTree&) = delete;
  ShellTree& operator=(const ShellTree&) = delete;

  HWND hwnd() const;      // the host child window
  HWND treeHwnd() const;  // the SysTreeView32 inside it

  // The selected node's parsing name, or its display name for a virtual
  // folder (a parsing name beginning with "::{"); empty when nothing is
  // selected.
  std::string Path() const;

  // Expands the tree down to the folder with this path and selects it (which
  // calls onChange). False when no listed node has that path: it does not
  // exist, is hidden, or lies outside My Computer.
  bool SelectPath(const std::string& utf8Path);

  // How many tree items of all trees in the process still hold their shell
  // data; zero once every tree is destroyed.
  static std::size_t LiveItemCount();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace veskaro::app
