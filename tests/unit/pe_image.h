// Minimal PE images with a version resource, assembled byte by byte for the tests of setup-check's
// reader and of the packed payload: one section, .rsrc, holding the resource directory and the
// version block, and ending the file.
#pragma once

#include <cstdint>
#include <string>

namespace pe {

inline void Put16(std::string& b, std::size_t at, unsigned v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
inline void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

inline std::string Utf16(const std::u16string& text) {
  std::string b(2 * (text.size() + 1), '\0');
  for (std::size_t k = 0; k < text.size(); ++k)
    Put16(b, 2 * k, text[k]);
  return b;
}

// A block padded to 32 bits; its length leaves the padding out.
inline std::string Block(const std::u16string& key, unsigned type, const std::string& value,
                         unsigned valueLength, const std::string& children = "") {
  std::string b = std::string(6, '\0') + Utf16(key);
  b.resize((b.size() + 3) & ~3u, '\0');
  b += value;
  if (!children.empty()) {
    b.resize((b.size() + 3) & ~3u, '\0');
    b += children;
  }
  Put16(b, 0, static_cast<unsigned>(b.size()));
  Put16(b, 2, valueLength);
  Put16(b, 4, type);
  b.resize((b.size() + 3) & ~3u, '\0');
  return b;
}

inline std::string Text(const std::u16string& key, const std::u16string& value) {
  return Block(key, 1, Utf16(value), static_cast<unsigned>(value.size() + 1));
}

inline std::string Fixed(std::uint32_t ms, std::uint32_t ls, std::uint32_t signature = 0xFEEF04BD) {
  std::string b(52, '\0');
  Put32(b, 0, signature);
  Put32(b, 4, 0x10000);
  Put32(b, 8, ms);
  Put32(b, 12, ls);
  return b;
}

inline std::string Translation(unsigned language, unsigned codePage) {
  std::string pair(4, '\0');
  Put16(pair, 0, language);
  Put16(pair, 2, codePage);
  return Block(u"VarFileInfo", 1, "", 0, Block(u"Translation", 0, pair, 4));
}

inline std::string Strings(const std::u16string& table, const std::string& texts) {
  return Block(u"StringFileInfo", 1, "", 0, Block(table, 1, "", 0, texts));
}

inline std::string VersionInfo(const std::string& fixed, const std::string& children) {
  return Block(u"VS_VERSION_INFO", 0, fixed, static_cast<unsigned>(fixed.size()), children);
}

// Version 1.2.3.4, ProductVersion "1.0", CompanyName "Lean Setup Samples", in US English.
inline std::string SampleVersion() {
  return VersionInfo(Fixed(0x10002, 0x30004),
                     Strings(u"040904b0", Text(u"ProductVersion", u"1.0") +
                                              Text(u"CompanyName", u"Lean Setup Samples")) +
                         Translation(0x409, 1200));
}

// Where the parts of an image lie, for tests that spoil them.
constexpr std::size_t kHeader = 0x40;  // "PE\0\0"
constexpr std::uint32_t kRsrcRva = 0x1000;
inline std::size_t ResourcesAt(bool plus) {
  return kHeader + 24 + (plus ? 240 : 224) + 40;
}
// The file header's PointerToSymbolTable (NumberOfSymbols follows), the optional header's
// CheckSum, and the data directory `entry` (4: the certificate table, by file offset).
constexpr std::size_t kSymbolTable = kHeader + 12;
constexpr std::size_t kCheckSum = kHeader + 24 + 64;
inline std::size_t DirectoryAt(int entry, bool plus = false) {
  return kHeader + 24 + (plus ? 112 : 96) + 8 * static_cast<std::size_t>(entry);
}
// From the start of the resources: the type's entry, the language's entry, the data entry and
// the version block.
constexpr std::size_t kTypeEntry = 0x10, kLanguageEntry = 0x40, kDataEntry = 0x48, kVersion = 0x58;

// An image holding `version` as its resource of type `type`, name 1, language 0x409.
inline std::string Image(const std::string& version, bool plus = false, unsigned type = 16) {
  const std::size_t optionalSize = plus ? 240 : 224, directories = plus ? 112 : 96;
  const std::size_t rsrcSize = kVersion + version.size();
  std::string b(ResourcesAt(plus) + rsrcSize, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, kHeader);
  b.replace(kHeader, 4, std::string("PE\0\0", 4));
  Put16(b, kHeader + 4, plus ? 0x8664 : 0x14C);
  Put16(b, kHeader + 6, 1);
  Put16(b, kHeader + 20, static_cast<unsigned>(optionalSize));
  const std::size_t optional = kHeader + 24;
  Put16(b, optional, plus ? 0x20B : 0x10B);
  Put32(b, optional + directories - 4, 16);
  Put32(b, optional + directories + 16, kRsrcRva);
  Put32(b, optional + directories + 20, static_cast<std::uint32_t>(rsrcSize));
  const std::size_t section = optional + optionalSize;
  b.replace(section, 5, ".rsrc");
  Put32(b, section + 8, static_cast<std::uint32_t>(rsrcSize));
  Put32(b, section + 12, kRsrcRva);
  Put32(b, section + 16, static_cast<std::uint32_t>(rsrcSize));
  Put32(b, section + 20, static_cast<std::uint32_t>(ResourcesAt(plus)));
  // Three directories of one entry each: type, name, language; then the data entry.
  const std::size_t r = ResourcesAt(plus);
  const std::uint32_t entries[][2] = {{type, 0x80000018}, {1, 0x80000030}, {0x409, kDataEntry}};
  for (int level = 0; level < 3; ++level) {
    Put16(b, r + 0x18 * level + 14, 1);
    Put32(b, r + 0x18 * level + 16, entries[level][0]);
    Put32(b, r + 0x18 * level + 20, entries[level][1]);
  }
  Put32(b, r + kDataEntry, kRsrcRva + kVersion);
  Put32(b, r + kDataEntry + 4, static_cast<std::uint32_t>(version.size()));
  b.replace(r + kVersion, version.size(), version);
  return b;
}

}  // namespace pe
