#!/usr/bin/env bash
# The setup dialog from outside: what it shows for a description, how it ends without
# installing, the description errors, and the folder browser.
source "$(dirname "$0")/lib.sh"

readonly DIALOG="Tiny Notes 1.0 Setup"
readonly BROWSER="Browse for Folder"
readonly IDOK=1 IDCANCEL=2 IDC_FOLDER=102 IDC_BROWSE=103 IDC_RUN_AFTER=104
readonly VK_ESCAPE=27
readonly DEFAULT_FOLDER='C:\Program Files\Tiny Notes'

# The first start in a fresh prefix is the slow one.
readonly FIRST_WAIT=30000

# A distribution with the given setup.inf text (printf format, CR LF line ends as a vendor's
# editor writes them); "missing" leaves the file out.
dist_with_inf() {
  local name=$1 text=$2 dir
  dir=$(fresh_dist "$name") || return 1
  if [ "$text" == missing ]; then
    rm -f "$dir/setup.inf"
  else
    # shellcheck disable=SC2059
    printf "$text" >"$dir/setup.inf"
  fi
  echo "$dir"
}

# ---- What the dialog shows --------------------------------------------------------------------
section "a description's caption and folder"
# name | setup.inf | caption | folder box
while IFS='|' read -r name inf caption folder; do
  dir=$(dist_with_inf "show-$name" "$inf")
  start_setup "$dir"
  if driver -t "$FIRST_WAIT" wait "$caption" >/dev/null; then
    pass "$name: caption '$caption'"
    expect_eq "$name: folder box" "$folder" "$(driver text "$caption" $IDC_FOLDER)"
    driver click "$caption" $IDCANCEL
  else
    fail "$name: caption '$caption'" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  wait_setup 10 || fail "$name: ends after Cancel"
  end_leftovers
done <<'EOF'
sample|TinyNote.exe\r\nC:\\Program Files\\Tiny Notes\r\nTiny Notes\r\nTiny Notes 1.0\r\n3\r\nTiny Notes,TinyNote.exe\r\nRead me,readme.txt\r\nLicense,license.txt\r\n|Tiny Notes 1.0 Setup|C:\Program Files\Tiny Notes
viewer|Viewer.exe\nC:\\Apps\\Viewer\nViewer\nViewer 1.0\n2\nViewer,Viewer.exe\nRead me,readme.txt\n|Viewer 1.0 Setup|C:\Apps\Viewer
cut at semicolons|;old\nC:\\Apps\\Mixed Case;was C:\\Old\nLink\n;;Mixed Case 2;beta\n0\n|Mixed Case 2 Setup|C:\Apps\Mixed Case
EOF

section "the sample's dialog"
dir=$(fresh_dist sample)
start_setup "$dir"
if driver wait "$DIALOG" >/dev/null; then
  expect_eq "run-after box checked at start" 1 "$(driver checked "$DIALOG" $IDC_RUN_AFTER)"
  expect_eq "run-after box text" "Start the program after setup" \
    "$(driver text "$DIALOG" $IDC_RUN_AFTER)"
  expect_eq "instructions" "Click 'Ok' to install the program to the specified folder..." \
    "$(driver statics "$DIALOG")"
  check "screenshot of the dialog" test -s "$(screenshot dialog "$DIALOG")"
else
  fail "the sample's dialog appears" "dialogs: $(driver list | tr '\n' ' ')"
fi

# ---- The folder browser ------------------------------------------------------------------------
# Opens the browser from the dialog; true when it shows with its tree.
open_browser() {
  driver click "$DIALOG" $IDC_BROWSE && driver wait "$BROWSER" >/dev/null
}

# Closes the browser with OK or Cancel. The dialog answers the next question only once its
# handler has taken the browser's choice.
close_browser() {
  driver click "$BROWSER" "$1" && driver gone "$BROWSER"
}

section "the folder browser"
if open_browser; then
  pass "'...' opens the browser"
  check "browser shows 'Select the folder...' above its tree" \
    grep -qx 'Select the folder\.\.\.' <(driver statics "$BROWSER")
  # A modal browser: the dialog under it takes no input until it is closed.
  expect_eq "dialog disabled while the browser is open" 0 "$(driver enabled "$DIALOG")"
  driver select "$BROWSER" Desktop "My Computer" &&
    expect_eq "a folder outside the file system cannot be confirmed" 0 \
      "$(driver enabled "$BROWSER" $IDOK)"
  check "cancelling closes the browser" close_browser $IDCANCEL
  expect_eq "cancelled browser leaves the folder box" "$DEFAULT_FOLDER" \
    "$(driver text "$DIALOG" $IDC_FOLDER)"
else
  fail "'...' opens the browser" "dialogs: $(driver list | tr '\n' ' ')"
fi

