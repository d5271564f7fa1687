#!/usr/bin/env bash
# UNINSTAL.EXE from outside: setup.exe installs, the registered UninstallString is started
# exactly as stored, the driver answers the one question, and what is left is checked from
# outside the prefix: the files, the user's own files and sub-folder, the shortcuts, the group,
# the key and the uninstaller copy (gone, or waiting in PendingFileRenameOperations for the
# restart). Then the unattended run as a package manager starts it (/S and a log), twice; the
# folder, or a file in it, swapped while the question is open; and the folders that are refused,
# with and without /S.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly IDYES=6 IDNO=7
readonly SAMPLE_CAPTION="Tiny Notes 1.0 Setup"
readonly TITLE="Tiny Notes 1.0 Uninstall"
readonly SAMPLE_KEY="$UNINSTALL_KEY\\Tiny Notes"
readonly SAMPLE_FILES=(TinyNote.exe UNINSTAL.EXE license.txt readme.txt setup.inf)
readonly SESSION_MANAGER='HKLM\System\CurrentControlSet\Control\Session Manager'
# A question and the report stay open until they are answered, so the run waits long.
readonly RUN_LIMIT=120000

# ---- Running the uninstaller -------------------------------------------------------------------

# start_uninstall COMMAND_LINE: starts it through the driver (CreateProcess, as the list of
# installed programs does) in the background; wait_uninstall then gives its exit code.
start_uninstall() {
  UNINSTALL_OUT=$E2E_LOGS/uninstall-run.out
  : >"$UNINSTALL_OUT"
  driver -t "$RUN_LIMIT" run "$1" >"$UNINSTALL_OUT" 2>>"$E2E_LOG" &
  UNINSTALL_PID=$!
  E2E_STARTED+=("$UNINSTALL_PID")
}

# wait_uninstall: waits at most 30 s for the run to end; prints its exit code, or "running".
wait_uninstall() {
  for _ in $(seq 300); do
    kill -0 "$UNINSTALL_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$UNINSTALL_PID" 2>/dev/null; then
    echo running
  else
    wait "$UNINSTALL_PID" 2>/dev/null
    tr -d '\r' <"$UNINSTALL_OUT" | sed -n 's/^exit //p'
  fi
}

# run_silent COMMAND_LINE: starts it as start_uninstall does and watches the screen until it
# ends. SILENT_EXIT gets its exit code ("running" when it did not end: a message box would stop
# it), SILENT_WINDOWS every visible dialog or message box seen meanwhile.
run_silent() {
  SILENT_WINDOWS=
  start_uninstall "$1"
  for _ in $(seq 100); do
    kill -0 "$UNINSTALL_PID" 2>/dev/null || break
    SILENT_WINDOWS+=$(driver list 2>/dev/null | tr -d '\r' | awk -F '\t' '$2 == "visible"')
    sleep 0.2
  done
  SILENT_EXIT=$(wait_uninstall)
  end_leftovers
}

# stamped FILE: the lines of a log the uninstaller wrote, without their CRs, each header's date
# and time as TIME.
stamped() {
  tr -d '\r' <"$1" | sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} /TIME /'
}

# has TEXT PART: PART occurs in TEXT.
has() {
  [[ "$1" == *"$2"* ]]
}

pending_removals() {
  reg_query "$SESSION_MANAGER" /v PendingFileRenameOperations
}

# install_sample NAME FOLDER: the sample distribution installed into FOLDER, the program not
# started (it would hold its file open for a moment).
install_sample() {
  local dir
  dir=$(fresh_dist "$1") || return 1
  forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes" "$2"
  install_with "$dir" "$SAMPLE_CAPTION" "$2" no
}

# record_of KEY: the names in KEY's record of installed files, sorted, one a line.
record_of() {
  reg_query "$1" /v InstalledFiles |
    awk -F '    ' '$2 == "InstalledFiles" && $3 == "REG_MULTI_SZ" { print $4 }' |
    sed 's/\\0/\n/g' | sed '/^$/d' | LC_ALL=C sort
}

