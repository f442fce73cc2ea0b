#!/usr/bin/env bash
# File benchmark: every cipher type enciphering and then deciphering a file through the encryption
# control (compcall as the host, progress window off, the start of the process included), beside
# cp, cp + sync, openssl enc, gpg --symmetric and ccrypt on the same file, all run in one loop,
# alternating, over several rounds; medians reported, in one folder on disk and one on tmpfs.
#
#   bench/filebench.sh [SIZE_MIB] [ROUNDS] [FOLDER...]
#       defaults: 256, 5, the build tree's folder (on disk) and /dev/shm (tmpfs)
#   VELLOC_BUILD_DIR=build-x bench/filebench.sh ...
#
# The types that refuse some bytes (RLE and Ceaser refuse code 255) or lose some (String1 keeps
# only the characters of its codebook) get text of those characters, the others random bytes;
# Standard runs on both, so every type has Standard on the same file beside it. A type whose
# cipher text is longer or shorter than its plain text (String1 writes three characters for one,
# RLE shortens runs) deciphers a file of another size: Standard also goes through that cipher
# text, between the type's encipher and decipher, and the type's decipher is compared with it. Peak memory is
# the host's peak resident size minus the peak of the same host creating the control and doing
# nothing; the peers' peaks are their own. The control makes its result durable (fsync) before it
# replaces the file, so "cp + sync" is the like-for-like copy; plain cp leaves its copy in the
# page cache, and so do openssl, gpg and ccrypt. The control replaces the file, which deletes the
# old one; "rm" is the deletion of the copy "cp + sync" made, timed on its own. A peer that is not
# installed is skipped with a note. Files stay in the page cache between runs: every command
# reads a cached file. gpg runs with its defaults (it compresses before it enciphers).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${VELLOC_BUILD_DIR:-$root/build}/bin"
size_mib="${1:-256}"
rounds="${2:-5}"
shift $(($# < 2 ? $# : 2))
folders=("$@")
[ ${#folders[@]} -gt 0 ] || folders=("${VELLOC_BUILD_DIR:-$root/build}" /dev/shm)
[ -x "$bin/compcall" ] || { echo "filebench: $bin/compcall not found; build first" >&2; exit 2; }

names=(Standard RLE Ceaser Class String1 VX1 VX2 VX3 VX4 VX5)
texttypes=" 1 2 4 "
resizing=" 1 4 " # the types whose enciphered text is not the length of the original
key=000102030405060708090a0b0c0d0e0f
iv=0f0e0d0c0b0a09080706050403020100
passphrase="harbour lanterns"

peers=(cp cp+sync openssl)
notes=()
if command -v gpg >/dev/null; then peers+=(gpg); else notes+=("gpg is not installed: its row is left out."); fi
if command -v ccrypt >/dev/null; then peers+=(ccrypt); else notes+=("ccrypt is not installed: its row is left out."); fi

now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {m=(NR+1)/2; if (NR%2) print a[m]; else print (a[NR/2]+a[NR/2+1])/2}'; }

# Runs a command with its output discarded; appends "SECONDS PEAK_KIB" to the named list. Each
# starts once the writeback of what ran before it is done (sync, untimed), so that no command
# pays for the one before.
measure() { # LIST COMMAND...
  local list="$1" start end peak; shift
  sync
  start=$(now)
  /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>&1 || { echo "filebench: failed: $*" >&2; exit 1; }
  end=$(now)
  peak=$(tail -n 1 "$work/peak")
  echo "$(echo "$end - $start" | bc -l) $peak" >> "$work/$list"
}

script() { # TYPE FILE OPERATION
  printf 'new v Vellib.Velloc\nset v.ShowProgress bool:false\nset v.ProtectionType %s\nset v.File "%s"\ncall v.%s\n' "$1" "$2" "$3"
}

control() { # TYPE FILE TAG: encipher then decipher, so the file is as it was for the next round
  script "$1" "$2" Encode > "$work/$3.enc.cc"
  script "$1" "$2" Decode > "$work/$3.dec.cc"
  measure "$3.enc" "$bin/compcall" "$work/$3.enc.cc"
  if [[ "$resizing" == *" $1 "* ]]; then
    # Its deciphering reads what its enciphering wrote, longer or shorter than the original:
    # Standard goes through that same file in between, for a comparison on the same input.
    stat -c %s "$2" > "$work/$3.size"
    control 0 "$2" "$3.std"
  fi
  measure "$3.dec" "$bin/compcall" "$work/$3.dec.cc"
}

peer() { # NAME FILE
  local out="$dir/peer.out"
  case "$1" in
    cp) measure cp.enc cp "$2" "$out" ;;
    cp+sync) # and the deletion of that copy: what a replacement pays for the file it replaces
      measure cp+sync.enc sh -c 'cp "$1" "$2" && sync "$2"' sh "$2" "$out"
      measure rm.enc rm "$out" ;;
    openssl)
      measure openssl.enc openssl enc -aes-128-ctr -K "$key" -iv "$iv" -in "$2" -out "$out"
      measure openssl.dec openssl enc -d -aes-128-ctr -K "$key" -iv "$iv" -in "$out" -out "$out.back" ;;
    gpg)
      measure gpg.enc gpg --homedir "$work/gnupg" --batch --yes --quiet --pinentry-mode loopback --passphrase "$passphrase" \
        --symmetric -o "$out" "$2"
      measure gpg.dec gpg --homedir "$work/gnupg" --batch --yes --quiet --pinentry-mode loopback --passphrase "$passphrase" \
        --decrypt -o "$out.back" "$out" ;;
    ccrypt) # in place, on a copy made untimed
      cp "$2" "$out"
      measure ccrypt.enc ccrypt -e -f -K "$passphrase" "$out"
      measure ccrypt.dec ccrypt -d -f -K "$passphrase" "$out.cpt" ;;
  esac
  rm -f "$out" "$out.back" "$out.cpt"
}

