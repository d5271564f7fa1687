#!/usr/bin/env bash
# Measures setup.exe against its references under Wine and Xvfb, every figure in the same run as
# its reference and repeated: the size and imports of setup.exe; its start-up; its copy pass on
# a distribution of 3 files of 100 MiB and on one of 2,000 files of 4 KiB; its peak memory.
#
#   bench/run.sh [-n RUNS] [BUILD_DIR]
#
# BUILD_DIR (default build/win32) is a Windows build folder, configured and built here as
# needed. Each copy pass is measured RUNS times (default 5, at least 5), start-up and memory at
# the dialog three times as often, all after one warm-up. Prints the table and writes it to
# BUILD_DIR/bench-results/results.md, with the chart chart.png and the samples samples.tsv
# beside it. A fresh Wine prefix BUILD_DIR/bench-prefix holds the distributions while it runs
# (about 320 MB); without DISPLAY an Xvfb of its own is started. Everything it started is ended
# when it ends. It takes 7 to 10 minutes with the default RUNS, the more the busier the machine.
set -uo pipefail

usage() {
  echo "usage: $0 [-n RUNS] [BUILD_DIR]" >&2
  exit 2
}
runs=5
while getopts n: option; do
  case $option in
    n) runs=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -le 1 ] || usage
[[ $runs =~ ^[0-9]+$ ]] && [ "$runs" -ge 5 ] || {
  echo "$0: RUNS must be a number of at least 5" >&2
  exit 2
}

root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$root/build/win32}" && build=$(cd "${1:-$root/build/win32}" && pwd)
out=$build/bench-results
# shellcheck source=tests/e2e/size_limits.sh
source "$root/tests/e2e/size_limits.sh"

# shellcheck source=scripts/wine_env.sh
source "$root/scripts/wine_env.sh"
if ! wine_pass i686 win32; then
  echo "$0: it measures the i686 build, which cannot run here: $WINE_PASS_WHY" >&2
  exit 1
fi

export WINEPREFIX=$build/bench-prefix
export WINEDEBUG=-all
# No Mono or Gecko download prompts, and no menu entries on the Linux host for the shortcuts.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"

bench_c=$WINEPREFIX/drive_c/bench # C:\bench
probe=$build/bench/bench_probe.exe
started=$SECONDS
xvfb_pid=
cleaned=

say() {
  echo "== $* ($((SECONDS - started)) s)" >&2
}
die() {
  echo "$0: $*" >&2
  exit 1
}

