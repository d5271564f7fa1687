// Reading and steering a tree view that belongs to another process.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "tests/driver/window_search.h"

// Item handles are plain values that pass between processes, but an item's text has to be read
// into memory of the tree's own process: the messages are given a block allocated there.
class RemoteTree {
 public:
  explicit RemoteTree(HWND tree);
  ~RemoteTree();
  RemoteTree(const RemoteTree&) = delete;
  RemoteTree& operator=(const RemoteTree&) = delete;

  bool Usable() const { return remote_ != nullptr; }

  // TVM_GETNEXTITEM; null when there is no such item or the tree does not answer.
  HTREEITEM Next(HTREEITEM item, UINT relation, const Deadline& deadline);
  bool Text(HTREEITEM item, char* buf, int cap, const Deadline& deadline);
  bool IsExpanded(HTREEITEM item, const Deadline& deadline);
  // The shell's browser fills an item's children when it is first expanded.
  bool Expand(HTREEITEM item, const Deadline& deadline);
  bool Collapse(HTREEITEM item, const Deadline& deadline);
  // Makes the item the selection, as a click would; the browser follows the change.
  bool Select(HTREEITEM item, const Deadline& deadline);

 private:
  bool GetItem(HTREEITEM item, UINT mask, TVITEMA* out, char* text, int cap,
               const Deadline& deadline);

  HWND tree_;
  HANDLE process_ = nullptr;
  char* remote_ = nullptr;
};
