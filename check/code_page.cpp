#include "check/code_page.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code points of `text`; see WideFromUtf8 for bytes outside UTF-8.
std::u32string CodePoints(const std::string& text) {
  std::u32string points;
  for (std::size_t k = 0; k < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[k]);
    int more = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (lead >= 0xF5)
      more = 0;
    char32_t point = more == 3 ? lead & 7 : more == 2 ? lead & 15 : lead & 31;
    bool valid = more > 0 && k + more < text.size();
    for (int n = 1; valid && n <= more; ++n) {
      unsigned char next = static_cast<unsigned char>(text[k + n]);
      valid = (next & 0xC0) == 0x80;
      point = point << 6 | (next & 0x3F);
    }
    // Overlong forms and surrogates are no UTF-8 either.
    if (valid && (point > 0x10FFFF || (point >= 0xD800 && point < 0xE000) ||
                  (more == 2 && point < 0x800) || (more == 3 && point < 0x10000)))
      valid = false;
    if (valid) {
      points += point;
      k += more + 1;
    } else {
      points += lead;
      ++k;
    }
  }
  return points;
}

void AppendUtf8(char32_t point, std::string* out) {
  if (point < 0x80) {
    *out += static_cast<char>(point);
  } else if (point < 0x800) {
    *out += static_cast<char>(0xC0 | point >> 6);
    *out += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    *out += static_cast<char>(0xE0 | point >> 12);
    *out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | point >> 18);
    *out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
    *out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (point & 0x3F));
  }
}

// True when `codePage` holds the character `point`.
bool InCodePage(char32_t point, int codePage) {
  if (point < 0x80)
    return true;
#ifdef _WIN32
  std::string utf8;
  AppendUtf8(point, &utf8);
  std::wstring wide = WideFromUtf8(utf8);
  char bytes[8];
  BOOL lacking = FALSE;
  return WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, wide.c_str(),
                             static_cast<int>(wide.size()), bytes, sizeof bytes, nullptr,
                             &lacking) > 0 &&
         !lacking;
#else
  iconv_t convert = iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-32LE");
  if (convert == reinterpret_cast<iconv_t>(-1))
    return false;
  char in[4] = {static_cast<char>(point), static_cast<char>(point >> 8),
                static_cast<char>(point >> 16), static_cast<char>(point >> 24)};
  char bytes[8];
  char* from = in;
  char* to = bytes;
  std::size_t inLeft = sizeof in, outLeft = sizeof bytes;
  bool held = iconv(convert, &from, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(convert);
  return held;
#endif
}

}  // namespace

std::wstring WideFromUtf8(const std::string& text) {
  std::wstring wide;
  for (char32_t point : CodePoints(text)) {
    if (sizeof(wchar_t) == 2 && point >= 0x10000) {
      point -= 0x10000;
      wide += static_cast<wchar_t>(0xD800 + (point >> 10));
      wide += static_cast<wchar_t>(0xDC00 + (point & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(point);
    }
  }
  return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
  std::string utf8;
  for (std::size_t k = 0; k < text.size(); ++k) {
    char32_t point = static_cast<char32_t>(text[k]);
    if (sizeof(wchar_t) == 2 && point >= 0xD800 && point < 0xDC00 && k + 1 < text.size() &&
        text[k + 1] >= 0xDC00 && text[k + 1] < 0xE000)
      point = 0x10000 + ((point - 0xD800) << 10) + (static_cast<char32_t>(text[++k]) - 0xDC00);
    else if (point > 0x10FFFF || (point >= 0xD800 && point < 0xE000))
      point = kReplacement;
    AppendUtf8(point, &utf8);
  }
  return utf8;
}

bool KnownCodePage(int codePage) {
  if (codePage <= 0)
    return false;
#ifdef _WIN32
  return IsValidCodePage(static_cast<UINT>(codePage)) != 0;
#else
  iconv_t convert = iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-32LE");
  if (convert == reinterpret_cast<iconv_t>(-1))
    return false;
  iconv_close(convert);
  return true;
#endif
}

bool ShownInCodePage(const std::string& name, int codePage, std::string* shown) {
  bool whole = true;
  shown->clear();
  for (char32_t point : CodePoints(name)) {
    bool held = InCodePage(point, codePage);
    whole = whole && held;
    AppendUtf8(held ? point : U'?', shown);
  }
  return whole;
}

// A byte outside UTF-8 stands for itself in the wide form, and comes back as two bytes.
bool IsUtf8(const std::string& text) {
  return Utf8FromWide(WideFromUtf8(text)) == text;
}

bool Utf8FromCodePage(const std::string& bytes, int codePage, std::string* utf8) {
  utf8->clear();
  if (bytes.empty())
    return true;
#ifdef _WIN32
  const int size = static_cast<int>(bytes.size());
  std::wstring wide(bytes.size(), L'\0');
  const int got = MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS,
                                      bytes.data(), size, &wide[0], size);
  if (got <= 0)
    return false;
  wide.resize(static_cast<std::size_t>(got));
  *utf8 = Utf8FromWide(wide);
  return true;
#else
  iconv_t convert = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
  if (convert == reinterpret_cast<iconv_t>(-1))
    return false;
  // Four bytes of UTF-8 at most for each byte in.
  std::string out(4 * bytes.size(), '\0');
  std::string in = bytes;
  char* from = &in[0];
  char* to = &out[0];
  std::size_t inLeft = in.size(), outLeft = out.size();
  const bool whole = iconv(convert, &from, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(convert);
  if (whole)
    *utf8 = out.substr(0, out.size() - outLeft);
  return whole;
#endif
}
