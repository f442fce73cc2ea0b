#!/usr/bin/env bash
# File benchmark: enciphering a large file through the encryption control (progress window off),
# measured side by side with cp and openssl enc -aes-128-ctr on the same file, alternating, over
# several rounds; medians reported. Peak memory is the control's process peak minus the peak of
# the same host doing nothing. The control makes its result durable (fsync) before it replaces
# the file, so "cp + sync" is the like-for-like copy; plain cp leaves its copy in the page cache.
#   bench/filebench.sh [SIZE_MIB] [ROUNDS]     (defaults 256 and 5; build first)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${VELLOC_BUILD_DIR:-$root/build}/bin"
size_mib="${1:-256}"
rounds="${2:-5}"
work="$(mktemp -d "${TMPDIR:-/tmp}/filebench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

binary="$work/binary.bin"
text="$work/text.txt"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$binary"
# Text the run-length and codebook ciphers take: lower-case words, spaces, line breaks, runs.
{ yes "the harbour master kept a ledger of every ship....    0000 that came in after dark" || true; } | head -c "$((size_mib * 1024 * 1024))" > "$text"

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc -l; }
median() { sort -n | awk '{a[NR]=$1} END {m=(NR+1)/2; if (NR%2) print a[m]; else print (a[NR/2]+a[NR/2+1])/2}'; }

script() { # TYPE FILE OPERATION
  printf 'new v Vellib.Velloc\nset v.ShowProgress bool:false\nset v.ProtectionType %s\nset v.File "%s"\ncall v.%s\n' "$1" "$2" "$3"
}

control() { # TYPE FILE: encipher, then decipher untimed so the next round starts from the same bytes
  script "$1" "$2" Encode > "$work/enc.cc"
  script "$1" "$2" Decode > "$work/dec.cc"
  local t; t=$(seconds "$bin/compcall" "$work/enc.cc")
  "$bin/compcall" "$work/dec.cc" >/dev/null 2>&1
  echo "$t"
}

peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

printf 'new v Vellib.Velloc\nset v.ShowProgress bool:false\n' > "$work/idle.cc"
baseline=$(peak_kib "$bin/compcall" "$work/idle.cc")

row() { # NAME TYPE FILE
  local name="$1" type="$2" file="$3" c=() p=() q=() o=()
  for ((r = 0; r < rounds; r++)); do
    c+=("$(control "$type" "$file")")
    p+=("$(seconds cp "$file" "$work/copy")"); rm -f "$work/copy"
    q+=("$(seconds sh -c "cp '$file' '$work/copy' && sync '$work/copy'")"); rm -f "$work/copy"
    o+=("$(seconds openssl enc -aes-128-ctr -K 000102030405060708090a0b0c0d0e0f -iv 0f0e0d0c0b0a09080706050403020100 -in "$file" -out "$work/copy")"); rm -f "$work/copy"
  done
  local cm pm qm om
  cm=$(printf '%s\n' "${c[@]}" | median); pm=$(printf '%s\n' "${p[@]}" | median)
  qm=$(printf '%s\n' "${q[@]}" | median); om=$(printf '%s\n' "${o[@]}" | median)
  script "$type" "$file" Encode > "$work/enc.cc"
  local peak; peak=$(peak_kib "$bin/compcall" "$work/enc.cc")
  script "$type" "$file" Decode > "$work/dec.cc"; "$bin/compcall" "$work/dec.cc" >/dev/null 2>&1
  local bytes; bytes=$(stat -c %s "$file")
  printf '| %s | %.2f s | %.2f s | %.2f s | %.2f s | %.2f | %.2f | %.2f | %.1f MiB (%.3f x file) |\n' "$name" "$cm" "$pm" "$qm" "$om" \
    "$(echo "$cm / $pm" | bc -l)" "$(echo "$cm / $qm" | bc -l)" "$(echo "$cm / $om" | bc -l)" \
    "$(echo "($peak - $baseline) / 1024" | bc -l)" "$(echo "($peak - $baseline) * 1024 / $bytes" | bc -l)"
}

echo "File of $size_mib MiB, $rounds rounds, medians; $(nproc) cores, $(uname -r)"
echo
echo '| cipher | control | cp | cp + sync | openssl aes-128-ctr | control / cp | control / (cp + sync) | control / openssl | peak memory above baseline |'
echo '|---|---|---|---|---|---|---|---|---|'
row "Standard (random bytes)" 0 "$binary"
row "RLE (text)" 1 "$text"
row "String1 (text)" 4 "$text"