# ensure_record KEY NAME...: the uninstall key records the files setup copied. Where setup.exe
# keeps no record yet, one is written as it would write it; RECORD_BY says who wrote it.
ensure_record() {
  local key=$1
  shift
  RECORD_BY=setup.exe
  if [ -z "$(record_of "$key")" ]; then
    RECORD_BY="this test"
    wine_reg add "$key" /v InstalledFiles /t REG_MULTI_SZ \
      /d "$(printf '%s\\0' "$@" | sed 's/\\0$//')" /f >>"$E2E_LOG"
  fi
  [ "$(record_of "$key")" == "$(printf '%s\n' "$@" | LC_ALL=C sort)" ]
}

# ---- No, then Yes --------------------------------------------------------------------------------
section "the sample: the question"
folder='C:\Program Files\Tiny Notes'
target=$(linux_path "$folder")
if install_sample uninstall-sample "$folder"; then
  pass "sample installed into $folder"
else
  fail "sample installed into $folder" "$INSTALL_PROBLEM"
fi
check "the uninstall key records the files setup copied" ensure_record "$SAMPLE_KEY" \
  "${SAMPLE_FILES[@]}"
echo "        (the record was written by $RECORD_BY)"
# What the user added since: a note beside the program, and a folder of their own.
echo "my note" >"$target/my note.txt"
mkdir -p "$target/My Notes" && echo "kept" >"$target/My Notes/kept.txt"

command=$(reg_value "$SAMPLE_KEY" UninstallString)
expect_eq "UninstallString is the quoted uninstaller path" \
  "\"$windows_dir\\Tiny Notes Uninstall.exe\"" "$command"

snapshot >"$E2E_LOGS/before-no.txt"
start_uninstall "$command"
if question=$(next_box "$TITLE"); then
  pass "the question '$TITLE' appears"
  text=$(driver msgbox "$question" | tr -d '\r')
  # The files in the order Wine lists them.
  expect_eq "the question names the product, the files it deletes and those the user added" \
    "Remove Tiny Notes 1.0 from this computer?

The files Setup installed are deleted from the folder
  $folder:
$(printf '  %s\n' "${SAMPLE_FILES[@]}" | LC_ALL=C sort -f)

Files you added there are kept:
  my note.txt

Sub-folders and the files in them are kept. The desktop shortcut, the Start-menu shortcuts \
in \"Tiny Notes 1.0\" and the entry in the list of installed programs are removed as well." \
    "$text"
  expect_eq "the question's buttons" "&Yes &No" \
    "$(driver text "$question" $IDYES | tr -d '\r') $(driver text "$question" $IDNO | tr -d '\r')"
  expect_eq "the question shows an icon" 1 "$(driver icon "$question" | tr -d '\r')"
  screenshot uninstall-question "$question" >/dev/null
  driver click "$question" $IDNO
  expect_eq "No ends the uninstaller (exit 1)" 1 "$(wait_uninstall)"
else
  fail "the question '$TITLE' appears" "dialogs: $(driver list | tr '\n' ' ')"
fi
end_leftovers
snapshot >"$E2E_LOGS/after-no.txt"
check "No changes nothing on drive C: or in the uninstall entries" \
  diff "$E2E_LOGS/before-no.txt" "$E2E_LOGS/after-no.txt"

section "the sample: Yes"
start_uninstall "$command"
report=
if question=$(next_box "$TITLE") && driver click "$question" $IDYES &&
  box=$(next_box "$TITLE" "$question"); then
  report=$(driver msgbox "$box" | tr -d '\r')
  screenshot uninstall-report "$box" >/dev/null
  driver click "$box" $IDOK
  expect_eq "the uninstaller ends after its report (exit 3: some things left)" 3 \
    "$(wait_uninstall)"
