# shellcheck shell=bash
# Helpers for the installation tests (install_test.sh, install_edge_test.sh): scratch
# distributions, one installation driven through the dialog, and the checks of what it left,
# made from outside the prefix with cmp, `wine reg query` and lnkinfo.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Used by the scripts that source this file.
# shellcheck disable=SC2034
{
  readonly IDOK=1 IDC_FOLDER=102 IDC_RUN_AFTER=104
  readonly VK_TAB=9 VK_SPACE=32
  UNINSTALL_KEY=$(hklm 'Software\Microsoft\Windows\CurrentVersion\Uninstall')
  readonly UNINSTALL_KEY
  readonly TARGETS='C:\e2e\targets'
  # Where the sample program records the folder it was started in (sample/tiny_note.cpp).
  readonly STARTED_RECORD=$WINEPREFIX/drive_c/sample-started.txt
  # The first start in a fresh prefix is the slow one.
  readonly FIRST_WAIT=30000
  # Wine's text for a file held open by another process (error 32), as setup reports it.
  readonly HELD_REASON='Sharing violation.'
}

# ---- The prefix's folders ----------------------------------------------------------------------

# One value of a key as `reg query` prints it (REG_SZ or REG_EXPAND_SZ); FALLBACK when absent.
reg_data() {
  local value
  value=$(reg_query "$1" /v "$2" |
    awk -v name="$2" -F '    ' '$2 == name && $3 ~ /^REG_/ { print $4; exit }')
  echo "${value:-$3}"
}
windows_dir=$(reg_data 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' SystemRoot 'C:\windows')
shell_folders='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
# The all-users folders: Wine reports the NT family, whose shortcuts go there.
common_desktop=$(reg_data "$shell_folders" 'Common Desktop' 'C:\users\Public\Desktop')
common_programs=$(reg_data "$shell_folders" 'Common Programs' \
  'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')
readonly windows_dir common_desktop common_programs
# The folders setup.exe puts its shortcuts in: the all-users ones above, or the user's own where
# a script has told Wine to report Windows 98 (E2E_FAMILY=9x, set before it sources this file).
if [ "${E2E_FAMILY:-NT}" == 9x ]; then
  user_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
  link_desktop=$(reg_data "$user_folders" Desktop "C:\\users\\${USER:-$(id -un)}\\Desktop")
  link_programs=$(reg_data "$user_folders" Programs \
    "C:\\users\\${USER:-$(id -un)}\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs")
else
  link_desktop=$common_desktop
  link_programs=$common_programs
fi
readonly link_desktop link_programs

# ---- Reading results back --------------------------------------------------------------------

# verdict NAME PROBLEM...: passes when no problem is given, else fails with each on its line.
verdict() {
  local name=$1
  shift
  if [ $# -eq 0 ]; then
    pass "$name"
  else
    fail "$name" "$@"
  fi
}

# list_of QUERY NAME: the names of one REG_MULTI_SZ value in the output of `reg query KEY`,
# which shows them separated by "\0", one a line and sorted; "(missing)" when there is none.
list_of() {
  awk -v prefix="    $2    REG_MULTI_SZ    " '
    index($0, prefix) == 1 {
      n = split(substr($0, length(prefix) + 1), names, /\\0/)
      for (i = 1; i <= n; i++) if (names[i] != "") print names[i]
      found = 1
    }
    END { if (!found) print "(missing)" }' <<<"$1" | LC_ALL=C sort
}

# dword_of QUERY NAME: one REG_DWORD value from the output of `reg query KEY`, as reg shows it
# (0x1f); "(missing)" when there is none.
dword_of() {
  awk -v prefix="    $2    REG_DWORD    " '
    index($0, prefix) == 1 { print substr($0, length(prefix) + 1); found = 1 }
    END { if (!found) print "(missing)" }' <<<"$1"
}

# estimated_size DIST [LEFT...]: EstimatedSize as reg shows it for the files of DIST that setup
# copies, less LEFT: their KiB, rounded up.
estimated_size() {
  local dist=$1 bytes=0 name
  shift
  while IFS= read -r name; do
    [ -n "$name" ] && bytes=$((bytes + $(stat -c %s "$dist/$name")))
  done < <(copied_names "$dist" "$@")
  printf '0x%x\n' $(((bytes + 1023) / 1024))
}

# copied_names DIST [LEFT...]: the names of DIST's files that setup copies, sorted, less LEFT.
copied_names() {
  local dist=$1
  shift
  find "$dist" -mindepth 1 -maxdepth 1 -type f ! -name setup.exe ! -name uninstal.exe \
    -printf '%f\n' | grep -vxF -f <(printf '%s\n' "$@") | LC_ALL=C sort
}

# lines TEXT: TEXT's non-empty lines as the array LINES.
lines() {
  LINES=()
  local line
  while IFS= read -r line; do
    [ -n "$line" ] && LINES+=("$line")
  done <<<"$1"
}

# ---- Distributions -------------------------------------------------------------------------------

# setup_inf PROGRAM FOLDER TITLE PRODUCT COUNT [ENTRY...]: a description with CR LF line ends.
setup_inf() {
  printf '%s\r\n' "$@"
}

# make_dist NAME: a scratch distribution in C:\e2e\NAME, holding the sample's setup.exe,
# UNINSTAL.EXE and TinyNote.exe, and files that a careless copy would damage: every byte value
# (CR LF, Ctrl-Z and zero bytes among them), an empty file, a name with a space, a large file,
# and a sub-folder, which is not descended into. setup.inf is then written by the caller.
# Prints the Linux path.
make_dist() {
  local dir=$E2E_SCRATCH/$1 byte
  rm -rf "$dir" && mkdir -p "$dir/docs" || return 1
  cp "$E2E_DIST/setup.exe" "$E2E_DIST/UNINSTAL.EXE" "$E2E_DIST/TinyNote.exe" "$dir/" || return 1
  for byte in $(seq 0 255); do
    # shellcheck disable=SC2059
    printf "\\$(printf '%03o' "$byte")"
  done >"$dir/bytes.bin"
  : >"$dir/empty.txt"
  echo "Notes, with a space in the name." >"$dir/read me.txt"
  head -c 300000 /dev/urandom >"$dir/large.dat"
  echo "in a sub-folder" >"$dir/docs/guide.txt"
  echo "$dir"
}

# ---- One installation -------------------------------------------------------------------------------

# forget_install FOLDER_NAME PRODUCT LINK_TITLE [TARGET_FOLDER]: removes what an installation
# under these names leaves (registry key, uninstaller copy, desktop shortcut, program group,
# target folder) and the sample program's record, so that a case sees its own work only.
forget_install() {
  local folder_name=$1 product=$2 title=$3 target=${4:-}
  wine_reg delete "$UNINSTALL_KEY\\$folder_name" /f >>"$E2E_LOG"
  rm -f "$(linux_path "$windows_dir\\$folder_name Uninstall.exe")" \
    "$(linux_path "$link_desktop\\$title.lnk")" "$STARTED_RECORD"
  [ -n "$product" ] && rm -rf "$(linux_path "$link_programs\\$product")"
  [ -n "$target" ] && rm -rf "$(linux_path "$target")"
  return 0
}

# open_setup DIR CAPTION: starts DIR/setup.exe and waits for its dialog.
open_setup() {
  start_setup "$1"
  driver -t "$FIRST_WAIT" wait "$2" >/dev/null
}

# clear_run_after CAPTION: clears the run-after box as a user does from the keyboard: Tab from
# OK, the first tab stop, past Cancel, the folder box and "..." to the box, then Space.
clear_run_after() {
  for _ in 1 2 3 4; do
    driver key "$1" $VK_TAB || return 1
  done
  driver key "$1" $VK_SPACE || return 1
  [ "$(driver checked "$1" $IDC_RUN_AFTER)" == 0 ]
}

# install_with DIR CAPTION FOLDER RUN_AFTER: one installation as a user makes it: starts
# DIR/setup.exe, types FOLDER into the folder box, clears the run-after box when RUN_AFTER is
# "no", presses OK and waits for setup.exe to end. On failure INSTALL_PROBLEM says what went wrong.
install_with() {
  local dir=$1 caption=$2 folder=$3 run_after=$4
  INSTALL_PROBLEM=
  if ! open_setup "$dir" "$caption"; then
    INSTALL_PROBLEM="no dialog '$caption'; dialogs: $(driver list | tr '\n' ' ')"
  elif ! driver settext "$caption" $IDC_FOLDER "$folder"; then
    INSTALL_PROBLEM="the folder box did not take $folder"
  elif [ "$run_after" == no ] && ! clear_run_after "$caption"; then
    INSTALL_PROBLEM="the run-after box could not be cleared"
  elif ! driver click "$caption" $IDOK; then
    INSTALL_PROBLEM="OK could not be pressed"
  elif ! wait_setup 60; then
    INSTALL_PROBLEM="setup.exe still running 60 s after OK; dialogs: $(driver list | tr '\n' ' ')"
  elif [ "$SETUP_RC" != 0 ]; then
    INSTALL_PROBLEM="setup.exe ended with status $SETUP_RC"
  fi
  end_leftovers
  [ -z "$INSTALL_PROBLEM" ]
}

# next_box TITLE [OLD_HANDLE]: waits up to 20 s for a visible message box with that caption
# other than OLD_HANDLE (the question and the report share their title); prints its handle.
next_box() {
  local title=$1 old=${2:-} handle
  for _ in $(seq 40); do
    handle=$(driver list 2>/dev/null | tr -d '\r' |
      awk -F '\t' -v title="$title" -v old="$old" \
        '$2 == "visible" && $3 == title && $1 != old { print $1; exit }')
    if [ -n "$handle" ] && driver -t 5000 msgbox "$handle" >/dev/null 2>&1; then
      echo "$handle"
      return 0
    fi
    sleep 0.5
  done
  return 1
}

# ---- What an installation left ------------------------------------------------------------------

# file_problems DIST TARGET: every file of the distribution but "setup.exe" and "uninstal.exe" in
# TARGET byte for byte, and nothing else there (no sub-folder copied).
file_problems() {
  local dist=$1 target=$2 path name expected actual
  for path in "$dist"/*; do
    name=${path##*/}
    [ -f "$path" ] && [ "$name" != setup.exe ] && [ "$name" != uninstal.exe ] || continue
    if [ ! -f "$target/$name" ]; then
      echo "$name missing"
    elif ! cmp -s "$path" "$target/$name"; then
      echo "$name differs: $(cmp "$path" "$target/$name" 2>&1 | head -n 1)"
    fi
  done
  expected=$(find "$dist" -mindepth 1 -maxdepth 1 -type f ! -name setup.exe ! -name uninstal.exe \
    -printf '%f\n' | LC_ALL=C sort)
  actual=$(find "$target" -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort)
  [ "$expected" == "$actual" ] || echo "the folder holds: $(echo "$actual" | tr '\n' ' ')"
}

# link_problems LINK TARGET WORKING DESCRIPTION: the shortcut exists and lnkinfo reads these.
link_problems() {
  local link=$1 label expected actual
  if [ ! -f "$(linux_path "$link")" ]; then
    echo "no shortcut $link"
    return
  fi
  for label in 'Local path' 'Working directory' 'Description'; do
    case $label in
      'Local path') expected=$2 ;;
      'Working directory') expected=$3 ;;
      *) expected=$4 ;;
    esac
    actual=$(lnk_field "$link" "$label")
    [ "$actual" == "$expected" ] || echo "$link: $label '$actual', expected '$expected'"
  done
}

