#!/usr/bin/env bash
# A DLL beside setup.exe or UNINSTAL.EXE, as one may lie in a Downloads folder, is never loaded
# into them: comctl32.dll, which they used to import, uxtheme.dll, which Wine's comctl32
# loads in turn, as system DLLs load others after the program has started, and cabinet.dll,
# which a packed setup.exe loads to read its payload. Wine is told to
# prefer such a DLL over its own (NAME=n,b), as Windows' search finds a DLL beside the program
# first; a program that imports comctl32 shows that the planted DLL is then loaded. The
# programs must still show their first window: a program that fails to start would load
# nothing either.
source "$(dirname "$0")/lib.sh"

# The planted DLL leaves NAME.dll.loaded beside itself when it is loaded (tests/dll_search).
readonly PLANTED_DIR=$BUILD_DIR/tests/dll_search
# The native setup-pack, for the packed program, which loads cabinet.dll itself.
readonly PACK=${SETUP_PACK:-$E2E_ROOT/build/native/pack/setup-pack}
readonly DIALOG="Tiny Notes 1.0 Setup"
readonly BROWSER="Browse for Folder"
readonly IDOK=1 IDCANCEL=2 IDC_BROWSE=103

# Each shows the program's first window, uses it and closes it; fails when it does not appear.
# The installer's folder browser is opened too: the shell loads further DLLs for it.
shows_setup_dialog() {
  driver -t 30000 wait "$DIALOG" >/dev/null &&
    driver click "$DIALOG" $IDC_BROWSE && driver wait "$BROWSER" >/dev/null &&
    driver click "$BROWSER" $IDCANCEL && driver gone "$BROWSER" &&
    driver click "$DIALOG" $IDCANCEL
}
# The distribution's own UNINSTAL.EXE, started by hand, says first that it removes nothing.
shows_uninstall_message() {
  driver -t 30000 msgbox Uninstall >/dev/null && driver click Uninstall $IDOK
}
# program | planted DLL | how its first window is checked (- for none) | exit status (setup.exe:
# 1, closed with Cancel) | the DLL is loaded
while IFS='|' read -r program dll shows status loaded; do
  case=$program:\ $dll
  section "$program beside a planted $dll"
  if ! dir=$(fresh_dist "dll-search-${program%.*}-${dll%.*}") ||
    ! cp "$PLANTED_DIR/comctl32_importer.exe" "$dir/" ||
    ! cp "$PLANTED_DIR/comctl32.dll" "$dir/$dll" ||
    { [ "$program" == packed.exe ] && ! "$PACK" "$dir" -o "$dir/packed.exe" >>"$E2E_LOG" 2>&1; }
  then
    fail "$case: planted" "cannot lay out $dir"
    continue
  fi
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${dll%.dll}=n,b" start_setup "$dir" "$program"
  if [ "$shows" == - ]; then
    :
  elif "$shows"; then
    pass "$case: starts and shows its first window"
  else
    fail "$case: starts and shows its first window" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  if wait_setup 20; then
    expect_eq "$case: exit status" "$status" "$SETUP_RC"
  else
    fail "$case: ends"
  fi
  end_leftovers
  # The marker is named as the loader spelled the DLL's name (COMCTL32.DLL for an import).
  marker=$(find "$dir" -maxdepth 1 -iname "$dll.loaded")
  if [ "$loaded" == yes ]; then
    check "$case: loaded" test -n "$marker"
  else
    check "$case: not loaded" test -z "$marker"
  fi
done <<'EOF'
comctl32_importer.exe|comctl32.dll|-|0|yes
comctl32_importer.exe|uxtheme.dll|-|0|yes
setup.exe|comctl32.dll|shows_setup_dialog|1|no
setup.exe|uxtheme.dll|shows_setup_dialog|1|no
packed.exe|cabinet.dll|shows_setup_dialog|1|no
UNINSTAL.EXE|comctl32.dll|shows_uninstall_message|2|no
UNINSTAL.EXE|uxtheme.dll|shows_uninstall_message|2|no
EOF

finish
