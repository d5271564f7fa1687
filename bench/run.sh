#!/usr/bin/env bash
# Measures setup.exe under Wine and Xvfb side by side with its peer, an NSIS installer built
# here from bench/peer.nsi for the same distribution (files stored, and compressed as the
# compiler does by default): the size of each installer's machinery, the time to its first
# window, the whole silent install of the sample, of 3 files of 100 MiB and of 2,000 files of
# 4 KiB, and the peak working set. For the 2,000 files also setup.exe's dialog: from OK to its
# full progress bar, and the longest it took meanwhile to answer a message. The one-file form
# (setup-pack, built natively in build/bench-native with setup-check, or SETUP_PACK and
# SETUP_CHECK) is set against the compressed peer: its size, its first window and its whole
# silent install (/S /D=), of the sample and of 100 MiB mixed (a third each of text, programs
# and random bytes; bench/mixed_lib.sh).
#
#   bench/run.sh [-q] [-n RUNS] [-u] [BUILD_DIR]
#
# The build is the tests' choice: i686 where this machine executes 32-bit Linux programs, else
# x86_64; SETUP_WINDOWS_ARCH=i686 or x86_64, or the program in BUILD_DIR, chooses (BUILD_DIR
# defaults to build/win32 or build/win64, configured and built here as needed). The peer is
# built for the same architecture. RUNS (default 5, at least 5) is the number of runs of the
# 2,000-file install and of the dialog; the sample and the 3 × 100 MiB installs run twice as
# often, the first windows three times as often, each after a warm-up that also checks that the
# installers left the same files, uninstall entry and shortcuts. -q, for developing, runs 3
# times on smaller files (3 × 8 MiB, 12 MiB mixed, 200 files); its figures are not the
# benchmark's. -u puts the table and the chart into docs/benchmarks.md (not with -q). Where the
# build cannot run, the size rows still print and the others say so.
#
# Prints the table and writes it to BUILD_DIR/bench-results/results.md, with chart.png and the
# samples (samples.tsv) beside it. A fresh Wine prefix BUILD_DIR/bench-prefix holds the
# distributions and the peers while it runs (about 1.6 GB); without DISPLAY an Xvfb of its own
# is started. Everything it started is ended when it ends. About 15 minutes with the default
# RUNS on two cores.
# The copied_CASE arrays are reached through namerefs.
# shellcheck disable=SC2034,SC2178
set -uo pipefail

usage() {
  echo "usage: $0 [-q] [-n RUNS] [-u] [BUILD_DIR]" >&2
  exit 2
}
quick=no
runs=
update_readme=no
while getopts qn:u option; do
  case $option in
    q) quick=yes ;;
    n) runs=$OPTARG ;;
    u) update_readme=yes ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -le 1 ] || usage
if [ "$quick" == yes ]; then
  runs=${runs:-3} big_mib=8 small_files=200 mixed_mib=12
  [ "$update_readme" == no ] || {
    echo "$0: -u takes the figures of a full run, not of -q" >&2
    exit 2
  }
else
  runs=${runs:-5} big_mib=100 small_files=2000 mixed_mib=100
  [[ $runs =~ ^[0-9]+$ ]] && [ "$runs" -ge 5 ] || {
    echo "$0: RUNS must be a number of at least 5" >&2
    exit 2
  }
fi
[[ $runs =~ ^[1-9][0-9]*$ ]] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine_env.sh
source "$root/scripts/wine_env.sh"
# shellcheck source=tests/e2e/size_limits.sh
source "$root/tests/e2e/size_limits.sh"
# shellcheck source=bench/peer_lib.sh
source "$root/bench/peer_lib.sh"
# shellcheck source=bench/mixed_lib.sh
source "$root/bench/mixed_lib.sh"

# ---- Which build, under which loader ----------------------------------------------------------

arch=${SETUP_WINDOWS_ARCH:-}
if [ -z "$arch" ] && [ -n "${1:-}" ] && [ -f "$1/setup.exe" ]; then
  arch=$(pe_arch "$1/setup.exe")
fi
if [ -z "$arch" ]; then
  arch=i686
  wine32_runs || arch=x86_64
fi
case $arch in
  i686) kind=win32 default_build=build/win32 toolchain=mingw-i686 loader=$WINE_LOADER32 ;;
  x86_64) kind=win64 default_build=build/win64 toolchain=mingw-x86_64 loader=$WINE_LOADER64 ;;
  *)
    echo "$0: the build is i686 or x86_64, not '$arch'" >&2
    exit 2
    ;;
esac
mkdir -p "${1:-$root/$default_build}" && build=$(cd "${1:-$root/$default_build}" && pwd)
out=$build/bench-results
size_limits_for "$arch"
target=$(peer_target "$arch")
measurable=yes
why=
if ! wine_pass "$arch" "$kind"; then
  measurable=no
  why=$WINE_PASS_WHY
fi
# Every row names this.
pass_label="$arch build, $loader, ${kind#win}-bit prefix; peer $target"

export WINEPREFIX=$build/bench-prefix
export WINEDEBUG=-all
# No Mono or Gecko download prompts, and no menu entries on the Linux host for the shortcuts.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"