else
  fail "Yes leads to the report" "dialogs: $(driver list | tr '\n' ' ')"
fi
end_leftovers
lines "$(
  for part in "Removed:" "  5 files from $folder" "  the desktop shortcut" \
    "  3 Start-menu shortcuts" "  the Start-menu group \"Tiny Notes 1.0\"" \
    "  the entry in the list of installed programs" \
    "  $folder: it still holds sub-folders, which are kept" \
    "  1 file in $folder that Setup did not install"; do
    has "$report" "$part" || echo "missing: $part"
  done
)"
verdict "the report says what was removed and what was left" "${LINES[@]}"

lines "$(
  for name in "${SAMPLE_FILES[@]}"; do
    [ -e "$target/$name" ] && echo "still there: $name"
  done
)"
verdict "every file setup copied is gone" "${LINES[@]}"
check "the file the user added is kept" test "$(cat "$target/my note.txt" 2>/dev/null)" == \
  "my note"
check "the user's sub-folder and its file are kept" \
  test "$(cat "$target/My Notes/kept.txt" 2>/dev/null)" == kept
check "the desktop shortcut is gone" test ! -e "$(linux_path "$common_desktop\\Tiny Notes.lnk")"
check "the Start-menu group is gone" test ! -e "$(linux_path "$common_programs\\Tiny Notes 1.0")"
check "the uninstall key is gone" key_absent "$SAMPLE_KEY"
uninstaller="$windows_dir\\Tiny Notes Uninstall.exe"
if [ ! -e "$(linux_path "$uninstaller")" ]; then
  pass "the uninstaller copy is gone"
elif has "$(pending_removals)" "\\??\\$uninstaller\\0"; then
  pass "the uninstaller copy is marked for removal at the next start"
  if has "$report" "This uninstaller will be deleted when Windows next starts."; then
    pass "the report says so"
  else
    fail "the report says so" "report: $report"
  fi
else
  fail "the uninstaller copy is gone or marked for removal" \
    "pending: $(pending_removals | tr '\n' ' ')"
fi

# ---- Unattended: /S and a log, as a package manager starts it ------------------------------------
section "unattended: the quiet uninstall command with a log"
folder='C:\Program Files\Tiny Notes'
target=$(linux_path "$folder")
logs=$E2E_SCRATCH/logs
log="$logs/silent run.log"
mkdir -p "$logs" && rm -f "$log"
if install_sample uninstall-silent "$folder"; then
  pass "sample installed into $folder"
else
  fail "sample installed into $folder" "$INSTALL_PROBLEM"
fi
# The command a package manager starts: QuietUninstallString as stored, or, where setup.exe
# writes none, the same command made from UninstallString.
quiet=$(reg_value "$SAMPLE_KEY" QuietUninstallString)
if [ "$quiet" == "(missing)" ]; then
  quiet="$(reg_value "$SAMPLE_KEY" UninstallString) /S"
  echo "        (no QuietUninstallString: the command is UninstallString and /S)"
else
  expect_eq "QuietUninstallString is the quoted uninstaller path and /S" "\"$uninstaller\" /S" \
    "$quiet"
fi
command="$quiet /LOG=\"$(win_path "$log")\""
run_silent "$command"
expect_eq "/S: exit 0, no window shown" "0 " "$SILENT_EXIT $SILENT_WINDOWS"
check "/S: the install folder is gone" test ! -e "$target"
check "/S: the desktop shortcut is gone" test ! -e "$(linux_path "$common_desktop\\Tiny Notes.lnk")"
check "/S: the Start-menu group is gone" \
  test ! -e "$(linux_path "$common_programs\\Tiny Notes 1.0")"
check "/S: the uninstall key is gone" key_absent "$SAMPLE_KEY"
if [ -e "$(linux_path "$uninstaller")" ]; then
  self="deleted when Windows next starts"
  check "/S: the uninstaller copy is marked for removal at the next start" \
    has "$(pending_removals)" "\\??\\$uninstaller\\0"
