#!/usr/bin/env bash
# What CreateLink and RegSetString wrote inside Wine, read back from outside it with independent
# tools: lnkinfo (liblnk-utils) parses the shortcuts, `reg query` prints the registry values.
# The writing is done by the Win32 test programs' --write-readback modes, through the same
# CreateShortcut and RegisterUninstall that setup.exe runs.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

desktop_link='C:\users\Public\Desktop\Readback Viewer.lnk'
menu_group='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Readback Viewer 1.0'
menu_link="$menu_group"'\Read me.lnk'
program_folder='C:\readback\Program Files\Viewer'
uninstall_key=$(hklm 'Software\Microsoft\Windows\CurrentVersion\Uninstall\readback notepad')
plain_key=$(hklm 'Software\LeanSetupReadback')

# write_readback PROGRAM: runs a Win32 test program's writer; prints its output without CRs and
# returns its exit status. What it and Wine said on stderr (Wine's errors included) is kept in
# $writer_err and the log, so that a writer that printed nothing shows why.
writer_err=$E2E_LOGS/readback-writer.err
write_readback() {
  WINEDEBUG=-all,err+all run_test_program "$writer_err" \
    timeout -k 5 120 wine "$BUILD_DIR/$1.exe" --write-readback </dev/null | tr -d '\r'
}

remove_written() {
  rm -rf "$(linux_path "$desktop_link")" "$(linux_path "$menu_group")" \
    "$WINEPREFIX/drive_c/readback"
  local key
  for key in "$uninstall_key" "$plain_key"; do
    wine_reg delete "$key" /f >>"$E2E_LOG"
  done
}

remove_written

section "shortcuts written by CreateLink, read by lnkinfo"
written=$(write_readback shell_ops_test)
written+=$'\n'"exit status $?"
expected="$desktop_link"$'\n'"$menu_link"$'\n'"exit status 0"
if [ "$written" == "$expected" ]; then
  pass "the writer names the desktop and Start-menu links, and finds both"
else
  fail "the writer names the desktop and Start-menu links, and finds both" \
    "expected: '$expected'" "actual:   '$written'" "its stderr: $(tail -n 20 "$writer_err")"
fi
expect_eq "desktop link: local path" "$program_folder"'\Viewer.exe' \
  "$(lnk_field "$desktop_link" 'Local path')"
expect_eq "desktop link: working directory" "$program_folder" \
  "$(lnk_field "$desktop_link" 'Working directory')"
expect_eq "desktop link: description" "Readback Viewer" \
  "$(lnk_field "$desktop_link" 'Description')"
expect_eq "menu link: local path" "$program_folder"'\readme.txt' \
  "$(lnk_field "$menu_link" 'Local path')"
expect_eq "menu link: working directory" "$program_folder" \
  "$(lnk_field "$menu_link" 'Working directory')"
expect_eq "menu link: description" "Read me" "$(lnk_field "$menu_link" 'Description')"

section "values written by RegSetString, read by reg query"
check "the registry writer runs" write_readback registry_test
expect_eq "DisplayName" "readback notepad" "$(reg_value "$uninstall_key" DisplayName)"
expect_eq "UninstallString, quoted" '"C:\windows\readback notepad Uninstall.exe"' \
  "$(reg_value "$uninstall_key" UninstallString)"
expect_eq "InstallTo" 'C:\Program Files\Read Back' "$(reg_value "$uninstall_key" InstallTo)"
expect_eq "a plain value" "Viewer" "$(reg_value "$plain_key" Plain)"
expect_eq "an empty value" "" "$(reg_value "$plain_key" Empty)"
expect_eq "a value ending in a backslash" 'C:\Apps\' "$(reg_value "$plain_key" Trailing)"

remove_written
finish
