#!/usr/bin/env bash
# setup.exe with no window: /S installs into line 2's folder or the one /D= names, /LOG= appends
# its log, /RUN starts the program, and the exit code tells how the run ended. What it left is
# checked as for the installations through the dialog (install_lib.sh).
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly LOGS='C:\e2e\logs'
mkdir -p "$(linux_path "$LOGS")"

# unattended DIR ARGUMENTS: runs DIR's setup.exe from DIR with ARGUMENTS as the rest of its
# command line, exactly as written, as a deployment tool starts it; prints its exit code.
unattended() {
  (cd "$1" && driver -t 60000 run "\"$(win_path "$1")\\setup.exe\" $2") | sed -n 's/^exit //p'
}

# log_of NAME: the log C:\e2e\logs\NAME.log without its CRs.
log_of() {
  tr -d '\r' <"$(linux_path "$LOGS\\$1.log")" 2>/dev/null
}

# ---- A whole installation ----------------------------------------------------------------------
# /D= is the last argument and takes the rest of the line: spaces, and no quotes.
section "/S into a folder with spaces"
dir=$(make_dist unattended-spaces)
setup_inf TinyNote.exe 'C:\Apps\E2E Silent' "E2E Silent Notes" "E2E Silent 1.0" 2 \
  "Notes,TinyNote.exe" "Read me,read me.txt" >"$dir/setup.inf"
folder="$TARGETS\\silent\\Program Files\\E2E Silent"
forget_install "E2E Silent" "E2E Silent 1.0" "E2E Silent Notes" "$folder"
mkdir -p "$(linux_path "${folder%\\*}")"
# A log that holds an earlier run keeps it.
printf 'an earlier run\r\n' >"$(linux_path "$LOGS\\spaces.log")"
expect_eq "spaces: exit code" 0 "$(unattended "$dir" "/S /LOG=$LOGS\\spaces.log /D=$folder")"
check_install spaces "$dir" "$folder" "E2E Silent" "E2E Silent Notes" TinyNote.exe \
  "E2E Silent 1.0" $'Notes,TinyNote.exe\nRead me,read me.txt' -
# The steps' lines are the unit tests' (install_run_test.cpp); here the file as a run leaves it.
lines "$(log_of spaces)"
command="\"$(win_path "$dir")\\setup.exe\" /S /LOG=$LOGS\\spaces.log /D=$folder"
expect_eq "spaces: the earlier run kept, the header's command line, the exit code last" \
  "an earlier run|$command|exit code: 0" "${LINES[0]}|${LINES[1]#??????????????????? }|${LINES[-1]}"
check "spaces: the header starts with the date and time" \
  grep -qE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} ' <<<"${LINES[1]}"

