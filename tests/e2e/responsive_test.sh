#!/usr/bin/env bash
# The dialog while it copies many files: it keeps answering messages, and its buttons, the close
# box included, start nothing while the run goes on.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly LOGS='C:\e2e\logs'
mkdir -p "$(linux_path "$LOGS")"
readonly FILES=2000

section "a dialog copying $FILES files"
name=E2E-Busy
caption="$name 1.0 Setup"
dir=$(make_dist busy)
setup_inf TinyNote.exe "C:\\Apps\\$name" "$name Notes" "$name 1.0" 1 "Notes,TinyNote.exe" \
  >"$dir/setup.inf"
mkdir -p "$dir/many" && (cd "$dir/many" && head -c $((FILES * 64)) /dev/urandom |
  split -b 64 -a 4 -d - file) && mv "$dir/many"/* "$dir/" && rmdir "$dir/many"
folder="$TARGETS\\busy\\$name"
forget_install "$name" "$name 1.0" "$name Notes" "$folder"
mkdir -p "$(linux_path "$TARGETS\\busy")"
rm -f "$(linux_path "$LOGS\\busy.log")"
start_setup "$dir" setup.exe "/LOG=$LOGS\\busy.log"
if driver -t "$FIRST_WAIT" wait "$caption" >/dev/null &&
  driver settext "$caption" $IDC_FOLDER "$folder" && clear_run_after "$caption"; then
  driver click "$caption" $IDOK
  # Generous, so that a busy machine does not fail it; the benchmark measures the real gaps.
  driver -t 20000 answers "$caption" 5000 >"$E2E_SCRATCH/answers.txt" 2>>"$E2E_LOG" &
  asker=$!
  E2E_STARTED+=("$asker")
  sleep 2
  expect_eq "busy: OK is disabled while it copies" 0 "$(driver enabled "$caption" $IDOK)"
  # Stray clicks of OK and Cancel, and the close box.
  driver post "$caption" $IDOK && driver post "$caption" 2 && driver close "$caption"
  if wait_setup 120; then
    expect_eq "busy: exit status" 0 "$SETUP_RC"
  else
    fail "busy: setup ends" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  wait "$asker"
  answers=$(cat "$E2E_SCRATCH/answers.txt")
  check "busy: every message answered within 5 s ($answers)" grep -q "unanswered 0," <<<"$answers"
  log=$(tr -d '\r' <"$(linux_path "$LOGS\\busy.log")")
  expect_eq "busy: one run, every file copied" "1 $((FILES + 7))" \
    "$(grep -c "^folder: " <<<"$log") $(grep -c "^file: .*: copied$" <<<"$log")"
else
  fail "busy: the dialog took the folder" "dialogs: $(driver list | tr '\n' ' ')"
fi
end_leftovers
finish