else
  self=removed
fi
# Each step's line as the uninstaller writes it; the header's time as TIME.
group="$common_programs\\Tiny Notes 1.0"
key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tiny Notes'
steps=("TIME $command" "uninstaller: $uninstaller: removes Tiny Notes"
  "entry: $key: InstallTo $folder" "folder check: $folder: passed"
  "description: $folder\\setup.inf: Tiny Notes 1.0"
  "record of installed files: InstalledFiles: read"
  "answered: yes (/S)" "shortcut: $common_desktop\\Tiny Notes.lnk: removed"
  "shortcut: $group\\Tiny Notes.lnk: removed" "shortcut: $group\\Read me.lnk: removed"
  "shortcut: $group\\License.lnk: removed" "group: $group: removed")
for name in "${SAMPLE_FILES[@]}"; do
  steps+=("file: $folder\\$name: removed")
done
steps+=("folder: $folder: removed" "entry: $key: removed" "uninstaller: $uninstaller: $self"
  "exit code: 0: everything removed")
text=$(stamped "$log")
lines "$(
  for step in "${steps[@]}"; do
    grep -qxF -- "$step" <<<"$text" || echo "missing: $step"
  done
  [ "$(head -n 1 <<<"$text")" == "${steps[0]}" ] || echo "first: $(head -n 1 <<<"$text")"
  [ "$(tail -n 1 <<<"$text")" == "${steps[-1]}" ] || echo "last: $(tail -n 1 <<<"$text")"
  grep -qx "$TITLE: Remove Tiny Notes 1.0 from this computer?  The files Setup installed .*" \
    <<<"$text" || echo "missing: the question"
  grep -qx "$TITLE: Tiny Notes 1.0 was removed\.  Removed: .*" <<<"$text" ||
    echo "missing: the report"
)"
verdict "/S: the log names each step, the question and the report, and ends with exit code 0" \
  "${LINES[@]}"
cp "$log" "$E2E_LOGS/silent-run.log"

section "unattended: the same command again"
# Windows keeps a running program's file until it next starts; where it went at once, it is put
# back as it would still be there.
[ -e "$(linux_path "$uninstaller")" ] || cp "$E2E_DIST/UNINSTAL.EXE" "$(linux_path "$uninstaller")"
snapshot >"$E2E_LOGS/before-again.txt"
run_silent "$command"
expect_eq "again: exit 4 (nothing to do), no window shown" "4 " "$SILENT_EXIT $SILENT_WINDOWS"
snapshot >"$E2E_LOGS/after-again.txt"
check "again: nothing changed" diff "$E2E_LOGS/before-again.txt" "$E2E_LOGS/after-again.txt"
expect_eq "again: the log keeps the first run and appends the second" \
  "$text
TIME $command
uninstaller: $uninstaller: removes Tiny Notes
entry: $key: missing: nothing to do
Tiny Notes Uninstall: Tiny Notes is not in the list of installed programs: the entry $key or its \
InstallTo value is missing. It may have been removed already.  Nothing was removed.
exit code: 4: nothing to do" "$(stamped "$log")"
forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes"
rm -f "$(linux_path "$uninstaller")"

