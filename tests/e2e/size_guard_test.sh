#!/usr/bin/env bash
# setup.exe stays small and self-contained: at most SETUP_SIZE_LIMIT bytes as built, stripped,
# and importing only the DLLs every Windows ships (size_limits.sh). A look at the file, not a
# timing: bench/run.sh measures the rest.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/size_limits.sh"

exe=$BUILD_DIR/setup.exe

section "size and imports of setup.exe"
if [ -f "$exe" ]; then
  size=$(stat -c %s "$exe")
  if [ "$size" -le "$SETUP_SIZE_LIMIT" ]; then
    pass "at most $SETUP_SIZE_LIMIT bytes"
  else
    fail "at most $SETUP_SIZE_LIMIT bytes" "setup.exe has $size bytes"
  fi

  # Stripping a stripped file changes nothing; symbols would count towards the size otherwise.
  stripped=$BUILD_DIR/e2e-logs/setup-stripped.exe
  if i686-w64-mingw32-strip -o "$stripped" "$exe" 2>>"$E2E_LOG"; then
    expect_eq "built stripped" "$size" "$(stat -c %s "$stripped")"
  else
    fail "built stripped" "i686-w64-mingw32-strip cannot read $exe"
  fi
  rm -f "$stripped"

  if dlls=$(imported_dlls "$exe") && [ -n "$dlls" ]; then
    pass "imports read: $(echo $dlls)"
    expect_eq "imports only from ${SYSTEM_DLLS[*]}" "" "$(unlisted_dlls "$exe" | tr '\n' ' ')"
  else
    fail "imports read" "i686-w64-mingw32-objdump -p found no imported DLL in $exe"
  fi
else
  fail "setup.exe built" "no $exe"
fi

finish
