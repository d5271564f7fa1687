// Fuzz target: any bytes as setup.inf. The reader must neither overrun a buffer nor leak, and
// whatever it accepts must satisfy the record's invariants.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "description/setup_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The installer reads at most this much of the file.
  if (size > kSetupInfoReadLimit)
    size = kSetupInfoReadLimit;
  SetupSettingsRecord settings = {};
  SetupInfoStatus status = ParseSetupInfo(reinterpret_cast<const char*>(data), size, settings);

  if (strnlen(settings.ProgramFile, kTextCapacity) >= kTextCapacity)
    std::abort();
  if (strnlen(settings.InstallDir, kPathCapacity) >= kPathCapacity)
    std::abort();
  if (strnlen(settings.FolderName, kTextCapacity) >= kTextCapacity)
    std::abort();
  if (status == SetupInfoStatus::kOk) {
    if (settings.EntryCount > kMaxEntries)
      std::abort();
    for (int k = 0; k < settings.EntryCount; ++k) {
      // A filled slot has both texts; each fits a 256-byte field.
      if ((settings.EntryName[k] == nullptr) != (settings.EntryFile[k] == nullptr))
        std::abort();
      if (settings.EntryName[k] && std::strlen(settings.EntryName[k]) >= kTextCapacity)
        std::abort();
    }
  }
  FreeEntryStrings(settings);
  return 0;
}
