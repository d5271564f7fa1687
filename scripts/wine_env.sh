# shellcheck shell=bash
# Which Wine runs which Windows build here; sourced by scripts/test.sh, scripts/run.sh and
# tests/e2e/run.sh. A pass is a build run in a kind of prefix:
#
#   i686 build,   32-bit prefix   the product as on 32-bit Windows, under Debian's i386 loader
#   x86_64 build, 64-bit prefix   the same sources under the 64-bit loader: runs on every machine
#   i686 build,   64-bit prefix   the product as on 64-bit Windows (WoW64): both loaders
#
# The i386 loader is a 32-bit Linux program, and some kernels have 32-bit execution switched
# off, so whether it runs is found out by starting it.

WINE_LOADER32=/usr/lib/wine/wine
WINE_LOADER64=/usr/lib/wine/wine64
WINE_ENV_WRAPPERS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64

# wine32_runs: succeeds when the i386 loader starts; otherwise WINE32_WHY says why, in one line.
wine32_runs() {
  local out
  out=$("$WINE_LOADER32" --version 2>&1) && return 0
  case $out in
    *"Exec format error"*)
      WINE32_WHY="this machine cannot execute 32-bit Linux programs ($WINE_LOADER32: Exec format\
 error; the kernel's 32-bit emulation is off, ia32_emulation=on turns it on)" ;;
    *"No such file"*) WINE32_WHY="$WINE_LOADER32 is missing (package wine32:i386)" ;;
    *) WINE32_WHY="$WINE_LOADER32 does not start: ${out##*$'\n'}" ;;
  esac
  return 1
}

# pe_arch EXE: i686 or x86_64, from the machine field of a Windows program's PE header.
pe_arch() {
  local header machine
  header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') && [ -n "$header" ] || return 1
  machine=$(od -An -tx2 -j$((header + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    014c) echo i686 ;;
    8664) echo x86_64 ;;
    *) return 1 ;;
  esac
}

# wine_pass ARCH PREFIX_KIND: sets up this shell to run an ARCH build (i686, x86_64) in a
# PREFIX_KIND prefix (win32, win64). WINE_PASS then names the pass, its loader and its prefix.
# Fails with WINE_PASS_WHY where the pass cannot run on this machine.
wine_pass() {
  local arch=$1 kind=$2
  WINE_PASS=
  WINE_PASS_WHY=
  # A second call starts from the caller's own PATH.
  PATH=${PATH//"$WINE_ENV_WRAPPERS:"/}
  unset WINELOADER
  export WINEARCH=$kind
  if [ "$kind" == win64 ] && [ ! -x "$WINE_LOADER64" ]; then
    WINE_PASS_WHY="$WINE_LOADER64 is missing (package wine64)"
    return 1
  fi
  case $arch/$kind in
    x86_64/win64)
      # Debian's wine picks the i386 loader whenever it is installed, even where it cannot run.
      export PATH=$WINE_ENV_WRAPPERS:$PATH WINELOADER=$WINE_LOADER64
      WINE_PASS="x86_64 build under $WINE_LOADER64 in a 64-bit prefix"
      return 0
      ;;
    i686/win32) WINE_PASS="i686 build under $WINE_LOADER32 in a 32-bit prefix" ;;
    i686/win64)
      WINE_PASS="i686 build under $WINE_LOADER32 in a 64-bit prefix (WoW64, as on 64-bit Windows)"
      ;;
    *)
      WINE_PASS_WHY="an $arch build does not run in a $kind prefix"
      return 1
      ;;
  esac
  wine32_runs && return 0
  WINE_PASS_WHY=$WINE32_WHY
  return 1
}
