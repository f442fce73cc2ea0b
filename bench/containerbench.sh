#!/usr/bin/env bash
# The same Encode of one file, through the container's Methods dialog and through compcall,
# alternating, over several rounds (each round deciphers untimed so the next starts from the
# same bytes); medians reported, with what the container's event log kept of each run.
#   bench/containerbench.sh [SIZE_MIB] [ROUNDS]     (defaults 200 and 3; build first)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${VELLOC_BUILD_DIR:-$root/build}/bin"
size_mib="${1:-200}"
rounds="${2:-3}"
work="$(mktemp -d "${TMPDIR:-/tmp}/containerbench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

file="$work/data.bin"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$file"
printf 'new v Vellib.Velloc\nset v.File "%s"\ncall v.Encode\n' "$file" > "$work/enc.cc"
printf 'new v Vellib.Velloc\nset v.File "%s"\ncall v.Decode\n' "$file" > "$work/dec.cc"

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc -l; }
median() { sort -n | awk '{a[NR]=$1} END {m=(NR+1)/2; if (NR%2) print a[m]; else print (a[NR/2]+a[NR/2+1])/2}'; }

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
: > "$work/compcall.t"
: > "$work/container.t"
for _ in $(seq "$rounds"); do
  seconds "$bin/compcall" "$work/enc.cc" >> "$work/compcall.t"
  "$bin/compcall" "$work/dec.cc" >/dev/null 2>&1
  line=$("$bin/container_encode" "$file")
  echo "container: $line"
  echo "$line" | sed -E 's/.* in ([0-9.]+) s;.*/\1/' >> "$work/container.t"
  "$bin/compcall" "$work/dec.cc" >/dev/null 2>&1
done
c=$(median < "$work/compcall.t")
m=$(median < "$work/container.t")
printf 'Encode of %d MiB, median of %d: compcall %.3f s, container Methods dialog %.3f s (%.2fx)\n' \
  "$size_mib" "$rounds" "$c" "$m" "$(echo "$m / $c" | bc -l)"
