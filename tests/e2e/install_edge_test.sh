#!/usr/bin/env bash
# Installations that meet something already there or something missing: an existing target
# folder, one whose program file cannot be replaced, folders that cannot be made or lie behind a
# link (refused, then corrected in the same dialog), and a second run over the first.
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
# truncate shows, and a file of the user's own. (A file that cannot be replaced: the next section.)
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
  values=$(reg_query "$UNINSTALL_KEY\\E2E Existing")
  expect_eq "existing: InstallTo" "$folder" "$(value_of "$values" InstallTo)"
  expect_eq "existing: InstalledFiles names the files copied, not the user's own" \
    "$(copied_names "$dir")" "$(list_of "$values" InstalledFiles)"
  lines "$(launch_problems "$folder")"
  verdict "existing: the program started in $folder" "${LINES[@]}"
else
  fail "existing: installed" "$INSTALL_PROBLEM"
fi

# ---- A program file that cannot be replaced ----------------------------------------------------
# Someone left a program of that name in the folder, read-only and held open by another process:
# Windows refuses to replace it (Wine run as root replaces read-only files, but not one held open
# without sharing for writing, as cmd's input redirection holds it). Setup asks whether to try
# again: skipped, the end message names it and the program is not started; tried again once the
# holder let go, it is copied and started.
section "a program file that cannot be replaced"
readonly IDYES=6 IDNO=7
# next_box TEXT: the text of the message box titled "setup" once it is no longer TEXT.
next_box() {
  local text
  for _ in $(seq 30); do
    text=$(driver -t 15000 msgbox setup) || return 1
    [ "$text" != "$1" ] && echo "$text" && return 0
    sleep 0.5
  done
  return 1
}
# choice | the button pressed | exit status
while IFS='|' read -r choice button status; do
  dir=$(edge_dist "edge-held-$choice" "E2E Held")
  caption="E2E Held 1.0 Setup"
  # No space in the path: Wine's cmd loses the quotes of a redirection that wine passes on.
  folder="$TARGETS\\held-$choice\\E2E-Held"
  forget_install "E2E Held" "E2E Held 1.0" "E2E Held Notes" "$folder"
  target=$(linux_path "$folder")
  mkdir -p "$target"
  # Still the sample program, so that a start would show; the trailing bytes tell it apart.
  { cat "$dir/TinyNote.exe" && echo "left by someone else"; } >"$target/TinyNote.exe"
  cp "$target/TinyNote.exe" "$E2E_SCRATCH/held-before.exe"
  chmod a-w "$target/TinyNote.exe"
  if open_setup "$dir" "$caption" && driver settext "$caption" $IDC_FOLDER "$folder"; then
    (exec wine cmd /c "ping -n 10 127.0.0.1 >nul <$folder\\TinyNote.exe" </dev/null \
      >>"$E2E_LOG" 2>&1) &
    holder=$!
    E2E_STARTED+=("$holder")
    sleep 3
    driver click "$caption" $IDOK
    question=$(driver -t 15000 msgbox setup)
    expect_eq "held, $choice: the question names the file, the folder and the reason" \
      "The file \"TinyNote.exe\" could not be copied to \"$folder\":
$HELD_REASON

Yes: try again (close the program that uses the file first).
No: skip this file; setup goes on without it." "$question"
    if [ "$choice" == retry ]; then
      # ping ends by itself: the cause is gone.
      for _ in $(seq 150); do kill -0 "$holder" 2>/dev/null || break; sleep 0.1; done
      chmod u+w "$target/TinyNote.exe"
    fi
    driver click setup "$button"
    if [ "$choice" == skip ]; then
      expect_eq "held, skip: the end message lists the file" \
        "Setup has finished, but these parts could not be installed:

file: TinyNote.exe" "$(next_box "$question")"
      driver click setup $IDOK
    fi
    if wait_setup 60; then
      expect_eq "held, $choice: exit status" "$status" "$SETUP_RC"
    else
      fail "held, $choice: setup ends" "dialogs: $(driver list | tr '\n' ' ')"
    fi
    if [ "$choice" == skip ]; then
      check "held, skip: the program file was not replaced" cmp "$E2E_SCRATCH/held-before.exe" \
        "$target/TinyNote.exe"
      lines "$(launch_problems -)"
      verdict "held, skip: the program not started" "${LINES[@]}"
      expect_eq "held, skip: InstalledFiles names the files copied, not the program" \
        "$(copied_names "$dir" TinyNote.exe)" \
        "$(list_of "$(reg_query "$UNINSTALL_KEY\\E2E Held")" InstalledFiles)"
    else
      check_install "held, retry" "$dir" "$folder" "E2E Held" "E2E Held Notes" TinyNote.exe \
        "E2E Held 1.0" "Notes,TinyNote.exe" "$folder"
    fi
    for _ in $(seq 150); do kill -0 "$holder" 2>/dev/null || break; sleep 0.1; done
  else
    fail "held, $choice: the dialog took the folder" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
  chmod -R u+w "$target"
done <<EOF
skip|$IDNO|4
retry|$IDYES|0
EOF

# ---- Folders that cannot be made, or lie behind a link ------------------------------------------
# Each is refused with the message and leaves the dialog open; the same dialog then installs into
# a folder that can be made. A link on the Linux side is what Wine reports as a reparse point.
section "folders refused, then corrected"
# name | folder name | refused folder (below C:\e2e\targets\NAME) | a link there to "elsewhere"
while IFS='|' read -r name folder_name refused link; do
  dir=$(edge_dist "edge-$folder_name" "$folder_name")
  caption="$folder_name 1.0 Setup"
  base="$TARGETS\\$name"
  refused="$base\\$refused"
  folder="$base\\$folder_name"
  forget_install "$folder_name" "$folder_name 1.0" "$folder_name Notes" "$folder"
  rm -rf "$(linux_path "$base")"
  mkdir -p "$(linux_path "$base\\elsewhere")"
  [ -n "$link" ] && ln -s "$(linux_path "$base\\elsewhere")" "$(linux_path "$base\\$link")"
  if open_setup "$dir" "$caption" && driver settext "$caption" $IDC_FOLDER "$refused" &&
    driver click "$caption" $IDOK; then
    # The box has an empty title: the driver finds it by that exact caption.
    expect_eq "$name: the message" "Cannot create directory!" "$(driver -t 15000 msgbox "")"
    driver click "" $IDOK
    check "$name: the box closes" driver gone ""
    check "$name: the dialog stays open" driver wait "$caption"
    expect_eq "$name: the folder box keeps the text" "$refused" \
      "$(driver text "$caption" $IDC_FOLDER)"
    lines "$(
      find "$(linux_path "$base")" -mindepth 1 -maxdepth 1 ! -name elsewhere ! -name "${link:-/}" \
        -printf 'made: %P\n'
      find "$(linux_path "$base\\elsewhere")" -mindepth 1 -printf 'made behind the link: %P\n'
      reg_query "$UNINSTALL_KEY\\$folder_name" >/dev/null 2>&1 && echo "an uninstall key"
      [ -e "$(linux_path "$windows_dir\\$folder_name Uninstall.exe")" ] &&
        echo "an uninstaller copy"
      [ -e "$(linux_path "$common_desktop\\$folder_name Notes.lnk")" ] && echo "a desktop shortcut"
    )"
    verdict "$name: nothing made or installed" "${LINES[@]}"
    # The same dialog, corrected: a folder that can be made, then OK again.
    if driver settext "$caption" $IDC_FOLDER "$folder" && driver click "$caption" $IDOK &&
      wait_setup 60; then
      pass "$name: OK with a valid folder installs"
      check_install "$name" "$dir" "$folder" "$folder_name" "$folder_name Notes" TinyNote.exe \
        "$folder_name 1.0" "Notes,TinyNote.exe" "$folder"
    else
      fail "$name: OK with a valid folder installs" "dialogs: $(driver list | tr '\n' ' ')"
    fi
  else
    fail "$name: OK pressed" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
done <<'EOF'
missing parent|E2E Missing Parent|not there\E2E Missing Parent|
link at the end|E2E Link End|linked|linked
link on the way|E2E Link Way|linked\E2E Link Way|linked
EOF

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