# ---- A setup.inf planted in the install folder ---------------------------------------------------
# Whoever may write the install folder can replace its setup.inf; the uninstall key's record of
# shortcuts, which setup wrote, decides what goes.
section "a planted setup.inf names another product's shortcuts: only those setup saved go"
folder='C:\e2e\targets\planted\Tiny Notes'
target=$(linux_path "$folder")
group="$common_programs\\Tiny Notes 1.0"
other_link=$(linux_path "$common_desktop\\Other.lnk")
other_group=$(linux_path "$common_programs\\Other 2.0")
mkdir -p "$(dirname "$target")"
if install_sample uninstall-planted "$folder"; then
  expect_eq "the entry records the shortcuts setup saved, and their group" \
    "$(printf '%s\n' "$common_desktop\\Tiny Notes.lnk" "$group\\" "$group\\Tiny Notes.lnk" \
      "$group\\Read me.lnk" "$group\\License.lnk")" \
    "$(reg_query "$SAMPLE_KEY" /v InstalledShortcuts |
      awk -F '    ' '$2 == "InstalledShortcuts" && $3 == "REG_MULTI_SZ" { print $4 }' |
      sed 's/\\0/\n/g' | sed '/^$/d')"
  mkdir -p "$other_group"
  echo other >"$other_link"
  echo other >"$other_group/Other.lnk"
  printf 'TinyNote.exe\r\n%s\r\nOther\r\nOther 2.0\r\n1\r\nOther,TinyNote.exe\r\n' "$folder" \
    >"$target/setup.inf"
  run_silent "$(reg_value "$SAMPLE_KEY" QuietUninstallString)"
  expect_eq "planted: exit 0, no window shown" "0 " "$SILENT_EXIT $SILENT_WINDOWS"
  check "planted: the other product's desktop shortcut stays" test -e "$other_link"
  check "planted: the other product's group and shortcut stay" test -e "$other_group/Other.lnk"
  check "planted: this product's desktop shortcut is gone" \
    test ! -e "$(linux_path "$common_desktop\\Tiny Notes.lnk")"
  check "planted: this product's group is gone" test ! -e "$(linux_path "$group")"
else
  fail "sample installed into $folder" "$INSTALL_PROBLEM"
fi
rm -rf "$other_link" "$other_group"
forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes" "$folder"

# ---- A folder that held sub-folders before, installed before setup kept a record ----------------
section "installed into a folder that already held sub-folders, without a record"
folder='C:\e2e\targets\prefilled\Tiny Notes'
target=$(linux_path "$folder")
forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes" "$folder"
mkdir -p "$target/Old Version/bin" "$target/Data"
echo "old" >"$target/Old Version/bin/old.exe"
echo "data" >"$target/Data/data.txt"
dir=$(fresh_dist uninstall-prefilled)
if install_with "$dir" "$SAMPLE_CAPTION" "$folder" no; then
  # As an installation made before setup kept a record: every file directly in it goes.
  wine_reg delete "$SAMPLE_KEY" /v InstalledFiles /f >>"$E2E_LOG"
  echo "saved" >"$target/saved.txt"
  start_uninstall "$(reg_value "$SAMPLE_KEY" UninstallString)"
  if question=$(next_box "$TITLE") && text=$(driver msgbox "$question" | tr -d '\r') &&
    driver click "$question" $IDYES && box=$(next_box "$TITLE" "$question") &&
    driver click "$box" $IDOK; then
    expect_eq "uninstalled (exit 3: sub-folders kept)" 3 "$(wait_uninstall)"
    if has "$text" "Setup keeps no list of the files it installed, so every file directly in \
the folder
  $folder
will be deleted, including files you saved there yourself:
" && has "$text" $'\n  saved.txt\n'; then
      pass "without a record the question says that every file goes, and names them"
    else
      fail "without a record the question says that every file goes, and names them" \
        "text: $text"
    fi
  else
    fail "uninstalled" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
  expect_eq "only the sub-folders that were there before are left" \
    "$(printf '%s\n' Data Data/data.txt 'Old Version' 'Old Version/bin' 'Old Version/bin/old.exe')" \
    "$(cd "$target" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)"
else
  fail "installed into $folder" "$INSTALL_PROBLEM"
fi

