// Reading and steering a tree view that belongs to another process.
#include "tests/driver/remote_tree.h"

#include <string.h>

namespace {

// The remote block: the item record followed by its text buffer.
constexpr SIZE_T kBlockSize = 4096;
constexpr int kTextOffset = 64;

}  // namespace

RemoteTree::RemoteTree(HWND tree) : tree_(tree) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tree, &pid);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process_ == nullptr)
    return;
  remote_ = static_cast<char*>(
      VirtualAllocEx(process_, nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

RemoteTree::~RemoteTree() {
  if (remote_ != nullptr)
    VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
  if (process_ != nullptr)
    CloseHandle(process_);
}

HTREEITEM RemoteTree::Next(HTREEITEM item, UINT relation, const Deadline& deadline) {
  DWORD_PTR result = 0;
  if (!SendBounded(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item), deadline,
                   &result)) {
    return nullptr;
  }
  return reinterpret_cast<HTREEITEM>(result);
}

bool RemoteTree::GetItem(HTREEITEM item, UINT mask, TVITEMA* out, char* text, int cap,
                         const Deadline& deadline) {
  static_assert(sizeof(TVITEMA) <= kTextOffset, "the item record overlaps its text");
  if (!Usable())
    return false;
  int remoteCap = static_cast<int>(kBlockSize) - kTextOffset;
  TVITEMA request = {};
  request.mask = mask | TVIF_HANDLE;
  request.hItem = item;
  request.stateMask = static_cast<UINT>(-1);
  request.pszText = remote_ + kTextOffset;
  request.cchTextMax = remoteCap;
  char empty = '\0';
  SIZE_T moved = 0;
  if (!WriteProcessMemory(process_, remote_, &request, sizeof request, &moved) ||
      !WriteProcessMemory(process_, remote_ + kTextOffset, &empty, 1, &moved)) {
    return false;
  }
  DWORD_PTR ok = 0;
  if (!SendBounded(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote_), deadline, &ok) ||
      !ok) {
    return false;
  }
  if (!ReadProcessMemory(process_, remote_, out, sizeof *out, &moved))
    return false;
  if (text == nullptr)
    return true;
  // The tree may answer with a pointer to its own copy of the text instead of filling ours.
  const char* source = out->pszText != nullptr ? out->pszText : remote_ + kTextOffset;
  int want = cap < remoteCap ? cap : remoteCap;
  memset(text, 0, cap);
  if (!ReadProcessMemory(process_, source, text, want - 1, &moved)) {
    if (!ReadProcessMemory(process_, remote_ + kTextOffset, text, want - 1, &moved))
      return false;
  }
  text[cap - 1] = '\0';
  return true;
}

bool RemoteTree::Text(HTREEITEM item, char* buf, int cap, const Deadline& deadline) {
  TVITEMA got = {};
  return GetItem(item, TVIF_TEXT, &got, buf, cap, deadline);
}

bool RemoteTree::IsExpanded(HTREEITEM item, const Deadline& deadline) {
  TVITEMA got = {};
  return GetItem(item, TVIF_STATE, &got, nullptr, 0, deadline) && (got.state & TVIS_EXPANDED);
}

bool RemoteTree::Expand(HTREEITEM item, const Deadline& deadline) {
  return SendBounded(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item), deadline,
                     nullptr);
}

bool RemoteTree::Collapse(HTREEITEM item, const Deadline& deadline) {
  return SendBounded(tree_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item), deadline,
                     nullptr);
}

bool RemoteTree::Select(HTREEITEM item, const Deadline& deadline) {
  if (!SendBounded(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), deadline,
                   nullptr)) {
    return false;
  }
  SendBounded(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item), deadline, nullptr);
  return Next(nullptr, TVGN_CARET, deadline) == item;
}
