#!/usr/bin/env bash
# Names outside the ANSI code page: the sample distribution with more files, named in accented
# Latin, Greek, CJK and with a character beyond the Basic Multilingual Plane (Wine maps the host's
# UTF-8 names to Unicode). setup.exe copies each byte for byte and records it; the uninstaller,
# started as registered, names each in its question and removes each. With Wine reporting the
# 95/98 family, whose names are ANSI, the same programs take their ANSI calls instead.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly IDYES=6
readonly CAPTION="Tiny Notes 1.0 Setup" TITLE="Tiny Notes 1.0 Uninstall"
folder='C:\Program Files\Tiny Notes'
target=$(linux_path "$folder")

# On 95/98 shortcuts go to the user's own desktop, which Wine links to the host's home: a plain
# folder takes its place.
user_desktop=$WINEPREFIX/drive_c/users/$(id -un)/Desktop
if [ -L "$user_desktop" ]; then
  rm -f "$user_desktop" && mkdir -p "$user_desktop"
fi

# family | Wine's Windows version (none: its own, of the NT family) | the names added (;)
while IFS='|' read -r family version added; do
  section "$family: installing"
  [ -n "$version" ] && wine_reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >>"$E2E_LOG"
  dir=$(fresh_dist "wide-names-$version")
  IFS=';' read -r -a names <<<"$added"
  for name in "${names[@]}"; do
    printf '%s\r\n' "$name" >"$dir/$name"
  done
  forget_install "Tiny Notes" "Tiny Notes 1.0" "Tiny Notes" "$folder"
  if install_with "$dir" "$CAPTION" "$folder" no; then
    pass "$family: installed"
    lines "$(file_problems "$dir" "$target")"
    verdict "$family: every file copied byte for byte, under its own name" "${LINES[@]}"
  else
    fail "$family: installed" "$INSTALL_PROBLEM"
  fi

  section "$family: the uninstaller, started as registered"
  command=$(reg_value "$UNINSTALL_KEY\\Tiny Notes" UninstallString)
  driver -t 120000 run "$command" >/dev/null 2>>"$E2E_LOG" &
  E2E_STARTED+=($!)
  if question=$(next_box "$TITLE") && text=$(driver msgbox "$question" | tr -d '\r') &&
    driver click "$question" $IDYES && box=$(next_box "$TITLE" "$question"); then
    # The files are listed between the folder's line and the blank line after them.
    listed=$(awk -v f="  $folder:" '$0 == f { on = 1; next } on && $0 == "" { exit } on' \
      <<<"$text")
    expect_eq "$family: the question names every installed file" \
      "$(find "$dir" -maxdepth 1 -type f ! -name setup.exe | wc -l)" "$(grep -c . <<<"$listed")"
    driver click "$box" 1
  else
    fail "$family: the question and the report" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
  lines "$(for name in "${names[@]}"; do [ -e "$target/$name" ] && echo "$name left"; done)"
  verdict "$family: every added file removed" "${LINES[@]}"
  check "$family: the folder is removed" test ! -e "$target"
  check "$family: the uninstall entry is removed" key_absent "$UNINSTALL_KEY\\Tiny Notes"
  [ -n "$version" ] && wine_reg delete 'HKCU\Software\Wine' /v Version /f >>"$E2E_LOG"
done <<'ROWS'
NT||naïve €.txt;Ωmega.txt;日本語.txt;emoji 😀.txt
95/98|win98|naïve €.txt
ROWS

finish
