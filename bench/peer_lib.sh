# shellcheck shell=bash
# The peer installer of a distribution: bench/peer.nsi's header, written from the distribution's
# setup.inf and files, and its build with makensis. Sourced by bench/run.sh and
# tests/e2e/peer_script_test.sh.

PEER_SCRIPT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/peer.nsi
# WriteRegMultiStr refuses more data than this.
PEER_MULTI_SZ_LIMIT=3072

# peer_target ARCH: the compiler's stub for a build of ARCH. For i686 its default, x86-ansi,
# which also reads text in the ANSI code page as setup.exe does; for x86_64 amd64-unicode, its
# only 64-bit stub, so that the peer runs wherever the build it is compared with runs.
peer_target() {
  case $1 in
    i686) echo x86-ansi ;;
    x86_64) echo amd64-unicode ;;
    *) return 1 ;;
  esac
}

# nsis_text TEXT: TEXT inside an NSIS string, its $ and " escaped.
nsis_text() {
  local text=${1//\$/\$\$}
  printf '%s' "${text//\"/\$\\\"}"
}

# peer_header DIST [NAME...]: the header on stdout. NAME... are the files setup.exe copies, in
# the order it lists them (which InstalledFiles keeps); without them every file of DIST but
# setup.exe and uninstal.exe, in the order ls gives. PEER_DISPLAY_VERSION and PEER_PUBLISHER,
# where set, are the entry's DisplayVersion and Publisher, which setup.exe takes from the
# program's version resource (setup-check's plan names them). PEER_DESKTOP and PEER_PROGRAMS,
# where set, are the all-users desktop and programs folders of the machine the peer is to run
# on: the entry's InstalledShortcuts then records the shortcuts as setup.exe does.
peer_header() {
  local dist=$1 line
  shift
  local names=("$@") lines=()
  if [ ${#names[@]} -eq 0 ]; then
    while IFS= read -r line; do
      case $line in
        setup.exe | uninstal.exe) ;;
        *) [ -f "$dist/$line" ] && names+=("$line") ;;
      esac
    done < <(ls -A "$dist")
  fi
  mapfile -t lines < <(tr -d '\r' <"$dist/setup.inf") || return 1
  [ ${#lines[@]} -ge 5 ] || return 1
  local folder=${lines[1]} name
  name=${folder%"${folder##*[!\\]}"}
  name=${name##*\\}
  local bytes
  bytes=$(cd "$dist" && stat -c %s -- "${names[@]}" | awk '{ s += $1 } END { print s + 0 }')
  printf '!define %s "%s"\n' PRODUCT "$(nsis_text "${lines[3]}")" NAME "$(nsis_text "$name")" \
    FOLDER "$(nsis_text "$folder")" TITLE "$(nsis_text "${lines[2]}")" \
    PROGRAM "$(nsis_text "${lines[0]}")"
  # EstimatedSize: KiB, rounded up, as setup.exe counts them.
  echo "!define SIZE_KB $(((bytes + 1023) / 1024))"
  [ -n "${PEER_DISPLAY_VERSION:-}" ] &&
    printf '!define DISPLAY_VERSION "%s"\n' "$(nsis_text "$PEER_DISPLAY_VERSION")"
  [ -n "${PEER_PUBLISHER:-}" ] && printf '!define PUBLISHER "%s"\n' "$(nsis_text "$PEER_PUBLISHER")"
  local n
  echo '!macro FILES'
  for n in "${names[@]}"; do echo "  File \"$(nsis_text "$dist/$n")\""; done
  echo '!macroend'
  echo '!macro UNFILES'
  for n in "${names[@]}"; do echo "  Delete \"\$INSTDIR\\$(nsis_text "$n")\""; done
  echo '!macroend'

  # shellcheck disable=SC2016 # NSIS expands it
  local count=${lines[4]} k entry title file link group='$SMPROGRAMS\${PRODUCT}'
  [[ $count =~ ^[0-9]+$ ]] || count=0
  local menu=() unmenu=()
  for ((k = 0; k < count && 5 + k < ${#lines[@]}; ++k)); do
    entry=${lines[5 + k]}
    title=$(nsis_text "${entry%%,*}")
    file=$(nsis_text "${entry##*,}")
    link="  CreateShortCut \"$group\\$title.lnk\" \"\$INSTDIR\\$file\" \"\" \"\" 0"
    menu+=("$link SW_SHOWNORMAL \"\" \"$title\"")
    unmenu+=("  Delete \"$group\\$title.lnk\"")
  done
  echo '!macro MENU'
  [ ${#menu[@]} -gt 0 ] && echo "  CreateDirectory \"$group\"" && printf '%s\n' "${menu[@]}"
  echo '!macroend'
  echo '!macro UNMENU'
  [ ${#unmenu[@]} -gt 0 ] && printf '%s\n' "${unmenu[@]}" && echo "  RMDir \"$group\""
  echo '!macroend'

  local hex
  hex=$(peer_multi_sz "${names[@]}")
  if [ $((${#hex} / 2)) -le "$PEER_MULTI_SZ_LIMIT" ]; then
    echo "!define INSTALLED_FILES $hex"
  fi

  # What setup.exe records: the desktop's link, then the group (a trailing backslash marks a
  # folder) and each link in it, each once, in the order it makes them.
  [ -n "${PEER_DESKTOP:-}" ] && [ -n "${PEER_PROGRAMS:-}" ] || return 0
  local made=("$PEER_DESKTOP\\${lines[2]}.lnk") path seen
  [ "$count" -gt 0 ] && made+=("$PEER_PROGRAMS\\${lines[3]}\\")
  for ((k = 0; k < count && 5 + k < ${#lines[@]}; ++k)); do
    path="$PEER_PROGRAMS\\${lines[3]}\\${lines[5 + k]%%,*}.lnk"
    for seen in "${made[@]}"; do
      [ "$seen" == "$path" ] && continue 2
    done
    made+=("$path")
  done
  hex=$(peer_multi_sz "${made[@]}")
  if [ $((${#hex} / 2)) -le "$PEER_MULTI_SZ_LIMIT" ]; then
    echo "!define INSTALLED_SHORTCUTS $hex"
  fi
}

# peer_multi_sz TEXT...: REG_MULTI_SZ as regedit writes it, in hex: UTF-16LE texts, each ended
# by a zero, and one more.
peer_multi_sz() {
  printf '%s\0' "$@" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -d ' \n'
  echo 0000
}

# peer_build DIST ARCH OUT [stored] [NAME...]: builds the peer of DIST for a build of ARCH into
# OUT, with the files stored as they are when the fourth argument is "stored". makensis's
# output goes to OUT.log.
peer_build() {
  local dist=$1 arch=$2 out=$3 stored=() target
  shift 3
  if [ "${1:-}" == stored ]; then
    stored=(-DSTORED)
    shift
  fi
  target=$(peer_target "$arch") || return 1
  peer_header "$dist" "$@" >"$out.nsh" || return 1
  makensis -NOCD -V2 -DHEADER="$out.nsh" -DOUTFILE="$out" -DTARGET="$target" "${stored[@]}" \
    "$PEER_SCRIPT" >"$out.log" 2>&1
}
