// Under Wine: the owners of kernel handles and shell item lists, and the bounded file-head read
// that uses them. Needs no display.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "integration/win32/shell_memory.h"
#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"
#include "tests/win32/check.h"

namespace {

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != 0;
}

void UniqueHandleTreatsBothNoHandleValuesAsEmpty() {
  UniqueHandle none;
  UniqueHandle invalid(INVALID_HANDLE_VALUE);
  CHECK(!none.IsValid());
  CHECK(!invalid.IsValid());
  CHECK_EQ(invalid.Close(), 0);  // nothing to close is not an error
}

void UniqueHandleHasOneOwnerAfterAMove() {
  HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  UniqueHandle first(raw);
  UniqueHandle second(static_cast<UniqueHandle&&>(first));
  CHECK(!first.IsValid());
  CHECK(second.Get() == raw);

  // Assigning over an owner closes what it held, and leaves the source empty.
  HANDLE otherRaw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  UniqueHandle other(otherRaw);
  other = static_cast<UniqueHandle&&>(second);
  CHECK(!IsOpenHandle(otherRaw));
  CHECK(!second.IsValid());
  CHECK(other.Get() == raw);

  other = static_cast<UniqueHandle&&>(other);  // self-assignment keeps the handle open
  CHECK(IsOpenHandle(raw));

  CHECK_EQ(other.Close(), 0);
  CHECK(!IsOpenHandle(raw));
  CHECK(!other.IsValid());
}

void UniqueHandleReportsAFailedClose() {
  // A value that was never a handle: CloseHandle fails and the error comes back.
  UniqueHandle bogus(reinterpret_cast<HANDLE>(0x3ffffff0));
  CHECK_EQ(bogus.Close(), ERROR_INVALID_HANDLE);
  CHECK(!bogus.IsValid());
}

// An allocator that records what is done with it.
class RecordingMalloc final : public IMalloc {
 public:
  char log[64] = "";

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override {
    Note("release;");
    return 1;
  }
  void* STDMETHODCALLTYPE Alloc(SIZE_T) override { return nullptr; }
  void* STDMETHODCALLTYPE Realloc(void*, SIZE_T) override { return nullptr; }
  void STDMETHODCALLTYPE Free(void*) override { Note("free;"); }
  SIZE_T STDMETHODCALLTYPE GetSize(void*) override { return 0; }
  int STDMETHODCALLTYPE DidAlloc(void*) override { return -1; }
  void STDMETHODCALLTYPE HeapMinimize() override {}

 private:
  void Note(const char* what) { std::strncat(log, what, sizeof log - std::strlen(log) - 1); }
};

void ItemListIsFreedBeforeTheAllocatorIsReleased() {
  RecordingMalloc recorder;
  ITEMIDLIST item = {};
  {
    ShellAllocator allocator(&recorder);
    ShellItemList chosen(&item, allocator);
  }
  CHECK_STREQ(recorder.log, "free;release;");
}

void CancelledBrowseOnlyReleasesTheAllocator() {
  RecordingMalloc recorder;
  {
    ShellAllocator allocator(&recorder);
    ShellItemList none(nullptr, allocator);
  }
  CHECK_STREQ(recorder.log, "release;");
}

void ItemListWithoutAllocatorIsLeftAlone() {
  ITEMIDLIST item = {};
  ShellAllocator none(nullptr);
  ShellItemList chosen(&item, none);  // must neither crash nor free through nothing
  CHECK(none.Get() == nullptr);
  ShellAllocator shell;
  CHECK(shell.Get() != nullptr);
}

bool WriteBytes(const char* path, const char* bytes, DWORD size) {
  UniqueHandle file(
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.IsValid() && WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size;
}

void ReadFileHeadIsBoundedAndClosesTheFile() {
  char temp[MAX_PATH];
  char path[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::snprintf(path, sizeof path, "%shead-%lu.txt", temp, GetCurrentProcessId());
  const char text[] = "Viewer.exe\r\nC:\\Apps\\Viewer\r\n";
  const std::size_t size = sizeof text - 1;
  CHECK(WriteBytes(path, text, size));

  Win32Files files;
  struct {
    char buf[10];
    char guard[4];
  } small;
  std::memset(&small, '#', sizeof small);
  std::size_t got = 99;
  CHECK(files.ReadFileHead(path, small.buf, sizeof small.buf, &got));
  CHECK_EQ(got, sizeof small.buf);
  CHECK(std::memcmp(small.buf, text, sizeof small.buf) == 0);
  CHECK(std::memcmp(small.guard, "####", 4) == 0);

  char whole[256];
  CHECK(files.ReadFileHead(path, whole, sizeof whole, &got));
  CHECK_EQ(got, size);
  CHECK(std::memcmp(whole, text, size) == 0);

  // Closed before returning: nothing stops the file from being deleted.
  CHECK(DeleteFileA(path));

  got = 99;
  CHECK(!files.ReadFileHead(path, whole, sizeof whole, &got));
  CHECK_EQ(got, 0);

  CHECK(WriteBytes(path, "", 0));
  CHECK(files.ReadFileHead(path, whole, sizeof whole, &got));
  CHECK_EQ(got, 0);
  CHECK(DeleteFileA(path));
}

}  // namespace

int main() {
  UniqueHandleTreatsBothNoHandleValuesAsEmpty();
  UniqueHandleHasOneOwnerAfterAMove();
  UniqueHandleReportsAFailedClose();
  ItemListIsFreedBeforeTheAllocatorIsReleased();
  CancelledBrowseOnlyReleasesTheAllocator();
  ItemListWithoutAllocatorIsLeftAlone();
  ReadFileHeadIsBoundedAndClosesTheFile();
  return check::Finish();
}
