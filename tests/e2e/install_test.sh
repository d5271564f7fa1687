#!/usr/bin/env bash
# Whole installations under Wine: the driver types the folder and presses OK, and what setup.exe
# left is checked from outside the prefix: the files (cmp), the uninstall entry (reg query), the
# uninstaller copy, the all-users shortcuts (lnkinfo) and where the sample program started.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

started_at=$(mktemp)
trap 'rm -f "$started_at"; end_leftovers' EXIT

# ---- The bundled sample distribution -------------------------------------------------------------
section "the sample distribution"
dir=$(fresh_dist install-sample)
# A folder with spaces on the way: the program is started by a command that must be quoted.
folder="$TARGETS\\sample\\Program Files\\Tiny Notes"
forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes" "$folder"
mkdir -p "$(linux_path "${folder%\\*}")"
if install_with "$dir" "Tiny Notes 1.0 Setup" "$folder" yes; then
  pass "sample: installed"
  check_install sample "$dir" "$folder" "Tiny Notes" "Tiny Notes" TinyNote.exe "Tiny Notes 1.0" \
    $'Tiny Notes,TinyNote.exe\nRead me,readme.txt\nLicense,license.txt' "$folder"
  expect_eq "sample: in Windows' list of installed programs" 'Tiny Notes|||Tiny Notes' \
    "$(installed_programs | grep -F 'Tiny Notes|||')"
  # A 32-bit program on 64-bit Windows writes into its own view of HKLM\Software, checked above.
  if [ "$E2E_WOW64" == yes ]; then
    check "sample: no entry in the 64-bit programs' Uninstall key" \
      key_absent 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tiny Notes'
  fi
else
  fail "sample: installed" "$INSTALL_PROBLEM"
fi

# ---- Scratch distributions ---------------------------------------------------------------------
# Each row has its own folder name (line 2's last component), link title and product, so that
# no two rows share an uninstall key or a shortcut.
section "scratch distributions"
# name | line 2 | link title | product | count | entry lines (;) | folder box text (under
#   C:\e2e\targets) | run after | expected Start-menu entries (;) | started in (- for not)
while IFS='|' read -r name line2 title product count entry_lines box run_after entries started; do
  dir=$(make_dist "install-$name")
  folder_name=${line2##*\\}
  folder="$TARGETS\\$box"
  IFS=';' read -r -a entry_array <<<"$entry_lines"
  setup_inf TinyNote.exe "$line2" "$title" "$product" "$count" "${entry_array[@]}" \
    >"$dir/setup.inf"
  forget_install "$folder_name" "$product" "$title" "$folder"
  mkdir -p "$(linux_path "$TARGETS\\$name")"
  [ "$started" == target ] && started=${folder%\\}
  if install_with "$dir" "$product Setup" "$folder" "$run_after"; then
    pass "$name: installed"
    check_install "$name" "$dir" "$folder" "$folder_name" "$title" TinyNote.exe "$product" \
      "${entries//;/$'\n'}" "$started"
  else
    fail "$name: installed" "$INSTALL_PROBLEM"
  fi
done <<'EOF'
chosen folder|C:\Program Files\E2E Chosen|E2E Chosen Notes|E2E Chosen 2.0|3|Notes,TinyNote.exe;Bytes,bytes.bin;Read me,read me.txt|chosen folder\Another Name|yes|Notes,TinyNote.exe;Bytes,bytes.bin;Read me,read me.txt|target
box cleared|C:\Apps\E2E Cleared|E2E Cleared Notes|E2E Cleared 1.0|1|Notes,TinyNote.exe|box cleared\E2E Cleared|no|Notes,TinyNote.exe|-
empty product|C:\Apps\E2E No Product|E2E No Product Notes||2|E2E No Product Notes,TinyNote.exe;E2E No Product Bytes,bytes.bin|empty product\E2E No Product|yes|E2E No Product Notes,TinyNote.exe;E2E No Product Bytes,bytes.bin|target
count 0|C:\Apps\E2E Count Zero|E2E Count Zero Notes|E2E Count Zero 1.0|0|Notes,TinyNote.exe|count 0\E2E Count Zero|yes||target
count above the entries|C:\Apps\E2E Count Above|E2E Count Above Notes|E2E Count Above 1.0|3|Notes,TinyNote.exe|count above the entries\E2E Count Above|yes|Notes,TinyNote.exe|target
folder ending in a backslash|C:\Apps\E2E Trailing|E2E Trailing Notes|E2E Trailing 1.0|1|Notes,TinyNote.exe|folder ending in a backslash\E2E Trailing\|yes|Notes,TinyNote.exe|target
EOF

# ---- Nothing reaches the Linux host's menus ------------------------------------------------------
section "the Linux host"
leaked=$(find "$HOME/.local/share/applications" "$HOME/.config/menus" "$HOME/Desktop" \
  -newer "$started_at" \( -iname '*tiny notes*' -o -iname '*e2e*' \) 2>/dev/null)
verdict "no menu entries or desktop files on the host" ${leaked:+"$leaked"}

finish
