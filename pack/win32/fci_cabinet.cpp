// The cabinet through FCI, the compressor of the system's cabinet.dll. FCI reaches files only
// through callbacks: the cabinet it names is a window onto the output from `at`, the files it
// adds are opened by their wide names, and its working files are temporary files removed at the
// end whatever happened.
#include <windows.h>

#include <fci.h>
#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/system_dlls.h"
#include "pack/cabinet_writer.h"

namespace {

// The name FCI is given for the cabinet; no file of that name is ever made.
char kCabinetName[] = "payload.cab";

struct Packing {
  OutputFile* out;
  std::uint64_t at;        // the cabinet's start in the output
  std::uint64_t position;  // in the cabinet
  std::uint64_t end;       // the cabinet's length so far
  std::wstring folder;     // with its separator
  const std::vector<std::string>* names;
  std::vector<std::string> temps;
  std::string failure;  // what went wrong first, said better than FCI's error number
};

Packing& Of(void* pv) {
  return *static_cast<Packing*>(pv);
}

// The cabinet's own handle: no kernel handle has this value.
INT_PTR CabinetHandle(void* pv) {
  return reinterpret_cast<INT_PTR>(pv);
}

HANDLE AsHandle(INT_PTR handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::wstring Wide(UINT codePage, const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                   &wide[0], static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return wide;
}

void Fail(Packing& p, const std::string& what) {
  if (p.failure.empty())
    p.failure = what;
}

FNFCIALLOC(Allocate) {
  return std::malloc(cb);
}

FNFCIFREE(Free) {
  std::free(memory);
}

FNFCIOPEN(Open) {
  Packing& p = Of(pv);
  (void)pmode;
  if (std::strcmp(pszFile, kCabinetName) == 0) {
    p.position = 0;
    if (oflag & _O_TRUNC)
      p.end = 0;
    return CabinetHandle(pv);
  }
  // FCI's working files, named by TempFile, which made them: creating one takes it over.
  DWORD access = (oflag & (_O_WRONLY | _O_RDWR)) ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  DWORD creation = (oflag & _O_CREAT)   ? CREATE_ALWAYS
                   : (oflag & _O_TRUNC) ? TRUNCATE_EXISTING
                                        : OPEN_EXISTING;
  HANDLE file = CreateFileA(pszFile, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, creation,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *err = static_cast<int>(GetLastError());
    Fail(p, "cannot open a temporary file");
    return -1;
  }
  return reinterpret_cast<INT_PTR>(file);
}

FNFCIREAD(Read) {
  Packing& p = Of(pv);
  if (hf == CabinetHandle(pv)) {
    if (p.position > p.end || cb > p.end - p.position ||
        !p.out->ReadAt(p.at + p.position, memory, cb)) {
      *err = ERROR_READ_FAULT;
      return static_cast<UINT>(-1);
    }
    p.position += cb;
    return cb;
  }
  DWORD done = 0;
  if (!ReadFile(AsHandle(hf), memory, cb, &done, nullptr)) {
    *err = static_cast<int>(GetLastError());
    Fail(p, "cannot read a file");
    return static_cast<UINT>(-1);
  }
  return done;
}

FNFCIWRITE(Write) {
  Packing& p = Of(pv);
  if (hf == CabinetHandle(pv)) {
    if (!p.out->WriteAt(p.at + p.position, memory, cb)) {
      *err = ERROR_WRITE_FAULT;
      Fail(p, p.out->Failure());
      return static_cast<UINT>(-1);
    }
    p.position += cb;
    if (p.position > p.end)
      p.end = p.position;
    return cb;
  }
  DWORD done = 0;
  if (!WriteFile(AsHandle(hf), memory, cb, &done, nullptr) || done != cb) {
    *err = static_cast<int>(GetLastError());
    Fail(p, "cannot write a temporary file");
    return static_cast<UINT>(-1);
  }
  return done;
}

FNFCICLOSE(Close) {
  if (hf == CabinetHandle(pv))
    return 0;
  if (!CloseHandle(AsHandle(hf))) {
    *err = static_cast<int>(GetLastError());
    return -1;
  }
  return 0;
}

FNFCISEEK(Seek) {
  Packing& p = Of(pv);
  if (hf == CabinetHandle(pv)) {
    const std::int64_t base = seektype == SEEK_SET   ? 0
                              : seektype == SEEK_CUR ? static_cast<std::int64_t>(p.position)
                                                     : static_cast<std::int64_t>(p.end);
    if (base + dist < 0 || base + dist > 0x7FFFFFFF) {
      *err = ERROR_NEGATIVE_SEEK;
      return -1;
    }
    p.position = static_cast<std::uint64_t>(base + dist);
    return static_cast<__LONG32>(p.position);
  }
  const DWORD method = seektype == SEEK_SET   ? FILE_BEGIN
                       : seektype == SEEK_CUR ? FILE_CURRENT
                                              : FILE_END;
  DWORD position = SetFilePointer(AsHandle(hf), dist, nullptr, method);
  if (position == INVALID_SET_FILE_POINTER) {
    *err = static_cast<int>(GetLastError());
    return -1;
  }
  return static_cast<__LONG32>(position);
}

FNFCIDELETE(Delete) {
  // The cabinet is the output's to remove.
  if (std::strcmp(pszFile, kCabinetName) == 0 || DeleteFileA(pszFile))
    return 0;
  *err = static_cast<int>(GetLastError());
  return -1;
}

FNFCIGETTEMPFILE(TempFile) {
  Packing& p = Of(pv);
  char folder[MAX_PATH];
  char name[MAX_PATH];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, "lsp", 0, name) ||
      std::strlen(name) >= static_cast<std::size_t>(cbTempName)) {
    Fail(p, "cannot make a temporary file");
    return FALSE;
  }
  p.temps.push_back(name);
  std::strcpy(pszTempName, name);
  return TRUE;
}

