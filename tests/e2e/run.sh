#!/usr/bin/env bash
# Runs the tests of a Windows build under Wine: the Win32 test programs (CTest), then every
# tests/e2e/*_test.sh against the build's setup.exe and sample distribution (BUILD_DIR/dist).
#
#   tests/e2e/run.sh [--wow64] BUILD_DIR [NAME...]
#
# The build runs in a prefix of its own kind: an i686 build in a 32-bit prefix, an x86_64 build
# in a 64-bit one. --wow64 runs an i686 build in a 64-bit prefix instead, as 32-bit programs run
# on 64-bit Windows. NAME (e.g. dialog) runs only tests/e2e/NAME_test.sh after CTest. Each run
# starts from a fresh Wine prefix, BUILD_DIR/wineprefix (wineprefix-wow64), kept for inspection
# afterwards; screenshots go to BUILD_DIR/screenshots, the programs' own output to
# BUILD_DIR/e2e-logs (both with the same suffix). Without DISPLAY the run starts its own Xvfb.
# Everything it started is ended when it ends, also on failure or interrupt. The first line
# names the build, the Wine loader and the kind of prefix; the last is the total of test cases,
# "N passed, N failed"; the exit status is non-zero when any failed.
set -uo pipefail

usage() {
  echo "usage: $0 [--wow64] BUILD_DIR [NAME...]" >&2
  exit 2
}
wow64=no
if [ "${1:-}" == --wow64 ]; then
  wow64=yes
  shift