column() { # LIST FIELD: the median of one field
  awk -v f="$2" '{print $f}' "$work/$1" | median
}

seconds_of() { column "$1" 1; }
above_idle_mib() { echo "($(column "$1" 2) - $idle) / 1024" | bc -l; }
own_mib() { echo "$(column "$1" 2) / 1024" | bc -l; }

cleanup() {
  if [ -d "${work:-}/gnupg" ] && command -v gpgconf >/dev/null; then gpgconf --homedir "$work/gnupg" --kill all 2>/dev/null || true; fi
  rm -rf "${work:-}" "${dir:-}"
}
trap cleanup EXIT
work="$(mktemp -d "${TMPDIR:-/tmp}/filebench.XXXXXX")"
mkdir -m 700 "$work/gnupg"

printf 'new v Vellib.Velloc\nset v.ShowProgress bool:false\n' > "$work/idle.cc"

echo "Files of $size_mib MiB, $rounds rounds, medians; $(nproc) cores, $(uname -r), $(date -u +%Y-%m-%d)"
for note in "${notes[@]}"; do echo "Note: $note"; done

for folder in "${folders[@]}"; do
  dir="$(mktemp -d "$folder/filebench.XXXXXX")"
  rm -f "$work"/*.enc "$work"/*.dec "$work"/idle
  binary="$dir/binary.bin"
  text="$dir/text.txt"
  head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$binary"
  # Lower-case words, digits, spaces, line breaks and short runs: every cipher takes it whole.
  { yes "the harbour master kept a ledger of every ship....    0000 that came in after dark" || true; } \
    | head -c "$((size_mib * 1024 * 1024))" > "$text"

  for ((r = 0; r < rounds; r++)); do
    measure idle "$bin/compcall" "$work/idle.cc"
    for ((t = 0; t < ${#names[@]}; t++)); do
      if [[ "$texttypes" == *" $t "* ]]; then control "$t" "$text" "t$t"; else control "$t" "$binary" "t$t"; fi
    done
    control 0 "$text" "text0"
    for p in "${peers[@]}"; do peer "$p" "$binary"; done
  done
  idle=$(column idle 2)

  fs=$(df -T "$dir" | awk 'NR == 2 {print $2 " on " $1}')
  echo
  echo "### $folder ($fs)"
  echo
  echo "Start-up alone (compcall creating the control and exiting): $(printf '%.3f' "$(seconds_of idle)") s, $((idle / 1024)) MiB."
  echo
  echo '| operation | file | encipher | decipher | encipher / Standard | decipher / Standard | encipher / (cp + sync) | peak memory above idle (enc / dec) |'
  echo '|---|---|---|---|---|---|---|---|'
  cps=$(seconds_of cp+sync.enc)
  row() { # NAME FILE-KIND TAG STANDARD-TAG-ENCIPHER [STANDARD-TAG-DECIPHER]
    local e d se sd
    e=$(seconds_of "$3.enc"); d=$(seconds_of "$3.dec"); se=$(seconds_of "$4.enc"); sd=$(seconds_of "${5:-$4}.dec")
    printf '| %s | %s | %.2f s | %.2f s | %.2f | %.2f | %.2f | %.1f / %.1f MiB |\n' "$1" "$2" "$e" "$d" \
      "$(echo "$e / $se" | bc -l)" "$(echo "$d / $sd" | bc -l)" "$(echo "$e / $cps" | bc -l)" \
      "$(above_idle_mib "$3.enc")" "$(above_idle_mib "$3.dec")"
  }
  mib_of() { echo "$(cat "$work/$1.size") / 1048576" | bc -l; }
  row "0 Standard" text text0 text0
  for ((t = 0; t < ${#names[@]}; t++)); do
    if [[ "$resizing" == *" $t "* ]]; then
      row "0 Standard" "${names[$t]}'s cipher text ($(printf '%.0f' "$(mib_of "t$t")") MiB)" "t$t.std" "t$t.std"
      row "$t ${names[$t]}" "text; its cipher text" "t$t" text0 "t$t.std"
    elif [[ "$texttypes" == *" $t "* ]]; then
      row "$t ${names[$t]}" text "t$t" text0
    else
      row "$t ${names[$t]}" random "t$t" t0
    fi
  done
  echo
  echo '| peer | file | encipher | decipher | encipher / (cp + sync) | peak memory (enc / dec) |'
  echo '|---|---|---|---|---|---|'
  for p in "${peers[@]}" rm; do
    e=$(seconds_of "$p.enc")
    if [ -s "$work/$p.dec" ]; then
      printf '| %s | random | %.2f s | %.2f s | %.2f | %.1f / %.1f MiB |\n' "$p" "$e" "$(seconds_of "$p.dec")" \
        "$(echo "$e / $cps" | bc -l)" "$(own_mib "$p.enc")" "$(own_mib "$p.dec")"
    else
      printf '| %s | random | %.2f s | | %.2f | %.1f MiB |\n' "$p" "$e" "$(echo "$e / $cps" | bc -l)" "$(own_mib "$p.enc")"
    fi
  done
  rm -rf "$dir"
done