# Ends what this run started (its own prefix's programs, its own Xvfb) and removes the
# distributions; the prefix stays for inspection.
cleanup() {
  [ -n "$cleaned" ] && return
  cleaned=1
  if [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k 2>/dev/null
    timeout 30 wineserver -w 2>/dev/null
    rm -rf "$bench_c"
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
trap 'echo interrupted >&2; exit 130' INT
trap 'echo terminated >&2; exit 143' TERM

# ---- Build, display, prefix ---------------------------------------------------------------

build_programs() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null || return 1
  fi
  cmake --build "$build" -j2 --target setup dist bench_probe bench_copy bench_dialog \
    bench_setup_dialog >/dev/null
}

# Xvfb picks a free display itself and writes its number once it accepts connections.
start_xvfb() {
  local number_file=$out/xvfb-display
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  [ -s "$number_file" ] || return 1
  DISPLAY=:$(head -n 1 "$number_file")
  export DISPLAY
}

# A fresh prefix, its server kept alive for the whole run so that no start waits for one.
make_prefix() {
  if [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k 2>/dev/null
    timeout 30 wineserver -w 2>/dev/null
  fi
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX" || return 1
  wineserver -p || return 1
  (cd "$WINEPREFIX" && timeout 180 wineboot -i </dev/null >/dev/null 2>&1) || return 1
  # Xvfb has no window manager: a managed window that is hidden waits 2 s for one to answer,
  # which would end every dialog 2 s late. Unmanaged windows are hidden at once.
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1
}

# ---- The distributions ----------------------------------------------------------------------

# make_dist DIR: setup.exe, UNINSTAL.EXE and a setup.inf for the product "Bench 1.0", which
# installs into C:\bench\installed\Bench and creates the desktop shortcut only.
make_dist() {
  mkdir -p "$1" &&
    cp "$build/setup.exe" "$build/dist/UNINSTAL.EXE" "$1/" &&
    printf 'Bench.exe\r\nC:\\bench\\installed\\Bench\r\nBench\r\nBench 1.0\r\n0\r\n' \
      >"$1/setup.inf"
}

make_data() {
  rm -rf "$bench_c" && mkdir -p "$bench_c/ref" "$bench_c/installed" "$bench_c/out" || return 1
  cp "$build/bench/bench_dialog.exe" "$build/bench/bench_setup_dialog.exe" \
    "$build/bench/bench_copy.exe" "$bench_c/ref/" || return 1
  cp -a "$build/dist" "$bench_c/sample" || return 1
  make_dist "$bench_c/big" && make_dist "$bench_c/small" || return 1
  local k
  for k in 1 2 3; do
    head -c $((100 * 1024 * 1024)) /dev/urandom >"$bench_c/big/data$k.bin" || return 1
  done
  head -c $((2000 * 4096)) /dev/urandom | (cd "$bench_c/small" && split -b 4096 -a 4 -d - file) ||
    return 1
}

# ---- Samples ----------------------------------------------------------------------------------

samples=$out/samples.tsv

# record FIGURE SUBJECT VALUE: one sample of the current repetition ($rep); warm-ups (rep 0)
# are not kept.
record() {
  [ "$rep" -gt 0 ] && printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$rep" "$3" >>"$samples"
}

# value KEY TEXT: the value of KEY=VALUE in the probe's output.
value() {
  sed -n "s/^$1=//p" <<<"$2" | tr -d '\r'
}

# probe_run DIR CAPTION FOLDER_ID ACTION PROGRAM: the probe's answer, or failure.
probe_run() {
  local dir=$1
  shift
  (cd "$dir" && timeout -k 5 400 wine "$probe" run "$@" </dev/null)
}

# copy_window DIR: milliseconds from the birth of folder DIR to the last change of a file in it.
# Both are the file system's own timestamps, read with stat: the same source for the installer
# and for its references, outside all of them, and as fine as the kernel's clock tick.
copy_window() {
  local born last
  born=$(stat --printf '%.9W' "$1") || return 1
  last=$(find "$1" -type f -printf '%C@\n' | sort -n | tail -n 1)
  [ -n "$last" ] && [ "$born" != 0 ] || return 1
  awk -v a="$born" -v b="$last" 'BEGIN { printf "%.3f", (b - a) * 1000 }'
}

# same_files DIR: true when DIR holds exactly the files the installer copies, byte counts alike
# (names and sizes as list_dist found them in the distribution).
same_files() {
  [ "$(cd "$1" && find . -type f -printf '%P %s\n' | LC_ALL=C sort)" == "$expected" ]
}

# fresh DIR: DIR gone, and no write of an earlier copy still waiting for the disk.
fresh() {
  rm -rf "$1" && sync
}

# rotation N WORD...: the words, starting with word N modulo their count and wrapping round, so
# that over the repetitions none of them always runs first.
rotation() {
  local start=$(($1 % ($# - 1))) words=("${@:2}")
  echo "${words[@]:start}" "${words[@]:0:start}"
}

# ---- The measurements ---------------------------------------------------------------------------

# Start-up and memory at the dialog: setup.exe on the sample distribution, the empty dialog and
# the installer's dialog template shown by the same minimal program, each ended with Cancel.
startup_one() {
  local subject=$1 answer
  case $subject in
    setup) answer=$(probe_run "$bench_c/sample" "Tiny Notes 1.0 Setup" 102 cancel setup.exe) ;;
    empty) answer=$(probe_run "$bench_c/ref" "Empty Dialog" 0 cancel 'C:\bench\ref\bench_dialog.exe') ;;
    template) answer=$(probe_run "$bench_c/ref" "Setup" 0 cancel \
      'C:\bench\ref\bench_setup_dialog.exe') ;;
  esac || die "$subject did not show its dialog (run $rep)"
  record startup "$subject" "$(value startup_ms "$answer")"
  record dialog_peak "$subject" "$(value dialog_peak_kb "$answer")"
  record end_peak "$subject" "$(value end_peak_kb "$answer")"
}

# copy_one CASE SUBJECT: one copy of the distribution CASE (big, small) into a fresh folder, by
# the installer, the CopyFileA loop, the same loop pausing as the installer must, or cp.
copy_one() {
  local case=$1 subject=$2 target answer window
  case $subject in
    setup)
      target=$bench_c/installed/Bench
      fresh "$target"
      answer=$(probe_run "$dist" "Bench 1.0 Setup" 102 install setup.exe) ||
        die "setup.exe did not install $case (run $rep)"
      [ "$(value exit_code "$answer")" == 0 ] || die "setup.exe ended with an error ($case, run $rep)"
      record "${case}_install" setup "$(value gone_ms "$answer")"
      record "${case}_peak" setup "$(value end_peak_kb "$answer")"
      ;;
    loop | paused)
      target=$bench_c/out/$subject
      fresh "$target"
      local pause=()
      [ "$subject" == paused ] && pause=(-p)
      (cd "$dist" && timeout -k 5 300 wine 'C:\bench\ref\bench_copy.exe' "${pause[@]}" \
        "C:\\bench\\out\\$subject" </dev/null >/dev/null) || die "bench_copy.exe failed ($case)"
      ;;
    cp)
      target=$bench_c/out/cp
      fresh "$target"
      mkdir "$target" && (cd "$dist" && cp -- "${copied[@]}" "$target/") || die "cp failed"
      ;;
  esac
  same_files "$target" || die "$subject did not copy the $case distribution whole (run $rep)"
  window=$(copy_window "$target") || die "no timestamps in $target"
  record "${case}_copy" "$subject" "$window"
  rm -rf "$target"
}