# ---- Switches and their exit codes --------------------------------------------------------------
# Each row installs its own product; the description's line 2 names a folder below
# C:\e2e\targets\unattended. ARGUMENTS follow setup.exe as written, with @LOG@ for the row's
# log and @FOLDER@ for a folder of the row's own.
section "switches and exit codes"
# name (no spaces: it names the row's log) | setup.inf ("corrupted": a broken one) | arguments |
#   exit code | a line of the log | started in (- for not, target for the folder installed)
while IFS='|' read -r name inf arguments code line started; do
  product="E2E Switch $name"
  dir=$(make_dist "unattended-$name")
  line2="$TARGETS\\unattended\\$product"
  if [ "$inf" == corrupted ]; then
    setup_inf TinyNote.exe "$line2" "$product Notes" "$product 1.0" 1 "no comma" >"$dir/setup.inf"
  else
    setup_inf TinyNote.exe "$line2" "$product Notes" "$product 1.0" 1 "Notes,TinyNote.exe" \
      >"$dir/setup.inf"
  fi
  folder="$TARGETS\\unattended-$name\\$product"
  arguments=${arguments//@LOG@/$LOGS\\$name.log}
  arguments=${arguments//@FOLDER@/$folder}
  forget_install "$product" "$product 1.0" "$product Notes" "$line2"
  forget_install "$product" "$product 1.0" "$product Notes" "$folder"
  mkdir -p "$(linux_path "$TARGETS\\unattended")" "$(linux_path "${folder%\\*}")"
  expect_eq "$name: exit code" "$code" "$(unattended "$dir" "$arguments")"
  check "$name: the log says '$line'" grep -qxF "$line" <(log_of "$name")
  expect_eq "$name: the log ends with the exit code" "exit code: $code" \
    "$(log_of "$name" | tail -n 1)"
  # Every window setup.exe has is modal and waits for a user: a run that ended by itself
  # showed none, and none is left.
  expect_eq "$name: no window" "" \
    "$(driver list | awk -F '\t' -v p="$product" '$3 == "setup" || index($3, p)')"
  if [ "$code" == 0 ]; then
    installed=$line2
    [[ ${arguments,,} == */d=* ]] && installed=$folder
    check_install "$name" "$dir" "$installed" "$product" "$product Notes" TinyNote.exe \
      "$product 1.0" "Notes,TinyNote.exe" "${started/target/$installed}"
  else
    check "$name: nothing installed" key_absent "$UNINSTALL_KEY\\$product"
  fi
done <<'EOF'
line-2|ok|/S /LOG=@LOG@|0|folder: C:\e2e\targets\unattended\E2E Switch line-2: created|-
run-any-case|ok|/s /run /log=@LOG@ /d=@FOLDER@|0|program: "C:\e2e\targets\unattended-run-any-case\E2E Switch run-any-case\TinyNote.exe": started|target
unknown-switch|ok|/S /X /LOG=@LOG@|2|argument: /X: not understood|-
broken-setup-inf|corrupted|/S /LOG=@LOG@|2|setup.inf: 'setup.inf' is corrupted!|-
folder-refused|ok|/S /LOG=@LOG@ /D=C:\e2e\targets\not there\E2E Refused|3|folder: C:\e2e\targets\not there\E2E Refused: Cannot create directory!|-
EOF

# ---- The distribution's folder and the log ------------------------------------------------------
# Started by its full path from a folder that others could write, holding a setup.inf and a
# program of its own: setup installs its own distribution. A relative /LOG= is a file of the
# folder it was started from, and stays there when setup enters other folders.
section "/S started from another folder, with a relative log"
dir=$(make_dist unattended-own)
setup_inf TinyNote.exe 'C:\Apps\E2E Own' "E2E Own Notes" "E2E Own 1.0" 1 "Notes,TinyNote.exe" \
  >"$dir/setup.inf"
folder="$TARGETS\\own\\E2E-Own"
forget_install "E2E Own" "E2E Own 1.0" "E2E Own Notes" "$folder"
planted=$E2E_SCRATCH/unattended-planted
rm -rf "$planted" && mkdir -p "$planted" "$(linux_path "${folder%\\*}")"
setup_inf Planted.exe "$folder" "E2E Own" "E2E Own 1.0" 1 "Planted,Planted.exe" \
  >"$planted/setup.inf"
echo "planted" >"$planted/Planted.exe"
expect_eq "own: exit code" 0 "$(
  cd "$planted" && driver -t 60000 run "\"$(win_path "$dir")\\setup.exe\" /S /LOG=own.log /D=$folder" |
    sed -n 's/^exit //p'
)"
check_install own "$dir" "$folder" "E2E Own" "E2E Own Notes" TinyNote.exe "E2E Own 1.0" \
  "Notes,TinyNote.exe" -
check "own: nothing of the other folder installed" test ! -e "$(linux_path "$folder")/Planted.exe"
expect_eq "own: the log where it was started, ending with the exit code" "exit code: 0" \
  "$(tr -d '\r' <"$planted/own.log" | tail -n 1)"
check "own: no log in the install folder" test ! -e "$(linux_path "$folder")/own.log"

# A log that is another name of a file elsewhere (a hard link: Wine 8 makes no Windows symbolic
# links of files, and shows Unix ones as the files they name) is refused: nothing is done.
section "/S with a log that is another name of a file"
dir=$(make_dist unattended-linked)
setup_inf TinyNote.exe 'C:\Apps\E2E Linked' "E2E Linked Notes" "E2E Linked 1.0" 1 \
  "Notes,TinyNote.exe" >"$dir/setup.inf"
system=$(linux_path "$LOGS\\system.txt")
printf 'a file of the system\r\n' >"$system" && rm -f "$system.log" && ln "$system" "$system.log"
rm -rf "$(linux_path "$TARGETS\\linked")" && mkdir -p "$(linux_path "$TARGETS\\linked")"
expect_eq "linked: exit code" 2 \
  "$(unattended "$dir" "/S /LOG=$LOGS\\system.txt.log /D=$TARGETS\\linked\\E2E-Linked")"
expect_eq "linked: the file unchanged" "a file of the system" "$(tr -d '\r' <"$system")"
check "linked: nothing installed" test ! -e "$(linux_path "$TARGETS\\linked\\E2E-Linked")"

# ---- A file that cannot be replaced -------------------------------------------------------------
# Held open by another process, as in install_edge_test.sh: skipped and counted, never asked.
section "/S with a file that cannot be replaced"
dir=$(make_dist unattended-held)
setup_inf TinyNote.exe 'C:\Apps\E2E Silent Held' "E2E Silent Held Notes" "E2E Silent Held 1.0" \
  1 "Notes,TinyNote.exe" >"$dir/setup.inf"
# No space in the path: Wine's cmd loses the quotes of a redirection that wine passes on.
folder="$TARGETS\\silent-held\\E2E-Held"
forget_install "E2E Silent Held" "E2E Silent Held 1.0" "E2E Silent Held Notes" "$folder"
target=$(linux_path "$folder")
mkdir -p "$target"
{ cat "$dir/TinyNote.exe" && echo "left by someone else"; } >"$target/TinyNote.exe"
cp "$target/TinyNote.exe" "$E2E_SCRATCH/silent-held-before.exe"
(exec wine cmd /c "ping -n 10 127.0.0.1 >nul <$folder\\TinyNote.exe" </dev/null \
  >>"$E2E_LOG" 2>&1) &
holder=$!
E2E_STARTED+=("$holder")
sleep 3
expect_eq "held: exit code" 4 "$(unattended "$dir" "/S /RUN /LOG=$LOGS\\held.log /D=$folder")"
check "held: the log names the file and the reason" \
  grep -qxF "file: TinyNote.exe: skipped: $HELD_REASON" <(log_of held)
check "held: the program file was not replaced" cmp "$E2E_SCRATCH/silent-held-before.exe" \
  "$target/TinyNote.exe"
lines "$(launch_problems -)"
verdict "held: the program not started, /RUN or not" "${LINES[@]}"
check "held: the log says why" \
  grep -qxF "program: TinyNote.exe: not started: not copied by this run" <(log_of held)
expect_eq "held: the other files installed, the program not in InstalledFiles" \
  "$(copied_names "$dir" TinyNote.exe)" \
  "$(list_of "$(reg_query "$UNINSTALL_KEY\\E2E Silent Held")" InstalledFiles)"
for _ in $(seq 150); do kill -0 "$holder" 2>/dev/null || break; sleep 0.1; done
end_leftovers

finish
