// Bounded composition of zero-terminated text in fixed buffers.
// Every write is limited by the buffer's capacity and reports whether the whole text fitted;
// the caller decides what a text that does not fit means.
#pragma once

#include <cstddef>
#include <cstdint>

// Copies `src` into `dst` (capacity `cap`, terminator included). When it does not fit, `dst` is
// left empty and false is returned: a cut-off value must never pass for a different, valid one.
bool CopyText(char* dst, std::size_t cap, const char* src);
bool CopyText(wchar_t* dst, std::size_t cap, const wchar_t* src);

// Appends `src` to the text already in `dst`. When it does not fit, `dst` keeps its old text.
bool AppendText(char* dst, std::size_t cap, const char* src);

// `value` in decimal, written at the end of `room`; returns where its first digit stands.
const char* DecimalDigits(std::uint32_t value, char (&room)[11]);

// Copies as much of `src` as fits, always terminating `dst`; returns false when text was cut.
// Only for texts where a cut is acceptable (a window caption).
bool CopyTextCut(char* dst, std::size_t cap, const char* src);

// Composes `head`, a backslash and `tail` into `dst`. No separator is looked for or removed:
// "C:\" and "App" give "C:\\App". When it does not fit, `dst` is left empty and false returned.
bool JoinPath(char* dst, std::size_t cap, const char* head, const char* tail);
// The same for wide names (the NT family's own).
bool JoinPath(wchar_t* dst, std::size_t cap, const wchar_t* head, const wchar_t* tail);

template <std::size_t N>
bool CopyText(char (&dst)[N], const char* src) {
  return CopyText(dst, N, src);
}
template <std::size_t N>
bool AppendText(char (&dst)[N], const char* src) {
  return AppendText(dst, N, src);
}
template <class Char, std::size_t N>
bool JoinPath(Char (&dst)[N], const Char* head, const Char* tail) {
  return JoinPath(dst, N, head, tail);
}