# The installer's listing of the distribution: the files it copies (every entry but "." and
# "..", "setup.exe" and "uninstal.exe"), the count of entries (each followed by a 10 ms pause),
# and the pauses inside the copy window, which ends with the last file copied: one for each
# entry before that file.
list_dist() {
  local listing name index=0
  listing=$(cd "$dist" && wine "$probe" list </dev/null | tr -d '\r') || return 1
  copied=()
  last_copied=0
  while IFS= read -r name; do
    case $name in
      . | .. | setup.exe | uninstal.exe) ;;
      *)
        copied+=("$name")
        last_copied=$index
        ;;
    esac
    index=$((index + 1))
  done <<<"$listing"
  entries=$index
  expected=$(cd "$dist" && stat -c '%n %s' -- "${copied[@]}" | LC_ALL=C sort)
}

copy_case() {
  local case=$1 subject answer
  dist=$bench_c/$case
  list_dist || die "cannot list $dist"
  printf '%s\t%s\t%s\n' "$case" "$entries" "$last_copied" >>"$out/listings.tsv"
  for rep in $(seq 0 "$runs"); do
    for subject in $(rotation "$rep" setup loop paused cp); do
      copy_one "$case" "$subject"
    done
    # What a pause of 10 ms takes here: 200 of them, taken the way the installer takes them.
    answer=$(cd "$dist" && wine "$probe" pauses 200 </dev/null) || die "cannot time the pauses"
    record "${case}_pause" probe "$(awk -v t="$(value pauses_ms "$answer")" \
      'BEGIN { printf "%.4f", t / 200 }')"
  done
}