FNFCIFILEPLACED(Placed) {
  (void)pccab, (void)pszFile, (void)cbFile, (void)fContinuation, (void)pv;
  return 0;
}

// One cabinet: no file continues into another.
FNFCIGETNEXTCABINET(NextCabinet) {
  (void)pccab, (void)cbPrevCab, (void)pv;
  return FALSE;
}

FNFCISTATUS(Status) {
  (void)typeStatus, (void)cb1, (void)cb2, (void)pv;
  return 0;
}

// `pszName` is the file's index in the list, as FCIAddFile was given it.
FNFCIGETOPENINFO(OpenInfo) {
  Packing& p = Of(pv);
  const std::string& name = (*p.names)[std::strtoul(pszName, nullptr, 10)];
  const std::wstring path = p.folder + Wide(CP_UTF8, name);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *err = static_cast<int>(GetLastError());
    Fail(p, "cannot read " + name + " (error " + std::to_string(*err) + ")");
    return -1;
  }
  *pdate = kCabinetDate;
  *ptime = kCabinetTime;
  *pattribs = 0;
  for (unsigned char c : name) {
    if (c >= 0x80)
      *pattribs = _A_NAME_IS_UTF;
  }
  return reinterpret_cast<INT_PTR>(file);
}

using CreateFunction = HFCI(DIAMONDAPI*)(PERF, PFNFCIFILEPLACED, PFNFCIALLOC, PFNFCIFREE,
                                         PFNFCIOPEN, PFNFCIREAD, PFNFCIWRITE, PFNFCICLOSE,
                                         PFNFCISEEK, PFNFCIDELETE, PFNFCIGETTEMPFILE, PCCAB, void*);
using AddFunction = BOOL(DIAMONDAPI*)(HFCI, char*, char*, BOOL, PFNFCIGETNEXTCABINET, PFNFCISTATUS,
                                      PFNFCIGETOPENINFO, TCOMP);
using FlushFunction = BOOL(DIAMONDAPI*)(HFCI, BOOL, PFNFCIGETNEXTCABINET, PFNFCISTATUS);
using DestroyFunction = BOOL(DIAMONDAPI*)(HFCI);

// FCI's own operations, as the system's cabinet.dll exports them.
struct Fci {
  CreateFunction create;
  AddFunction add;
  FlushFunction flush;
  DestroyFunction destroy;
};

bool LoadFci(Fci* fci) {
  HMODULE module = LoadSystemDll("cabinet.dll");
  if (!module)
    return false;
  fci->create = Lookup<CreateFunction>(module, "FCICreate");
  fci->add = Lookup<AddFunction>(module, "FCIAddFile");
  fci->flush = Lookup<FlushFunction>(module, "FCIFlushCabinet");
  fci->destroy = Lookup<DestroyFunction>(module, "FCIDestroy");
  return fci->create && fci->add && fci->flush && fci->destroy;
}

bool Compress(const Fci& fci, Packing& p) {
  ERF erf = {};
  CCAB cab = {};
  // No size at which to start another cabinet or folder.
  cab.cb = 0x7FFFFFFF;
  cab.cbFolderThresh = 0x7FFFFFFF;
  std::strcpy(cab.szCab, kCabinetName);
  HFCI context = fci.create(&erf, Placed, Allocate, Free, Open, Read, Write, Close, Seek, Delete,
                            TempFile, &cab, &p);
  if (!context)
    return false;
  bool packed = true;
  for (std::size_t k = 0; packed && k < p.names->size(); ++k) {
    char source[24];
    std::snprintf(source, sizeof source, "%u", static_cast<unsigned>(k));
    std::string name = (*p.names)[k];
    packed = fci.add(context, source, &name[0], FALSE, NextCabinet, Status, OpenInfo,
                     tcompTYPE_MSZIP) != FALSE;
  }
  packed = packed && fci.flush(context, FALSE, NextCabinet, Status) != FALSE;
  fci.destroy(context);
  return packed;
}

}  // namespace

bool WriteCabinet(const std::string& folder, const std::vector<std::string>& names, OutputFile& out,
                  std::uint64_t at, std::uint32_t* size, std::string* error) {
  Fci fci;
  if (!LoadFci(&fci)) {
    *error = "cannot load FCI from the system's cabinet.dll";
    return false;
  }
  Packing p = {&out, at, 0, 0, Wide(CP_ACP, folder), &names, {}, {}};
  if (!p.folder.empty() && p.folder.back() != L'\\' && p.folder.back() != L'/' &&
      p.folder.back() != L':')
    p.folder += L'\\';
  const bool packed = Compress(fci, p);
  for (const std::string& temp : p.temps)
    DeleteFileA(temp.c_str());
  if (!packed || p.end > 0xFFFFFFFF) {
    *error = p.failure.empty() ? "cabinet.dll could not make the cabinet" : p.failure;
    return false;
  }
  *size = static_cast<std::uint32_t>(p.end);
  return true;
}
