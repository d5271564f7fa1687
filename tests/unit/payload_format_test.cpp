// The packed payload's format: where a PE image's sections end, whether a cabinet and its footer
// follow them intact, the footer and CRC-32 themselves, and the names a payload may write.
#include "common/payload_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/names.h"
#include "tests/unit/pe_image.h"

namespace {

using namespace pe;

class StringBytes final : public ByteSource {
 public:
  explicit StringBytes(const std::string& bytes) : bytes_(bytes) {}
  bool ReadAt(std::uint64_t offset, void* buf, std::size_t count) override {
    if (offset > bytes_.size() || count > bytes_.size() - offset)
      return false;
    std::memcpy(buf, bytes_.data() + offset, count);
    return true;
  }

 private:
  const std::string& bytes_;
};

const std::string kStub = Image(SampleVersion());

// A stand-in cabinet: its header's magic and length, then bytes no reader here looks into.
std::string Cabinet(std::uint32_t size) {
  std::string cab(size, 'c');
  cab.replace(0, 4, "MSCF");
  Put32(cab, 4, 0);
  Put32(cab, 8, size);
  return cab;
}

std::string Packed(const std::string& cab = Cabinet(300)) {
  unsigned char footer[kFooterSize];
  WriteFooter(static_cast<std::uint32_t>(cab.size()), Crc32(0, cab.data(), cab.size()), footer);
  return kStub + cab + std::string(reinterpret_cast<char*>(footer), kFooterSize);
}

// Authenticode's certificate table after the footer, 8-byte aligned, named by entry 4.
std::string Signed(std::string image) {
  image.resize((image.size() + 7) & ~std::size_t{7}, '\0');
  Put32(image, DirectoryAt(4), static_cast<std::uint32_t>(image.size()));
  Put32(image, DirectoryAt(4) + 4, 24);
  return image + std::string(24, 's');
}

std::string Spoil(std::string image, std::size_t at, std::uint32_t value) {
  Put32(image, at, value);
  return image;
}

std::string Flip(std::string image, std::size_t at) {
  image[at] = static_cast<char>(image[at] ^ 1);
  return image;
}

TEST(PayloadFormat, FindsTheOverlayAfterTheSections) {
  const std::uint64_t end = kStub.size();
  const std::string symbols = Spoil(kStub, kSymbolTable, static_cast<std::uint32_t>(end)) + "syms";
  const std::string signedStub = Signed(kStub + "x");
  const std::uint64_t certificates = signedStub.size() - 24;
  const std::size_t directoryCount = DirectoryAt(0) - 4, section = kHeader + 24 + 224;
  const struct {
    const char* name;
    std::string image;
    OverlayRead read;
    std::uint64_t start, end;
  } cases[] = {
      {"none", kStub, OverlayRead::kRead, end, end},
      {"PE32+", Image(SampleVersion(), true) + "x", OverlayRead::kRead, end + 16, end + 17},
      {"COFF symbols", symbols, OverlayRead::kRead, end, end + 4},
      {"a certificate table ends it", signedStub, OverlayRead::kRead, end, certificates},
      {"a certificate table inside the sections is none", Spoil(kStub + "xy", DirectoryAt(4), 0x40),
       OverlayRead::kRead, end, end + 2},
      {"a certificate table past the end is none",
       Spoil(kStub + "xy", DirectoryAt(4), static_cast<std::uint32_t>(end + 3)), OverlayRead::kRead,
       end, end + 2},
      {"four directories have no certificate table", Spoil(signedStub, directoryCount, 4),
       OverlayRead::kRead, end, signedStub.size()},
      {"a section of no raw data counts not",
       Spoil(Spoil(kStub + "xy", section + 16, 0), section + 20,
             static_cast<std::uint32_t>(end + 1)),
       OverlayRead::kRead, section + 40, end + 2},

      {"empty", "", OverlayRead::kNotPe, 0, 0},
      {"text", std::string(200, 't'), OverlayRead::kNotPe, 0, 0},
      {"no PE signature", Spoil(kStub, kHeader, 0x4551), OverlayRead::kNotPe, 0, 0},
      {"headers past the end", Spoil(kStub, 0x3C, 0xFFFFFFF0), OverlayRead::kNotPe, 0, 0},
      {"unknown optional header", Spoil(kStub, kHeader + 24, 0x107), OverlayRead::kNotPe, 0, 0},
      {"optional header too short", Spoil(kStub, kHeader + 20, 0x10001), OverlayRead::kNotPe, 0, 0},
      {"no room for the certificate table's entry", Spoil(kStub, kHeader + 20, 0x10000 | 132),
       OverlayRead::kNotPe, 0, 0},
      {"section table past the end", Spoil(kStub, kHeader + 4, 0xFFFF0000 | 0x14C),
       OverlayRead::kNotPe, 0, 0},
      {"cut inside the section", kStub.substr(0, kStub.size() - 1), OverlayRead::kNotPe, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StringBytes bytes(c.image);
    Overlay overlay = {7, 7};
    ASSERT_EQ(ReadOverlay(bytes, c.image.size(), &overlay), c.read);
    if (c.read == OverlayRead::kRead) {
      EXPECT_EQ(overlay.start, c.start);
      EXPECT_EQ(overlay.end, c.end);
    }
  }
  // The headers' offsets have 32 bits; a file's end past 4 GiB is still its end.
  StringBytes bytes(kStub);
  Overlay overlay = {};
  ASSERT_EQ(ReadOverlay(bytes, std::uint64_t{5} << 30, &overlay), OverlayRead::kRead);
  EXPECT_EQ(overlay.start, end);
  EXPECT_EQ(overlay.end, std::uint64_t{5} << 30);
}

TEST(PayloadFormat, FindsThePayload) {
  const std::string packed = Packed();
  const std::uint64_t cab = kStub.size();
  const std::string unstripped =
      Spoil(kStub, kSymbolTable, static_cast<std::uint32_t>(cab)) + std::string(18 * 4, '\0');
  const struct {
    const char* name;
    std::string image;
    PayloadState verified, unverified;
  } cases[] = {
      {"packed", packed, PayloadState::kIntact, PayloadState::kIntact},
      {"signed", Signed(packed), PayloadState::kIntact, PayloadState::kIntact},
      {"an empty cabinet's header alone", Packed(Cabinet(36)), PayloadState::kIntact,
       PayloadState::kIntact},

      {"no overlay", kStub, PayloadState::kNone, PayloadState::kNone},
      {"COFF symbols", unstripped, PayloadState::kNone, PayloadState::kNone},
      {"not a PE image", Cabinet(50), PayloadState::kNone, PayloadState::kNone},
      {"a packed image cut inside its sections", packed.substr(0, cab - 1), PayloadState::kNone,
       PayloadState::kNone},

      {"a flipped cabinet byte", Flip(packed, cab + 100), PayloadState::kDamaged,
       PayloadState::kIntact},
      {"a flipped CRC", Flip(packed, packed.size() - 1), PayloadState::kDamaged,
       PayloadState::kIntact},
      {"cut in the footer", packed.substr(0, packed.size() - 1), PayloadState::kDamaged,
       PayloadState::kDamaged},
      {"cut in the cabinet", packed.substr(0, cab + 200), PayloadState::kDamaged,
       PayloadState::kDamaged},
      {"cut in the cabinet's header", packed.substr(0, cab + 10), PayloadState::kDamaged,
       PayloadState::kDamaged},
      {"no footer", kStub + Cabinet(300), PayloadState::kDamaged, PayloadState::kDamaged},
      {"another footer", Flip(packed, cab + 300), PayloadState::kDamaged, PayloadState::kDamaged},
      {"the footer's length differs", Spoil(packed, cab + 308, 301), PayloadState::kDamaged,
       PayloadState::kDamaged},
      {"the cabinet's length differs", Spoil(packed, cab + 8, 299), PayloadState::kDamaged,
       PayloadState::kDamaged},
      {"a cabinet longer than the file", Spoil(packed, cab + 8, 0xFFFFFFFF), PayloadState::kDamaged,
       PayloadState::kDamaged},
      {"the footer inside the certificate table",
       Spoil(Signed(packed), DirectoryAt(4), static_cast<std::uint32_t>(packed.size() - 8)),
       PayloadState::kDamaged, PayloadState::kDamaged},
  };
  unsigned char buffer[64];
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StringBytes bytes(c.image);
    const Payload found = FindPayload(bytes, c.image.size(), true, buffer, sizeof buffer);
    EXPECT_EQ(found.state, c.verified);
    EXPECT_EQ(FindPayload(bytes, c.image.size(), false, nullptr, 0).state, c.unverified);
    if (found.state != PayloadState::kNone) {
      EXPECT_EQ(found.cabinetStart, cab);
    }
    // Without a buffer of its own the check still reads the whole cabinet.
    EXPECT_EQ(FindPayload(bytes, c.image.size(), true, nullptr, 0).state, c.verified);
  }
  StringBytes bytes(packed);
  EXPECT_EQ(FindPayload(bytes, packed.size(), true, buffer, sizeof buffer).cabinetSize, 300u);
}

TEST(PayloadFormat, FooterAndCrc) {
  unsigned char footer[kFooterSize];
  WriteFooter(0x12345678, 0xCBF43926, footer);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(footer), kFooterSize),
            std::string("LSPAYLD1\x78\x56\x34\x12\x26\x39\xF4\xCB", kFooterSize));

  const struct {
    const char* text;
    std::uint32_t crc;
  } cases[] = {
      {"", 0},
      {"123456789", 0xCBF43926},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Crc32(0, c.text, std::strlen(c.text)), c.crc) << c.text;
  EXPECT_EQ(Crc32(Crc32(0, "1234", 4), "56789", 5), 0xCBF43926u);
}