# ---- Figures ----------------------------------------------------------------------------------

# samples_of FIGURE SUBJECT: its samples, in the order of the repetitions.
samples_of() {
  awk -F '\t' -v f="$1" -v s="$2" '$1 == f && $2 == s { print $3 "\t" $4 }' "$samples" |
    sort -n | cut -f 2
}

# stats: median, least and greatest of the numbers on stdin, as "median min max".
stats() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "nan nan nan"; exit }
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    print m, v[1], v[NR] }'
}

# ratios A B: A / B run by run, for two columns of samples (the shorter one sets the count).
ratios() {
  paste <(printf '%s\n' "$1") <(printf '%s\n' "$2") |
    awk -F '\t' '$1 != "" && $2 != "" && $2 != 0 { print $1 / $2 }'
}

# minus_pauses COUNT [EACH]: each sample on stdin less COUNT pauses of EACH ms (default 10).
minus_pauses() {
  awk -v n="$1" -v each="${2:-10}" '{ printf "%.3f\n", $1 - n * each }'
}

# fmt SCALE DIGITS "median min max": "median (min–max)", each divided by SCALE.
fmt() {
  awk -v s="$1" -v d="$2" -v t="$3" 'BEGIN { split(t, v, " ")
    printf "%.*f (%.*f–%.*f)", d, v[1] / s, d, v[2] / s, d, v[3] / s }'
}

# verdict "median min max" TARGET: whether the median is at most the target.
verdict() {
  awk -v t="$1" -v limit="$2" 'BEGIN { split(t, v, " "); print (v[1] <= limit ? "yes" : "**no**") }'
}

table=$out/results.md
chart_data=$out/chart.dat

# row CELL...: one line of the table.
row() {
  local line="|" cell
  for cell in "$@"; do
    line+=" $cell |"
  done
  echo "$line" >>"$table"
}

# ratio_row LABEL SCALE UNIT DIGITS SETUP_SAMPLES REF_LABEL REF_SAMPLES TARGET [CHART_LABEL]
# A figure against its reference. With a CHART_LABEL it is one of the targets, which the chart
# shows; without, it explains one, and its target is given for comparison only.
ratio_row() {
  local label=$1 scale=$2 unit=$3 digits=$4 a=$5 ref_label=$6 b=$7 target=$8 chart=${9:-}
  local ratio met
  ratio=$(ratios "$a" "$b" | stats)
  if [ -n "$chart" ]; then
    met=$(verdict "$ratio" "$target")
    printf '"%s" %s %s\n' "$chart" "$ratio" "$target" >>"$chart_data"
  else
    met="(explains the row above)"
  fi
  row "$label" "$(fmt "$scale" "$digits" "$(stats <<<"$a")") $unit" \
    "$ref_label: $(fmt "$scale" "$digits" "$(stats <<<"$b")") $unit" \
    "$(fmt 1 2 "$ratio")" "≤ $target" "$met"
}

# copy_rows CASE FILES: the copy pass of one distribution (FILES says what it holds) against the
# CopyFileA loop and cp, and against the loop that pauses as the installer does.
copy_rows() {
  local case=$1 files=$2 title="Copy pass, $2" entries last setup pause install
  read -r _ entries last < <(grep "^$case	" "$out/listings.tsv" | tr '\t' ' ')
  setup=$(samples_of "${case}_copy" setup | minus_pauses "$last")
  pause=$(fmt 1 2 "$(samples_of "${case}_pause" probe | stats)")
  ratio_row "$title, less its $last pauses of 10 ms" 1 ms 0 "$setup" "CopyFileA loop" \
    "$(samples_of "${case}_copy" loop)" 1.1 "$case: ÷ CopyFileA loop"
  ratio_row "$title, less its $last pauses of 10 ms (a pause of 10 ms takes $pause ms here)" \
    1 ms 0 "$setup" "CopyFileA loop with the same pauses, less them" \
    "$(samples_of "${case}_copy" paused | minus_pauses "$last")" 1.1
  ratio_row "$title, less its $last pauses of 10 ms" 1 ms 0 "$setup" "cp" \
    "$(samples_of "${case}_copy" cp)" 1.5 "$case: ÷ cp"
  ratio_row "The CopyFileA loop alone, $files" 1 ms 0 "$(samples_of "${case}_copy" loop)" "cp" \
    "$(samples_of "${case}_copy" cp)" 1.5
  install=$(samples_of "${case}_install" setup | minus_pauses "$entries" |
    minus_pauses 1 100 | stats)
  row "$title: the whole install run, from OK to the dialog closed (copy, uninstall entry, shortcut), less its $entries pauses of 10 ms and the last one of 100 ms" \
    "$(fmt 1 0 "$install") ms" "" "" "" "(for information)"
}

