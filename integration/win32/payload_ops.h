// Win32Payload: the payload role of a packed setup.exe (payload_ops.cpp). Small enough for the
// stack of the one function that lives as long as the run; its buffers are static.
#pragma once

#include <windows.h>

#include <fdi.h>

#include "common/payload_format.h"
#include "integration/platform.h"
#include "integration/win32/unique_handle.h"

class Win32Payload final : public PayloadOps {
 public:
  Win32Payload() = default;
  Win32Payload(const Win32Payload&) = delete;
  Win32Payload& operator=(const Win32Payload&) = delete;
  ~Win32Payload();

  // Finds the payload in the program's own file, checks its CRC-32, loads cabinet.dll and reads
  // setup.inf from it. Nothing is written.
  PayloadState Open();
  // setup.inf as the payload holds it, once Open found the payload intact.
  const char* SetupInfo() const;
  std::size_t SetupInfoSize() const { return setupInfoSize_; }

  int PayloadFileCount() override;
  bool ExtractPayload(PayloadVisitor& visitor) override;

  // FDI's callbacks, which reach the payload being read.
  INT_PTR OpenCabinet();
  UINT ReadCabinet(void* buffer, UINT bytes);
  LONG SeekCabinet(LONG distance, int origin);
  UINT WriteOut(INT_PTR handle, void* buffer, UINT bytes);
  int CloseOut(INT_PTR handle);
  INT_PTR Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note);

 private:
  struct OwnFile final : ByteSource {
    bool ReadAt(std::uint64_t offset, void* buf, std::size_t count) override;
    UniqueHandle handle;
  };
  // The file being written: what its entry announced and what reached it.
  struct Output {
    bool open;
    std::uint32_t expected;
    std::uint32_t written;
    bool failed;
    DWORD error;
    INT_PTR handle;
  };

  bool Start();
  bool ReadSetupInfo();
  bool Copy();
  INT_PTR BeginSetupInfo(PFDINOTIFICATION note);
  INT_PTR BeginFile(PFDINOTIFICATION note);
  void EndFile();

  OwnFile file_;
  std::uint64_t cabinetStart_ = 0;
  std::uint32_t cabinetSize_ = 0;
  std::uint32_t position_ = 0;
  int fileCount_ = 0;
  HFDI fdi_ = nullptr;
  BOOL(DIAMONDAPI* copy_)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*) = nullptr;
  BOOL(DIAMONDAPI* destroy_)(HFDI) = nullptr;
  PayloadVisitor* visitor_ = nullptr;
  Output out_ = {};
  bool readingSetupInfo_ = false;
  bool setupInfoSeen_ = false;
  bool setupInfoRead_ = false;
  std::size_t setupInfoSize_ = 0;
};
