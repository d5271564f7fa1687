# shellcheck shell=bash
# The benchmark's mixed payload: about a third each of text, programs and incompressible bytes,
# the same bytes on every run on one machine (fixed seeds; the programs come from the installed
# Wine). Sourced by bench/run.sh.

# mixed_text KIND BYTES SEED: BYTES of text of one KIND (prose, log or source), the same for the
# same arguments. Words come from a made-up vocabulary, drawn with a Park–Miller generator
# (exact in awk's doubles, so that every awk gives the same text) and skewed towards the first
# words as in real text, which compresses about as real text does.
mixed_text() {
  awk -v kind="$1" -v bytes="$2" -v seed="$3" '
    function rnd(n) {
      seed = seed * 16807 % 2147483647
      return int(seed / 2147483647 * n)
    }
    function word(u) {
      u = rnd(1000000) / 1000000
      return vocab[int(u * u * u * nv)]
    }
    function ident() { return word() "_" word() }
    function sentence(m, k, s, w) {
      m = 4 + rnd(16)
      for (k = 0; k < m; k++) {
        w = word()
        if (k == 0) w = toupper(substr(w, 1, 1)) substr(w, 2)
        s = s (k ? " " : "") w
        if (k < m - 1 && rnd(8) == 0) s = s ","
      }
      return s "."
    }
    function out(line) {
      print line
      done += length(line) + 1
    }
    function prose(n, s, line, words, count, k) {
      n = 2 + rnd(6)
      line = ""
      for (s = 0; s < n; s++) {
        count = split(sentence(), words, " ")
        for (k = 1; k <= count; k++) {
          if (length(line) + length(words[k]) >= 78) {
            out(line)
            line = ""
          }
          line = line (line == "" ? "" : " ") words[k]
        }
      }
      out(line)
      out("")
    }
    function logline(level, r) {
      t += rnd(1500)
      r = rnd(100)
      level = r < 70 ? "INFO" : r < 88 ? "DEBUG" : r < 97 ? "WARN" : "ERROR"
      out(sprintf("2026-03-%02d %02d:%02d:%02d.%03d %-5s [%s] %s %s %s id=%d took=%dms",
        1 + int(t / 86400000) % 28, int(t / 3600000) % 24, int(t / 60000) % 60,
        int(t / 1000) % 60, t % 1000, level, module[rnd(12)], word(), word(), word(),
        rnd(100000), rnd(500)))
    }
    function source(v, f, n, k, r) {
      v = word()
      f = ident()
      out("/* " sentence() " */")
      out("static int " f "(struct " ident() " *" v ", int n)")
      out("{")
      for (n = 2 + rnd(10); n > 0; n--) {
        r = rnd(4)
        if (r == 0) {
          out("\tint " word() " = " rnd(1000) ";")
        } else if (r == 1) {
          out("\tif (" v "->" word() " > " rnd(100) ")")
          out("\t\treturn " ident() "(" v ", n - 1);")
        } else if (r == 2) {
          out("\tfor (i = 0; i < n; i++)")
          out("\t\t" v "->" word() "[i] = " ident() "(i);")
        } else {
          out("\t" ident() "(" v ", \"" word() " " word() "\");")
        }
      }
      out("\treturn 0;")
      out("}")
      out("")
    }
    BEGIN {
      ns = split("ka lo mi ne ra to su ve da pi in or al en er th an st re co de ma pro con " \
        "ing ter ment tion ly ed es at ou", syllable, " ")
      nv = 3000
      for (k = 0; k < nv; k++) {
        w = ""
        for (j = 1 + rnd(3); j > 0; j--) w = w syllable[1 + rnd(ns)]
        vocab[k] = w
      }
      for (k = 0; k < 12; k++) module[k] = word()
      while (done < bytes) {
        if (kind == "prose") prose()
        else if (kind == "log") logline()
        else source()
      }
    }' | head -c "$2"
}

# mixed_random FILE BYTES KEY: BYTES of incompressible bytes, the AES-128-CTR keystream of the
# number KEY: random to any compressor, and the same on every run.
mixed_random() {
  head -c "$2" /dev/zero |
    openssl enc -aes-128-ctr -nosalt -K "$(printf '%032x' "$3")" -iv "$(printf '%032x' 0)" \
      -out "$1"
}

# mixed_programs DIR BYTES ARCH: stripped copies of the Windows programs and DLLs Wine installs
# for ARCH (i686, x86_64), the largest first, each added while the total stays within BYTES;
# it stops once within 1 % of it. Each copy is named copy_NAME, so that none is loaded in place
# of a system DLL by a program started in DIR.
mixed_programs() {
  local dir=$1 bytes=$2 arch=$3 source strip total=0 size file
  case $arch in
    i686) source=/usr/lib/i386-linux-gnu/wine/i386-windows strip=i686-w64-mingw32-strip ;;
    x86_64) source=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows strip=x86_64-w64-mingw32-strip ;;
    *) return 1 ;;
  esac
  [ -d "$source" ] || {
    echo "no Windows programs of Wine in $source" >&2
    return 1
  }
  while read -r _ file; do
    # strip writes the time into the PE header unless told otherwise.
    SOURCE_DATE_EPOCH=0 "$strip" -o "$dir/copy_$file" "$source/$file" 2>/dev/null || {
      rm -f "$dir/copy_$file"
      continue
    }
    size=$(stat -c %s "$dir/copy_$file")
    if [ $((total + size)) -gt "$bytes" ]; then
      rm -f "$dir/copy_$file"
      continue
    fi
    total=$((total + size))
    [ $((total * 100)) -ge $((bytes * 99)) ] && break
  done < <(cd "$source" && find . -maxdepth 1 -type f \( -name '*.dll' -o -name '*.exe' \) \
    -printf '%s %f\n' | LC_ALL=C sort -k1,1nr -k2,2)
  [ "$total" -gt 0 ]
}

# make_mixed DIR MIB ARCH: the mixed payload of MIB MiB into DIR: a third of text in twelve
# files (prose, logs, source), a third of programs, a third of random bytes in four files.
make_mixed() {
  local dir=$1 third=$(($2 * 1024 * 1024 / 3)) arch=$3 k kind
  local -A suffix=([prose]=txt [log]=log [source]=c)
  for k in 1 2 3 4; do
    for kind in prose log source; do
      mixed_text "$kind" $((third / 12)) "$((k * 7919 + ${#kind}))" \
        >"$dir/$kind-$k.${suffix[$kind]}" || return 1
    done
    mixed_random "$dir/random-$k.bin" $((third / 4)) "$k" || return 1
  done
  mixed_programs "$dir" "$third" "$arch"
}
