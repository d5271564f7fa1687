#!/usr/bin/env bash
# The one-file form: setup-pack (the native tool) packs a distribution into one program, which
# installs straight from itself, reading nothing beside it: a setup.inf, an UNINSTAL.EXE and a
# file planted next to it in its folder are ignored. A damaged or cut copy changes nothing, and
# a copy signed with Authenticode installs the same. Checked from outside: cmp, `wine reg query`.
source "$(dirname "${BASH_SOURCE[0]}")/install_lib.sh"

readonly PACK=${SETUP_PACK:-$E2E_ROOT/build/native/pack/setup-pack}
readonly LOGS='C:\e2e\logs'
readonly PRODUCT="E2E Packed"
readonly KEY="$UNINSTALL_KEY\\$PRODUCT"
readonly LINE2="$TARGETS\\packed-line2\\$PRODUCT"
readonly TARGET="$TARGETS\\packed\\Packed Target"
mkdir -p "$(linux_path "$LOGS")" "$(linux_path "${LINE2%\\*}")" "$(linux_path "${TARGET%\\*}")"

if [ ! -x "$PACK" ]; then
  fail "setup-pack is built" "no $PACK (build the native tools, or set SETUP_PACK)"
  finish
fi

# The distribution: the sample's programs and awkward files, a Unicode name, an empty file and
# over 1 MiB of random bytes.
dist=$(make_dist packed-dist)
head -c 1500000 /dev/urandom >"$dist/random.bin"
echo "wide" >"$dist/Übersicht ノート.txt"
setup_inf TinyNote.exe "$LINE2" "E2E Packed Notes" "$PRODUCT 1.0" 1 "Notes,TinyNote.exe" \
  >"$dist/setup.inf"
packed=$E2E_SCRATCH/packed-setup.exe
rm -f "$packed"

section "setup-pack"
"$PACK" "$dist" -o "$packed" >"$E2E_LOGS/pack.out" 2>&1
expect_eq "setup-pack: exit status" 0 "$?"
check "setup-pack: prints the sizes" grep -q "packed-setup.exe: [0-9,]* B (setup [0-9,]* B + payload" \
  "$E2E_LOGS/pack.out"

# decoys DIR: DIR holding the packed program and what a user planted beside it.
decoys() {
  rm -rf "$1" && mkdir -p "$1" && cp "$2" "$1/Packed Setup.exe" || return 1
  setup_inf TinyNote.exe 'C:\e2e\targets\decoy\Decoy' Decoy Decoy 0 >"$1/setup.inf"
  echo "planted" >"$1/UNINSTAL.EXE"
  echo "planted" >"$1/decoy.txt"
}
# run_packed DIR LOG ARGUMENTS: DIR's packed program /S with /LOG=LOG, started in DIR; prints its
# exit code.
run_packed() {
  (cd "$1" && driver -t 90000 run "\"$(win_path "$1")\\Packed Setup.exe\" /S /LOG=$LOGS\\$2.log $3") |
    sed -n 's/^exit //p'
}
log_has() {
  grep -qxF "$2" <(tr -d '\r' <"$(linux_path "$LOGS\\$1.log")")
}

section "/S from the packed program, with decoys beside it"
forget_install "$PRODUCT" "$PRODUCT 1.0" "E2E Packed Notes" "$TARGET"
here=$E2E_SCRATCH/packed-downloads
decoys "$here" "$packed"
expect_eq "packed: exit code" 0 "$(run_packed "$here" packed "/D=$TARGET")"
target=$(linux_path "$TARGET")
expect_eq "packed: the target holds the distribution's files" "$(copied_names "$dist")" \
  "$(find "$target" -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort)"
problems=()
while IFS= read -r name; do
  cmp -s "$dist/$name" "$target/$name" || problems+=("$name differs")
done < <(copied_names "$dist")
verdict "packed: every file byte for byte" "${problems[@]}"
query=$(reg_query "$KEY")
expect_eq "packed: the entry's DisplayName and InstallTo" "$PRODUCT|$TARGET" \
  "$(value_of "$query" DisplayName)|$(value_of "$query" InstallTo)"
check "packed: the uninstaller is the distribution's" \
  cmp "$dist/UNINSTAL.EXE" "$(linux_path "$windows_dir\\$PRODUCT Uninstall.exe")"
