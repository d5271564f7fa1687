// The payload of a packed setup.exe, read from the program's own file. The system's cabinet.dll
// decompresses it (FDI), loaded by its full path in the system folder, so that a DLL of that
// name beside the program is never loaded. FDI's file callbacks are the program's own: the
// cabinet is read from the open program file at the payload's offset, and every destination is
// opened here, so no temporary file or folder is ever made. FDI reports success after a write
// that failed and tells the close of a file it could not finish; so every file's bytes are
// counted here against the size its entry announced.
#include "integration/win32/payload_ops.h"

#include <fdi.h>

#include "common/bounded_text.h"
#include "description/setup_reader.h"
#include "description/setup_settings.h"
#include "frame/system_dlls.h"
#include "integration/win32/win32_platform.h"

namespace {

// The pseudo handles FDI is given for the cabinet and for setup.inf kept in memory; a real
// handle is a multiple of four.
constexpr INT_PTR kCabinetHandle = 1;
constexpr INT_PTR kMemoryHandle = 2;
constexpr std::size_t kCheckBufferSize = 64 * 1024;

using CreateCall = HFDI(DIAMONDAPI*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE,
                                     PFNSEEK, int, PERF);
using IsCabinetCall = BOOL(DIAMONDAPI*)(HFDI, INT_PTR, PFDICABINETINFO);
using CopyCall = BOOL(DIAMONDAPI*)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
using DestroyCall = BOOL(DIAMONDAPI*)(HFDI);

// The callbacks carry no context: one payload is read at a time, this one.
Win32Payload* current = nullptr;

// Static storage: zero-filled, it takes no room in the program file. setup.inf is kept as far as
// the reader takes it; the name of the file being written, as stored and as shown.
char setupInfo[kSetupInfoReadLimit];
wchar_t fileName[MAX_PATH];
char fileShown[3 * MAX_PATH];

void* DIAMONDAPI Allocate(ULONG bytes) {
  return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void DIAMONDAPI Free(void* block) {
  HeapFree(GetProcessHeap(), 0, block);
}

INT_PTR DIAMONDAPI Open(char*, int, int) {
  return current->OpenCabinet();
}

UINT DIAMONDAPI Read(INT_PTR handle, void* buffer, UINT bytes) {
  return handle == kCabinetHandle ? current->ReadCabinet(buffer, bytes) : static_cast<UINT>(-1);
}

UINT DIAMONDAPI Write(INT_PTR handle, void* buffer, UINT bytes) {
  return current->WriteOut(handle, buffer, bytes);
}

int DIAMONDAPI Close(INT_PTR handle) {
  return handle == kCabinetHandle ? 0 : current->CloseOut(handle);
}

LONG DIAMONDAPI Seek(INT_PTR handle, LONG distance, int origin) {
  return handle == kCabinetHandle ? current->SeekCabinet(distance, origin) : -1;
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
  return current->Notify(type, note);
}

}  // namespace

bool Win32Payload::OwnFile::ReadAt(std::uint64_t offset, void* buf, std::size_t count) {
  LONG high = static_cast<LONG>(offset >> 32);
  DWORD read = 0;
  if (SetFilePointer(handle.Get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
          INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    return false;
  return count <= MAXDWORD &&
         ReadFile(handle.Get(), buf, static_cast<DWORD>(count), &read, nullptr) && read == count;
}

PayloadState Win32Payload::Open() {
  // Static storage: zero-filled, it takes no room in the program file.
  static unsigned char check[kCheckBufferSize];
  wchar_t own[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return PayloadState::kNone;
  // Shared for reading only: while setup runs, nobody may change the file it installs from.
  file_.handle = UniqueHandle(CreateFileW(own, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD sizeHigh = 0;
  DWORD sizeLow = file_.handle.IsValid() ? GetFileSize(file_.handle.Get(), &sizeHigh) : 0;
  if (!file_.handle.IsValid())
    return PayloadState::kNone;
  std::uint64_t size = static_cast<std::uint64_t>(sizeHigh) << 32 | sizeLow;
  Payload payload = FindPayload(file_, size, true, check, sizeof check);
  if (payload.state != PayloadState::kIntact)
    return payload.state;
  cabinetStart_ = payload.cabinetStart;
  cabinetSize_ = payload.cabinetSize;
  // The checked payload must read through FDI too, setup.inf among its files.
  return Start() && ReadSetupInfo() ? PayloadState::kIntact : PayloadState::kDamaged;
}

bool Win32Payload::Start() {
  HMODULE dll = LoadSystemDll("cabinet.dll");
  auto create = dll ? Lookup<CreateCall>(dll, "FDICreate") : nullptr;
  auto isCabinet = dll ? Lookup<IsCabinetCall>(dll, "FDIIsCabinet") : nullptr;
  copy_ = dll ? Lookup<CopyCall>(dll, "FDICopy") : nullptr;
  destroy_ = dll ? Lookup<DestroyCall>(dll, "FDIDestroy") : nullptr;
  if (!create || !isCabinet || !copy_ || !destroy_)
    return false;
  current = this;
  ERF error = {};
  fdi_ = create(Allocate, Free, ::Open, ::Read, ::Write, ::Close, ::Seek, cpuUNKNOWN, &error);
  FDICABINETINFO info = {};
  position_ = 0;
  // A cabinet in one piece, as the packer writes it.
  if (!fdi_ || !isCabinet(fdi_, kCabinetHandle, &info) || info.cFolders == 0 || info.hasprev ||
      info.hasnext || info.cFiles == 0)
    return false;
  fileCount_ = info.cFiles;
  return true;
}

Win32Payload::~Win32Payload() {
  if (fdi_)
    destroy_(fdi_);
}

// setup.inf is the cabinet's first file; the copy stops after it.
bool Win32Payload::ReadSetupInfo() {
  setupInfoSize_ = 0;
  readingSetupInfo_ = true;
  Copy();
  readingSetupInfo_ = false;
  return setupInfoRead_;
}

bool Win32Payload::Copy() {
  current = this;
  position_ = 0;
  char name[] = "payload";
  char path[] = "";
  return copy_(fdi_, name, path, 0, ::Notify, nullptr, nullptr) != FALSE;
}

INT_PTR Win32Payload::OpenCabinet() {
  position_ = 0;
  return kCabinetHandle;
}

UINT Win32Payload::ReadCabinet(void* buffer, UINT bytes) {
  if (position_ > cabinetSize_)
    return static_cast<UINT>(-1);
  UINT left = static_cast<UINT>(cabinetSize_ - position_);
  if (bytes > left)
    bytes = left;
  if (bytes && !file_.ReadAt(cabinetStart_ + position_, buffer, bytes))
    return static_cast<UINT>(-1);
  position_ += bytes;
  return bytes;
}

LONG Win32Payload::SeekCabinet(LONG distance, int origin) {
  // FDI seeks as the C library does: from the start, the position, or the end.
  std::int64_t base = origin == 1   ? static_cast<std::int64_t>(position_)
                      : origin == 2 ? static_cast<std::int64_t>(cabinetSize_)
                                    : 0;
  std::int64_t to = base + distance;
  if (to < 0 || to > static_cast<std::int64_t>(cabinetSize_))
    return -1;
  position_ = static_cast<std::uint32_t>(to);
  return static_cast<LONG>(position_);
}

UINT Win32Payload::WriteOut(INT_PTR handle, void* buffer, UINT bytes) {
  if (handle == kMemoryHandle) {
    // As from a folder, the reader takes the head of a longer file.
    std::size_t kept = sizeof setupInfo - setupInfoSize_;
    if (kept > bytes)
      kept = bytes;
    CopyMemory(setupInfo + setupInfoSize_, buffer, kept);
    setupInfoSize_ += kept;
    out_.written += bytes;
    return bytes;
  }
  DWORD written = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(handle), buffer, bytes, &written, nullptr) ||
      written != bytes) {
    out_.failed = true;
    out_.error = GetLastError();
    return static_cast<UINT>(-1);
  }
  out_.written += written;
  return bytes;
}

int Win32Payload::CloseOut(INT_PTR handle) {
  if (handle != kMemoryHandle && out_.open && handle == out_.handle)
    CloseHandle(reinterpret_cast<HANDLE>(handle));
  out_.open = false;
  return 0;
}

INT_PTR Win32Payload::Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
  if (type == fdintCOPY_FILE)
    return readingSetupInfo_ ? BeginSetupInfo(note) : BeginFile(note);
  if (type == fdintCLOSE_FILE_INFO) {
    CloseOut(note->hf);
    if (readingSetupInfo_)
      setupInfoRead_ = !out_.failed && out_.written == out_.expected;
    else
      EndFile();
    return TRUE;
  }
  // No cabinet continues in another.
  return type == fdintPARTIAL_FILE || type == fdintNEXT_CABINET ? -1 : 0;
}

INT_PTR Win32Payload::BeginSetupInfo(PFDINOTIFICATION note) {
  // Only the first file is looked at; -1 ends the copy there.
  if (setupInfoSeen_ || lstrcmpiA(note->psz1, "setup.inf") != 0 || note->cb < 0) {
    setupInfoSeen_ = true;
    return -1;
  }
  setupInfoSeen_ = true;
  out_ = {true, static_cast<std::uint32_t>(note->cb), 0, false, 0, kMemoryHandle};
  return kMemoryHandle;
}

INT_PTR Win32Payload::BeginFile(PFDINOTIFICATION note) {
  // Names are UTF-8 where the entry says so, else in the packer's code page, taken for ANSI.
  UINT codePage = note->attribs & _A_NAME_IS_UTF ? CP_UTF8 : CP_ACP;
  out_ = {false, static_cast<std::uint32_t>(note->cb), 0, false, 0, 0};
  fileShown[0] = '\0';
  const char* why = nullptr;
  wchar_t destination[MAX_PATH];
  if (!MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, note->psz1, -1, fileName, MAX_PATH) ||
      !WideCharToMultiByte(CP_ACP, 0, fileName, -1, fileShown, sizeof fileShown, nullptr,
                           nullptr)) {
    CopyText(fileName, MAX_PATH, L"?");
    CopyText(fileShown, note->psz1);
    why = "its name cannot be read";
  } else {
    why = visitor_->Place(fileName, fileShown, out_.expected, destination);
  }
  if (why) {
    visitor_->Written(fileName, fileShown, out_.expected, PayloadWrite::kNone, why);
    return 0;
  }
  for (;;) {
    HANDLE file = CreateFileW(destination, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      out_.open = true;
      out_.handle = reinterpret_cast<INT_PTR>(file);
      return out_.handle;
    }
    char reason[kTextCapacity];
    DescribeError(GetLastError(), reason, sizeof reason);
    if (!visitor_->Retry(fileShown, reason)) {
      visitor_->Written(fileName, fileShown, out_.expected, PayloadWrite::kNone, reason);
      return 0;
    }
  }
}

void Win32Payload::EndFile() {
  if (!out_.failed && out_.written == out_.expected) {
    visitor_->Written(fileName, fileShown, out_.expected, PayloadWrite::kWhole, nullptr);
    return;
  }
  char reason[kTextCapacity];
  if (out_.error)
    DescribeError(out_.error, reason, sizeof reason);
  else
    CopyText(reason, "the payload could not be read to its end");
  visitor_->Written(fileName, fileShown, out_.expected, PayloadWrite::kPart, reason);
}

const char* Win32Payload::SetupInfo() const {
  return setupInfo;
}

int Win32Payload::PayloadFileCount() {
  return fileCount_;
}

bool Win32Payload::ExtractPayload(PayloadVisitor& visitor) {
  visitor_ = &visitor;
  bool read = Copy();
  // A file the copy broke off inside is cut short; FDI may not have closed it.
  if (out_.open) {
    CloseOut(out_.handle);
    out_.failed = true;
    EndFile();
  }
  visitor_ = nullptr;
  return read;
}
