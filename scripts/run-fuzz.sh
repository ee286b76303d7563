#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer and runs each for its share
# of a bounded time (TW_FUZZ_SECONDS in all, default 60) over a copy of its
# committed corpus. The targets are those tests/fuzz/fuzz.cmake lists (the
# build writes them to fuzz-targets.txt: name, longest input, own options).
# Exits non-zero when a fuzzer finds a crash, a leak or a sanitizer report;
# the reproducer is left in the build folder (crash-*, leak-*, timeout-*).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TW_FUZZ_BUILD:-$root/build/fuzz}
seconds=${TW_FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_FUZZ=ON -DTW_WERROR=ON >/dev/null
list="$build/fuzz-targets.txt"
targets=$(cut -d' ' -f1 "$list")
# shellcheck disable=SC2086 # one word per target
cmake --build "$build" -j2 --target $targets

count=$(wc -l <"$list")
share=$((seconds / count))
[ "$share" -ge 1 ] || share=1

cd "$build"
status=0
while read -r name max_len options; do
    # New inputs found in this run go to a scratch folder, not into the tree.
    work="$build/${name%_fuzz}-corpus"
    mkdir -p "$work"
    if [ -d "$root/tests/fuzz/corpus/${name%_fuzz}" ]; then
        cp "$root/tests/fuzz/corpus/${name%_fuzz}"/* "$work"/
    fi
    # shellcheck disable=SC2086 # the target's own options, one word each
    if "./$name" -max_total_time="$share" -max_len="$max_len" $options -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 "$work"; then
        echo "$name: no crash in $share s"
    else
        echo "$name failed; reproducers:" >&2
        ls "$build"/crash-* "$build"/leak-* "$build"/timeout-* "$build"/oom-* 2>/dev/null >&2 || true
        status=1
    fi
done <"$list"
exit "$status"
