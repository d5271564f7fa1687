#!/usr/bin/env bash
# setup-check's plan against what setup.exe then does: the checker (the Windows build's
# setup-check.exe) plans the sample distribution's install, the driver presses OK, and the
# files, the registry values (reg query) and the shortcuts (lnkinfo) are compared with the plan.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly DIALOG="Tiny Notes 1.0 Setup"
readonly IDOK=1
readonly CHECKER=$BUILD_DIR/check/setup-check.exe
readonly STARTED_RECORD='C:\sample-started.txt'

# The prefix's own folders, for the plan's symbols: asked of Wine's registry, with the places
# Wine uses as the fallback.
shell_folder() {
  local value
  value=$(reg_query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    /v "$1" | awk -F '    ' -v name="$1" '$2 == name { print $4 }')
  echo "${value:-$2}"
}
windows_dir=$(reg_query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v SystemRoot |
  awk -F '    ' '$2 == "SystemRoot" { print $4 }')
windows_dir=${windows_dir:-'C:\windows'}
common_desktop=$(shell_folder 'Common Desktop' 'C:\users\Public\Desktop')
common_programs=$(shell_folder 'Common Programs' \
  'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')

# resolve TEXT: the plan's text with its symbols replaced by this prefix's folders.
resolve() {
  local text=$1
  text=${text//<windows>/$windows_dir}
  text=${text//<common desktop>/$common_desktop}
  text=${text//<common programs>/$common_programs}
  echo "$text"
}

# plan FILTER: a value of the plan (jq, raw output).
plan() {
  jq -r "$1" "$plan_file"
}

# in_drive_c WINDOWS_PATH: its Linux path when it lies below the prefix's C: drive.
in_drive_c() {
  local path
  path=$(linux_path "$(resolve "$1")") || return 1
  case $path in
    "$WINEPREFIX"/drive_c/?*) echo "$path" ;;
    *) return 1 ;;
  esac
}

# Removes what an install of the plan leaves, so that each check sees this run's work only.
remove_installed() {
  local path
  path=$(in_drive_c "$(plan .plan.targetFolder)") && rm -rf "$path"
  path=$(in_drive_c "$(plan .plan.uninstaller.to)") && rm -f "$path"
  path=$(in_drive_c "$STARTED_RECORD") && rm -f "$path"
  while IFS= read -r link; do
    path=$(in_drive_c "$link") && rm -f "$path"
  done < <(plan '.plan.shortcuts[].families.NT.link')
  while IFS= read -r group; do
    path=$(in_drive_c "$group") && rmdir "$path" 2>/dev/null
  done < <(plan '.plan.shortcuts[] | select(.group != null) |
    .families.NT.folder + "\\" + .group' | sort -u)
  wine_reg delete "$(hklm "$(plan .plan.registry.key)")" /f >>"$E2E_LOG"
  return 0
}

section "setup-check plans the sample distribution"
dir=$(fresh_dist check-plan)
plan_file=$E2E_LOGS/check-plan.json
timeout -k 5 60 wine "$CHECKER" --json "$(win_path "$dir")" </dev/null 2>>"$E2E_LOG" |
  tr -d '\r' >"$plan_file"
expect_eq "setup-check accepts the sample (exit status)" 0 "${PIPESTATUS[0]}"
if ! jq -e '.error == null and .plan != null' "$plan_file" >/dev/null 2>&1; then
  fail "setup-check prints a plan" "output: $(head -c 2000 "$plan_file")"
  finish
  exit
fi
pass "setup-check prints a plan"
expect_eq "no warnings but the copied UNINSTAL.EXE" \
  '"UNINSTAL.EXE" is copied into the target folder: the installer leaves behind only "setup.exe" and "uninstal.exe", spelled exactly so' \
  "$(plan '.warnings[].text')"
expect_eq "the plan takes version and publisher from TinyNote.exe's version block" \
  "1.0 / Lean Setup Samples" "$(plan '.plan.registry.values | .DisplayVersion + " / " + .Publisher')"

section "setup.exe installs the sample"
remove_installed
start_setup "$dir"
if driver -t 30000 wait "$DIALOG" >/dev/null && driver click "$DIALOG" $IDOK; then
  pass "OK pressed"
else
  fail "OK pressed" "dialogs: $(driver list | tr '\n' ' ')"
fi
wait_setup 60 || fail "setup.exe ends after OK"
end_leftovers

section "files"
target=$(linux_path "$(plan .plan.targetFolder)")
while IFS=$'\t' read -r name to; do
  check "$name copied to $to" cmp "$dir/$name" "$(linux_path "$to")"
done < <(plan '.plan.copied[] | [.name, .to] | join("\t")')
expect_eq "the target folder holds exactly the planned files" \
  "$(plan '.plan.copied[].to' | sed 's/.*\\//' | LC_ALL=C sort)" \
  "$(ls -A "$target" | LC_ALL=C sort)"
while IFS= read -r name; do
  check "$name not copied" test ! -e "$target/$name"
done < <(plan '.plan.notCopied[].name')
uninstaller=$(resolve "$(plan .plan.uninstaller.to)")
check "uninstaller copied to $uninstaller" \
  cmp "$dir/$(plan .plan.uninstaller.from)" "$(linux_path "$uninstaller")"

section "registry"
key=$(hklm "$(plan .plan.registry.key)")
values=$(reg_query "$key")
while IFS=$'\t' read -r name data; do
  expect_eq "$name" "$(resolve "$data")" "$(value_of "$values" "$name")"
done < <(plan '.plan.registry.values | to_entries[] | select(.value | type == "string") |
  [.key, .value] | join("\t")')
while IFS=$'\t' read -r name data; do
  expect_eq "$name" "$(printf '0x%x' "$data")" \
    "$(awk -v prefix="    $name    REG_DWORD    " 'index($0, prefix) == 1 {
      print substr($0, length(prefix) + 1) }' <<<"$values")"
done < <(plan '.plan.registry.values | to_entries[] | select(.value | type == "number") |
  [.key, (.value | tostring)] | join("\t")')
# The record of installed files: a list, shown by reg query with "\0" between its names.
installed=$(awk -v prefix='    InstalledFiles    REG_MULTI_SZ    ' \
  'index($0, prefix) == 1 { gsub(/\\0/, "\n", $0); print substr($0, length(prefix) + 1) }' \
  <<<"$values" | sed '/^$/d' | LC_ALL=C sort)
expect_eq "InstalledFiles" "$(plan '.plan.registry.values.InstalledFiles[]' | LC_ALL=C sort)" \
  "$installed"
expect_eq "InstalledFiles names the planned copies" \
  "$(plan '.plan.copied[].name' | LC_ALL=C sort)" \
  "$(plan '.plan.registry.values.InstalledFiles[]' | LC_ALL=C sort)"

section "shortcuts (NT family, as Wine is)"
while IFS=$'\t' read -r link target working description; do
  link=$(resolve "$link")
  if [ -f "$(linux_path "$link")" ]; then
    pass "$link exists"
    expect_eq "$link: target" "$target" "$(lnk_field "$link" 'Local path')"
    expect_eq "$link: working folder" "$working" "$(lnk_field "$link" 'Working directory')"
    expect_eq "$link: description" "$description" "$(lnk_field "$link" 'Description')"
  else
    fail "$link exists"
  fi
done < <(plan '.plan.shortcuts[] | [.families.NT.link, .target, .workingFolder, .description] |
  join("\t")')

section "launch"
record=$(linux_path "$STARTED_RECORD")
for _ in $(seq 100); do
  [ -s "$record" ] && break
  sleep 0.1
done
expect_eq "the program started in the planned folder" "$(plan .plan.launch.folder)" \
  "$(tr -d '\r' <"$record" 2>/dev/null)"
expect_eq "the planned command names the installed program" \
  "\"$(plan .plan.targetFolder)\\$(plan .ProgramFile)\"" "$(plan .plan.launch.command)"

remove_installed
finish
