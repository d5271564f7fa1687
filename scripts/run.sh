#!/usr/bin/env bash
# Builds setup.exe and runs it on the bundled sample distribution under Wine.
#
#   scripts/run.sh [--auto]
#
# With DISPLAY set the dialog opens on that display for you to use; with --auto, or without a
# display (then under an Xvfb of its own), the script presses OK itself. Either way it saves a
# screenshot of the dialog, then reports what the installer left in the prefix: the installed
# files (compared with the distribution), the uninstall entry, the uninstaller copy, the
# shortcuts with their targets and whether the program was started. When it pressed OK itself
# it also photographs the new Start-menu group in Wine's explorer. The prefix, build/run-prefix,
# is made afresh on every run and kept for inspection, the screenshots beside it in
# build/run-prefix-screenshots. It runs the i686 build (the product) where this machine executes
# 32-bit Linux programs and the x86_64 build elsewhere; SETUP_WINDOWS_ARCH=i686 or x86_64 chooses.
# RUN_BUILD_DIR and RUN_PREFIX put the build and the prefix elsewhere. Everything it starts is
# ended when it ends.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
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

# The product, the i686 build, where this machine executes 32-bit Linux programs, which Wine's
# i386 loader is; elsewhere the x86_64 build. SETUP_WINDOWS_ARCH=i686 or x86_64 chooses.
source scripts/wine_env.sh
arch=${SETUP_WINDOWS_ARCH:-}
case $arch in
  "")
    arch=i686
    if ! wine32_runs; then
      arch=x86_64
      echo "== $WINE32_WHY; running the x86_64 build instead: the same sources, as a 64-bit program in a 64-bit prefix"
    fi
    ;;
  i686 | x86_64) ;;
  *)
    echo "SETUP_WINDOWS_ARCH is i686 or x86_64, not '$arch'" >&2
    exit 2
    ;;
esac
prefix_kind=win64 build_name=win64
[ "$arch" == i686 ] && prefix_kind=win32 build_name=win32
wine_pass "$arch" "$prefix_kind" || {
  echo "cannot run the $arch build here: $WINE_PASS_WHY" >&2
  exit 1
}

export WINEPREFIX=${RUN_PREFIX:-$root/build/run-prefix}
export WINEDEBUG=-all
# No Mono or Gecko download prompts, and no menu entries on the Linux host for the shortcuts.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
log=$WINEPREFIX.log
mkdir -p "$(dirname "$WINEPREFIX")" && : >"$log" || exit 1

