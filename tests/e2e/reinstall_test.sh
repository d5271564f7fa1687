#!/usr/bin/env bash
# One product installed again and again, as an administrator keeps it up to date: version 1,
# the same again while its program runs, version 2 over it without naming a folder, the dialog,
# a file of the user's, version 2 moved to another folder, and the quiet uninstall. At the end
# nothing that setup ever installed is left in either folder, the user's file is, and so is no
# entry. Checked from outside: files, `wine reg query` and the logs.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly LOGS='C:\e2e\logs'
readonly KEY="$UNINSTALL_KEY\\E2E Re Tool"
# No space in the first folder: Wine's cmd, which holds a file open below, loses the quotes of a
# redirection.
readonly FIRST="$TARGETS\\reinstall\\Re-Tool"
readonly MOVED="$TARGETS\\reinstall-moved\\Re Tool"
readonly LINE2="$TARGETS\\reinstall-line2\\E2E Re Tool"
readonly CAPTION="E2E Re Tool Setup"
mkdir -p "$(linux_path "$LOGS")" "$(linux_path "${FIRST%\\*}")" "$(linux_path "${MOVED%\\*}")"
forget_install "E2E Re Tool" "E2E Re Tool" "E2E Re Notes" "$FIRST"
rm -rf "$(linux_path "$MOVED")" "$(linux_path "$LINE2")"

# dist NAME EXTRA: a distribution of the product holding EXTRA too.
dist() {
  local dir
  dir=$(make_dist "$1") || return 1
  echo "$2 of $1" >"$dir/$2"
  setup_inf TinyNote.exe "$LINE2" "E2E Re Notes" "E2E Re Tool" 1 "Notes,TinyNote.exe" \
    >"$dir/setup.inf"
  echo "$dir"
}
v1=$(dist reinstall-v1 old.txt)
v2=$(dist reinstall-v2 new.txt)

# run_setup DIR LOG ARGUMENTS: DIR's setup.exe /S with /LOG=LOG and ARGUMENTS; prints its exit
# code.
run_setup() {
  (cd "$1" && driver -t 60000 run "\"$(win_path "$1")\\setup.exe\" /S /LOG=$LOGS\\$2.log $3") |
    sed -n 's/^exit //p'
}
log_has() {
  grep -qxF "$2" <(tr -d '\r' <"$(linux_path "$LOGS\\$1.log")")
}
record() {
  list_of "$(reg_query "$KEY")" InstalledFiles
}
# files FOLDER: the names in FOLDER, sorted; "(none)" when it is gone.
files() {
  local dir
  dir=$(linux_path "$1")
  if [ -d "$dir" ]; then
    find "$dir" -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort
  else
    echo "(none)"
  fi
}

section "version 1, twice: the second time with its program running"
rm -f "$(linux_path "$LOGS")"/re-*.log
expect_eq "v1: exit code" 0 "$(run_setup "$v1" re-v1 "/D=$FIRST")"
expect_eq "v1: the record" "$(copied_names "$v1")" "$(record)"
(exec wine cmd /c "ping -n 8 127.0.0.1 >nul <$FIRST\\TinyNote.exe" </dev/null >>"$E2E_LOG" 2>&1) &
holder=$!
E2E_STARTED+=("$holder")
sleep 3
expect_eq "v1 again, its program running: exit code" 4 "$(run_setup "$v1" re-held "/D=$FIRST")"
check "v1 again: the log names the held file" log_has re-held "file: TinyNote.exe: skipped: $HELD_REASON"
expect_eq "v1 again: the held file stays recorded" "$(copied_names "$v1")" "$(record)"
for _ in $(seq 150); do kill -0 "$holder" 2>/dev/null || break; sleep 0.1; done

section "version 2 without a folder goes where version 1 is"
expect_eq "v2: exit code" 0 "$(run_setup "$v2" re-v2 "")"
check "v2: the log says why" log_has re-v2 \
  "earlier installation: $FIRST: its folder is the one offered"
check "v2: line 2's folder not made" test ! -e "$(linux_path "$LINE2")"
expect_eq "v2: the record holds both versions' files" \
  "$(sort -u <(copied_names "$v1") <(copied_names "$v2"))" "$(record)"
query=$(reg_query "$KEY")
expect_eq "v2: InstallTo, DisplayVersion, Publisher" \
  "$FIRST|1.0|Lean Setup Samples" \
  "$(value_of "$query" InstallTo)|$(value_of "$query" DisplayVersion)|$(value_of "$query" Publisher)"

section "the dialog offers the folder of the installation"
start_setup "$v2"
if driver -t "$FIRST_WAIT" wait "$CAPTION" >/dev/null; then
  expect_eq "dialog: the folder box" "$FIRST" "$(driver text "$CAPTION" "$IDC_FOLDER")"
  driver click "$CAPTION" 2
  wait_setup 20 || fail "dialog: Cancel ends setup" "still running"
else
  fail "dialog: '$CAPTION' appears" "dialogs: $(driver list | tr '\n' ' ')"
fi
end_leftovers

section "version 2 moved to another folder, then removed"
echo "the user's own" >"$(linux_path "$FIRST")/mine.txt"
expect_eq "move: exit code" 0 "$(run_setup "$v2" re-move "/D=$MOVED")"
check "move: the log says the earlier installation was removed" grep -q \
  "^earlier installation: $(sed 's/[\\.]/\\&/g' <<<"$FIRST"): removed: " \
  <(tr -d '\r' <"$(linux_path "$LOGS\\re-move.log")")
expect_eq "move: the first folder holds the user's file only" "mine.txt" "$(files "$FIRST")"
expect_eq "move: the new folder holds version 2" "$(copied_names "$v2")" "$(files "$MOVED")"
expect_eq "move: InstallTo and the record" "$MOVED|$(copied_names "$v2" | tr '\n' ' ')" \
  "$(value_of "$(reg_query "$KEY")" InstallTo)|$(record | tr '\n' ' ')"
uninstaller="$windows_dir\\E2E Re Tool Uninstall.exe"
check "move: the uninstaller is version 2's" cmp "$v2/UNINSTAL.EXE" "$(linux_path "$uninstaller")"
check "move: the uninstaller is not deleted at the next start" \
  bash -c '! grep -qiF "E2E Re Tool Uninstall.exe" <<<"$1"' _ \
  "$(reg_query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations)"

quiet=$(value_of "$(reg_query "$KEY")" QuietUninstallString)
expect_eq "uninstall: exit code" 0 "$(driver -t 60000 run "$quiet" | sed -n 's/^exit //p')"
expect_eq "uninstall: the first folder keeps the user's file" "mine.txt" "$(files "$FIRST")"
expect_eq "uninstall: the new folder is gone" "(none)" "$(files "$MOVED")"
check "uninstall: the entry is gone" key_absent "$KEY"
end_leftovers

finish
