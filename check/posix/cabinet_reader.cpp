// The payload's cabinet read with libgcab.
#include <libgcab.h>

#include <cstdio>
#include <vector>

#include "check/packed_file.h"

namespace {

struct Extraction {
  CabinetNames* names;
  bool refused = false;
  std::string error;
};

// Before each file: its name is checked, and the file is written under the checked name.
gboolean BeforeFile(GCabFile* file, gpointer data) {
  Extraction* x = static_cast<Extraction*>(data);
  std::string name;
  if (x->refused ||
      !x->names->Accept(gcab_file_get_name(file),
                        (gcab_file_get_attributes(file) & GCAB_FILE_ATTRIBUTE_NAME_IS_UTF) != 0,
                        gcab_file_get_size(file), &name, &x->error)) {
    x->refused = true;
    return FALSE;
  }
  gcab_file_set_extract_name(file, name.c_str());
  return TRUE;
}

}  // namespace

bool ReadCabinet(const std::string& path, std::uint64_t start, std::uint32_t size,
                 const std::string& folder, CabinetNames& names, std::string* error) {
  // libgcab seeks to the offsets the cabinet gives, which count from its first byte: it reads
  // the cabinet alone, from memory.
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::vector<unsigned char> bytes(size);
  const bool read = f && fseeko(f, static_cast<off_t>(start), SEEK_SET) == 0 &&
                    std::fread(bytes.data(), 1, size, f) == size;
  if (f)
    std::fclose(f);
  if (!read) {
    *error = "its cabinet cannot be read";
    return false;
  }
  GBytes* data = g_bytes_new_static(bytes.data(), bytes.size());
  GInputStream* stream = g_memory_input_stream_new_from_bytes(data);
  GCabCabinet* cabinet = gcab_cabinet_new();
  GFile* target = g_file_new_for_path(folder.c_str());
  GError* failure = nullptr;
  Extraction x;
  x.names = &names;
  const bool extracted =
      gcab_cabinet_load(cabinet, stream, nullptr, &failure) &&
      gcab_cabinet_extract(cabinet, target, BeforeFile, nullptr, &x, nullptr, &failure);
  if (x.refused)
    *error = x.error;
  else if (!extracted)
    *error = std::string("its cabinet cannot be read: ") +
             (failure ? failure->message : "libgcab gives no reason");
  if (failure)
    g_error_free(failure);
  g_object_unref(target);
  g_object_unref(cabinet);
  g_object_unref(stream);
  g_bytes_unref(data);
  return extracted && !x.refused;
}
