// Names that compose into a path as one name in a folder: shortcut titles, the Start-menu group,
// the names of files. Bytes in the ANSI code page, never read as multibyte characters.
#pragma once

// Exact but for the case of ASCII letters, as Windows compares names of files and keys.
bool SameTextIgnoringCase(const char* a, const char* b);
bool SameTextIgnoringCase(const wchar_t* a, const wchar_t* b);
// True when `text` ends with `suffix`, compared as SameTextIgnoringCase does.
bool EndsWithIgnoringCase(const char* text, const char* suffix);

// True when [begin, end) holds only dots and spaces (or nothing): Windows drops such a name, or
// reads it as the folder itself or one above it.
bool OnlyDotsAndSpaces(const char* begin, const char* end);

// True for a name that composes into a path as a name in that folder: no separator, no drive
// or stream colon. A shortcut name that is not could lead out of its folder.
bool IsSingleName(const char* name);
bool IsSingleName(const wchar_t* name);

// True for a name that Windows keeps as it is in a path: a single name that is not made only
// of dots and spaces, which it would drop and so name the parent folder.
bool IsFolderName(const char* name);

// True for a name that Windows takes for a device whatever folder it is in: CON, PRN, AUX, NUL,
// COM0 to COM9, LPT0 to LPT9 (also with a superscript 1, 2 or 3 for the digit), CONIN$ and
// CONOUT$, in any letter case, alone or followed by an extension, or by dots and spaces.
bool IsDeviceName(const wchar_t* name);
bool IsDeviceName(const char* name);
