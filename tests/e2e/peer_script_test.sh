#!/usr/bin/env bash
# The benchmark's peer installer (bench/peer.nsi) still builds with makensis for the sample
# distribution, in both of the benchmark's variants, as a program of the build's architecture.
# A build, not a timing: bench/run.sh measures it.
E2E_NEEDS_WINE=no
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$E2E_ROOT/scripts/wine_env.sh"
source "$E2E_ROOT/bench/peer_lib.sh"

section "the peer installer of the sample distribution ($E2E_ARCH, $(peer_target "$E2E_ARCH"))"
payload=$(find "$E2E_DIST" -maxdepth 1 -type f ! -name setup.exe ! -name uninstal.exe \
  -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
for variant in stored compressed; do
  out=$E2E_LOGS/peer-$variant.exe
  rm -f "$out"
  store=()
  [ "$variant" == stored ] && store=(stored)
  if peer_build "$E2E_DIST" "$E2E_ARCH" "$out" "${store[@]}"; then
    pass "$variant: makensis builds it"
  else
    fail "$variant: makensis builds it" "$(tail -n 5 "$out.log")"
    continue
  fi
  expect_eq "$variant: a program for $E2E_ARCH" "$E2E_ARCH" "$(pe_arch "$out")"
done
# The benchmark takes the stored installer less the files' bytes for the peer's machinery.
check "stored: larger than the $payload bytes it carries" \
  test "$(stat -c %s "$E2E_LOGS/peer-stored.exe" 2>/dev/null || echo 0)" -gt "$payload"
finish
