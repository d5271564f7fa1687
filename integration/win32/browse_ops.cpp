// The shell's folder browser, owned by the dialog.
#include "common/bounded_text.h"
#include "integration/win32/shell_memory.h"
#include "integration/win32/win32_platform.h"

namespace {

// The browser's tree talks to shell folders through COM, which must be initialised (apartment
// threaded) on the calling thread for as long as the browser runs.
class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialized_)
      CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace

bool Win32Shell::BrowseForFolder(const char* title, char* path, std::size_t cap) {
  ComApartment com;
  char chosen[MAX_PATH] = "";  // the item's display name first, then its path

  // Declared before the item list, so that the item is freed before the allocator goes.
  ShellAllocator allocator;
  BROWSEINFOA request = {};
  request.hwndOwner = owner_.Dialog();
  request.pidlRoot = nullptr;  // the desktop
  request.pszDisplayName = chosen;
  request.lpszTitle = title;
  request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  ShellItemList item(SHBrowseForFolderA(&request), allocator);
  if (!item.Get())
    return false;

  // An item without a file-system path yields no path, not its display name.
  if (!SHGetPathFromIDListA(item.Get(), chosen))
    chosen[0] = '\0';
  CopyText(path, cap, chosen);  // a path that does not fit comes back empty
  return true;
}
