// Names as the NT family keeps them (wide) and as an ANSI code page shows them. The checker's
// own texts are UTF-8.
#pragma once

#include <string>

// UTF-8 to wide characters (UTF-16 where wchar_t has 16 bits). A byte that is no part of a
// UTF-8 character stands for itself, as Latin-1 would read it.
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
// True when all of `text` is UTF-8: no stray byte, overlong form, surrogate or value past U+10FFFF.
bool IsUtf8(const std::string& text);

// True when code page `codePage` can be used here.
bool KnownCodePage(int codePage);

// `name` as a machine using ANSI code page `codePage` shows it, in UTF-8: each character the
// code page lacks becomes '?'. False when it lacks one.
bool ShownInCodePage(const std::string& name, int codePage, std::string* shown);

// `bytes` in ANSI code page `codePage` as UTF-8. False when a byte, or a pair in a double-byte
// code page, is no character of it.
bool Utf8FromCodePage(const std::string& bytes, int codePage, std::string* utf8);
