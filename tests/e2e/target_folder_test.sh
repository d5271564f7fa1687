#!/usr/bin/env bash
# The folder setup installs into is the administrators' and stays what setup checked: a folder
# others may write is refused; a folder replaced by a link while the files are copied gets no
# more of them; a program replaced after its copy is not started. The replacements are made
# from the Linux side, which Wine's hold cannot stop, while setup waits at a question.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly LOGS='C:\e2e\logs'
mkdir -p "$(linux_path "$LOGS")"
readonly IDYES=6 IDNO=7

# target_dist NAME: a distribution of product NAME; prints its Linux path.
target_dist() {
  local dir
  dir=$(make_dist "target-$1") || return 1
  setup_inf TinyNote.exe "C:\\Apps\\$1" "$1 Notes" "$1 1.0" 1 "Notes,TinyNote.exe" \
    >"$dir/setup.inf"
  echo "$dir"
}

log_has() {
  grep -qxF "$2" <(tr -d '\r' <"$(linux_path "$LOGS\\$1.log")")
}

# ---- A folder others may write -----------------------------------------------------------------
section "a folder others may write"
name=E2E-Open
dir=$(target_dist $name)
folder="$TARGETS\\open\\$name"
forget_install $name "$name 1.0" "$name Notes" "$folder"
mkdir -p "$(linux_path "$folder")" && chmod 777 "$(linux_path "$folder")"
code=$(cd "$dir" && driver -t 60000 run "\"$(win_path "$dir")\\setup.exe\" /S /LOG=$LOGS\\open.log /D=$folder" |
  sed -n 's/^exit //p')
expect_eq "open: exit code" 3 "$code"
check "open: the log says why" log_has open \
  "folder: $folder: refused: users other than administrators can change it"
expect_eq "open: nothing copied" "" "$(ls -A "$(linux_path "$folder")")"
check "open: no entry" key_absent "$UNINSTALL_KEY\\$name"

# ---- Replaced while setup waits ---------------------------------------------------------------
# A file of the folder held open makes setup ask whether to try again (No: it lists what failed
# before the program's start). Meanwhile the folder is replaced by a link to another folder, or
# the copied program by another file.
section "replaced while setup waits"
# what is replaced | the answer to the question | the log's line
while IFS='|' read -r replaced answer line; do
  name="E2E-Swap-$replaced"
  dir=$(target_dist "$name")
  caption="$name 1.0 Setup"
  folder="$TARGETS\\swap-$replaced\\$name"
  forget_install "$name" "$name 1.0" "$name Notes" "$folder"
  target=$(linux_path "$folder")
  elsewhere=$(linux_path "$TARGETS\\swap-$replaced\\elsewhere")
  rm -rf "$elsewhere" "$target.moved" && mkdir -p "$target" "$elsewhere"
  : >"$target/bytes.bin"
  start_setup "$dir" setup.exe "/LOG=$LOGS\\$replaced.log"
  if driver -t "$FIRST_WAIT" wait "$caption" >/dev/null &&
    driver settext "$caption" $IDC_FOLDER "$folder"; then
    (exec wine cmd /c "ping -n 10 127.0.0.1 >nul <$folder\\bytes.bin" </dev/null \
      >>"$E2E_LOG" 2>&1) &
    holder=$!
    E2E_STARTED+=("$holder")
    sleep 3
    driver click "$caption" $IDOK
    question=$(driver -t 15000 msgbox setup)
    if [ "$replaced" == folder ]; then
      mv "$target" "$target.moved" && ln -s "$elsewhere" "$target"
    fi
    driver click setup "$answer"
    ending=$(driver -t 15000 msgbox setup)
    [ "$ending" == "$question" ] && ending=$(sleep 1 && driver -t 15000 msgbox setup)
    if [ "$replaced" == program ]; then
      mv "$target/TinyNote.exe" "$target/TinyNote.old" && cp "$target/TinyNote.old" "$target/TinyNote.exe"
    fi
    driver click setup $IDOK
    if wait_setup 60; then
      expect_eq "$replaced: exit status" 4 "$SETUP_RC"
    else
      fail "$replaced: setup ends" "dialogs: $(driver list | tr '\n' ' ')"
    fi
    check "$replaced: the log says why" log_has "$replaced" "$line"
    lines "$(launch_problems -)"
    verdict "$replaced: the program not started" "${LINES[@]}"
    expect_eq "$replaced: nothing written elsewhere" "" "$(ls -A "$elsewhere")"
  else
    fail "$replaced: the dialog took the folder" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
  rm -f "$target" 2>/dev/null
done <<EOF
folder|$IDYES|file: bytes.bin: skipped: the target folder was moved or replaced
program|$IDNO|program: TinyNote.exe: not started: it is no longer the file this run copied
EOF

finish
