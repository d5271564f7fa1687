# Helpers for the end-to-end test scripts; sourced by each tests/e2e/*_test.sh.
# tests/e2e/run.sh sets up the environment (BUILD_DIR, WINEPREFIX, DISPLAY, E2E_RESULTS, ...);
# run a single script through it: tests/e2e/run.sh BUILD_DIR NAME.
#
# Every wait here has a limit, so that a dialog that never appears fails its case instead of
# hanging the run. A script runs its cases with `check`, `expect_eq` and friends and ends with
# `finish`, which gives the script's exit status.
#
#   cases     pass, fail, check, expect_eq, section, finish
#   programs  driver (tests/driver), start_setup + wait_setup (SETUP_PID, SETUP_RC), end_pid,
#             end_leftovers (also run when the script exits)
#   files     win_path, linux_path, fresh_dist (a copy of BUILD_DIR/dist in C:\e2e\NAME),
#             lnk_field (lnkinfo), snapshot (drive_c and the uninstall entries), screenshot
#   registry  hklm (a key as the programs under test see it), wine_reg, reg_query, key_absent,
#             reg_value + value_of (one REG_SZ value), installed_programs

set -u -o pipefail

# A script that starts nothing under Wine sets E2E_NEEDS_WINE=no before sourcing this file; it
# then also runs with just BUILD_DIR and E2E_LOGS set.
if [ -z "${BUILD_DIR:-}" ] || [ -z "${E2E_LOGS:-}" ] || { [ "${E2E_NEEDS_WINE:-yes}" == yes ] &&
  { [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; }; }; then
  echo "${0##*/}: run it through tests/e2e/run.sh BUILD_DIR ${0##*/}" >&2
  exit 2
fi

E2E_ROOT=${E2E_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
E2E_SCRIPT=$(basename "$0" .sh)
E2E_DRIVER=$BUILD_DIR/tests/driver/driver.exe
E2E_DIST=$BUILD_DIR/dist
E2E_SCRATCH=${WINEPREFIX:-}/drive_c/e2e
E2E_LOG=$E2E_LOGS/$E2E_SCRIPT.log
mkdir -p "$(dirname "$E2E_LOG")"
: >"$E2E_LOG"

E2E_PASSED=0
E2E_FAILED=0
E2E_STARTED=()  # Linux pids of the programs this script started under Wine

# ---- Case bookkeeping ----------------------------------------------------------------------

# Results also go to E2E_RESULTS (one line a case), which run.sh totals over all scripts.
record() {
  local verdict=$1 name=$2
  if [ -n "${E2E_RESULTS:-}" ]; then
    printf '%s\t%s\t%s\n' "$verdict" "$E2E_SCRIPT" "$name" >>"$E2E_RESULTS"
  fi
}

pass() {
  E2E_PASSED=$((E2E_PASSED + 1))
  record PASS "$1"
  echo "  PASS  $1"
}

# fail NAME [DETAIL...]: each detail is printed on its own line under the case.
fail() {
  local name=$1
  shift
  E2E_FAILED=$((E2E_FAILED + 1))
  record FAIL "$name"
  echo "  FAIL  $name"
  local line
  for line in "$@"; do
    echo "        $line"
  done
}

# check NAME COMMAND...: the case passes when the command succeeds. Its output is shown on
# failure. The command runs in this shell, so it may be one of the helpers below.
check() {
  local name=$1 out_file=$E2E_LOGS/$E2E_SCRIPT.check
  shift
  if "$@" >"$out_file" 2>&1; then
    pass "$name"
  else
    fail "$name" "command: $*" "$(head -c 2000 "$out_file")"
  fi
  rm -f "$out_file"
}

# expect_eq NAME EXPECTED ACTUAL
expect_eq() {
  if [ "$2" == "$3" ]; then
    pass "$1"
  else
    fail "$1" "expected: '$2'" "actual:   '$3'"
  fi
}

# Prints the script's totals and returns its exit status: non-zero when a case failed.
finish() {
  end_leftovers
  echo "$E2E_SCRIPT: $E2E_PASSED passed, $E2E_FAILED failed"
  [ "$E2E_FAILED" -eq 0 ]
}

# A title for a group of cases.
section() {
  echo "-- $*"
}

# ---- Running programs under Wine ------------------------------------------------------------

# run_test_program ERR_FILE COMMAND...: runs a test program of ours under Wine (COMMAND starts
# it), its stderr kept in ERR_FILE and the log, and gives its output and exit status. A run that
# Wine ended before it did anything (exit status 1, no output, nothing on stderr but Wine's own
# lines) did not run, and is run once more. Wine ends a program that way when its thread cannot
# reach the X display (x11drv); on a loaded machine that happens now and then, to a test program
# as much as to any other.
run_test_program() {
  local err=$1 wines_own='^([0-9a-f]+:)?(err|fixme|warn):|^x11drv:|^XIO:|^X connection|^wine:'
  local out=$1.out status attempt
  shift
  for attempt in 1 2; do
    "$@" >"$out" 2>"$err"
    status=$?
    cat "$err" >>"$E2E_LOG"
    if [ "$attempt" -eq 2 ] || [ "$status" -ne 1 ] || [ -s "$out" ] ||
      grep -Eqv "$wines_own" "$err"; then
      break
    fi
    echo "$*: ended by Wine before it started; once more" >>"$E2E_LOG"
  done
  cat "$out"
  return "$status"
}

# The driver: driver [-t MILLISECONDS] COMMAND ARGS... (see tests/driver/driver.cpp). Its own
# waits end at its -t limit; the outer limit only catches a Wine that does not start at all.
# What it waited for in vain goes to stderr ("driver: ..."; it always says why it failed).
# Its files are its own: a script may run one driver in the background beside others.
driver() {
  local err status
  err=$(mktemp "$E2E_LOGS/driver-err.XXXXXX") || return 1
  run_test_program "$err" timeout -k 5 90 wine "$E2E_DRIVER" "$@" </dev/null
  status=$?
  grep -v '^wine: Read access denied' "$err" >&2
  rm -f "$err" "$err.out"
  return "$status"
}

# start_setup DIR [PROGRAM [ARGUMENTS...]]: starts DIR/setup.exe (or DIR/PROGRAM) with DIR as its
# current directory, in the background. Sets SETUP_PID (the Linux pid of the Wine process, which
# is the program itself); wait_setup waits for it.
start_setup() {
  local dir=$1 program=${2:-setup.exe}
  (cd "$dir" && exec wine "$program" "${@:3}" </dev/null >>"$E2E_LOG" 2>&1) &
  SETUP_PID=$!
  SETUP_RC=
  E2E_STARTED+=("$SETUP_PID")
}

# wait_setup [SECONDS]: waits for the last started setup.exe to end (default 20 s). Returns 0
# and sets SETUP_RC to its exit status when it ended, 1 when it was still running. Call both
# from the script's own shell, not inside $(...): only the starting shell can collect the status.
wait_setup() {
  local limit=${1:-20} waited=0
  while kill -0 "$SETUP_PID" 2>/dev/null; do
    if [ "$waited" -ge $((limit * 10)) ]; then
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$SETUP_PID" 2>/dev/null
  SETUP_RC=$?
  return 0
}

# Ends one started program by its pid: politely, then for sure.
end_pid() {
  local pid=$1 i
  kill -0 "$pid" 2>/dev/null || {
    wait "$pid" 2>/dev/null
    return 0
  }
  kill -TERM "$pid" 2>/dev/null
  for i in 1 2 3 4 5 6 7 8 9 10; do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}

# Ends whatever this script started and is still running (after a failed case, and at the end).
end_leftovers() {
  local pid
  for pid in "${E2E_STARTED[@]}"; do
    end_pid "$pid"
  done
  E2E_STARTED=()
}
trap end_leftovers EXIT

# ---- Paths and files --------------------------------------------------------------------------

# win_path LINUX_PATH: the Windows path of a file in the prefix (C: is drive_c, Z: is /).
win_path() {
  local path=$1 drive_c=$WINEPREFIX/drive_c
  case $path in
    "$drive_c") echo 'C:\' ;;
    "$drive_c"/*) path=${path#"$drive_c"/} && echo "C:\\${path//\//\\}" ;;
    /*) echo "Z:${path//\//\\}" ;;
    *) return 1 ;;
  esac
}

# linux_path WINDOWS_PATH: the Linux path of a C: or Z: path.
linux_path() {
  local path=$1 rest
  rest=${path:2}
  rest=${rest//\\//}
  case ${path:0:2} in
    [Cc]:) echo "$WINEPREFIX/drive_c$rest" ;;
    [Zz]:) echo "${rest:-/}" ;;
    *) return 1 ;;
  esac
}

# fresh_dist NAME: a fresh copy of the sample distribution in C:\e2e\NAME; prints its Linux path.
fresh_dist() {
  local dir=$E2E_SCRATCH/$1
  rm -rf "$dir" && mkdir -p "$dir" && cp -a "$E2E_DIST/." "$dir/" && echo "$dir"
}

# ---- The registry ------------------------------------------------------------------------------

# hklm PATH: the key HKLM\PATH as the programs under test see it, named as `reg` below reads
# it. On 64-bit Windows a 32-bit program's HKLM\Software is the key Wow6432Node below it.
hklm() {
  if [ "${E2E_WOW64:-no}" == yes ] && [[ ${1,,} == software\\* ]]; then
    echo "HKLM\\Software\\Wow6432Node\\${1#*\\}"
  else
    echo "HKLM\\$1"
  fi
}

# wine_reg ARGS...: `reg` in the prefix. In a WoW64 pass plain `wine` starts the 32-bit reg, so
# the 64-bit view is asked for: the one an administrator's tools show on 64-bit Windows.
wine_reg() {
  local view=()
  [ "${E2E_WOW64:-no}" == yes ] && view=(/reg:64)
  timeout -k 5 60 wine reg "$@" "${view[@]}" </dev/null 2>>"$E2E_LOG"
}

# reg_query ARGS...: `reg query` in the prefix, with the CRs of its line ends removed.
reg_query() {
  wine_reg query "$@" | tr -d '\r'
}

# key_absent KEY: succeeds when the key does not exist.
key_absent() {
  ! wine_reg query "$1" >/dev/null
}

# reg_value KEY NAME: the data of one REG_SZ value, "(missing)" when there is none.
reg_value() {
  value_of "$(reg_query "$1" /v "$2")" "$2"
}

# value_of QUERY NAME: one REG_SZ value from the output of `reg query KEY`, "(missing)" when
# it holds none of that name. One query a key: each start of reg costs a Wine process.
value_of() {
  awk -v prefix="    $2    REG_SZ    " '
    index($0, prefix) == 1 { print substr($0, length(prefix) + 1); found = 1 }
    END { if (!found) print "(missing)" }' <<<"$1"
}

# installed_programs: the list of installed programs as Windows' own list shows it, one
# "KEY|||DISPLAY NAME" a line. In a 64-bit prefix that list is a 64-bit program, which also
# shows the 32-bit programs' entries.
installed_programs() {
  local wine=wine
  [ "${WINEARCH:-}" == win64 ] && wine=${WINE_LOADER64:-/usr/lib/wine/wine64}
  timeout -k 5 60 "$wine" uninstaller --list </dev/null 2>>"$E2E_LOG" | tr -d '\r'
}

# ---- Shortcuts and snapshots -------------------------------------------------------------------

# lnk_field WINDOWS_PATH LABEL: what lnkinfo (an independent parser) reads from a shortcut for
# LABEL ("Local path", "Working directory", "Description").
lnk_field() {
  local file
  file=$(linux_path "$1") || return 1
  lnkinfo "$file" 2>>"$E2E_LOG" | tr -d '\r' |
    awk -v label="$2" -F '\t+: ' '$1 == "\t" label { print $2; exit }'
}

# A listing of drive_c (outside the scratch folder) and of the uninstall entries, to show that
# a run left them as they were.
snapshot() {
  (
    cd "$WINEPREFIX/drive_c" && find . -path ./e2e -prune -o -print | LC_ALL=C sort
    reg_query "$(hklm 'Software\Microsoft\Windows\CurrentVersion\Uninstall')"
  )
}

# screenshot NAME [DIALOG]: the display as E2E_SCREENSHOTS/NAME.png, cut to the dialog's
# rectangle when one is named. Prints the file's path.
screenshot() {
  local name=$1 dialog=${2:-} file crop=()
  file=$E2E_SCREENSHOTS/$name.png
  mkdir -p "$(dirname "$file")"
  if [ -n "$dialog" ]; then
    local geometry
    geometry=$(driver -t 5000 rect "$dialog") && crop=(-crop "$geometry")
  fi
  timeout -k 5 30 import -display "$DISPLAY" -window root "${crop[@]}" "$file" 2>>"$E2E_LOG" &&
    echo "$file"
}
