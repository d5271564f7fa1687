// The shell's allocator and the item lists it owns. Declared in this order in a scope, an item
// list is freed first and the allocator released after it, on every path out of the scope.
#pragma once

#include <shlobj.h>
#include <windows.h>

// One reference to the shell's task allocator, released when it goes. Empty when SHGetMalloc
// failed; then nothing can be freed through it.
class ShellAllocator {
 public:
  ShellAllocator() {
    if (FAILED(SHGetMalloc(&malloc_)))
      malloc_ = nullptr;
  }
  // Takes over one reference that the caller obtained.
  explicit ShellAllocator(IMalloc* malloc) : malloc_(malloc) {}
  ~ShellAllocator() {
    if (malloc_)
      malloc_->Release();
  }
  ShellAllocator(const ShellAllocator&) = delete;
  ShellAllocator& operator=(const ShellAllocator&) = delete;

  IMalloc* Get() const { return malloc_; }

 private:
  IMalloc* malloc_ = nullptr;
};

// An item list the shell returned (a browser's choice, a special folder's location), freed
// through `allocator` when it goes. The allocator must outlive it.
class ShellItemList {
 public:
  ShellItemList(LPITEMIDLIST items, const ShellAllocator& allocator)
      : items_(items), allocator_(allocator) {}
  ~ShellItemList() {
    if (items_ && allocator_.Get())
      allocator_.Get()->Free(items_);
  }
  ShellItemList(const ShellItemList&) = delete;
  ShellItemList& operator=(const ShellItemList&) = delete;

  LPITEMIDLIST Get() const { return items_; }

 private:
  LPITEMIDLIST items_;
  const ShellAllocator& allocator_;
};
