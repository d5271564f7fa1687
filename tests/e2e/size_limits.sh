# What setup.exe and UNINSTAL.EXE may weigh and import, shared by the size guard
# (size_guard_test.sh) and the benchmark (bench/run.sh). Sourced; defines variables and functions.

# Bytes of each program as built, which is stripped. The small scriptable installers' stub weighs
# 38 to 40 KB; the limit keeps both below it, the aim well below.
SETUP_SIZE_LIMIT=40960
SETUP_SIZE_AIM=32768

# The x86_64 binutils read and write i686 and x86_64 programs alike.
MINGW_BINUTILS=x86_64-w64-mingw32

# The DLLs every Windows ships; setup.exe imports from no other.
SYSTEM_DLLS=(KERNEL32 USER32 GDI32 SHELL32 OLE32 ADVAPI32 COMCTL32 MSVCRT)

# imported_dlls EXE: the DLLs EXE imports from, upper case and without ".dll", one a line.
# Fails when the file cannot be read as a PE image.
imported_dlls() {
  local dump
  dump=$("$MINGW_BINUTILS-objdump" -p "$1") || return 1
  awk '$1 == "DLL" && $2 == "Name:" { print toupper($3) }' <<<"$dump" | sed 's/\.DLL$//' |
    sort -u
}

# unlisted_dlls EXE: the DLLs EXE imports from that are not in SYSTEM_DLLS, one a line.
unlisted_dlls() {
  local dlls
  dlls=$(imported_dlls "$1") || return 1
  grep -vxF -f <(printf '%s\n' "${SYSTEM_DLLS[@]}") <<<"$dlls"
  return 0
}
