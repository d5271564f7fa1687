#!/usr/bin/env bash
# setup.exe and UNINSTAL.EXE stay small and self-contained: each at most SETUP_SIZE_LIMIT bytes as
# built, stripped, and importing only the DLLs every Windows ships (size_limits.sh). A look at the
# files, not a timing: bench/run.sh measures the rest.
E2E_NEEDS_WINE=no
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/size_limits.sh"

guard() {
  local exe=$1 name
  name=$(basename "$exe")
  section "size and imports of $name ($E2E_ARCH)"
  if [ ! -f "$exe" ]; then
    fail "$name built" "no $exe"
    return
  fi
  local size
  size=$(stat -c %s "$exe")
  if [ "$size" -le "$SETUP_SIZE_LIMIT" ]; then
    pass "$name: at most $SETUP_SIZE_LIMIT bytes ($size)"
  else
    fail "$name: at most $SETUP_SIZE_LIMIT bytes" "$name has $size bytes"
  fi

  # Stripping a stripped file changes nothing; symbols would count towards the size otherwise.
  local stripped=$E2E_LOGS/$name.stripped
  if "$MINGW_BINUTILS-strip" -o "$stripped" "$exe" 2>>"$E2E_LOG"; then
    expect_eq "$name: built stripped" "$size" "$(stat -c %s "$stripped")"
  else
    fail "$name: built stripped" "$MINGW_BINUTILS-strip cannot read $exe"
  fi
  rm -f "$stripped"

  local dlls
  if dlls=$(imported_dlls "$exe") && [ -n "$dlls" ]; then
    pass "$name: imports read: $(echo $dlls)"
    expect_eq "$name: imports only from ${SYSTEM_DLLS[*]}" "" \
      "$(unlisted_dlls "$exe" | tr '\n' ' ')"
  else
    fail "$name: imports read" "$MINGW_BINUTILS-objdump -p found no imported DLL in $exe"
  fi
}

guard "$BUILD_DIR/setup.exe"
guard "$BUILD_DIR/uninstall/UNINSTAL.EXE"

# The installer is built without the uninstaller's removal operations.
expect_eq "setup.exe: imports none of the removal operations" "" \
  "$("$MINGW_BINUTILS-objdump" -p "$BUILD_DIR/setup.exe" 2>>"$E2E_LOG" |
    grep -owE 'DeleteFileA|MoveFileExA|RegDeleteKeyA' | sort -u | tr '\n' ' ')"

finish
