#!/usr/bin/env bash
# Installations that meet something already there or something missing: an existing target
# folder, a folder whose parent is missing (refused, then corrected in the same dialog), and a
# second run over the first.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

# edge_dist NAME FOLDER_NAME: a scratch distribution whose description names FOLDER_NAME (also
# the link title's and product's stem) with one Start-menu entry. Prints its Linux path.
edge_dist() {
  local dir
  dir=$(make_dist "$1") || return 1
  setup_inf TinyNote.exe "C:\\Apps\\$2" "$2 Notes" "$2 1.0" 1 "Notes,TinyNote.exe" \
    >"$dir/setup.inf"
  echo "$dir"
}

# ---- An existing target folder ---------------------------------------------------------------------
section "an existing target folder"
dir=$(edge_dist edge-existing "E2E Existing")
folder="$TARGETS\\existing\\E2E Existing"
forget_install "E2E Existing" "E2E Existing 1.0" "E2E Existing Notes" "$folder"
target=$(linux_path "$folder")
mkdir -p "$target"
# Older files of the same names, longer than the new ones so that a copy that does not
# truncate shows, and a file of the user's own. (Read-only files are not tried: Wine run as root
# replaces them, where Windows refuses.)
head -c 400000 /dev/urandom >"$target/bytes.bin"
head -c 400000 /dev/urandom >"$target/read me.txt"
echo "the user's own file" >"$target/keep.txt"
if install_with "$dir" "E2E Existing 1.0 Setup" "$folder" yes; then
  pass "existing: installed"
  lines "$(
    for path in "$dir"/*; do
      name=${path##*/}
      [ "$name" == setup.exe ] && continue
      [ -f "$path" ] && ! cmp -s "$path" "$target/$name" && echo "$name not replaced"
    done
  )"
  verdict "existing: files of the same names overwritten byte for byte" "${LINES[@]}"
  expect_eq "existing: the user's own file left as it was" "the user's own file" \
    "$(cat "$target/keep.txt")"
  expect_eq "existing: InstallTo" "$folder" \
    "$(reg_value "$UNINSTALL_KEY\\E2E Existing" InstallTo)"
  lines "$(launch_problems "$folder")"
  verdict "existing: the program started in $folder" "${LINES[@]}"
else
  fail "existing: installed" "$INSTALL_PROBLEM"
fi

# ---- A folder whose parent is missing ------------------------------------------------------------
section "a folder whose parent is missing"
dir=$(edge_dist edge-missing "E2E Missing Parent")
caption="E2E Missing Parent 1.0 Setup"
missing="$TARGETS\\missing parent\\not there\\E2E Missing Parent"
folder="$TARGETS\\missing parent\\E2E Missing Parent"
forget_install "E2E Missing Parent" "E2E Missing Parent 1.0" "E2E Missing Parent Notes" "$folder"
rm -rf "$(linux_path "${missing%\\*}")"
mkdir -p "$(linux_path "${folder%\\*}")"
if open_setup "$dir" "$caption" && driver settext "$caption" $IDC_FOLDER "$missing" &&
  driver click "$caption" $IDOK; then
  # The box has an empty title: the driver finds it by that exact caption.
  expect_eq "missing parent: the message" "Cannot create directory!" \
    "$(driver -t 15000 msgbox "")"
  driver click "" $IDOK
  check "missing parent: the box closes" driver gone ""
  check "missing parent: the dialog stays open" driver wait "$caption"
  expect_eq "missing parent: the folder box keeps the text" "$missing" \
    "$(driver text "$caption" $IDC_FOLDER)"
  lines "$(
    [ -e "$(linux_path "${missing%\\*}")" ] && echo "the parent was created"
    reg_query "$UNINSTALL_KEY\\E2E Missing Parent" >/dev/null 2>&1 && echo "an uninstall key"
    [ -e "$(linux_path "$windows_dir\\E2E Missing Parent Uninstall.exe")" ] &&
      echo "an uninstaller copy"
    [ -e "$(linux_path "$common_desktop\\E2E Missing Parent Notes.lnk")" ] &&
      echo "a desktop shortcut"
  )"
  verdict "missing parent: nothing installed" "${LINES[@]}"
  # The same dialog, corrected: a folder that can be made, then OK again.
  if driver settext "$caption" $IDC_FOLDER "$folder" && driver click "$caption" $IDOK &&
    wait_setup 60; then
    pass "missing parent: OK with a valid folder installs"
    check_install "missing parent" "$dir" "$folder" "E2E Missing Parent" \
      "E2E Missing Parent Notes" TinyNote.exe "E2E Missing Parent 1.0" "Notes,TinyNote.exe" \
      "$folder"
  else
    fail "missing parent: OK with a valid folder installs" "dialogs: $(driver list | tr '\n' ' ')"
  fi
else
  fail "missing parent: OK pressed" "dialogs: $(driver list | tr '\n' ' ')"
fi
end_leftovers

# ---- A second run over the first ------------------------------------------------------------------
section "a second run over the first"
dir=$(edge_dist edge-second "E2E Second")
folder="$TARGETS\\second\\E2E Second"
forget_install "E2E Second" "E2E Second 1.0" "E2E Second Notes" "$folder"
mkdir -p "$(linux_path "${folder%\\*}")"
for run in first second; do
  if [ "$run" == second ]; then
    # A newer release of the distribution: changed files and another uninstaller.
    echo "Notes of the second release." >"$dir/read me.txt"
    head -c 1000 /dev/urandom >"$dir/bytes.bin"
    cp "$E2E_DIST/TinyNote.exe" "$dir/UNINSTAL.EXE"
    rm -f "$STARTED_RECORD"
  fi
  if install_with "$dir" "E2E Second 1.0 Setup" "$folder" yes; then
    pass "$run run: installed"
    check_install "$run run" "$dir" "$folder" "E2E Second" "E2E Second Notes" TinyNote.exe \
      "E2E Second 1.0" "Notes,TinyNote.exe" "$folder"
  else
    fail "$run run: installed" "$INSTALL_PROBLEM"
  fi
done
lines "$(reg_query "$UNINSTALL_KEY" | grep -i 'E2E Second')"
expect_eq "one uninstall key after two runs" 1 "${#LINES[@]}"

finish