fi
[ $# -ge 1 ] || usage
[ -d "$1" ] || {
  echo "$0: no build folder $1" >&2
  exit 2
}

E2E_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=$(cd "$1" && pwd)
shift
source "$E2E_ROOT/scripts/wine_env.sh"
E2E_ARCH=$(pe_arch "$BUILD_DIR/setup.exe") || {
  echo "$0: no Windows program $BUILD_DIR/setup.exe; build it first" >&2
  echo "0 passed, 1 failed"
  exit 1
}
prefix_kind=win64
suffix=
if [ "$wow64" == yes ]; then
  [ "$E2E_ARCH" == i686 ] || {
    echo "$0: --wow64 runs an i686 build; $BUILD_DIR holds an $E2E_ARCH one" >&2
    exit 2
  }
  suffix=-wow64
elif [ "$E2E_ARCH" == i686 ]; then
  prefix_kind=win32
fi
# With E2E_WOW64=yes the scripts expect the registry as 64-bit Windows shows a 32-bit program's.
E2E_WOW64=$wow64
export E2E_ROOT BUILD_DIR E2E_ARCH E2E_WOW64
if ! wine_pass "$E2E_ARCH" "$prefix_kind"; then
  echo "== cannot run the $E2E_ARCH build in a ${prefix_kind#win}-bit prefix: $WINE_PASS_WHY" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
export WINEPREFIX=$BUILD_DIR/wineprefix$suffix
# Wine's own errors stay off, but for its diagnostics: a program whose thread cannot reach the
# X display is ended by Wine with exit code 1 and no other sign, and this says why.
export WINEDEBUG=-all,err+winediag
# No Mono or Gecko download prompts, and no menu entries on the Linux host for our shortcuts.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
export E2E_RESULTS=$BUILD_DIR/e2e-results$suffix.txt
export E2E_LOGS=$BUILD_DIR/e2e-logs$suffix E2E_SCREENSHOTS=$BUILD_DIR/screenshots$suffix
log_dir=$E2E_LOGS
rm -rf "$log_dir" "$E2E_SCREENSHOTS"
mkdir -p "$log_dir"
: >"$E2E_RESULTS"
run_log=$log_dir/run.log

xvfb_pid=
child=
cleaned=
passed=0
failed=0
started=$SECONDS

# Ends what this run started: everything in its own prefix, then its own Xvfb.
cleanup() {
  [ -n "$cleaned" ] && return
  cleaned=1
  if [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k >>"$run_log" 2>&1
    timeout 30 wineserver -w >>"$run_log" 2>&1
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
# bounded LIMIT COMMAND...: runs a stage in the background and waits for it, so that an
# interrupt is handled at once rather than after the stage; timeout gives the stage its own
# process group and passes our signal on to all of it.
bounded() {
  local limit=$1
  shift
  timeout -k 10 "$limit" "$@" </dev/null &
  child=$!
  wait "$child"
  local status=$?
  child=
  return "$status"
}

# The last line of every run, also of one that was cut short: the totals so far.
summary() {
  passed=$((passed + $(grep -c '^PASS' "$E2E_RESULTS")))
  failed=$((failed + $(grep -c '^FAIL' "$E2E_RESULTS")))
  cleanup
  echo "== done after $((SECONDS - started)) s; logs in $log_dir"
  echo "== $WINE_PASS: $passed passed, $failed failed"
  echo "$passed passed, $failed failed"
}

stop() {
  echo "$1" >&2
  if [ -n "$child" ]; then
    kill -TERM "$child" 2>/dev/null
    wait "$child" 2>/dev/null
  fi
  failed=$((failed + 1))
  summary
  exit "$2"
}

trap cleanup EXIT
trap 'stop interrupted 130' INT
trap 'stop terminated 143' TERM

# Xvfb picks a free display itself and writes its number once it accepts connections. It does
# not reset: by default it resets whenever its last client leaves (between two tests, when
# Wine's desktop closes), and a program that connects just then can lose its connection, which
# Wine answers by ending the program with exit code 1.
start_xvfb() {
  local number_file=$log_dir/xvfb-display i
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$number_file" \
    >>"$run_log" 2>&1 &
  xvfb_pid=$!
  for i in $(seq 100); do
    [ -s "$number_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  [ -s "$number_file" ] || return 1
  export DISPLAY=:$(head -n 1 "$number_file")
}

# A scratch prefix per run. The server is started first and kept alive for the whole run, so
# that the many short driver calls do not each wait for a new one.
make_prefix() {
  if [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k >>"$run_log" 2>&1
    timeout 30 wineserver -w >>"$run_log" 2>&1
  fi
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX" || return 1
  wineserver -p >>"$run_log" 2>&1 || return 1
  # The first program started in a new prefix boots it (wineboot --init) and waits for that.
  # Not `wineboot -i`: it would boot it again, with a second service manager beside the first;
  # explorer's start of RpcSs then fails now and then after 10 s, and every program that waits
  # for the desktop waits with it.
  (cd "$WINEPREFIX" && timeout 180 wineboot </dev/null >>"$run_log" 2>&1) || return 1
  # Without a window manager Wine draws the captions itself only when told to; the
  # screenshots then show the dialogs as a user would see them.
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f \
    </dev/null >>"$run_log" 2>&1
}


# ctest_counts OUTPUT_FILE STATUS: adds CTest's totals; a CTest that did not finish is a failure.
ctest_counts() {
  local summary total bad
  summary=$(grep -Eo '[0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -n "$summary" ]; then
    bad=${summary%% *}
    total=${summary##* }
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  elif grep -q 'No tests were found' "$1" && [ "$2" -eq 0 ]; then
    :
  else
    echo "CTest did not finish (status $2)"
    failed=$((failed + 1))
  fi
}

setup_failed() {
  echo "$1" >&2
  [ -s "$run_log" ] && tail -n 20 "$run_log" >&2
  cleanup
  echo "0 passed, 1 failed"
  exit 1
}

if [ -z "${DISPLAY:-}" ]; then
  start_xvfb || setup_failed "cannot start Xvfb"
fi
echo "== $WINE_PASS"
echo "== $BUILD_DIR/setup.exe, $(wine --version 2>/dev/null), display $DISPLAY, prefix $WINEPREFIX"
make_prefix || setup_failed "cannot create the Wine prefix $WINEPREFIX"
echo "== prefix ready after $((SECONDS - started)) s"

echo "== Win32 test programs (CTest)"
ctest_out=$log_dir/ctest.log
# shellcheck disable=SC2016
bounded 900 bash -c 'ctest --test-dir "$1" --output-on-failure --timeout 120 --no-tests=ignore \
  2>&1 | tee "$2"; exit "${PIPESTATUS[0]}"' ctest "$BUILD_DIR" "$ctest_out"
ctest_counts "$ctest_out" "$?"

scripts=()
if [ $# -eq 0 ]; then
  scripts=("$E2E_ROOT"/tests/e2e/*_test.sh)
else
  for name in "$@"; do
    scripts+=("$E2E_ROOT/tests/e2e/${name%_test.sh}_test.sh")
  done
fi

for script in "${scripts[@]}"; do
  [ -f "$script" ] || {
    echo "== no test script $script"
    failed=$((failed + 1))
    continue
  }
  name=$(basename "$script" .sh)
  echo "== $name"
  bounded 900 bash "$script"
  status=$?
  script_failures=$(grep -c "^FAIL	$name	" "$E2E_RESULTS")
  # A script that stopped early without reporting a failure still counts as one.
  if [ "$status" -ne 0 ] && [ "$script_failures" -eq 0 ]; then
    echo "  FAIL  $name ended with status $status before it finished"
    printf 'FAIL\t%s\t%s\n' "$name" "ended early" >>"$E2E_RESULTS"
  fi
done

summary
[ "$failed" -eq 0 ]
