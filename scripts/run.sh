#!/usr/bin/env bash
# Installs what is needed, builds, and starts the demonstration program. Without a display it
# runs a scripted session instead (scripts/headless-session.sh): a sample file and a string
# enciphered and deciphered through the encryption control, with every event printed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELLOC_BUILD_DIR:-$root/build}"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

if [ -x "$build/bin/velloc" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$build/bin/velloc"
fi

exec bash "$root/scripts/headless-session.sh" "$build"
