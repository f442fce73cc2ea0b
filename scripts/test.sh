#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: a short run of each fuzz target, then
# the unit and end-to-end tests under CTest (whose summary closes the output).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELLOC_BUILD_DIR:-$root/build}"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
bash "$root/fuzz/run-smoke.sh" "$build-fuzz"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
