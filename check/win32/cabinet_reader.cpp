// The payload's cabinet read with the system's cabinet.dll (FDI), loaded by its full path in the
// system folder. FDI reads the cabinet through these callbacks from the packed file at the
// payload's offset, and each file is written into the private folder. FDI may report success
// after a write that failed, so each file's bytes are counted against its entry's size.
#include <windows.h>

#include <fdi.h>

#include <cstdio>
#include <cstdlib>

#include "check/code_page.h"
#include "check/packed_file.h"
#include "frame/system_dlls.h"

namespace {

// The pseudo handle FDI is given for the cabinet; a real handle is a multiple of four.
constexpr INT_PTR kCabinetHandle = 1;

using CreateCall = HFDI(DIAMONDAPI*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE,
                                     PFNSEEK, int, PERF);
using CopyCall = BOOL(DIAMONDAPI*)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
using DestroyCall = BOOL(DIAMONDAPI*)(HFDI);

struct Extraction {
  std::FILE* file;
  std::uint64_t start;
  std::uint32_t size;
  std::uint32_t position;
  std::wstring folder;
  CabinetNames* names;
  std::string error;
  // The file being written.
  std::string name;
  std::uint32_t expected;
  std::uint32_t written;
  bool failed;
};

// The callbacks carry no context: one cabinet is read at a time, this one.
Extraction* current = nullptr;

void* DIAMONDAPI Allocate(ULONG bytes) {
  return std::malloc(bytes);
}

void DIAMONDAPI Free(void* block) {
  std::free(block);
}

INT_PTR DIAMONDAPI Open(char*, int, int) {
  current->position = 0;
  return kCabinetHandle;
}

UINT DIAMONDAPI Read(INT_PTR handle, void* buffer, UINT bytes) {
  Extraction& x = *current;
  if (handle != kCabinetHandle)
    return static_cast<UINT>(-1);
  const UINT count = bytes < x.size - x.position ? bytes : x.size - x.position;
  const std::uint64_t at = x.start + x.position;
  if (count && (at > 0x7FFFFFFF || std::fseek(x.file, static_cast<long>(at), SEEK_SET) != 0 ||
                std::fread(buffer, 1, count, x.file) != count))
    return static_cast<UINT>(-1);
  x.position += count;
  return count;
}

UINT DIAMONDAPI Write(INT_PTR handle, void* buffer, UINT bytes) {
  DWORD done = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(handle), buffer, bytes, &done, nullptr) ||
      done != bytes) {
    current->failed = true;
    return static_cast<UINT>(-1);
  }
  current->written += bytes;
  return bytes;
}

int DIAMONDAPI Close(INT_PTR handle) {
  return handle == kCabinetHandle || CloseHandle(reinterpret_cast<HANDLE>(handle)) ? 0 : -1;
}

LONG DIAMONDAPI Seek(INT_PTR handle, LONG distance, int origin) {
  Extraction& x = *current;
  const long long base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? x.position : x.size;
  const long long at = base + distance;
  if (handle != kCabinetHandle || at < 0 || at > x.size)
    return -1;
  x.position = static_cast<std::uint32_t>(at);
  return static_cast<LONG>(at);
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
  Extraction& x = *current;
  if (type == fdintCOPY_FILE) {
    if (!x.names->Accept(note->psz1, (note->attribs & _A_NAME_IS_UTF) != 0, note->cb, &x.name,
                         &x.error))
      return -1;
    const std::wstring path = x.folder + L"\\" + WideFromUtf8(x.name);
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
      x.error = "\"" + x.name + "\" cannot be written into a temporary folder";
      return -1;
    }
    x.expected = note->cb;
    x.written = 0;
    x.failed = false;
    return reinterpret_cast<INT_PTR>(out);
  }
  if (type == fdintCLOSE_FILE_INFO) {
    const bool closed = CloseHandle(reinterpret_cast<HANDLE>(note->hf)) != FALSE;
    if (closed && !x.failed && x.written == x.expected)
      return TRUE;
    x.error = "\"" + x.name + "\" cannot be written whole into a temporary folder";
    return FALSE;
  }
  // A payload is one cabinet: a file that continues in another is no part of it.
  return type == fdintPARTIAL_FILE || type == fdintNEXT_CABINET ? -1 : 0;
}

}  // namespace

bool ReadCabinet(const std::string& path, std::uint64_t start, std::uint32_t size,
                 const std::string& folder, CabinetNames& names, std::string* error) {
  HMODULE dll = LoadSystemDll("cabinet.dll");
  auto create = dll ? Lookup<CreateCall>(dll, "FDICreate") : nullptr;
  auto copy = dll ? Lookup<CopyCall>(dll, "FDICopy") : nullptr;
  auto destroy = dll ? Lookup<DestroyCall>(dll, "FDIDestroy") : nullptr;
  if (!create || !copy || !destroy) {
    *error = "the system's cabinet.dll cannot be loaded";
    return false;
  }
  wchar_t wideFolder[MAX_PATH];
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file || !MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wideFolder, MAX_PATH)) {
    if (file)
      std::fclose(file);
    *error = "its cabinet cannot be read";
    return false;
  }
  Extraction x = {file, start, size, 0, wideFolder, &names, "", "", 0, 0, false};
  current = &x;
  ERF erf = {};
  HFDI fdi = create(Allocate, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &erf);
  // FDI takes the cabinet's name and folder apart; its open callback ignores both.
  char name[] = "payload.cab";
  char where[] = "";
  const bool read = fdi && copy(fdi, name, where, 0, Notify, nullptr, nullptr);
  if (fdi)
    destroy(fdi);
  current = nullptr;
  std::fclose(file);
  if (!read && x.error.empty())
    x.error = "its cabinet cannot be read: FDI error " + std::to_string(erf.erfOper);
  *error = x.error;
  return read && x.error.empty();
}