# ---- A swap while the question stands open ---------------------------------------------------------
# While the question is open, the folder, or one file in it, is replaced on the Linux side by a
# symbolic link into a decoy folder holding files of the same names. Wine opens through such a
# link, so the uninstaller finds another folder, or a file outside its folder, when it checks.
swap_folder() {
  mv "$1" "$1.orig" && ln -s "$2" "$1"
}
swap_file() {
  rm "$1/readme.txt" && ln -s "$2/readme.txt" "$1/readme.txt"
}
folder='C:\e2e\targets\swap\Tiny Notes'
target=$(linux_path "$folder")
decoy=$(linux_path 'C:\e2e\targets\decoy')
# what is swapped | how | what the report says changed
while IFS='|' read -r what swap says; do
  section "$what swapped while the question is open"
  rm -rf "$decoy" "$target.orig" && mkdir -p "$decoy" "$(dirname "$target")"
  for name in "${SAMPLE_FILES[@]}"; do
    echo decoy >"$decoy/$name"
  done
  if ! install_sample "uninstall-swap" "$folder" ||
    ! ensure_record "$SAMPLE_KEY" "${SAMPLE_FILES[@]}"; then
    fail "$what: installed into $folder, with a record" "$INSTALL_PROBLEM"
    continue
  fi
  start_uninstall "$(reg_value "$SAMPLE_KEY" UninstallString)"
  report=
  if question=$(next_box "$TITLE") && "$swap" "$target" "$decoy" &&
    driver click "$question" $IDYES && box=$(next_box "$TITLE" "$question"); then
    report=$(driver msgbox "$box" | tr -d '\r')
    driver click "$box" $IDOK
    expect_eq "$what: the uninstaller ends after its report (exit 3)" 3 "$(wait_uninstall)"
  else
    fail "$what: Yes leads to the report" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
  expect_eq "$what: the report says what changed and that nothing more was removed" \
    "Tiny Notes 1.0 was not removed completely. After the question was answered, $says \
Nothing more was removed, and the entry in the list of installed programs stays: run this \
uninstaller again to see what the folder holds now." "${report%%$'\n\n'*}"
  lines "$(
    for name in "${SAMPLE_FILES[@]}"; do
      [ "$(cat "$decoy/$name" 2>/dev/null)" == decoy ] || echo "deleted or changed: $name"
      if [ -d "$target.orig" ] && [ ! -e "$target.orig/$name" ]; then
        echo "deleted from the folder put aside: $name"
      fi
    done
  )"
  verdict "$what: nothing in the decoy folder, nor in a folder put aside, was deleted" \
    "${LINES[@]}"
  expect_eq "$what: the uninstall entry stays" "$folder" "$(reg_value "$SAMPLE_KEY" InstallTo)"
  rm -rf "$target" "$target.orig" "$decoy"
  forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes"
done <<EOF
the folder|swap_folder|the folder $folder was no longer the one it named: it had been replaced, moved or removed.
a file|swap_file|$folder\\readme.txt no longer led to a file in the folder it named.
EOF

# ---- Refusals --------------------------------------------------------------------------------------
section "refusals: nothing is removed"
# The distribution's own UNINSTAL.EXE, started by hand, does not know what it belongs to.
dir=$(fresh_dist uninstall-by-hand)
# A folder inside the folder of all profiles is refused; a per-user programs folder is not, and
# is then refused only for its missing setup.inf.
profile=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public \
  -printf '%f\n' | head -n 1)
public_folder='C:\users\Public\Documents\E2E Tiny'
own_programs="C:\\users\\$profile\\AppData\\Local\\Programs\\E2E Tiny"
mkdir -p "$(linux_path "$public_folder")" "$(linux_path "$own_programs")"
snapshot >"$E2E_LOGS/before-refusals.txt"
start_uninstall "\"$(win_path "$dir")\\UNINSTAL.EXE\""
if box=$(next_box Uninstall); then
  text=$(driver msgbox "$box" | tr -d '\r')
  has "$text" "Its file name is \"UNINSTAL.EXE\"" && has "$text" "Nothing was removed." &&
    pass "UNINSTAL.EXE by hand: says it does not know what to remove" ||
    fail "UNINSTAL.EXE by hand: says it does not know what to remove" "text: $text"
  driver click "$box" $IDOK
  expect_eq "UNINSTAL.EXE by hand: refused (exit 2)" 2 "$(wait_uninstall)"