drive_c=$WINEPREFIX/drive_c
bench_c=$drive_c/bench # C:\bench
probe=$build/bench/bench_probe.exe
# setup-pack and setup-check run here, not under Wine: a native build of their own.
pack_build=$root/build/bench-native
pack_tool=${SETUP_PACK:-$pack_build/pack/setup-pack}
check_tool=${SETUP_CHECK:-$pack_build/check/setup-check}
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
  if [ "$measurable" == yes ] && [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k 2>/dev/null
    timeout 30 wineserver -w 2>/dev/null
    rm -rf "$bench_c" "$drive_c/Program Files/Tiny Notes"
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
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
      -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null || return 1
  fi
  cmake --build "$build" -j2 --target setup dist bench_probe bench_copy bench_dialog >/dev/null
}

build_native_tools() {
  if [ -n "${SETUP_PACK:-}" ] && [ -n "${SETUP_CHECK:-}" ]; then
    [ -x "$pack_tool" ] && [ -x "$check_tool" ]
    return
  fi
  if [ ! -f "$pack_build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$pack_build" -DCMAKE_BUILD_TYPE=Release >/dev/null || return 1
  fi
  cmake --build "$pack_build" -j2 --target setup-pack setup-check >/dev/null
}

# Xvfb picks a free display itself and writes its number once it accepts connections; it never
# resets (see tests/e2e/run.sh).
start_xvfb() {
  local number_file=$out/xvfb-display
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
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
  # Plain wineboot: the first program boots a new prefix once; `wineboot -i` would boot it a
  # second time, with a second service manager, and explorer's start of RpcSs then fails now
  # and then after 10 s, holding up every program that waits for the desktop.
  (cd "$WINEPREFIX" && timeout 180 wineboot </dev/null >/dev/null 2>&1) || return 1
  # Xvfb has no window manager: a managed window that is hidden waits 2 s for one to answer,
  # which would end every run with a window 2 s late. Unmanaged windows are hidden at once.
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1
}

# ---- The distributions and their peers ------------------------------------------------------

cases=(sample big small)
# The distributions also packed into one file, each set against its compressed peer.
packed_cases=(sample mixed)
declare -A title=([sample]="the sample" [big]="3 × $big_mib MiB" [small]="$small_files × 4 KiB"
  [mixed]="$mixed_mib MiB mixed")

# make_dist DIR: setup.exe, UNINSTAL.EXE, a small program and a setup.inf for "Bench 1.0", which
# installs into C:\bench\installed\Bench with a desktop shortcut and one in the Start menu.
make_dist() {
  mkdir -p "$1" &&
    cp "$build/setup.exe" "$build/dist/UNINSTAL.EXE" "$1/" &&
    cp "$build/bench/bench_dialog.exe" "$1/Bench.exe" &&
    printf '%s\r\n' Bench.exe 'C:\bench\installed\Bench' Bench 'Bench 1.0' 1 Bench,Bench.exe \
      >"$1/setup.inf"
}

make_data() {
  rm -rf "$bench_c" && mkdir -p "$bench_c/ref" "$bench_c/installed" "$bench_c/out" \
    "$bench_c/peer" "$bench_c/packed" || return 1
  cp "$build/bench/bench_dialog.exe" "$build/bench/bench_copy.exe" "$bench_c/ref/" || return 1
  cp -a "$build/dist" "$bench_c/sample" || return 1
  make_dist "$bench_c/big" && make_dist "$bench_c/small" && make_dist "$bench_c/mixed" || return 1
  make_mixed "$bench_c/mixed" "$mixed_mib" "$arch" || return 1
  local k
  for k in 1 2 3; do
    head -c $((big_mib * 1024 * 1024)) /dev/urandom >"$bench_c/big/data$k.bin" || return 1
  done
  head -c $((small_files * 4096)) /dev/urandom |
    (cd "$bench_c/small" && split -b 4096 -a 4 -d - file) || return 1
}

# list_dist CASE: the installer's listing of the distribution, as Windows gives it: the files it
# copies (every entry but "." and "..", "setup.exe" and "uninstal.exe") into copied_CASE, and
# the count of entries, each followed by a 10 ms pause in the dialog, into entries[CASE].
# Without Wine, the files in the order ls gives.
declare -A entries
copied_sample=() copied_big=() copied_small=() copied_mixed=()
list_dist() {
  local case=$1 dist=$bench_c/$1 listing name count=0
  local -n names=copied_$case
  names=()
  if [ "$measurable" == yes ]; then
    listing=$(cd "$dist" && wine "$probe" list </dev/null | tr -d '\r') || return 1
  else
    listing=$(printf '.\n..\n' && ls -A "$dist")
  fi
  while IFS= read -r name; do
    count=$((count + 1))
    case $name in
      . | .. | setup.exe | uninstal.exe) ;;
      *) names+=("$name") ;;
    esac
  done <<<"$listing"
  entries[$case]=$count
}