build=${RUN_BUILD_DIR:-$root/build/$build_name}
echo "== building setup.exe and the sample distribution in $build ($WINE_PASS)"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
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
explorer_pid=
cleanup() {
  local pid
  for pid in $setup_pid $explorer_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
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
  # Xvfb picks a free display itself and writes its number once it accepts connections; it never
  # resets (see tests/e2e/run.sh).
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$number_file" >>"$log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  [ -s "$number_file" ] || die "cannot start Xvfb"
  DISPLAY=:$(head -n 1 "$number_file")
  export DISPLAY
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

shots=$WINEPREFIX-screenshots
rm -rf "$shots" && mkdir -p "$shots"
# shot NAME [GEOMETRY]: the screen, or the part of it that GEOMETRY gives, as $shots/NAME.png.
shot() {
  local crop=()
  [ -n "${2:-}" ] && crop=(-crop "$2")
  timeout 30 import -display "$DISPLAY" -window root "${crop[@]}" "$shots/$1.png" 2>>"$log"
}
shot dialog "$(driver rect "$dialog")" || echo "   (no screenshot of the dialog: import failed)"

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
status=$?
setup_pid=

# The program is started as setup.exe ends; give it a moment to record where it ran.
started=$(linux_path 'C:\sample-started.txt')
for _ in $(seq 50); do
  [ -s "$started" ] && break
  sleep 0.2
done

# The key is named after the default folder's last component; InstallTo holds the folder that
# was confirmed, which the user may have changed in the dialog.
product=${caption% Setup}
folder_name=${folder##*\\}
key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$folder_name"
values=$(timeout 60 wine reg query "$key" </dev/null 2>>"$log" | tr -d '\r' | grep 'REG_')
value() {
  awk -v name="$1" -F '    ' '$2 == name { print $4; exit }' <<<"$values"
}
installed_to=$(value InstallTo)
target_folder=${installed_to:-$folder}
target=$(linux_path "$target_folder")

echo "== what setup.exe (status $status) installed"
if [ -d "$target" ]; then
  echo "   folder $target_folder:"
  for file in "$target"/*; do
    name=${file##*/}
    if cmp -s "$file" "$dist/$name"; then
      same="same bytes as in the distribution"
    else
      same="DIFFERS from the distribution"
    fi
    printf '     %-14s %7s bytes, %s\n' "$name" "$(stat -c %s "$file")" "$same"
  done
  for name in setup.exe uninstal.exe; do
    [ -e "$dist/$name" ] && [ ! -e "$target/$name" ] && echo "     ($name stays in the distribution)"
  done
else
  echo "   no folder $target_folder"
fi
if [ -n "$values" ]; then
  echo "   uninstall entry $key:"
  echo "$values" | awk -F '    ' '{ printf "     %-21s %s\n", $2, $4 }'
  uninstaller=$(value UninstallString)
  uninstaller=${uninstaller//\"/}
  if [ -f "$(linux_path "$uninstaller")" ]; then
    echo "   uninstaller $uninstaller: a copy of the distribution's UNINSTAL.EXE"
  else
    echo "   no uninstaller at $uninstaller"
  fi
else
  echo "   no uninstall entry $key"
fi
# field LABEL: one value of the shortcut that lnkinfo read into $info.
field() {
  sed -n "s/^[[:space:]]*$1[[:space:]]*: //p" <<<"$info" | head -n 1
}
echo "   shortcuts (target, working folder):"
found=no
for links in 'C:\users\Public\Desktop' \
  "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$product"; do
  for link in "$(linux_path "$links")"/*.lnk; do
    [ -f "$link" ] || continue
    found=yes
    info=$(lnkinfo "$link" 2>/dev/null | tr -d '\r')
    echo "     $links\\${link##*/}"
    echo "       -> $(field 'Local path'), in $(field 'Working directory')"
  done
done
[ "$found" == yes ] || echo "     none"
if [ -s "$started" ]; then
  echo "   Tiny Notes was started in $(tr -d '\r' <"$started")"
else
  echo "   Tiny Notes was not started"
fi

# Afterwards: the Start-menu group in Wine's explorer, as a user would open it. Only when the
# script clicked itself, so that no window opens on the user's desktop behind their back.
group="C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$product"
if [ "$auto" == yes ] && [ -d "$(linux_path "$group")" ]; then
  wine explorer "$group" </dev/null >>"$log" 2>&1 &
  explorer_pid=$!
  # Its window carries the folder's name; it shows once the folder has been listed.
  for _ in $(seq 50); do
    geometry=$(xwininfo -display "$DISPLAY" -name "$product" 2>/dev/null |
      awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width/ { w = $NF } /Height/ { h = $NF } /Map State: IsViewable/ { ok = 1 }
        END { if (ok) printf "%dx%d+%d+%d", w, h, x, y }')
    [ -n "$geometry" ] && break
    sleep 0.2
  done
  sleep 1
  if [ -n "$geometry" ]; then
    shot installed "$geometry"
  fi
  kill "$explorer_pid" 2>/dev/null
  wait "$explorer_pid" 2>/dev/null
  explorer_pid=
fi

# The uninstaller is the project's own: the same command as the list of installed programs runs.
if [ -f "$(linux_path "${uninstaller:-}")" ]; then
  prefix_shown=${WINEPREFIX#"$root"/}
  [ "$prefix_shown" != "$WINEPREFIX" ] && prefix_shown="\$PWD/$prefix_shown"
  echo "== to remove $product again (it asks first; it needs a display):"
  # Where the x86_64 build runs, plain `wine` would pick the i386 loader.
  path_shown=
  [ "$prefix_kind" == win64 ] && path_shown="PATH=\$PWD/scripts/wine64:\$PATH "
  echo "   ${path_shown}WINEPREFIX=$prefix_shown wine '$uninstaller'"
fi

echo "== screenshots"
[ -s "$shots/dialog.png" ] && echo "   the dialog before OK:          ${shots#"$root"/}/dialog.png"
[ -s "$shots/installed.png" ] &&
  echo "   the Start-menu group after it: ${shots#"$root"/}/installed.png"
echo "== done; the prefix stays in ${WINEPREFIX#"$root"/}, Wine's output in ${log#"$root"/}"