else
  fail "UNINSTAL.EXE by hand: a message" "dialogs: $(driver list | tr '\n' ' ')"
fi
end_leftovers

# An entry whose InstallTo a user once pointed at a folder that is not the program's own. With
# /S the same refusal shows nothing: its message goes to the log.
# key name | InstallTo | what the message says | how it is started ("/S" or empty)
while IFS='|' read -r name install_to says how; do
  wine_reg add "$UNINSTALL_KEY\\$name" /v InstallTo /d "$install_to" /f \
    </dev/null >>"$E2E_LOG" 2>&1
  copy="$windows_dir\\$name Uninstall.exe"
  cp "$E2E_DIST/UNINSTAL.EXE" "$(linux_path "$copy")"
  snapshot >"$E2E_LOGS/before-refusal.txt"
  if [ "$how" == /S ]; then
    log="$logs/refused.log"
    rm -f "$log"
    run_silent "\"$copy\" /S /LOG=$(win_path "$log")"
    expect_eq "InstallTo $install_to, /S: exit 2, no window shown" "2 " \
      "$SILENT_EXIT $SILENT_WINDOWS"
    text=$(stamped "$log")
    if has "$text" $'\n'"folder check: $install_to: refused"$'\n'"$name Uninstall: " &&
      has "$text" "$says" && has "$text" "Nothing was removed." &&
      [ "$(tail -n 1 <<<"$text")" == "exit code: 2: refused" ]; then
      pass "InstallTo $install_to, /S: the log says why and ends with exit code 2"
    else
      fail "InstallTo $install_to, /S: the log says why and ends with exit code 2" "log: $text"
    fi
  elif start_uninstall "\"$copy\"" && box=$(next_box "$name Uninstall"); then
    text=$(driver msgbox "$box" | tr -d '\r')
    if has "$text" "$says" && has "$text" "Nothing was removed."; then
      pass "InstallTo $install_to: refused"
    else
      fail "InstallTo $install_to: refused" "text: $text"
    fi
    driver click "$box" $IDOK
    expect_eq "InstallTo $install_to: exit 2" 2 "$(wait_uninstall)"
  else
    fail "InstallTo $install_to: a message" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
  snapshot >"$E2E_LOGS/after-refusal.txt"
  check "InstallTo $install_to: nothing changed" \
    diff "$E2E_LOGS/before-refusal.txt" "$E2E_LOGS/after-refusal.txt"
  wine_reg delete "$UNINSTALL_KEY\\$name" /f >>"$E2E_LOG"
  rm -f "$(linux_path "$copy")"
done <<EOF
E2E Windows|$windows_dir|which is the Windows folder or lies inside it
E2E Windows|$windows_dir|which is the Windows folder or lies inside it|/S
E2E Fonts|$windows_dir\\Fonts|which is the Windows folder or lies inside it
E2E Program Files|C:\\Program Files|a folder of Windows or of a user
E2E Users|C:\\users|a folder of Windows or of a user
E2E Root|C:\\|the root of a drive
E2E Relative|Tiny Notes|is not a full path
E2E Public|$public_folder|which lies inside C:\\users, the folder of every user's own files.
E2E Own Programs|$own_programs|Cannot read 'setup.inf' in $own_programs.
EOF
snapshot >"$E2E_LOGS/after-refusals.txt"
check "the refusals left drive C: and the uninstall entries as they were" \
  diff "$E2E_LOGS/before-refusals.txt" "$E2E_LOGS/after-refusals.txt"
rm -rf "$(linux_path "$public_folder")" "$(linux_path "$own_programs")"

finish
