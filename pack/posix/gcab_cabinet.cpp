// The cabinet through libgcab. It writes into a seekable stream of its own, rewinding it for the
// header: a temporary file, then copied after the stub.
#include <libgcab.h>

#include <memory>

#include "check/folder_listing.h"
#include "pack/cabinet_writer.h"

namespace {

template <class T>
class Owned {
 public:
  explicit Owned(T* object) : object_(object, g_object_unref) {}
  T* get() const { return object_.get(); }

 private:
  std::unique_ptr<T, void (*)(gpointer)> object_;
};

bool Fail(std::string* error, const std::string& what, GError* cause) {
  *error = what;
  if (cause) {
    *error += std::string(": ") + cause->message;
    g_error_free(cause);
  }
  return false;
}

}  // namespace

bool WriteCabinet(const std::string& folder, const std::vector<std::string>& names, OutputFile& out,
                  std::uint64_t at, std::uint32_t* size, std::string* error) {
  GError* cause = nullptr;
  Owned<GCabFolder> files(gcab_folder_new(GCAB_COMPRESSION_MSZIP));
  std::unique_ptr<GDateTime, void (*)(GDateTime*)> date(
      g_date_time_new_utc(1980 + (kCabinetDate >> 9), kCabinetDate >> 5 & 15, kCabinetDate & 31,
                          kCabinetTime >> 11, kCabinetTime >> 5 & 63, (kCabinetTime & 31) * 2),
      g_date_time_unref);
  for (const std::string& name : names) {
    const std::string path = PathInFolder(folder, name);
    Owned<GFile> file(g_file_new_for_path(path.c_str()));
    Owned<GCabFile> member(gcab_file_new_with_file(name.c_str(), file.get()));
    // Set first, the date stays; adding sets the archive bit, taken back after.
    gcab_file_set_date_time(member.get(), date.get());
    if (!gcab_folder_add_file(files.get(), member.get(), FALSE, nullptr, &cause))
      return Fail(error, "cannot read " + path, cause);
    gcab_file_set_attributes(member.get(), 0);
  }
  Owned<GCabCabinet> cabinet(gcab_cabinet_new());
  if (!gcab_cabinet_add_folder(cabinet.get(), files.get(), &cause))
    return Fail(error, "cannot make the cabinet", cause);

  GFileIOStream* io = nullptr;
  GFile* made = g_file_new_tmp("setup-pack-XXXXXX.cab", &io, &cause);
  if (!made)
    return Fail(error, "cannot create a temporary file", cause);
  Owned<GFile> temp(made);
  Owned<GFileIOStream> stream(io);
  // Read through a stream of its own: the cabinet's writer closes the one it is given.
  GFileInputStream* reading = g_file_read(temp.get(), nullptr, &cause);
  // Unlinked at once: the file lives as long as its streams, whatever happens.
  g_file_delete(temp.get(), nullptr, nullptr);
  if (!reading)
    return Fail(error, "cannot open a temporary file", cause);
  Owned<GFileInputStream> in(reading);
  if (!gcab_cabinet_write_simple(cabinet.get(), g_io_stream_get_output_stream(G_IO_STREAM(io)),
                                 nullptr, nullptr, nullptr, &cause))
    return Fail(error, "cannot write the cabinet", cause);
  const std::uint32_t length = gcab_cabinet_get_size(cabinet.get());
  GSeekable* seekable = G_SEEKABLE(reading);
  if (!g_seekable_seek(seekable, 0, G_SEEK_END, nullptr, &cause) ||
      g_seekable_tell(seekable) != static_cast<goffset>(length) ||
      !g_seekable_seek(seekable, 0, G_SEEK_SET, nullptr, &cause))
    return Fail(error, "cannot read the cabinet back", cause);

  static char buffer[1 << 16];
  for (std::uint32_t done = 0; done < length;) {
    const gsize want = length - done < sizeof buffer ? length - done : sizeof buffer;
    gsize got = 0;
    if (!g_input_stream_read_all(G_INPUT_STREAM(reading), buffer, want, &got, nullptr, &cause) ||
        got != want)
      return Fail(error, "cannot read the cabinet back", cause);
    if (!out.WriteAt(at + done, buffer, want))
      return Fail(error, out.Failure(), nullptr);
    done += static_cast<std::uint32_t>(want);
  }
  *size = length;
  return true;
}
