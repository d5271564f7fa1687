#!/usr/bin/env bash
# Builds setup.exe and runs it on the bundled sample distribution under Wine.
#
#   scripts/run.sh [--auto]
#
# With DISPLAY set the dialog opens on that display for you to use; with --auto, or without a
# display (then under an Xvfb of its own), the script presses OK itself. Either way it saves a
# screenshot of the dialog, then reports what the installer left in the prefix: the installed
# files, the uninstall entry, the uninstaller copy, the shortcuts and whether the program was
# started. The prefix, build/run-prefix, is made afresh on every run and kept for inspection.
# RUN_BUILD_DIR and RUN_PREFIX put the build and the prefix elsewhere.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

auto=no
case ${1:-} in
  --auto) auto=yes ;;
  "") ;;
  *)
    echo "usage: $0 [--auto]" >&2
    exit 2
    ;;
esac

./scripts/install-deps.sh || {
  echo "installing the build and test packages failed" >&2
  exit 1
}

export WINEPREFIX=${RUN_PREFIX:-$root/build/run-prefix}
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko download prompts, and no menu entries on the Linux host for the shortcuts.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
log=$WINEPREFIX.log
mkdir -p "$(dirname "$WINEPREFIX")" && : >"$log" || exit 1

build=${RUN_BUILD_DIR:-$root/build/win32}
echo "== building setup.exe and the sample distribution in $build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=MinSizeRel >>"$log" 2>&1 &&
  cmake --build "$build" -j"$(nproc)" --target dist driver >>"$log" 2>&1 || {
  tail -n 30 "$log" >&2
  echo "the Windows build failed; its output is in $log" >&2
  exit 1
}
dist=$build/dist
driver_exe=$build/tests/driver/driver.exe

xvfb_pid=
setup_pid=
cleanup() {
  if [ -n "$setup_pid" ]; then
    kill "$setup_pid" 2>/dev/null
    wait "$setup_pid" 2>/dev/null
  fi
  if [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k >>"$log" 2>&1
    timeout 30 wineserver -w >>"$log" 2>&1
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

die() {
  echo "$*" >&2
  [ -s "$log" ] && tail -n 20 "$log" >&2
  exit 1
}

driver() {
  timeout -k 5 90 wine "$driver_exe" "$@" </dev/null
}

# The Linux path of a C: path in the prefix.
linux_path() {
  local rest=${1:2}
  echo "$WINEPREFIX/drive_c${rest//\\//}"
}

if [ -z "${DISPLAY:-}" ]; then
  auto=yes
  number_file=$WINEPREFIX.display
  : >"$number_file"
  # Xvfb picks a free display itself and writes its number once it accepts connections.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >>"$log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  [ -s "$number_file" ] || die "cannot start Xvfb"
  export DISPLAY=:$(head -n 1 "$number_file")
  echo "== no display: running under Xvfb on $DISPLAY"
fi

echo "== making the Wine prefix $WINEPREFIX"
if [ -d "$WINEPREFIX" ]; then
  timeout 30 wineserver -k >>"$log" 2>&1
  timeout 30 wineserver -w >>"$log" 2>&1
fi
rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX" || die "cannot make $WINEPREFIX"
(cd "$WINEPREFIX" && timeout 180 wineboot -i </dev/null >>"$log" 2>&1) ||
  die "cannot create the Wine prefix"
if [ -n "$xvfb_pid" ]; then
  # Without a window manager Wine draws the captions itself only when told to.
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f \
    </dev/null >>"$log" 2>&1
fi

echo "== starting setup.exe in $dist"
(cd "$dist" && exec wine setup.exe </dev/null >>"$log" 2>&1) &
setup_pid=$!

# The dialog is the only #32770 window of setup.exe that has the folder box (control 102).
dialog=
for _ in $(seq 60); do
  dialog=$(driver list 2>/dev/null | awk -F '\t' '$2 == "visible" { print $1; exit }')
  [ -n "$dialog" ] && driver -t 2000 text "$dialog" 102 >/dev/null 2>&1 && break
  dialog=
  kill -0 "$setup_pid" 2>/dev/null || break
  sleep 0.5
done
[ -n "$dialog" ] || die "the setup dialog did not appear within 30 s"
caption=$(driver caption "$dialog")
folder=$(driver text "$dialog" 102)
echo "   dialog: \"$caption\", install folder $folder"

shot=$WINEPREFIX-dialog.png
geometry=$(driver rect "$dialog")
if timeout 30 import -display "$DISPLAY" -window root -crop "$geometry" "$shot" 2>>"$log"; then
  echo "   screenshot of the dialog: $shot"
else
  echo "   (no screenshot: import failed)"
fi

if [ "$auto" == yes ]; then
  echo "== pressing OK"
  driver click "$dialog" 1 || die "cannot press OK"
  limit=120
else
  echo "== the dialog is on $DISPLAY: install or cancel there (waiting up to 30 minutes)"
  limit=1800
fi
waited=0
while kill -0 "$setup_pid" 2>/dev/null && [ "$waited" -lt $((limit * 10)) ]; do
  sleep 0.1
  waited=$((waited + 1))
done
kill -0 "$setup_pid" 2>/dev/null && die "setup.exe did not end within $limit s"
wait "$setup_pid"
echo "   setup.exe ended with status $?"
setup_pid=

# The program is started as setup.exe ends; after an installation, give it a moment to
# record where it ran.
started=$(linux_path 'C:\sample-started.txt')
for _ in $(seq 50); do
  [ -s "$started" ] || [ ! -d "$(linux_path "$folder")" ] && break
  sleep 0.2
done

product=${caption% Setup}
folder_name=${folder##*\\}
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$folder_name"
echo "== what was installed"
target=$(linux_path "$folder")
if [ -d "$target" ]; then
  echo "   $folder:"
  (cd "$target" && ls -l | tail -n +2 | sed 's/^/     /')
else
  echo "   no folder $folder"
fi
if values=$(timeout 60 wine reg query "$uninstall_key" </dev/null 2>>"$log" | tr -d '\r'); then
  echo "   uninstall entry $uninstall_key:"
  echo "$values" | grep 'REG_' | sed 's/^ */     /'
else
  echo "   no uninstall entry $uninstall_key"
fi
uninstaller="C:\\windows\\$folder_name Uninstall.exe"
if [ -f "$(linux_path "$uninstaller")" ]; then
  echo "   uninstaller copy: $uninstaller"
else
  echo "   no uninstaller copy $uninstaller"
fi
for links in 'C:\users\Public\Desktop' "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$product"; do
  found=no
  for link in "$(linux_path "$links")"/*.lnk; do
    [ -f "$link" ] || continue
    found=yes
    target_path=$(lnkinfo "$link" 2>/dev/null | sed -n 's/^[[:space:]]*Local path[[:space:]]*: //p')
    echo "   shortcut $links\\$(basename "$link") -> ${target_path:-?}"
  done
  [ "$found" == yes ] || echo "   no shortcuts in $links"
done
if [ -s "$started" ]; then
  echo "   the program was started in $(tr -d '\r' <"$started")"
else
  echo "   the program was not started"
fi
echo "== done; the prefix stays in $WINEPREFIX, Wine's output in $log"