# build_peers CASE [VARIANT...]: C:\bench\peer\CASE-stored.exe and CASE-compressed.exe, or the
# VARIANTs given. The entry's version and publisher are those setup-check plans for setup.exe,
# its record of the shortcuts names the prefix's folders.
build_peers() {
  local case=$1 variant store variants=(stored compressed) plan
  local -n names=copied_$case
  [ $# -gt 1 ] && variants=("${@:2}")
  plan=$("$check_tool" --json "$bench_c/$case" 2>/dev/null)
  jq -e '.plan.registry.values' <<<"$plan" >/dev/null 2>&1 || {
    echo "setup-check gave no plan for $bench_c/$case" >&2
    return 1
  }
  local PEER_DISPLAY_VERSION PEER_PUBLISHER PEER_DESKTOP=$common_desktop
  local PEER_PROGRAMS=$common_programs
  PEER_DISPLAY_VERSION=$(jq -r '.plan.registry.values.DisplayVersion // empty' <<<"$plan")
  PEER_PUBLISHER=$(jq -r '.plan.registry.values.Publisher // empty' <<<"$plan")
  for variant in "${variants[@]}"; do
    store=()
    [ "$variant" == stored ] && store=(stored)
    peer_build "$bench_c/$case" "$arch" "$bench_c/peer/$case-$variant.exe" "${store[@]}" \
      "${names[@]}" || {
      tail -n 20 "$bench_c/peer/$case-$variant.exe.log" >&2
      return 1
    }
  done
}

# pack CASE: C:\bench\packed\CASE-setup.exe, the distribution in one file.
pack() {
  local case=$1 packed=$bench_c/packed/$1-setup.exe
  "$pack_tool" "$bench_c/$case" -o "$packed" >"$packed.log" 2>&1 || {
    cat "$packed.log" >&2
    return 1
  }
}

# ---- What an install leaves -------------------------------------------------------------------

# linux_of PATH: a C:\ path inside the prefix.
linux_of() {
  local path=${1#[Cc]:}
  path=${path//\\//}
  echo "$drive_c$path"
}

# The folder, entry, uninstaller and shortcuts of a case's distribution (setup.inf's lines 2-4):
# folder[CASE], name[CASE] (the entry's name), desktop[CASE] and group[CASE].
declare -A folder name desktop group
# The all-users folders of the prefix, where both installers put their shortcuts.
common_desktop='C:\users\Public\Desktop'
common_programs='C:\ProgramData\Microsoft\Windows\Start Menu\Programs'
case_paths() {
  local case=$1 lines
  mapfile -t lines < <(tr -d '\r' <"$bench_c/$case/setup.inf")
  folder[$case]=${lines[1]}
  name[$case]=${lines[1]##*\\}
  desktop[$case]=$(linux_of "$common_desktop")/${lines[2]}.lnk
  group[$case]="$(linux_of "$common_programs")/${lines[3]}"
}

# entry_key CASE: the key of its uninstall entry.
entry_key() {
  echo "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${name[$1]}"
}

# fresh CASE: nothing of an earlier install, its uninstall entry included (with one, setup.exe
# would run a reinstall, which the peers do not), and no write of it still waiting for the disk.
fresh() {
  local case=$1
  timeout 60 wine reg delete "$(entry_key "$case")" /f </dev/null >/dev/null 2>&1
  rm -rf "$(linux_of "${folder[$case]}")" "$bench_c/out" "${desktop[$case]}" "${group[$case]}" \
    "$drive_c/windows/${name[$case]} Uninstall.exe" && mkdir -p "$bench_c/out" && sync
}

# same_files CASE DIR: DIR holds exactly the files setup.exe copies, each with the same bytes.
same_files() {
  local case=$1 dir=$2 file
  local -n names=copied_$case
  [ "$(find "$dir" -type f | wc -l)" -eq ${#names[@]} ] || return 1
  for file in "${names[@]}"; do
    cmp -s "$bench_c/$case/$file" "$dir/$file" || return 1
  done
}

# left_by CASE: what an install left besides the files, for comparing the two installers: the
# uninstall entry's values as reg query prints them, the uninstaller and each shortcut's target,
# working folder and description.
left_by() {
  local case=$1 lnk
  wine reg query "$(entry_key "$case")" </dev/null 2>/dev/null | tr -d '\r' |
    sed -E 's/^ +//; s/ {4}/ /g' | grep -v '^HKEY' | sort
  [ -f "$drive_c/windows/${name[$case]} Uninstall.exe" ] && echo "uninstaller present"
  for lnk in "${desktop[$case]}" "${group[$case]}"/*.lnk; do
    [ -f "$lnk" ] || continue
    echo "${lnk#"$drive_c"}:"
    lnkinfo "$lnk" 2>/dev/null | grep -E '^\s*(Local path|Working directory|Description)' |
      sed -E 's/^\s+//'
  done
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

# probe DIR COMMAND ARGUMENT...: the probe's answer, run in DIR, or failure.
probe() {
  local dir=$1
  shift
  (cd "$dir" && timeout -k 5 900 wine "$probe" "$@" </dev/null)
}

# rotation N WORD...: the words, starting with word N modulo their count and wrapping round, so
# that over the repetitions none of them always runs first.
rotation() {
  local start=$(($1 % ($# - 1))) words=("${@:2}")
  echo "${words[@]:start}" "${words[@]:0:start}"
}

# ---- The measurements -------------------------------------------------------------------------

# First window: each installer on the sample, without /S, closed with Cancel at its first window.
# The packed one checks its payload's CRC-32 before it shows its dialog.
window_one() {
  local subject=$1 dir=$bench_c/sample command answer
  case $subject in
    ours) command='C:\bench\sample\setup.exe' ;;
    stored | compressed) command="C:\\bench\\peer\\sample-$subject.exe" ;;
    packed) command='C:\bench\packed\sample-setup.exe' ;;
  esac
  answer=$(probe "$dir" window "\"$command\"") || die "$subject showed no window (run $rep)"
  record startup "$subject" "$(value startup_ms "$answer")"
  record window_peak "$subject" "$(value window_peak_kb "$answer")"
}

# install_one CASE SUBJECT: a whole silent install of the distribution CASE from a fresh start,
# by setup.exe, by either peer, or (the 2,000 files only) the bare CopyFileA loop; or setup.exe
# with its dialog (dialog), its folder box set to the folder setup.inf names and its run-after
# box cleared. The packed program and the compressed peer it is set against (packed_peer) are
# also told the folder (/D=), the one setup.inf names.
install_one() {
  local case=$1 subject=$2 dist=$bench_c/$1 command answer installed how=run
  local folder_box=()
  installed=$(linux_of "${folder[$case]}")
  case $subject in
    ours) command="\"C:\\bench\\$case\\setup.exe\" /S" ;;
    dialog)
      command="\"C:\\bench\\$case\\setup.exe\"" how=dialog folder_box=("${folder[$case]}")
      ;;
    stored | compressed) command="\"C:\\bench\\peer\\$case-$subject.exe\" /S" ;;
    packed) command="\"C:\\bench\\packed\\$case-setup.exe\" /S /D=${folder[$case]}" ;;
    packed_peer) command="\"C:\\bench\\peer\\$case-compressed.exe\" /S /D=${folder[$case]}" ;;
    loop) command='C:\bench\ref\bench_copy.exe C:\bench\out\copy' installed=$bench_c/out/copy ;;
  esac
  fresh "$case" || die "cannot clear what the last run left"
  answer=$(probe "$dist" "$how" "$command" "${folder_box[@]}") ||
    die "$subject did not install ${title[$case]} (run $rep)"
  [ "$(value exit_code "$answer")" == 0 ] ||
    die "$subject ended with exit code $(value exit_code "$answer") (${title[$case]}, run $rep)"
  same_files "$case" "$installed" ||
    die "$subject did not install ${title[$case]} whole into $installed (run $rep)"
  if [ "$subject" == dialog ]; then
    record "${case}_dialog" "$subject" "$(value ok_ms "$answer")"
    record "${case}_answer" "$subject" "$(value longest_answer_ms "$answer")"
    record "${case}_answers" "$subject" "$(value answers "$answer")"
  else
    record "${case}_install" "$subject" "$(value run_ms "$answer")"
    record "${case}_peak" "$subject" "$(value peak_kb "$answer")"
  fi
}

# in_any_order: what left_by printed, the names of InstalledFiles sorted.
in_any_order() {
  local line names prefix='InstalledFiles REG_MULTI_SZ '
  while IFS= read -r line; do
    if [[ $line == "$prefix"* ]]; then
      names=${line#"$prefix"}
      line=$prefix$(printf '%s\n' "${names//\\0/$'\n'}" | LC_ALL=C sort | paste -sd /)
    fi
    echo "$line"
  done
}

# check_same_work CASE SUBJECT...: in the warm-up, each installer of SUBJECT... leaves the same
# uninstall entry, uninstaller and shortcuts as setup.exe from the folder, the first. A peer
# leaves out InstalledFiles only where its list is longer than the compiler lets
# WriteRegMultiStr hold; setup.exe's dialog leaves exactly the same, and the packed program
# everything, its InstalledFiles in the payload's order (setup.inf first).
check_same_work() {
  local case=$1 subject ours_left expected left what
  for subject in "${@:2}"; do
    install_one "$case" "$subject"
    left=$(left_by "$case")
    if [ "$subject" == ours ]; then
      ours_left=$left
      grep -q '^InstalledFiles ' <<<"$left" ||
        die "setup.exe wrote no InstalledFiles (${title[$case]})"
      continue
    fi
    expected=$ours_left what="the $subject peer"
    if [ "$subject" == packed ]; then
      what="the packed program"
    elif [ "$subject" == dialog ]; then
      what="setup.exe's dialog"
    elif ! grep -q '^InstalledFiles ' <<<"$left"; then
      expected=$(grep -v '^InstalledFiles ' <<<"$ours_left")
      grep -qxF "$case" "$out/no-installed-files" 2>/dev/null ||
        echo "$case" >>"$out/no-installed-files"
    fi
    [ "$left" == "$expected" ] && continue
    if [ "$subject" == packed ] &&
      [ "$(in_any_order <<<"$left")" == "$(in_any_order <<<"$expected")" ]; then
      grep -qxF "$case" "$out/packed-order" 2>/dev/null || echo "$case" >>"$out/packed-order"
      continue
    fi
    diff <(echo "$expected") <(echo "$left") >&2
    die "$what did other work than setup.exe (${title[$case]}; < setup.exe, > $subject)"
  done
}

# install_case CASE REPS: the warm-up, then REPS repetitions of every subject of CASE. The
# mixed payload is there for the packed program and its peer alone; setup.exe from the folder
# installs it once, in the warm-up, for them to be checked against.
install_case() {
  local case=$1 reps=$2 subject subjects=(ours stored compressed) subjects_now
  local checked=(ours) others=()
  case $case in
    sample) subjects+=(packed packed_peer) ;;
    small) subjects+=(loop dialog) ;;
    mixed) subjects=(packed packed_peer) ;;
  esac
  for subject in "${subjects[@]}"; do
    case $subject in
      ours) ;;
      loop) others+=("$subject") ;;
      *) checked+=("$subject") ;;
    esac
  done
  for rep in $(seq 0 "$reps"); do
    if [ "$rep" -eq 0 ]; then
      check_same_work "$case" "${checked[@]}"
      subjects_now=("${others[@]}")
    else
      read -ra subjects_now <<<"$(rotation "$rep" "${subjects[@]}")"
    fi
    for subject in "${subjects_now[@]}"; do
      install_one "$case" "$subject"
    done
  done
}

# ---- Figures ----------------------------------------------------------------------------------

# samples_of FIGURE SUBJECT: its samples, in the order of the repetitions.
samples_of() {
  awk -F '\t' -v f="$1" -v s="$2" '$1 == f && $2 == s { print $3 "\t" $4 }' "$samples" |
    sort -n | cut -f 2
}

# stats: "median min max n" of the numbers on stdin.
stats() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "nan nan nan 0"; exit }
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    print m, v[1], v[NR], NR }'
}

# interval: "median low high confidence" of the numbers on stdin. The interval for the median
# needs no assumption about their distribution: between the k-th least and the k-th greatest
# value lies the median with probability 1 - 2 P(B <= k - 1), B binomial (n, 1/2). k is the
# largest that keeps that at 90 % or more (with fewer than 5 values, k = 1: the range).
interval() {
  sort -g | awk '{ v[NR] = $1 } END {
    n = NR
    if (n == 0) { print "nan nan nan 0"; exit }
    m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    k = 1; term = 1; cdf = 0; total = 2 ^ n; best = 1 - 2 / total
    for (j = 0; j < n / 2; j++) {
      if (j > 0) term = term * (n - j + 1) / j
      cdf += term
      cover = 1 - 2 * cdf / total
      if (cover < 0.9) break
      k = j + 1; best = cover
    }
    print m, v[k], v[n + 1 - k], best }'
}

# paired A B: A / B run by run, for two columns of samples.
paired() {
  paste <(printf '%s\n' "$1") <(printf '%s\n' "$2") |
    awk -F '\t' '$1 != "" && $2 != "" && $2 != 0 { print $1 / $2 }'
}

# spread SCALE DIGITS: "median (min–max)" of the numbers on stdin, divided by SCALE.
spread() {
  stats | awk -v s="$1" -v d="$2" '{
    printf "%.*f (%.*f–%.*f)", d, $1 / s, d, $2 / s, d, $3 / s }'
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

# ratio_row LABEL SCALE UNIT OURS PEER_LABEL PEER GOAL [CHART_LABEL]: ours against a peer or a
# reference, run by run. A GOAL of "-" marks a row for information, "explains" one that
# explains the row above; a CHART_LABEL puts the row into the chart.
ratio_row() {
  local label=$1 scale=$2 unit=$3 ours=$4 peer_label=$5 peer=$6 goal=$7 chart=${8:-}
  local digits=0 ratio met=""
  [ "$scale" == 1 ] || digits=1
  if [ "$measurable" == no ]; then
    [[ $goal =~ ^[0-9.]+$ ]] && goal="≤ $goal" met="**no**: not measurable" || goal=""
    row "$label" "$pass_label" "not measurable on this machine" \
      "$peer_label: not measurable on this machine ($why)" "—" "$goal" "$met"
    return
  fi
  read -r median low high cover < <(paired "$ours" "$peer" | interval)
  ratio=$(awk -v m="$median" -v l="$low" -v h="$high" -v c="$cover" \
    'BEGIN { printf "%.2f (%.2f–%.2f, %.0f %%)", m, l, h, c * 100 }')
  if [ "$goal" == - ]; then
    goal="(for information)"
  elif [ "$goal" == explains ]; then
    goal="(explains the rows above)"
  else
    met=$(awk -v m="$median" -v g="$goal" 'BEGIN { print (m <= g ? "yes" : "**no**") }')
    [ -n "$chart" ] && printf '"%s" %s %s %s %s\n' "$chart" "$median" "$low" "$high" "$goal" \
      >>"$chart_data"
    goal="≤ $goal"
  fi
  row "$label" "$pass_label" "$(spread "$scale" "$digits" <<<"$ours") $unit" \
    "$peer_label: $(spread "$scale" "$digits" <<<"$peer") $unit" "$ratio" "$goal" "$met"
}

# limit_row LABEL SAMPLES LIMIT NOTE: times in ms, every one of them held to at most LIMIT; NOTE
# fills the reference's cell.
limit_row() {
  local label=$1 samples=$2 limit=$3 note=$4 met
  if [ "$measurable" == no ]; then
    row "$label" "$pass_label" "not measurable on this machine" "$why" "—" \
      "≤ $limit ms, every run" "**no**: not measurable"
    return
  fi
  met=$(stats <<<"$samples" | awk -v g="$limit" '{ print ($3 <= g ? "yes" : "**no**") }')
  row "$label" "$pass_label" "$(spread 1 1 <<<"$samples") ms" "$note" "" \
    "≤ $limit ms, every run" "$met"
}

write_size_rows() {
  local setup uninstaller ours payload stored machinery ratio met dlls unlisted file
  setup=$(stat -c %s "$build/setup.exe")
  uninstaller=$(stat -c %s "$build/dist/UNINSTAL.EXE")
  ours=$((setup + uninstaller))
  local -n names=copied_sample
  payload=$(cd "$bench_c/sample" && stat -c %s -- "${names[@]}" | awk '{ s += $1 } END { print s }')
  stored=$(stat -c %s "$bench_c/peer/sample-stored.exe")
  machinery=$((stored - payload))
  ratio=$(awk -v a="$ours" -v b="$machinery" 'BEGIN { printf "%.2f", a / b }')
  met=$(awk -v r="$ratio" 'BEGIN { print (r <= 0.5 ? "yes" : "**no**") }')
  printf '"%s" %s %s %s %s\n' "machinery size" "$ratio" "$ratio" "$ratio" 0.5 >>"$chart_data"
  row "Machinery size, bytes" "$arch build; peer $target" \
    "setup.exe $setup + UNINSTAL.EXE $uninstaller = $ours" \
    "installer of the sample, stored: $stored − its files $payload = $machinery" \
    "$ratio (exact)" "≤ 0.5" "$met"

  met="**no**"
  [ "$setup" -le "$SETUP_SIZE_LIMIT" ] && met=yes
  [ "$setup" -le "$SETUP_SIZE_AIM" ] && met="yes, and the aim"
  row "setup.exe, bytes, stripped" "$arch build" "$setup" "the size guard's limit" \
    "$(awk -v s="$setup" -v l="$SETUP_SIZE_LIMIT" 'BEGIN { printf "%.2f of it", s / l }')" \
    "≤ $SETUP_SIZE_LIMIT (aim $SETUP_SIZE_AIM)" "$met"

  for file in "$build/setup.exe" "$build/dist/UNINSTAL.EXE"; do
    # An import table that cannot be read is a failed measurement, never a pass.
    if dlls=$(imported_dlls "$file") && [ -n "$dlls" ]; then
      unlisted=$(unlisted_dlls "$file" | paste -sd ' ')
      met=yes
      [ -n "$unlisted" ] && met="**no**: $unlisted"
      dlls=$(paste -sd ' ' <<<"$dlls")
    else
      dlls="not measured: $MINGW_BINUTILS-objdump -p read no import table"
      met="**no**: not measured"
    fi
    row "$(basename "$file"), imported DLLs" "$arch build" "$dlls" \
      "the known DLLs: ${SYSTEM_DLLS[*]}" "" "none outside them" "$met"
  done
}

# The one file against the compressed peer: the sample at most 0.9 of it, the mixed payload,
# mostly the compressors' work, within 5 %.
write_packed_size_rows() {
  local case packed peer ratio goal met
  declare -A goals=([sample]=0.9 [mixed]=1.05)
  for case in "${packed_cases[@]}"; do
    packed=$(stat -c %s "$bench_c/packed/$case-setup.exe")
    peer=$(stat -c %s "$bench_c/peer/$case-compressed.exe")
    goal=${goals[$case]}
    ratio=$(awk -v a="$packed" -v b="$peer" 'BEGIN { printf "%.3f", a / b }')
    met=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print (r <= g ? "yes" : "**no**") }')
    printf '"%s" %s %s %s %s\n' "one file size, $case" "$ratio" "$ratio" "$ratio" "$goal" \
      >>"$chart_data"
    row "One file, bytes, ${title[$case]}" "$arch build; peer $target" \
      "setup-pack (MSZIP): $packed" "peer, compressed (zlib): $peer" "$ratio (exact)" \
      "≤ $goal" "$met"
  done
}

# The packed program's whole silent install against the compressed peer's, both with /D=.
write_packed_install_rows() {
  local case=$1
  ratio_row "Whole silent install /S /D=, one file, ${title[$case]}" 1 ms \
    "$(samples_of "${case}_install" packed)" "peer, compressed, /S /D=" \
    "$(samples_of "${case}_install" packed_peer)" 1.0 "install one file, $case"
}

# The install rows of one case: the whole silent install against either peer; for the 2,000
# files also against the bare CopyFileA loop, and the dialog.
write_install_rows() {
  local case=$1 what=${title[$1]} ours
  ours=$(samples_of "${case}_install" ours)
  ratio_row "Whole silent install, $what" 1 ms "$ours" "peer, stored" \
    "$(samples_of "${case}_install" stored)" 1.0 "install $what ÷ stored"
  ratio_row "Whole silent install, $what" 1 ms "$ours" "peer, compressed" \
    "$(samples_of "${case}_install" compressed)" -
  [ "$case" == small ] || return 0
  ratio_row "Whole silent install, $what, against copying alone" 1 ms "$ours" \
    "a bare CopyFileA loop over the same files" "$(samples_of small_install loop)" explains
  local pauses="its ${entries[small]} pauses of 10 ms in it"
  ratio_row "The dialog, $what: OK to the full progress bar ($pauses)" 1 ms \
    "$(samples_of small_dialog dialog)" "setup.exe /S, the whole install" "$ours" -
  limit_row "The dialog, $what: its longest answer to a message, OK to the full bar" \
    "$(samples_of small_answer dialog)" 500 \
    "asked every 20 ms: $(spread 1 0 <<<"$(samples_of small_answers dialog)") answers a run"
}

write_table() {
  local cpu when memory
  cpu=$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)
  memory=$(awk '/MemTotal/ { printf "%.0f", $2 / 1048576 }' /proc/meminfo)
  when=$(date -u '+%Y-%m-%d %H:%M UTC')
  {
    echo "# setup.exe against its peer"
    echo
    echo "Measured $when on $cpu, $(nproc) CPUs, $memory GiB, Linux $(uname -r), under" \
      "$(wine --version 2>/dev/null) on Xvfb (not on" \
      "Windows). The peer: NSIS $(makensis -VERSION 2>/dev/null) (makensis), stub $target, built" \
      "from bench/peer.nsi for each distribution, its files stored or compressed (zlib, the" \
      "compiler's default)."
    [ "$measurable" == no ] && echo "**Not measurable on this machine**: $why; the sizes only."
    [ "$quick" == yes ] &&
      echo "**Quick run** (-q): 3 × $big_mib MiB, $mixed_mib MiB mixed and $small_files files; not" \
        "the benchmark's figures."
    echo
    echo "Each cell: median (least–greatest) of the runs after a warm-up. Ratios are taken run by" \
      "run, paired within a repetition: median (interval, confidence) for the median ratio." \
      "Runs: first window $((3 * runs)), the sample, ${title[big]} and ${title[mixed]}" \
      "$((2 * runs)) each, ${title[small]} (and its dialog) $runs; $(($(date +%s) - run_start)) s" \
      "in all."
    echo
    echo "One file: setup-pack $pack_tool (native) writes the distribution's setup.exe and an" \
      "MSZIP cabinet of its files, which that setup.exe installs from, reading nothing beside it." \
      "${title[mixed]}: $mixed_made."
    echo
  } >"$table"
  row "Figure" "Build, Wine loader" "setup.exe" "Peer or reference" "Ratio" "Goal" "Met"
  row "---" "---" "---" "---" "---" "---" "---"
  : >"$chart_data"
  write_size_rows
  write_packed_size_rows

  ratio_row "Start to the first window (the sample)" 1 ms "$(samples_of startup ours)" \
    "peer, stored" "$(samples_of startup stored)" 1.0 "first window ÷ stored"
  ratio_row "Start to the first window (the sample)" 1 ms "$(samples_of startup ours)" \
    "peer, compressed" "$(samples_of startup compressed)" 1.0 "first window ÷ compressed"
  ratio_row "Start to the first window, one file (the sample; its CRC-32 checked first)" 1 ms \
    "$(samples_of startup packed)" "peer, compressed" "$(samples_of startup compressed)" 1.0 \
    "first window, one file"

  local case
  for case in "${cases[@]}"; do
    write_install_rows "$case"
    [ "$case" == sample ] && write_packed_install_rows sample
  done
  write_packed_install_rows mixed

  ratio_row "Peak working set at the first window" 1024 MiB "$(samples_of window_peak ours)" \
    "peer, stored" "$(samples_of window_peak stored)" 1.0 "memory, first window ÷ stored"
  for case in "${cases[@]}"; do
    ratio_row "Peak working set, whole silent install, ${title[$case]}" 1024 MiB \
      "$(samples_of "${case}_peak" ours)" "peer, stored" "$(samples_of "${case}_peak" stored)" \
      1.0 "memory, ${title[$case]} ÷ stored"
    ratio_row "Peak working set, whole silent install, ${title[$case]}" 1024 MiB \
      "$(samples_of "${case}_peak" ours)" "peer, compressed" \
      "$(samples_of "${case}_peak" compressed)" 1.0 "memory, ${title[$case]} ÷ compressed"
  done
  for case in "${packed_cases[@]}"; do
    ratio_row "Peak working set, whole silent install /S /D=, one file, ${title[$case]}" 1024 MiB \
      "$(samples_of "${case}_peak" packed)" "peer, compressed, /S /D=" \
      "$(samples_of "${case}_peak" packed_peer)" -
  done

  if [ -s "$out/no-installed-files" ]; then
    echo >>"$table"
    echo "The peer writes no InstalledFiles for $(while read -r case; do echo "${title[$case]}"; \
      done <"$out/no-installed-files" | paste -sd, -): its list is longer than the" \
      "$PEER_MULTI_SZ_LIMIT bytes makensis lets WriteRegMultiStr hold." >>"$table"
  fi
  if [ -s "$out/packed-order" ]; then
    local which
    which=$(while read -r case; do echo "${title[$case]}"; done <"$out/packed-order" |
      sed '$!s/$/ and/' | paste -sd ' ' -)
    echo >>"$table"
    echo "The packed program's InstalledFiles for $which names the same files as setup.exe's" \
      "from the folder, in its payload's order (setup.inf first)." >>"$table"
  fi
}

# The chart: each ratio that has a goal, its median and interval, and the goal.
draw_chart() {
  gnuplot <<PLOT || return 1
set terminal pngcairo size 1000,500 font "sans,9"
set output "$out/chart.png"
set title "setup.exe ÷ its NSIS peer ($pass_label), $(date -u +%Y-%m-%d)" noenhanced
set ylabel "ratio (1 = as the peer)"
set yrange [0:*]
set style fill solid 0.5
set boxwidth 0.6
set xtics rotate by -35 noenhanced
set key top left
set grid ytics
set bmargin 10
set rmargin 28
plot "$chart_data" using 0:2:xtic(1) with boxes lc rgb "#4a7ab5" title "median ratio", \
  "" using 0:2:3:4 with yerrorbars lc rgb "black" pt -1 title "interval", \
  "" using (\$0 - 0.35):5:(0.7):(0) with vectors nohead lw 3 lc rgb "red" title "goal (at most)"
PLOT
  # Fewer colours: the chart is committed with the README.
  convert "$out/chart.png" -colors 32 "PNG8:$out/chart.png" 2>/dev/null
  return 0
}

# Puts the table and the chart of this run into the README, between its two markers.
update_readme() {
  local readme=$root/docs/benchmarks.md begin='<!-- bench results begin -->' end='<!-- bench results end -->'
  grep -qxF "$begin" "$readme" && grep -qxF "$end" "$readme" || return 1
  cp "$out/chart.png" "$root/docs/bench-chart.png" || return 1
  awk -v b="$begin" -v e="$end" -v t="$table" '
    $0 == b { print; while ((getline line < t) > 0) if (line !~ /^# /) print line
              print ""; skip = 1; next }
    $0 == e { skip = 0 }
    !skip' "$readme" >"$readme.new" && mv "$readme.new" "$readme"
}

# ---- The run ------------------------------------------------------------------------------------

run_start=$(date +%s)
mkdir -p "$out" || die "cannot create $out"
rm -f "$out/no-installed-files" "$out/packed-order"
"$root/scripts/install-deps.sh" || die "installing the build and test packages failed"
say "building setup.exe and the benchmark's programs in $build ($arch)"
build_programs || die "the build failed"
say "building setup-pack and setup-check natively in $pack_build"
build_native_tools ||
  die "cannot build setup-pack and setup-check in $pack_build (or set SETUP_PACK, SETUP_CHECK)"
[ "$(pe_arch "$build/setup.exe")" == "$arch" ] || die "$build holds no $arch build"
if [ "$measurable" == yes ]; then
  if [ -z "${DISPLAY:-}" ]; then
    start_xvfb || die "cannot start Xvfb"
  fi
  say "$pass_label; a fresh Wine prefix in $WINEPREFIX, display $DISPLAY"
  make_prefix || die "cannot create the Wine prefix"
else
  say "$why: the sizes only"
  rm -rf "$WINEPREFIX" && mkdir -p "$drive_c" || die "cannot create $drive_c"
fi
say "the distributions and their peers"
make_data || die "cannot lay out the distributions in $bench_c"
mixed_made=$(cd "$bench_c/mixed" && stat -c '%s %n' -- prose-* log-* source-* copy_* random-* |
  awk '{ k = $2 ~ /^copy_/ ? 2 : $2 ~ /^random-/ ? 3 : 1; n[k]++; b[k] += $1 } END {
    printf "%d files of text (prose, logs, C-like source) %.1f MiB, %d of programs (the largest" \
      " of Wine'"'"'s own DLLs, stripped) %.1f MiB, %d of random bytes %.1f MiB",
      n[1], b[1] / 1048576, n[2], b[2] / 1048576, n[3], b[3] / 1048576 }')
for case in "${cases[@]}" mixed; do
  list_dist "$case" || die "cannot list $bench_c/$case"
  case_paths "$case"
  variants=(stored compressed)
  [ "$case" == mixed ] && variants=(compressed)
  build_peers "$case" "${variants[@]}" ||
    die "makensis could not build the peers of ${title[$case]}"
done
for case in "${packed_cases[@]}"; do
  pack "$case" || die "setup-pack could not pack ${title[$case]}"
done
: >"$samples"

if [ "$measurable" == yes ]; then
  say "first windows, $((3 * runs)) runs"
  for rep in $(seq 0 $((3 * runs))); do
    for subject in $(rotation "$rep" ours stored compressed packed); do
      window_one "$subject"
    done
  done
  say "silent installs of the sample, $((2 * runs)) runs"
  install_case sample $((2 * runs))
  say "silent installs of ${title[big]}, $((2 * runs)) runs"
  install_case big $((2 * runs))
  say "silent installs of ${title[small]}, $runs runs"
  install_case small "$runs"
  say "silent installs of ${title[mixed]}, one file and its peer, $((2 * runs)) runs"
  install_case mixed $((2 * runs))
fi

write_table
draw_chart || echo "$0: gnuplot could not draw the chart" >&2
echo
cat "$table"
echo
if [ "$update_readme" == yes ]; then
  update_readme || die "cannot put the results into docs/benchmarks.md (its markers missing?)"
  say "docs/benchmarks.md and docs/bench-chart.png updated"
fi
say "done: $table, $out/chart.png"