# launch_problems EXPECTED: the sample program recorded EXPECTED as its current directory, or,
# for "-", did not run at all. A program that runs starts as setup.exe ends, so a record still
# missing after 3 s means it was not started.
launch_problems() {
  local expected=$1 limit=100
  [ "$expected" == - ] && limit=30
  for _ in $(seq "$limit"); do
    [ -s "$STARTED_RECORD" ] && break
    sleep 0.1
  done
  if [ "$expected" == - ]; then
    [ -e "$STARTED_RECORD" ] && echo "started in $(tr -d '\r' <"$STARTED_RECORD")"
  elif [ ! -s "$STARTED_RECORD" ]; then
    echo "the program left no record: not started"
  else
    local actual
    actual=$(tr -d '\r' <"$STARTED_RECORD")
    [ "$actual" == "$expected" ] || echo "started in '$actual', expected '$expected'"
  fi
  return 0
}

# check_install NAME DIST FOLDER FOLDER_NAME TITLE PROGRAM PRODUCT ENTRIES STARTED_IN: the checks
# of one installation of DIST into FOLDER (the folder box's text). ENTRIES: "title,file" lines of
# the Start-menu shortcuts expected; STARTED_IN: the folder the program records, "-" for none.
check_install() {
  local name=$1 dist=$2 folder=$3 folder_name=$4 title=$5 program=$6 product=$7 entries=$8
  local started_in=$9 target key values group entry

  target=$(linux_path "$folder")
  lines "$(file_problems "$dist" "$target")"
  verdict "$name: files copied byte for byte" "${LINES[@]}"
  check "$name: setup.exe not copied" test ! -e "$target/setup.exe"
  check "$name: setup.inf and UNINSTAL.EXE copied" \
    test -f "$target/setup.inf" -a -f "$target/UNINSTAL.EXE"

  key="$UNINSTALL_KEY\\$folder_name"
  values=$(reg_query "$key")
  lines "$(
    [ -n "$values" ] || echo "no key $key"
    for entry in "DisplayName|$folder_name" \
      "UninstallString|\"$windows_dir\\$folder_name Uninstall.exe\"" "InstallTo|$folder" \
      "QuietUninstallString|\"$windows_dir\\$folder_name Uninstall.exe\" /S" \
      "InstallLocation|$folder" "DisplayIcon|$folder\\$program"; do
      actual=$(value_of "$values" "${entry%%|*}")
      [ "$actual" == "${entry#*|}" ] || echo "${entry%%|*} '$actual', expected '${entry#*|}'"
    done
    for entry in "EstimatedSize|$(estimated_size "$dist")" "NoModify|0x1" "NoRepair|0x1"; do
      actual=$(dword_of "$values" "${entry%%|*}")
      [ "$actual" == "${entry#*|}" ] || echo "${entry%%|*} '$actual', expected '${entry#*|}'"
    done
  )"
  verdict "$name: uninstall entry '$folder_name'" "${LINES[@]}"
  expect_eq "$name: InstalledFiles names the files copied" "$(copied_names "$dist")" \
    "$(list_of "$values" InstalledFiles)"
  check "$name: uninstaller copied to $windows_dir\\$folder_name Uninstall.exe" \
    cmp "$dist/UNINSTAL.EXE" "$(linux_path "$windows_dir\\$folder_name Uninstall.exe")"

  lines "$(link_problems "$link_desktop\\$title.lnk" "$(link_target "$folder" "$program")" \
    "$folder" "$title")"
  verdict "$name: desktop shortcut '$title'" "${LINES[@]}"
  # An empty product name puts the entries straight into the programs folder.
  group=$link_programs${product:+\\$product}
  lines "$(
    while IFS=, read -r entry file; do
      [ -n "$entry" ] || continue
      link_problems "$group\\$entry.lnk" "$(link_target "$folder" "$file")" "$folder" "$entry"
    done <<<"$entries"
    if [ -n "$product" ] && [ -z "$entries" ]; then
      [ -e "$(linux_path "$group")" ] && echo "a group folder without entries: $group"
    elif [ -n "$product" ]; then
      expected=$(while IFS=, read -r entry _; do [ -n "$entry" ] && echo "$entry.lnk"; done \
        <<<"$entries" | LC_ALL=C sort)
      actual=$(find "$(linux_path "$group")" -mindepth 1 -printf '%f\n' 2>/dev/null |
        LC_ALL=C sort)
      [ "$expected" == "$actual" ] || echo "the group holds: $(echo "$actual" | tr '\n' ' ')"
    fi
  )"
  verdict "$name: Start-menu shortcuts in '$group'" "${LINES[@]}"

  lines "$(launch_problems "$started_in")"
  if [ "$started_in" == - ]; then
    verdict "$name: the program not started" "${LINES[@]}"
  else
    verdict "$name: the program started in $started_in" "${LINES[@]}"
  fi
}

# link_target FOLDER FILE: the target a shortcut records for FILE installed in FOLDER: the shell
# link stores the path in its full form, so the doubled separator of a folder text ending in a
# backslash is not kept.
link_target() {
  printf '%s\\%s\n' "$1" "$2" | sed 's/\\\\\+/\\/g'
}
