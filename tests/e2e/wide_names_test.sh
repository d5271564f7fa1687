#!/usr/bin/env bash
# Names outside the ANSI code page: the sample distribution with files named in accented Latin,
# Greek, CJK and with a character beyond the Basic Multilingual Plane (Wine maps the host's
# UTF-8 names to Unicode). setup.exe copies each byte for byte and records it; the uninstaller,
# started as registered, names each in its question and removes each.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly IDYES=6
readonly CAPTION="Tiny Notes 1.0 Setup" TITLE="Tiny Notes 1.0 Uninstall"
readonly WIDE_NAMES=("naïve €.txt" "Ωmega.txt" "日本語.txt" "emoji 😀.txt")
folder='C:\Program Files\Tiny Notes'
target=$(linux_path "$folder")

section "installing names outside the code page"
dir=$(fresh_dist wide-names)
for name in "${WIDE_NAMES[@]}"; do
  printf '%s\r\n' "$name" >"$dir/$name"
done
forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes" "$folder"
if install_with "$dir" "$CAPTION" "$folder" no; then
  pass "installed"
  lines "$(file_problems "$dir" "$target")"
  verdict "every file copied byte for byte, under its own name" "${LINES[@]}"
else
  fail "installed" "$INSTALL_PROBLEM"
fi

section "the uninstaller, started as registered"
command=$(reg_value "$UNINSTALL_KEY\\Tiny Notes" UninstallString)
out=$E2E_LOGS/wide-uninstall.out
driver -t 120000 run "$command" >"$out" 2>>"$E2E_LOG" &
E2E_STARTED+=($!)
if question=$(next_box "$TITLE") && text=$(driver msgbox "$question" | tr -d '\r') &&
  driver click "$question" $IDYES && box=$(next_box "$TITLE" "$question"); then
  # The files are listed between the folder's line and the blank line after them.
  listed=$(awk -v f="  $folder:" '$0 == f { on = 1; next } on && $0 == "" { exit } on' <<<"$text")
  expect_eq "the question names every installed file" "$(find "$dir" -maxdepth 1 -type f \
    ! -name setup.exe | wc -l)" "$(grep -c . <<<"$listed")"
  driver click "$box" 1
else
  fail "the question and the report" "dialogs: $(driver list | tr '\n' ' ')"
fi
end_leftovers
lines "$(for name in "${WIDE_NAMES[@]}"; do [ -e "$target/$name" ] && echo "$name left"; done)"
verdict "every file with a wide name removed" "${LINES[@]}"
check "the folder is removed" test ! -e "$target"
check "the uninstall entry is removed" key_absent "$UNINSTALL_KEY\\Tiny Notes"

finish
