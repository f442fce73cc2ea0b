#!/usr/bin/env bash
# Installs what is needed, builds, and starts the demonstration program. Without a display it
# runs a scripted session instead: a sample file enciphered and deciphered through the
# encryption control, with every event printed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELLOC_BUILD_DIR:-$root/build}"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

if [ -x "$build/bin/velloc" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$build/bin/velloc"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/examples/sample.txt" "$work/sample.txt"
echo "No display: enciphering and deciphering a copy of examples/sample.txt with compcall."
echo "Before: $(sha256sum < "$work/sample.txt" | cut -c1-16)…  $(head -c 60 "$work/sample.txt")…"
"$build/bin/compcall" <<SCRIPT
new v Vellib.Velloc
set v.ShowProgress bool:false
set v.KEY "Harbour Lanterns"
set v.ProtectionType 0
set v.File "$work/sample.txt"
echo -- byte sum before:
call v.CRC "$work/sample.txt"
echo -- Encode:
call v.Encode
echo -- enciphered bytes now:
get v.File
call v.CRC "$work/sample.txt"
echo -- Decode:
call v.Decode
echo -- byte sum after:
call v.CRC "$work/sample.txt"
echo -- a string, enciphered and back:
call v.EncodeString "Nobody else was meant to read it."
call v.DecodeString "=\x06\x11\x13\x07\x0bE\x04\x1e\x06\x16\x45\x03\x09\x1d\x11\x53\x0e\x04\x04\x0aE\x1c\x00\x04\x19\x53\x1b\x1cE\x11\x1c\x03\x45"
SCRIPT
echo "After:  $(sha256sum < "$work/sample.txt" | cut -c1-16)…  $(head -c 60 "$work/sample.txt")…"
cmp -s "$root/examples/sample.txt" "$work/sample.txt" && echo "The deciphered file equals the original."
