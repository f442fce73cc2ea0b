#!/usr/bin/env bash
# Sealed-file benchmark: sealing and opening a file of random bytes through the encryption control
# (type 10, progress window off), beside the Standard cipher through the control (each Decode
# reads the file its Encode has just written, as the sealed type's does) and the tools a
# person would otherwise use: gpg --symmetric, age -p (its passphrase typed on a pseudo-terminal
# by `script`) and openssl enc. Every peer writes a new file and is followed by `sync` of it, as
# the control makes its result durable before it replaces the file. Medians over the rounds.
# Key stretching is measured apart, as the time of the same operation on an empty file; the
# payload's time is the difference.
#   bench/sealedbench.sh [SIZE_MIB] [ROUNDS]     (defaults 256 and 3; build first)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${VELLOC_BUILD_DIR:-$root/build}/bin"
size_mib="${1:-256}"
rounds="${2:-3}"
passphrase="Tide tables for the northern quay"
work="$(mktemp -d "${TMPDIR:-/tmp}/sealedbench.XXXXXX")"
gpg_home="$work/gnupg"
trap 'gpgconf --homedir "$gpg_home" --kill gpg-agent >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

data="$work/data.bin"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$data"
: > "$work/empty.bin"

# Each timing starts with nothing left to write back from the step before it.
# Each gives "ELAPSED,PROCESSOR": the processor time (user and system, the command's children
# included) is what a shared machine's other load disturbs least.
seconds() {
  local TIMEFORMAT='%R %U %S' r u s
  sync
  read -r r u s < <({ time "$@" >/dev/null 2>&1; } 2>&1)
  echo "$r,$(echo "$u + $s" | bc -l)"
}
median() { sort -n | awk '{a[NR]=$1} END {m=(NR+1)/2; if (NR%2) print a[m]; else print (a[NR/2]+a[NR/2+1])/2}'; }

ccscript() { # TYPE FILE OPERATION
  printf 'new v Vellib.Velloc\nset v.ShowProgress bool:false\nset v.KEY "%s"\nset v.ProtectionType %s\nset v.File "%s"\ncall v.%s\n' \
    "$passphrase" "$1" "$2" "$3"
}
control() { # TYPE FILE OPERATION
  ccscript "$1" "$2" "$3" > "$work/op.cc"
  seconds "$bin/compcall" "$work/op.cc"
}
# The original bytes again for the next round.
restore() { cp "$data.orig" "$data"; }
cp "$data" "$data.orig"

mkdir -m 700 "$gpg_home"
gpg_seal() { gpg --homedir "$gpg_home" --batch --yes --pinentry-mode loopback --no-symkey-cache --passphrase "$passphrase" --symmetric -o "$work/out" "$1" && sync "$work/out"; }
gpg_open() { gpg --homedir "$gpg_home" --batch --yes --pinentry-mode loopback --passphrase "$passphrase" -d -o "$work/back" "$work/out" && sync "$work/back"; }
openssl_seal() { openssl enc -aes-256-cbc -pbkdf2 -pass "pass:$passphrase" -in "$1" -out "$work/out" && sync "$work/out"; }
openssl_open() { openssl enc -d -aes-256-cbc -pbkdf2 -pass "pass:$passphrase" -in "$work/out" -out "$work/back" && sync "$work/back"; }
age_seal() { printf '%s\n%s\n' "$passphrase" "$passphrase" | script -qec "age -p -o '$work/out' '$1'" /dev/null && sync "$work/out"; }
age_open() { printf '%s\n' "$passphrase" | script -qec "age -d -o '$work/back' '$work/out'" /dev/null && sync "$work/back"; }

declare -A times
add() { times[$1]+="$2 "; }
for ((r = 0; r < rounds; r++)); do
  restore; add "control Sealed seal" "$(control 10 "$data" Encode)"
  add "control Sealed open" "$(control 10 "$data" Decode)"
  cmp -s "$data" "$data.orig" || { echo "sealedbench: the control did not restore the file" >&2; exit 1; }
  : > "$work/empty.bin"; add "control Sealed seal, empty file" "$(control 10 "$work/empty.bin" Encode)"
  add "control Sealed open, empty file" "$(control 10 "$work/empty.bin" Decode)"
  restore; add "control Standard seal" "$(control 0 "$data" Encode)"
  add "control Standard open" "$(control 0 "$data" Decode)"; restore
  add "gpg --symmetric seal" "$(seconds gpg_seal "$data")"; add "gpg --symmetric open" "$(seconds gpg_open)"
  add "gpg seal, empty file" "$(seconds gpg_seal "$work/empty.bin")"
  add "openssl enc seal" "$(seconds openssl_seal "$data")"; add "openssl enc open" "$(seconds openssl_open)"
  if command -v age >/dev/null && command -v script >/dev/null; then
    add "age -p seal" "$(seconds age_seal "$data")"; add "age -d open" "$(seconds age_open)"
    cmp -s "$work/back" "$data" || { echo "sealedbench: age -d did not give the file back" >&2; exit 1; }
    add "age -p seal, empty file" "$(seconds age_seal "$work/empty.bin")"
  fi
done

m() { printf '%s\n' ${times[$1]} | cut -d, -f1 | median; }
mc() { printf '%s\n' ${times[$1]} | cut -d, -f2 | median; }
row() { # NAME WHOLE [EMPTY]
  local whole empty cpu cpuempty
  whole=$(m "$2"); cpu=$(mc "$2")
  if [ -n "${3:-}" ]; then
    empty=$(m "$3"); cpuempty=$(mc "$3")
    printf '| %s | %.2f s | %.2f s | %.2f s | %.0f MB/s | %.2f s | %.2f s |\n' "$1" "$whole" "$empty" \
      "$(echo "$whole - $empty" | bc -l)" "$(echo "$size_mib * 1.048576 / ($whole - $empty)" | bc -l)" \
      "$cpu" "$(echo "$cpu - $cpuempty" | bc -l)"
  else
    printf '| %s | %.2f s | | | %.0f MB/s | %.2f s | |\n' "$1" "$whole" "$(echo "$size_mib * 1.048576 / $whole" | bc -l)" "$cpu"
  fi
}

echo "File of $size_mib MiB of random bytes, $rounds rounds, medians; $(nproc) cores, $(uname -r)"
echo
echo '| operation | whole | empty file (start-up and key stretching) | payload | payload rate | processor, whole | processor, payload |'
echo '|---|---|---|---|---|---|---|'
row "control, Sealed, Encode" "control Sealed seal" "control Sealed seal, empty file"
row "control, Sealed, Decode" "control Sealed open" "control Sealed open, empty file"
row "control, Standard, Encode" "control Standard seal"
row "control, Standard, Decode" "control Standard open"
row "gpg --symmetric" "gpg --symmetric seal" "gpg seal, empty file"
row "gpg -d" "gpg --symmetric open"
if [ -n "${times["age -p seal"]:-}" ]; then
  row "age -p" "age -p seal" "age -p seal, empty file"
  row "age -d" "age -d open"
fi
row "openssl enc -aes-256-cbc -pbkdf2 (no authentication)" "openssl enc seal"
row "openssl enc -d" "openssl enc open"