TEST(PayloadFormat, DeviceAndPayloadNames) {
  const struct {
    const wchar_t* name;
    bool device;
    bool payload;
  } cases[] = {
      {L"readme.txt", false, true}, {L"日本語.txt", false, true}, {L"Con", true, false},
      {L"nul.txt", true, false},    {L"AUX.tar.gz", true, false}, {L"prn..", true, false},
      {L"CON ", true, false},       {L"con .txt", true, false},   {L"COM0", true, false},
      {L"lpt9.log", true, false},   {L"COM\u00B9", true, false},  {L"lpt\u00B3.txt", true, false},
      {L"CONIN$", true, false},     {L"conout$.x", true, false},  {L"CON:stream", true, false},
      {L"COM10", false, true},      {L"COM\u2074", false, true},  {L"CONSOLE", false, true},
      {L"NULL.txt", false, true},   {L"xCON", false, true},       {L" CON", false, true},
      {L"CO", false, true},         {L".nul", false, true},       {L"", false, false},
      {L". .", false, false},       {L"..", false, false},        {L"a\\b", false, false},
      {L"a/b", false, false},       {L"a:b", false, false},       {L"a*", false, false},
      {L"a?", false, false},        {L"\"a\"", false, false},     {L"<a>", false, false},
      {L"a|b", false, false},       {L"tab\there", false, false}, {L"a\x7F", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDeviceName(c.name), c.device) << c.name;
    EXPECT_EQ(IsPayloadName(c.name), c.payload) << c.name;
  }
  const struct {
    const char* name;
    bool device;
  } ansi[] = {{"com\xB2", true}, {"LPT\xB9.txt", true}, {"COM\xBC", false}, {"aux", true}};
  for (const auto& c : ansi)
    EXPECT_EQ(IsDeviceName(c.name), c.device) << c.name;
}

}  // namespace
