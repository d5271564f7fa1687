#!/usr/bin/env bash
# Runs every test of the project: the core's unit tests (plain and under AddressSanitizer and
# UndefinedBehaviorSanitizer), the setup.inf reader's fuzz target for a bounded time, then the
# Windows build with its Win32 and end-to-end tests under Wine and Xvfb.
# Exits non-zero when any stage fails. FUZZ_SECONDS sets the fuzzing time (default 60).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

./scripts/install-deps.sh || { echo "installing the build and test packages failed" >&2; exit 1; }

jobs=$(nproc)
failed=()
stage() {
  local name=$1
  shift
  echo
  echo "=== $name"
  if ! "$@"; then
    echo "=== FAILED: $name"
    failed+=("$name")
  fi
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
    corpus="$dir/corpus-$(basename "$target")"
    mkdir -p "$corpus"
    # A crash, a leak or a sanitizer report ends libFuzzer with a non-zero status.
    "$target" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=20000 -detect_leaks=1 \
      -print_final_stats=1 -artifact_prefix="$dir/" "$corpus" "$root/fuzz/corpus" 2>&1 |
      tail -n 12 || return 1
  done
}

windows() {
  cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null && cmake --build build/win32 -j"$jobs" &&
    tests/e2e/run.sh build/win32
}

stage "unit tests" unit_tests build/native
stage "unit tests under ASan and UBSan" unit_tests build/asan -DSETUP_SANITIZE=ON
stage "fuzzing the setup.inf reader" fuzz
stage "Windows build, Win32 and end-to-end tests under Wine" windows

echo
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED stages: %s\n' "${failed[*]}"
  exit 1
fi
echo "all stages passed"