check "packed: nothing of the decoys installed" test ! -e "$(linux_path 'C:\e2e\targets\decoy')"
quiet=$(value_of "$query" QuietUninstallString)
expect_eq "packed: the quiet uninstall" 0 "$(driver -t 60000 run "$quiet" | sed -n 's/^exit //p')"
check "packed: the target is gone" test ! -e "$target"
check "packed: the entry is gone" key_absent "$KEY"

section "the dialog of the packed program"
forget_install "$PRODUCT" "$PRODUCT 1.0" "E2E Packed Notes" "$LINE2"
start_setup "$here" "Packed Setup.exe"
if driver -t "$FIRST_WAIT" wait "$PRODUCT 1.0 Setup" >/dev/null; then
  expect_eq "dialog: line 2's folder" "$LINE2" "$(driver text "$PRODUCT 1.0 Setup" "$IDC_FOLDER")"
  driver click "$PRODUCT 1.0 Setup" 2
  wait_setup 20 && expect_eq "dialog: Cancel's exit status" 1 "$SETUP_RC"
else
  fail "dialog: '$PRODUCT 1.0 Setup' appears" "dialogs: $(driver list | tr '\n' ' ')"
fi
end_leftovers
check "dialog: Cancel made nothing" test ! -e "$(linux_path "$LINE2")"
check "dialog: no entry" key_absent "$KEY"

section "damaged copies change nothing"
size=$(stat -c %s "$packed")
setup_size=$(stat -c %s "$dist/setup.exe")
# flipped: one byte in the middle of the payload; cut: the download stopped halfway.
while IFS='|' read -r name make; do
  copy=$E2E_SCRATCH/packed-$name.exe
  cp "$packed" "$copy"
  eval "$make"
  decoys "$E2E_SCRATCH/packed-$name" "$copy"
  forget_install "$PRODUCT" "$PRODUCT 1.0" "E2E Packed Notes" "$TARGET"
  expect_eq "$name: exit code" 2 "$(run_packed "$E2E_SCRATCH/packed-$name" "$name" "/D=$TARGET")"
  check "$name: the log says why" log_has "$name" \
    "payload: damaged or cut short: nothing was installed"
  check "$name: no folder" test ! -e "$target"
  check "$name: no entry" key_absent "$KEY"
done <<'EOF'
flipped|printf '\x5a' | dd of="$copy" bs=1 seek=$(((setup_size + size) / 2)) conv=notrunc status=none
cut|truncate -s $(((setup_size + size) / 2)) "$copy"
EOF

section "signed with Authenticode"
keys=$E2E_SCRATCH/packed-keys
mkdir -p "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=E2E Packed Test" \
  -keyout "$keys/key.pem" -out "$keys/cert.pem" >>"$E2E_LOG" 2>&1
signed=$E2E_SCRATCH/packed-signed.exe
rm -f "$signed"
check "signed: osslsigncode signs it" osslsigncode sign -certs "$keys/cert.pem" \
  -key "$keys/key.pem" -n "$PRODUCT" -in "$packed" -out "$signed"
check "signed: the signature verifies" osslsigncode verify -CAfile "$keys/cert.pem" "$signed"
cp "$signed" "$keys/flipped.exe"
printf '\x5a' | dd of="$keys/flipped.exe" bs=1 seek=$(((setup_size + size) / 2)) conv=notrunc \
  status=none
check "signed: a flipped payload byte fails verification" \
  bash -c '! osslsigncode verify -CAfile "$1" "$2"' _ "$keys/cert.pem" "$keys/flipped.exe"
forget_install "$PRODUCT" "$PRODUCT 1.0" "E2E Packed Notes" "$TARGET"
decoys "$E2E_SCRATCH/packed-signed" "$signed"
expect_eq "signed: exit code" 0 "$(run_packed "$E2E_SCRATCH/packed-signed" signed "/D=$TARGET")"
problems=()
while IFS= read -r name; do
  cmp -s "$dist/$name" "$target/$name" || problems+=("$name differs")
done < <(copied_names "$dist")
verdict "signed: every file byte for byte" "${problems[@]}"
wine_reg delete "$KEY" /f >>"$E2E_LOG"
rm -rf "$target"

finish
