#!/usr/bin/env bash
# A run-length file larger than the memory its process may have: a text of SIZE_MIB enciphered and
# deciphered through the encryption control with the host's address space limited (ulimit -v) to
# LIMIT_MIB, then compared with the original. Prints the time and peak memory of each step.
#
#   bench/rle_large.sh [SIZE_MIB] [LIMIT_MIB] [FOLDER]     (defaults 1536, 1024, the build tree)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${VELLOC_BUILD_DIR:-$root/build}/bin"
size_mib="${1:-1536}"
limit_mib="${2:-1024}"
folder="${3:-${VELLOC_BUILD_DIR:-$root/build}}"
[ -x "$bin/compcall" ] || { echo "rle_large: $bin/compcall not found; build first" >&2; exit 2; }

dir="$(mktemp -d "$folder/rle_large.XXXXXX")"
trap 'rm -rf "$dir"' EXIT
file="$dir/large.txt"
{ yes "the harbour master kept a ledger of every ship....    0000 that came in after dark" || true; } \
  | head -c "$((size_mib * 1024 * 1024))" > "$file"
before=$(sha256sum < "$file")

step() { # OPERATION
  printf 'new v Vellib.Velloc\nset v.ShowProgress bool:false\nset v.ProtectionType 1\nset v.File "%s"\ncall v.%s\n' "$file" "$1" > "$dir/$1.cc"
  local start end
  start=$(date +%s.%N)
  # The limit applies to the host alone, in a subshell.
  ( ulimit -v $((limit_mib * 1024)); /usr/bin/time -f %M -o "$dir/peak" "$bin/compcall" "$dir/$1.cc" > "$dir/$1.out" 2>&1 ) \
    || { echo "rle_large: $1 failed under ulimit -v ${limit_mib} MiB:" >&2; grep -v Progress "$dir/$1.out" >&2; exit 1; }
  end=$(date +%s.%N)
  if grep -q "^error" "$dir/$1.out" || ! grep -q "Finished" "$dir/$1.out"; then
    echo "rle_large: $1 did not finish:" >&2; grep -v Progress "$dir/$1.out" >&2; exit 1
  fi
  printf '%s: %.2f s, peak %d MiB, %s bytes after\n' "$1" "$(echo "$end - $start" | bc -l)" "$(($(tail -n 1 "$dir/peak") / 1024))" "$(stat -c %s "$file")"
}

echo "RLE, $size_mib MiB of text, address space limited to $limit_mib MiB"
step Encode
step Decode
if [ "$(sha256sum < "$file")" = "$before" ]; then echo "deciphered file equals the original"; else echo "rle_large: the deciphered file differs" >&2; exit 1; fi
