#!/usr/bin/env bash
# The session scripts/run.sh runs when there is no display: a copy of examples/sample.txt
# enciphered and deciphered in place through the encryption control, then a string enciphered
# and its result deciphered, with every event and byte sum printed. Each round trip is checked;
# the exit status is 1 when either does not come back unchanged.
#   headless-session.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${VELLOC_BUILD_DIR:-$root/build}}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/examples/sample.txt" "$work/sample.txt"
echo "No display: enciphering and deciphering a copy of examples/sample.txt, then a string, with compcall."
echo "Before: $(sha256sum < "$work/sample.txt" | cut -c1-16)…  $(head -c 60 "$work/sample.txt")…"
"$build/bin/compcall" <<SCRIPT
new v Vellib.Velloc
set v.ShowProgress bool:false
set v.KEY "Harbour Lanterns"
set v.ProtectionType 0
set v.File "$work/sample.txt"
echo -- byte sum of the original file:
call v.CRC "$work/sample.txt"
echo -- Encode (the file is enciphered in place):
call v.Encode
echo -- the file named, and its byte sum now that it is enciphered:
get v.File
call v.CRC "$work/sample.txt"
echo -- Decode (the file is deciphered in place):
call v.Decode
echo -- byte sum after deciphering:
call v.CRC "$work/sample.txt"
SCRIPT
echo "After:  $(sha256sum < "$work/sample.txt" | cut -c1-16)…  $(head -c 60 "$work/sample.txt")…"
if cmp -s "$root/examples/sample.txt" "$work/sample.txt"; then
  echo "The deciphered file equals the original."
else
  echo "The deciphered file differs from the original." >&2
  exit 1
fi

# The string goes there and back: the enciphered result printed by the first call is the
# argument of the second. compcall prints strings in the form it reads them, so the printed
# value is written into the second script as it stands (printf %s keeps its backslashes).
plain='Nobody else was meant to read it.'
echo "-- the string \"$plain\", enciphered:"
printf 'new v Vellib.Velloc\ncall v.EncodeString "%s"\n' "$plain" > "$work/encode.ccs"
encoded_out="$("$build/bin/compcall" "$work/encode.ccs")"
echo "$encoded_out"
enciphered="$(printf '%s\n' "$encoded_out" | grep '^bstr:' | tail -n 1)"
if [ -z "$enciphered" ]; then
  echo "EncodeString gave no string." >&2
  exit 1
fi
echo "-- that result handed to DecodeString:"
printf 'new v Vellib.Velloc\ncall v.DecodeString %s\n' "${enciphered#bstr:}" > "$work/decode.ccs"
decoded_out="$("$build/bin/compcall" "$work/decode.ccs")"
echo "$decoded_out"
if [ "$(printf '%s\n' "$decoded_out" | grep '^bstr:' | tail -n 1)" = "bstr:\"$plain\"" ]; then
  echo "The deciphered string equals the original."
else
  echo "The deciphered string differs from the original." >&2
  exit 1
fi
