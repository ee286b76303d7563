#!/bin/sh
# Builds the PNG fuzz target with clang and libFuzzer and runs it for a bounded
# time (TW_FUZZ_SECONDS, default 60) over a copy of the committed corpus.
# Exits non-zero when the fuzzer finds a crash, a leak or a sanitizer report;
# the reproducer is left in the build folder (crash-*, leak-*, timeout-*).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TW_FUZZ_BUILD:-$root/build/fuzz}
seconds=${TW_FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_FUZZ=ON -DTW_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target png_fuzz

# New inputs found in this run go to a scratch folder, not into the tree.
work="$build/png-corpus"
mkdir -p "$work"
cp "$root"/tests/fuzz/corpus/png/* "$work"/

cd "$build"
status=0
./png_fuzz -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 "$work" || status=$?
if [ "$status" -ne 0 ]; then
    echo "png_fuzz failed (exit $status); reproducers:" >&2
    ls "$build"/crash-* "$build"/leak-* "$build"/timeout-* "$build"/oom-* 2>/dev/null >&2 || true
    exit 1
fi
echo "png_fuzz: no crash in $seconds s"
