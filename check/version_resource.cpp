#include "check/version_resource.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "check/file_bytes.h"

namespace {

constexpr std::uint32_t kVersionType = 16;  // RT_VERSION
// VS_VERSION_INFO: the system's version library reads no other name of the type.
constexpr std::uint32_t kVersionName = 1;
constexpr std::uint32_t kSubdirectory = 0x80000000;  // in an entry's offset; in its name: a string
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::size_t kFixedSize = 52;        // VS_FIXEDFILEINFO
constexpr std::size_t kBlockHeader = 6;       // wLength, wValueLength, wType
constexpr std::uint16_t kTextValue = 1;       // wType: the value counts characters, not bytes
constexpr std::size_t kMaxSections = 0xFFFF;  // the file header's count is 16 bits

std::size_t Align4(std::size_t at) {
  return (at + 3) & ~static_cast<std::size_t>(3);
}

class MemoryBytes final : public ByteSource {
 public:
  MemoryBytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  bool ReadAt(std::uint64_t offset, void* buf, std::size_t count) override {
    if (offset > size_ || count > size_ - offset)
      return false;
    if (count)
      std::memcpy(buf, data_ + offset, count);
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

// One section: where it lies in memory, relative to the image's base, and in the file.
struct Section {
  std::uint32_t rva;
  std::uint32_t memorySize;
  std::uint32_t fileOffset;
  std::uint32_t fileSize;
};

class Image {
 public:
  explicit Image(ByteSource& source) : source_(source) {}

  // Reads the headers and the section table; false unless the image has resources.
  bool Open();
  // Reads `count` bytes at `rva`, when one section holds all of them in the file.
  bool ReadRva(std::uint64_t rva, void* buf, std::size_t count);
  // The version resource's place and size, from the resource directory.
  bool FindVersion(std::uint32_t* rva, std::uint32_t* size);

 private:
  bool FindEntry(std::uint32_t directory, bool first, std::uint32_t id, std::uint32_t* target);

  ByteSource& source_;
  std::vector<Section> sections_;
  std::uint32_t resources_ = 0;
};

bool Image::Open() {
  unsigned char dos[64];
  if (!source_.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
    return false;
  const std::uint64_t pe = Le32(dos + 0x3C);
  unsigned char head[24];  // the signature and the file header
  if (!source_.ReadAt(pe, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0)
    return false;
  const std::size_t sectionCount = Le16(head + 6);
  const std::size_t optionalSize = Le16(head + 20);
  // The data directories follow the optional header's fields, which PE32+ makes 16 bytes longer.
  unsigned char optional[112 + 3 * 8];
  if (optionalSize < 2 || !source_.ReadAt(pe + 24, optional, 2))
    return false;
  const std::uint16_t magic = Le16(optional);
  const std::size_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
  const std::size_t needed = directories + 3 * 8;  // up to IMAGE_DIRECTORY_ENTRY_RESOURCE
  if (!directories || optionalSize < needed || !source_.ReadAt(pe + 24, optional, needed) ||
      Le32(optional + directories - 4) < 3)
    return false;
  resources_ = Le32(optional + directories + 2 * 8);
  if (resources_ == 0 || sectionCount > kMaxSections)
    return false;

  std::vector<unsigned char> table(sectionCount * 40);
  if (!table.empty() && !source_.ReadAt(pe + 24 + optionalSize, table.data(), table.size()))
    return false;
  for (std::size_t k = 0; k < sectionCount; ++k) {
    const unsigned char* s = table.data() + k * 40;
    sections_.push_back({Le32(s + 12), Le32(s + 8), Le32(s + 20), Le32(s + 16)});
  }
  return true;
}

bool Image::ReadRva(std::uint64_t rva, void* buf, std::size_t count) {
  for (const Section& s : sections_) {
    if (rva < s.rva)
      continue;
    // Past the bytes in the file, or past the section's size in memory, lies something else.
    const std::uint64_t extent =
        s.memorySize && s.memorySize < s.fileSize ? s.memorySize : s.fileSize;
    const std::uint64_t delta = rva - s.rva;
    if (delta < extent && count <= extent - delta)
      return source_.ReadAt(static_cast<std::uint64_t>(s.fileOffset) + delta, buf, count);
  }
  return false;
}

// The offset that the directory's entry `id` (or, when `first`, its first entry) holds: a
// subdirectory's or a data entry's, from the start of the resources.
bool Image::FindEntry(std::uint32_t directory, bool first, std::uint32_t id,
                      std::uint32_t* target) {
  const std::uint64_t at = static_cast<std::uint64_t>(resources_) + directory;
  unsigned char head[16];
  if (!ReadRva(at, head, sizeof head))
    return false;
  // Read at once: the walk over the sections is done once, not once for each entry.
  std::vector<unsigned char> entries(8 *
                                     (static_cast<std::size_t>(Le16(head + 12)) + Le16(head + 14)));
  if (entries.empty() || !ReadRva(at + 16, entries.data(), entries.size()))
    return false;
  for (std::size_t k = 0; k < entries.size(); k += 8) {
    const std::uint32_t name = Le32(&entries[k]);
    if (first || name == id) {  // a name given as a string has its high bit set
      *target = Le32(&entries[k + 4]);
      return true;
    }
  }
  return false;
}

// The type, then the name, then the first language: three levels, followed no further, so that
// no loop of directories can hold the reader.
bool Image::FindVersion(std::uint32_t* rva, std::uint32_t* size) {
  std::uint32_t names = 0, languages = 0, data = 0;
  if (!FindEntry(0, false, kVersionType, &names) || !(names & kSubdirectory) ||
      !FindEntry(names & ~kSubdirectory, false, kVersionName, &languages) ||
      !(languages & kSubdirectory) || !FindEntry(languages & ~kSubdirectory, true, 0, &data) ||
      (data & kSubdirectory))
    return false;
  unsigned char entry[16];  // IMAGE_RESOURCE_DATA_ENTRY
  if (!ReadRva(static_cast<std::uint64_t>(resources_) + data, entry, sizeof entry))
    return false;
  *rva = Le32(entry);
  *size = Le32(entry + 4);
  return true;
}

// One block of the version resource: a header, a key, a value and child blocks, each starting
// on a 32-bit boundary from the resource's start.
struct Block {
  std::size_t end;
  std::size_t keyAt;
  std::size_t keyLength;  // in characters
  std::uint16_t valueLength;
  std::size_t valueAt;
  std::size_t valueBytes;  // of the value, as far as the block holds it
  std::size_t childrenAt;
};

class VersionBlocks {
 public:
  VersionBlocks(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  // The block at `at`, which must end by `limit`: no child is larger than its parent.
  bool Read(std::size_t at, std::size_t limit, Block* block) const;
  // The first child of `parent` whose key is `key`, ignoring case as VerQueryValue does.
  bool Child(const Block& parent, const char* key, Block* child) const;
  const unsigned char* at(std::size_t offset) const { return data_ + offset; }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

bool VersionBlocks::Read(std::size_t at, std::size_t limit, Block* block) const {
  if (at > limit || limit > size_ || limit - at < kBlockHeader)
    return false;
  const std::size_t length = Le16(data_ + at);
  if (length < kBlockHeader || length > limit - at)
    return false;
  block->end = at + length;
  block->keyAt = at + kBlockHeader;
  std::size_t k = block->keyAt;
  while (k + 2 <= block->end && Le16(data_ + k) != 0)
    k += 2;
  if (k + 2 > block->end)
    return false;
  block->keyLength = (k - block->keyAt) / 2;
  block->valueLength = Le16(data_ + at + 2);
  const std::size_t bytes =
      Le16(data_ + at + 4) == kTextValue ? 2 * std::size_t{block->valueLength} : block->valueLength;
  block->valueAt = Align4(k + 2);
  block->valueBytes = block->valueAt >= block->end          ? 0
                      : bytes < block->end - block->valueAt ? bytes
                                                            : block->end - block->valueAt;
  block->childrenAt = Align4(block->valueAt + bytes);
  return true;
}

std::uint16_t Folded(std::uint16_t c) {
  return c >= 'A' && c <= 'Z' ? static_cast<std::uint16_t>(c + ('a' - 'A')) : c;
}

bool VersionBlocks::Child(const Block& parent, const char* key, Block* child) const {
  const std::size_t keyLength = std::strlen(key);
  // Each child is at least a header long: the walk ends.
  for (std::size_t at = parent.childrenAt; at < parent.end; at = Align4(child->end)) {
    if (!Read(at, parent.end, child))
      return false;
    if (child->keyLength != keyLength)
      continue;
    std::size_t k = 0;
    while (k < keyLength &&
           Folded(Le16(data_ + child->keyAt + 2 * k)) == Folded(static_cast<unsigned char>(key[k])))
      ++k;
    if (k == keyLength)
      return true;
  }
  return false;
}

// The string value of `block` up to its zero, or to the block's end. Left empty when it takes
// more UTF-16 units than the buffer holds characters, as the version library's copy on Windows,
// whose wchar_t is UTF-16, is left empty then.
void ReadString(const VersionBlocks& blocks, const Block& block,
                wchar_t (&out)[kVersionTextCapacity]) {
  out[0] = L'\0';
  if (block.valueLength == 0)
    return;
  std::size_t units = 0, length = 0;
  for (std::size_t at = block.valueAt; at + 2 <= block.end; at += 2) {
    std::uint32_t c = Le16(blocks.at(at));
    if (c == 0)
      break;
    if (++units >= kVersionTextCapacity) {
      out[0] = L'\0';
      return;
    }
    // A 32-bit wchar_t holds a pair of surrogates as one character; a half alone is no text.
    if (sizeof(wchar_t) > 2 && c >= 0xD800 && c <= 0xDFFF) {
      std::uint32_t low = at + 4 <= block.end ? Le16(blocks.at(at + 2)) : 0;
      if (c < 0xDC00 && low >= 0xDC00 && low <= 0xDFFF) {
        if (++units >= kVersionTextCapacity) {
          out[0] = L'\0';
          return;
        }
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      } else {
        c = 0xFFFD;
      }
    }
    out[length++] = static_cast<wchar_t>(c);
    out[length] = L'\0';
  }
}

void ReadBlocks(const VersionBlocks& blocks, const Block& root, FileVersion& version) {
  if (root.valueLength >= kFixedSize && root.valueBytes >= kFixedSize) {
    const unsigned char* fixed = blocks.at(root.valueAt);
    version.hasFixed = Le32(fixed) == kFixedSignature;
    version.fileVersionMs = Le32(fixed + 8);
    version.fileVersionLs = Le32(fixed + 12);
  }
  Block variables = {}, translation = {}, strings = {}, table = {}, value = {};
  if (!blocks.Child(root, "VarFileInfo", &variables) ||
      !blocks.Child(variables, "Translation", &translation) || translation.valueLength < 4 ||
      translation.valueBytes < 4)
    return;
  // Language, then code page, as 8 hex digits: "040904b0".
  const unsigned char* pair = blocks.at(translation.valueAt);
  const std::uint32_t name = static_cast<std::uint32_t>(Le16(pair)) << 16 | Le16(pair + 2);
  char tableName[9];
  std::snprintf(tableName, sizeof tableName, "%08lx", static_cast<unsigned long>(name));
  if (!blocks.Child(root, "StringFileInfo", &strings) || !blocks.Child(strings, tableName, &table))
    return;
  if (blocks.Child(table, "ProductVersion", &value))
    ReadString(blocks, value, version.productVersion);
  if (blocks.Child(table, "CompanyName", &value))
    ReadString(blocks, value, version.companyName);
}

}  // namespace

bool ReadVersionResource(ByteSource& source, FileVersion& version) {
  version = FileVersion{};
  Image image(source);
  std::uint32_t rva = 0, size = 0;
  unsigned char head[2];
  if (!image.Open() || !image.FindVersion(&rva, &size) || size < kBlockHeader ||
      !image.ReadRva(rva, head, sizeof head))
    return false;
  // The root block's length is 16 bits: it holds all that is read.
  const std::size_t length = Le16(head);
  if (length < kBlockHeader || length > size)
    return false;
  std::vector<unsigned char> bytes(length);
  if (!image.ReadRva(rva, bytes.data(), length))
    return false;
  VersionBlocks blocks(bytes.data(), bytes.size());
  Block root = {};
  if (!blocks.Read(0, length, &root))
    return false;
  version.found = true;
  ReadBlocks(blocks, root, version);
  return true;
}

bool ReadVersionResource(const unsigned char* data, std::size_t size, FileVersion& version) {
  MemoryBytes bytes(data, size);
  return ReadVersionResource(bytes, version);
}

bool ReadFileVersionResource(const std::string& path, FileVersion& version) {
  version = FileVersion{};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return false;
  FileBytes bytes(file);
  bool found = ReadVersionResource(bytes, version);
  std::fclose(file);
  return found;
}