write_table() {
  local size dlls unlisted reference met
  size=$(stat -c %s "$build/setup.exe")
  dlls=$(imported_dlls "$build/setup.exe" | tr '\n' ' ')
  unlisted=$(unlisted_dlls "$build/setup.exe" | tr '\n' ' ')
  {
    echo "# setup.exe benchmark"
    echo
    echo "Measured under Wine $(wine --version 2>/dev/null) on Xvfb (not on Windows), Linux" \
      "$(uname -r), $(nproc) CPUs, $(date -u '+%Y-%m-%d %H:%M UTC'). Each figure is the median" \
      "(least–greatest) of its runs, after a warm-up, taken in the same run as its reference;" \
      "ratios are taken run by run. Copy passes: $runs runs; start-up and memory at the dialog:" \
      "$((3 * runs)) runs."
    echo
  } >"$table"
  row "Figure" "setup.exe" "Reference" "Ratio" "Target" "Met"
  row "---" "---" "---" "---" "---" "---"
  : >"$chart_data"

  reference="stub of the small scriptable installers: 38–40 KB (quoted); the empty dialog program:"
  reference+=" $(stat -c %s "$build/bench/bench_dialog.exe") bytes"
  met="**no**"
  [ "$size" -le "$SETUP_SIZE_LIMIT" ] && met=yes
  [ "$size" -le "$SETUP_SIZE_AIM" ] && met="yes, and the aim"
  row "Size, stripped" "$size bytes" "$reference" \
    "$(awk -v s="$size" -v l="$SETUP_SIZE_LIMIT" 'BEGIN { printf "%.2f of the limit", s / l }')" \
    "≤ $SETUP_SIZE_LIMIT bytes (aim $SETUP_SIZE_AIM)" "$met"
  awk -v s="$size" -v l="$SETUP_SIZE_LIMIT" 'BEGIN {
    r = s / l; printf "\"size ÷ %d KB\" %f %f %f 1\n", l / 1024, r, r, r }' >>"$chart_data"
  met=yes
  [ -n "$unlisted" ] && met="**no**: $unlisted"
  row "Imported DLLs" "$dlls" "the system list: ${SYSTEM_DLLS[*]}" "" "none outside the list" \
    "$met"

  ratio_row "Start-up: process start to the dialog visible, folder box filled" 1 ms 0 \
    "$(samples_of startup setup)" "empty dialog" "$(samples_of startup empty)" 1.1 "start-up"
  ratio_row "Start-up: process start to the dialog visible, folder box filled" 1 ms 0 \
    "$(samples_of startup setup)" "the installer's dialog template, nothing behind it" \
    "$(samples_of startup template)" 1.1

  copy_rows big "3 files of 100 MiB"
  copy_rows small "2,000 files of 4 KiB"

  ratio_row "Peak memory at the dialog" 1024 MiB 1 "$(samples_of dialog_peak setup)" \
    "empty dialog" "$(samples_of dialog_peak empty)" 1.1 "memory at the dialog"
  ratio_row "Peak memory at the dialog" 1024 MiB 1 "$(samples_of dialog_peak setup)" \
    "the installer's dialog template" "$(samples_of dialog_peak template)" 1.1
  local case title
  for case in big small; do
    title="3 files of 100 MiB"
    [ "$case" == small ] && title="2,000 files of 4 KiB"
    ratio_row "Peak memory after the copy pass, $title" 1024 MiB 1 "$(samples_of "${case}_peak" setup)" \
      "empty dialog, its whole run" "$(samples_of end_peak empty)" 1.1 "memory after copy, $case"
    ratio_row "Peak memory after the copy pass, $title" 1024 MiB 1 "$(samples_of "${case}_peak" setup)" \
      "the installer's dialog template, its whole run" "$(samples_of end_peak template)" 1.1
  done
  cat >>"$table" <<'NOTES'

