#!/usr/bin/env bash
# The 95/98 family: Wine told to report Windows 98 (HKCU\Software\Wine, Version) runs one
# installation of the sample through the dialog and its quiet uninstallation. The shortcuts go
# to the user's own desktop and Start menu, and go from there again; nothing lands outside the
# prefix. When the script ends, Wine reports the NT family again.
E2E_FAMILY=9x
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly WINE_KEY='HKCU\Software\Wine'
started_at=$(mktemp)
trap 'wine_reg delete "$WINE_KEY" /v Version /f >>"$E2E_LOG"; rm -f "$started_at"; end_leftovers' EXIT

# A fresh prefix links the user's Desktop, Documents and the like to the Linux home folder; a
# shortcut made there would land in $HOME. Plain folders take their place.
while IFS= read -r link; do
  rm "$link" && mkdir "$link"
done < <(find "$WINEPREFIX/drive_c/users" -type l)
check "the user's folders are plain folders in the prefix" \
  test -z "$(find "$WINEPREFIX/drive_c/users" -type l)"

# outside_prefix WHEN: checks that no shortcut and nothing named after the sample was written
# into the Linux home folder since the script started.
outside_prefix() {
  lines "$(find "$HOME" -xdev -newer "$started_at" \( -iname '*.lnk' -o -iname '*tiny*' \) 2>&1)"
  verdict "$1: nothing written into $HOME" "${LINES[@]}"
}

section "Wine as Windows 98"
wine_reg add "$WINE_KEY" /v Version /d win98 /f >>"$E2E_LOG"
version=$(timeout -k 5 60 wine cmd /c ver </dev/null 2>>"$E2E_LOG" | tr -d '\r' | grep .)
echo "   $E2E_ARCH build; cmd /c ver: $version"

dir=$(fresh_dist win98)
folder='C:\Program Files\Tiny Notes'
forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes" "$folder"
if install_with "$dir" "Tiny Notes 1.0 Setup" "$folder" no; then
  pass "win98: installed"
  check_install win98 "$dir" "$folder" "Tiny Notes" "Tiny Notes" TinyNote.exe "Tiny Notes 1.0" \
    $'Tiny Notes,TinyNote.exe\nRead me,readme.txt\nLicense,license.txt' -
  check "win98: no all-users desktop shortcut" \
    test ! -e "$(linux_path "$common_desktop\\Tiny Notes.lnk")"
  check "win98: no all-users group" test ! -e "$(linux_path "$common_programs\\Tiny Notes 1.0")"
  outside_prefix "win98: installed"
else
  fail "win98: installed" "$INSTALL_PROBLEM"
fi

section "its uninstallation"
command=$(reg_value "$UNINSTALL_KEY\\Tiny Notes" QuietUninstallString)
code=$(driver -t 60000 run "$command" 2>>"$E2E_LOG" | tr -d '\r' | sed -n 's/^exit //p')
expect_eq "win98: $command ends with 0" 0 "$code"
check "win98: the desktop shortcut is gone" \
  test ! -e "$(linux_path "$link_desktop\\Tiny Notes.lnk")"
check "win98: the Start-menu group is gone" \
  test ! -e "$(linux_path "$link_programs\\Tiny Notes 1.0")"
check "win98: the folder is gone" test ! -e "$(linux_path "$folder")"
check "win98: the entry is gone" key_absent "$UNINSTALL_KEY\\Tiny Notes"

outside_prefix "win98: uninstalled"
finish
