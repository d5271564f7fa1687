#!/usr/bin/env bash
# setup.exe and UNINSTAL.EXE stay small and self-contained: each within its limit as built,
# stripped, importing only the known DLLs (size_limits.sh), and carrying a manifest that asks for
# administrator rights. A look at the files, not a timing: bench/run.sh measures the rest.
E2E_NEEDS_WINE=no
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/size_limits.sh"
size_limits_for "$E2E_ARCH"

# guard EXE LIMIT
guard() {
  local exe=$1 limit=$2 name
  name=$(basename "$exe")
  section "size, imports and manifest of $name ($E2E_ARCH)"
  if [ ! -f "$exe" ]; then
    fail "$name built" "no $exe"
    return
  fi
  local size
  size=$(stat -c %s "$exe")
  if [ "$size" -le "$limit" ]; then
    pass "$name: at most $limit bytes ($size)"
  else
    fail "$name: at most $limit bytes" "$name has $size bytes"
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

  # The manifest is stored as its text. Version 6 of the common controls would be activated from
  # WinSxS instead of the system folder, and is left out on purpose.
  expect_eq "$name: manifest asks for administrator rights, not for common controls 6" "1 0" \
    "$(grep -ac 'level="requireAdministrator"' "$exe") $(grep -ac 'Common-Controls' "$exe")"
}

guard "$BUILD_DIR/setup.exe" "$SETUP_SIZE_LIMIT"
guard "$BUILD_DIR/uninstall/UNINSTAL.EXE" "$UNINSTALL_SIZE_LIMIT"

# The installer is built without the uninstaller's removal operations.
expect_eq "setup.exe: imports none of the removal operations" "" \
  "$("$MINGW_BINUTILS-objdump" -p "$BUILD_DIR/setup.exe" 2>>"$E2E_LOG" |
    grep -owE 'DeleteFileA|MoveFileExA|RegDeleteKeyA' | sort -u | tr '\n' ' ')"

finish