How each figure is taken:
- Start-up: bench_probe.exe starts the program with CreateProcess and polls every millisecond
  until its dialog is visible under its final caption, with the folder box filled where it has
  one; QueryPerformanceCounter times it. The reference programs are built like the project's
  small programs, with MinGW's usual C runtime start-up; the second one shows setup.exe's own
  dialog template (with the common controls initialised for its progress bar) and does nothing
  else.
- Copy pass: from the birth of the target folder to the last change of the last file copied,
  both read with stat from the file system, which stamps them to within a tick of the kernel's
  clock (4 ms at 250 Hz) at each end. The installer's pauses between those two moments
  (one per directory entry before the last file copied) are taken off at 10 ms each. The
  installer is driven as a user would: the run-after box cleared, OK pressed. The CopyFileA loop
  copies the same entries in the same order, and its second form pauses as the installer does;
  cp copies the same files. Each writes into a fresh folder on the same disk, after `sync`, from
  sources in the page cache.
- Memory: the Wine process's peak resident memory (PeakWorkingSetSize, which Wine reads from
  the process's VmHWM), 300 ms after the dialog showed, and at the end of the process.
NOTES
}

# The chart: each target's ratio, its median and range, and the target.
draw_chart() {
  gnuplot <<PLOT
set terminal pngcairo size 1000,520 font "sans,10"
set output "$out/chart.png"
set title "setup.exe against its references under Wine: median and range of the runs"
set ylabel "ratio"
set yrange [0:*]
set style fill solid 0.5
set boxwidth 0.6
set xtics rotate by -25 noenhanced
set key top left
set grid ytics
plot "$chart_data" using 0:2:xtic(1) with boxes title "median ratio", \
  "" using 0:2:3:4 with yerrorbars lc rgb "black" pt -1 title "range", \
  "" using (\$0 - 0.35):5:(0.7):(0) with vectors nohead lw 3 lc rgb "red" title "target (at most)"
PLOT
}

# ---- The run ------------------------------------------------------------------------------------

mkdir -p "$out" || die "cannot create $out"
"$root/scripts/install-deps.sh" || die "installing the build and test packages failed"
say "building setup.exe and the benchmark's programs in $build"
build_programs || die "the build failed"
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb || die "cannot start Xvfb"
fi
say "a fresh Wine prefix in $WINEPREFIX, display $DISPLAY"
make_prefix || die "cannot create the Wine prefix"
say "the distributions"
make_data || die "cannot lay out the distributions in $bench_c"
: >"$samples"
: >"$out/listings.tsv"

say "start-up and memory at the dialog, $((3 * runs)) runs"
for rep in $(seq 0 $((3 * runs))); do
  for subject in $(rotation "$rep" setup empty template); do
    startup_one "$subject"
  done
done
say "copy pass, 3 files of 100 MiB, $runs runs"
copy_case big
say "copy pass, 2,000 files of 4 KiB, $runs runs"
copy_case small

write_table
draw_chart || echo "$0: gnuplot could not draw the chart" >&2
echo
cat "$table"
echo
say "done: $table, $out/chart.png"
