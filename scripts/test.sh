#!/usr/bin/env bash
# Runs every test of the project: the core's unit tests (plain and under AddressSanitizer and
# UndefinedBehaviorSanitizer), the setup.inf reader's fuzz target for a bounded time, then the
# Windows builds with their Win32 and end-to-end tests under Wine and Xvfb:
#
#   the x86_64 build in a 64-bit prefix    on every machine
#   the i686 build (the product) in a 32-bit prefix, and in a 64-bit one as on 64-bit Windows
#                                          where this machine executes 32-bit Linux programs;
#                                          elsewhere it is built and its size checked only
#
# SETUP_WINDOWS_ARCH=i686 or x86_64 runs only that build's passes. FUZZ_SECONDS sets the fuzzing
# time (default 60). Exits non-zero when any stage fails. Safe to run again in the same checkout.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$(pwd)
source scripts/wine_env.sh

arch_choice=${SETUP_WINDOWS_ARCH:-}
case $arch_choice in
  "" | i686 | x86_64) ;;
  *)
    echo "SETUP_WINDOWS_ARCH is i686 or x86_64, not '$arch_choice'" >&2
    exit 2
    ;;
esac

./scripts/install-deps.sh || { echo "installing the build and test packages failed" >&2; exit 1; }

jobs=$(nproc)
failed=()
# stage NAME COMMAND...: runs one stage; a failure is named at the end. Returns its status.
stage() {
  local name=$1
  shift
  echo
  echo "=== $name"
  "$@" && return 0
  echo "=== FAILED: $name"
  failed+=("$name")
  return 1
}

unit_tests() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null &&
    cmake --build "$dir" -j"$jobs" &&
    ctest --test-dir "$dir" --output-on-failure
}

fuzz() {
  local dir=build/fuzz
  CC=clang CXX=clang++ cmake -S . -B "$dir" -DSETUP_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >/dev/null && cmake --build "$dir" -j"$jobs" || return 1
  local target corpus
  for target in "$dir"/*_fuzz; do
    # Only the targets themselves: the folders a run leaves beside them are no programs.
    [ -f "$target" ] && [ -x "$target" ] || continue
    corpus="$dir/corpora/$(basename "$target")"
    mkdir -p "$corpus"
    # A crash, a leak or a sanitizer report ends libFuzzer with a non-zero status.
    "$target" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=20000 -detect_leaks=1 \
      -print_final_stats=1 -artifact_prefix="$dir/" "$corpus" "$root/fuzz/corpus" 2>&1 |
      tail -n 12 || return 1
  done
}

windows_build() {
  local arch=$1 dir=$2
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null && cmake --build "$dir" -j"$jobs"
}

# windows_pass DIR [--wow64]: the Win32 and end-to-end tests of a build; its summary line
# ("== <build, loader, prefix>: N passed, N failed", or why it could not run) is kept for the end.
pass_lines=()
windows_pass() {
  local dir=$1 out status
  shift
  out=$(mktemp)
  tests/e2e/run.sh "$@" "$dir" 2>&1 | tee "$out"
  status=${PIPESTATUS[0]}
  pass_lines+=("$(grep -E '^== (.*: [0-9]+ passed, [0-9]+ failed|cannot run .*)$' "$out" |
    tail -n 1)")
  rm -f "$out"
  return "$status"
}

# Without Wine: the size and imports of a build's programs.
size_guard() {
  mkdir -p "$1/e2e-logs" &&
    BUILD_DIR=$root/$1 E2E_LOGS=$root/$1/e2e-logs E2E_ARCH=$2 E2E_RESULTS= \
      bash tests/e2e/size_guard_test.sh
}

stage "unit tests" unit_tests build/native
stage "unit tests under ASan and UBSan" unit_tests build/asan -DSETUP_SANITIZE=ON
stage "fuzzing the setup.inf reader" fuzz
if [ "$arch_choice" != i686 ] && stage "x86_64 build" windows_build x86_64 build/win64; then
  stage "x86_64 build: Win32 and end-to-end tests in a 64-bit prefix" windows_pass build/win64
fi
if [ "$arch_choice" != x86_64 ] && stage "i686 build (the product)" windows_build i686 build/win32
then
  if wine32_runs; then
    stage "i686 build: Win32 and end-to-end tests in a 32-bit prefix" windows_pass build/win32
    stage "i686 build: Win32 and end-to-end tests in a 64-bit prefix, as on 64-bit Windows" \
      windows_pass build/win32 --wow64
  else
    # Where it cannot run, the product's size and imports are still checked.
    stage "i686 build: size and imports" size_guard build/win32 i686
    if [ "$arch_choice" == i686 ]; then
      echo "=== FAILED: the i686 build's Wine passes, asked for by SETUP_WINDOWS_ARCH; $WINE32_WHY"
      failed+=("i686 build: Win32 and end-to-end tests")
      pass_lines+=("== i686 build: Wine passes FAILED to run, $WINE32_WHY")
    else
      echo "=== skipped: the i686 build's Wine passes; $WINE32_WHY"
      pass_lines+=("== i686 build: Wine passes skipped, $WINE32_WHY")
    fi
  fi
fi

echo
if [ ${#pass_lines[@]} -gt 0 ]; then
  echo "Windows passes:"
  printf '  %s\n' "${pass_lines[@]#== }"
fi
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED stages: %s\n' "${failed[*]}"
  exit 1
fi
echo "all stages passed"