mkdir -p "$(linux_path 'C:\e2e-picked\Sub Folder')"
# folder chosen in the tree | folder box afterwards
while IFS='|' read -r chosen expected; do
  if open_browser && driver choose "$BROWSER" "$chosen" && close_browser $IDOK; then
    expect_eq "choosing $chosen" "$expected" "$(driver text "$DIALOG" $IDC_FOLDER)"
  else
    fail "choosing $chosen" "dialogs: $(driver list | tr '\n' ' ')"
    driver -t 2000 click "$BROWSER" $IDCANCEL 2>/dev/null
  fi
done <<'EOF'
C:\e2e-picked|C:\e2e-picked\Tiny Notes
C:\e2e-picked\Sub Folder|C:\e2e-picked\Sub Folder\Tiny Notes
C:\e2e-picked\Sub Folder|C:\e2e-picked\Sub Folder\Tiny Notes
C:\|C:\\Tiny Notes
EOF

driver settext "$DIALOG" $IDC_FOLDER 'C:\typed\by hand' &&
  expect_eq "a typed folder stays as typed" 'C:\typed\by hand' \
    "$(driver text "$DIALOG" $IDC_FOLDER)"
driver click "$DIALOG" $IDCANCEL
check "ends after Cancel" wait_setup 10
end_leftovers

# ---- Ending without installing ------------------------------------------------------------------
# A product of its own, so that what other scripts install in the shared prefix does not matter.
section "closing without installing"
readonly CLOSING="Closing Check 1.0 Setup"
readonly CLOSING_FOLDER='C:\Program Files\Closing Check'
readonly CLOSING_INF='TinyNote.exe\r\nC:\\Program Files\\Closing Check\r\nClosing Check\r\nClosing Check 1.0\r\n2\r\nClosing Check,TinyNote.exe\r\nRead me,readme.txt\r\n'
snapshot >"$E2E_LOGS/before-closing.txt"
# way | driver command that ends the dialog
while IFS='|' read -r way command; do
  dir=$(dist_with_inf "closing-$way" "$CLOSING_INF")
  start_setup "$dir"
  if driver wait "$CLOSING" >/dev/null && eval "driver $command"; then
    if wait_setup 10; then
      expect_eq "$way ends the installer with exit status 1" 1 "$SETUP_RC"
    else
      fail "$way ends the installer" "dialogs: $(driver list | tr '\n' ' ')"
    fi
  else
    fail "$way ends the installer" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
done <<EOF
Cancel|click '$CLOSING' $IDCANCEL
close box|close '$CLOSING'
Escape|key '$CLOSING' $VK_ESCAPE
EOF
snapshot >"$E2E_LOGS/after-closing.txt"
check "nothing new in drive_c or among the uninstall entries" \
  diff "$E2E_LOGS/before-closing.txt" "$E2E_LOGS/after-closing.txt"
check "no install folder" test ! -e "$(linux_path "$CLOSING_FOLDER")"
check "no uninstall key" \
  key_absent "$(hklm 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Closing Check')"
check "no uninstaller copy" test ! -e "$(linux_path 'C:\windows\Closing Check Uninstall.exe')"
check "no desktop shortcut" test ! -e "$(linux_path 'C:\users\Public\Desktop\Closing Check.lnk')"

# ---- Description errors ---------------------------------------------------------------------------
section "description errors"
# name | setup.inf ("missing": none) | message
while IFS='|' read -r name inf message; do
  dir=$(dist_with_inf "error-$name" "$inf")
  start_setup "$dir"
  if text=$(driver -t 15000 msgbox setup); then
    expect_eq "$name: message" "$message" "$text"
    expect_eq "$name: an OK button, no icon" "OK 0" \
      "$(driver text setup $IDOK) $(driver icon setup)"
    # Only the box is answered; the dialog is never touched.
    driver click setup $IDOK
    if wait_setup 10; then
      pass "$name: the installer ends after the box"
      expect_eq "$name: exit status" 0 "$SETUP_RC"
    else
      fail "$name: the installer ends after the box" "dialogs: $(driver list | tr '\n' ' ')"
    fi
  else
    fail "$name: a box titled 'setup'" "dialogs: $(driver list | tr '\n' ' ')"
  fi
  end_leftovers
done <<'EOF'
missing setup.inf|missing|Cannot open 'setup.inf'!
entry without a comma|TinyNote.exe\r\nC:\\Program Files\\Tiny Notes\r\nTiny Notes\r\nTiny Notes 1.0\r\n2\r\nTiny Notes TinyNote.exe\r\nRead me,readme.txt\r\n|'setup.inf' is corrupted!
entry of commas only|TinyNote.exe\nC:\\Apps\\Tiny\nTiny\nTiny 1.0\n1\n,,,\n|'setup.inf' is corrupted!
four lines|TinyNote.exe\r\nC:\\Program Files\\Tiny Notes\r\nTiny Notes\r\nTiny Notes 1.0\r\n|Cannot read enough data from 'setup.inf'!
empty file||Cannot read enough data from 'setup.inf'!
EOF

finish
