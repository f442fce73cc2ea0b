#!/usr/bin/env bash
# Builds the fuzz targets (the cipher library's and the runtime's readers') with clang, libFuzzer
# and the address and undefined-behaviour sanitizers, and runs each for a short, bounded time on
# its seed corpus. Only the fuzz targets and what they link are built.
# Prints one line per target; exits non-zero if a target fails to build, crashes or fails a
# check.
#
#   fuzz/run-smoke.sh [build-dir]        (default: build-fuzz at the top of the source tree)
#   FUZZ_SECONDS=30 fuzz/run-smoke.sh    (time per target, default 10)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
build=$(realpath -m "${1:-$root/build-fuzz}")
seconds=${FUZZ_SECONDS:-10}

command -v clang++ >/dev/null || { echo "run-smoke: clang++ not found" >&2; exit 2; }
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

mkdir -p "$build"
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVELLOC_FUZZ=ON -DVELLOC_BUILD_TESTS=OFF -DVELLOC_BUILD_BENCH=OFF >"$build/fuzz-configure.log" 2>&1 \
    || { tail -n 40 "$build/fuzz-configure.log" >&2; echo "run-smoke: configure failed" >&2; exit 1; }

targets=()
for source in "$here"/*_fuzzer.cpp; do
    targets+=("$(basename "$source" _fuzzer.cpp)")
done
cmake --build "$build" --parallel 2 --target "${targets[@]/#/fuzz_}" >"$build/fuzz-build.log" 2>&1 \
    || { tail -n 40 "$build/fuzz-build.log" >&2; echo "run-smoke: build failed" >&2; exit 1; }

# New inputs go to a working corpus in the build tree; the seed corpus in the source tree is
# only read.
mkdir -p "$build/fuzz-logs" "$build/fuzz-artifacts"
failed=0
for name in "${targets[@]}"; do
    work="$build/fuzz-corpus/$name"
    log="$build/fuzz-logs/$name.log"
    mkdir -p "$work"
    # A target may add options of its own (fuzz/<name>.options, one line).
    options=()
    [ -f "$here/$name.options" ] && read -r -a options <"$here/$name.options"
    if "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "${options[@]}" \
        -artifact_prefix="$build/fuzz-artifacts/$name-" "$work" "$here/corpus/$name" >"$log" 2>&1; then
        runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
        echo "fuzz_$name: ok, ${runs:-?} runs in ${seconds} s"
    else
        echo "fuzz_$name: FAILED, log $log"
        grep -E "ERROR|SUMMARY|check failed|Test unit written" "$log" | head -n 5 | sed 's/^/    /'
        failed=1
    fi
done
exit "$failed"
