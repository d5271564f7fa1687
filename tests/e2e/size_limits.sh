# What setup.exe and UNINSTAL.EXE may weigh and import, shared by the size guard
# (size_guard_test.sh) and the benchmark (bench/run.sh). Sourced; defines variables and functions.

# Bytes of each program as built, which is stripped. setup.exe is a stub that travels with every
# distribution, and in a packed one carries the payload's reader too, and the checks of the
# folder it installs into (permissions, hold, where each file landed): near the small scriptable
# installers' stub (38 to 40 KB), and the aim below that. UNINSTAL.EXE is copied once per
# installed program. The limits are the product's, the i686 build. The x86_64 build, which tests
# the same sources where 32-bit programs cannot run, gets 4 KB more for the uninstaller and 5 KB
# for setup.exe: its code is about a tenth larger (wider instructions, 16-byte aligned
# functions, 8-byte pointers in every table), and more so for setup.exe's 64-bit arithmetic.
SETUP_SIZE_LIMIT=45056
SETUP_SIZE_AIM=40960
UNINSTALL_SIZE_LIMIT=45056

# size_limits_for ARCH: sets the limits above for a build of ARCH (i686 or x86_64).
size_limits_for() {
  SETUP_SIZE_LIMIT=45056
  SETUP_SIZE_AIM=40960
  UNINSTALL_SIZE_LIMIT=45056
  if [ "$1" == x86_64 ]; then
    ((SETUP_SIZE_LIMIT += 5120, SETUP_SIZE_AIM += 5120, UNINSTALL_SIZE_LIMIT += 4096))
  fi
}

# The x86_64 binutils read and write i686 and x86_64 programs alike.
MINGW_BINUTILS=x86_64-w64-mingw32

# The DLLs every Windows ships and keeps in its list of known DLLs, which are always loaded from
# the system folder; the programs import from no other. Any other DLL (comctl32 among them) is
# loaded at run time by its full path, or a DLL of its name beside the program would be loaded
# in its place.
SYSTEM_DLLS=(KERNEL32 USER32 GDI32 SHELL32 OLE32 ADVAPI32 MSVCRT)

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
