#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer and runs each for its share
# of a bounded time (TW_FUZZ_SECONDS, default 60, split evenly) over a copy of
# its committed corpus (tests/fuzz/corpus/<name>).
# Exits non-zero when a fuzzer finds a crash, a leak or a sanitizer report;
# the reproducer is left in the build folder (crash-*, leak-*, timeout-*).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TW_FUZZ_BUILD:-$root/build/fuzz}
seconds=${TW_FUZZ_SECONDS:-60}
# name and its own options. The backup target keeps the in-memory Windows
# between inputs, which the per-input leak check would take for a leak.
targets="png backup"
options_png="-max_len=65536"
options_backup="-max_len=4096 -detect_leaks=0"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_FUZZ=ON -DTW_WERROR=ON >/dev/null
for t in $targets; do set -- "$@" "${t}_fuzz"; done
cmake --build "$build" -j2 --target "$@"

share=$((seconds / $(echo $targets | wc -w)))
[ "$share" -ge 1 ] || share=1
cd "$build"
status=0
for t in $targets; do
    # New inputs found in this run go to a scratch folder, not into the tree.
    work="$build/$t-corpus"
    mkdir -p "$work"
    cp "$root"/tests/fuzz/corpus/"$t"/* "$work"/
    eval "options=\$options_$t"
    # shellcheck disable=SC2086
    if ./"${t}_fuzz" -max_total_time="$share" $options -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 "$work"; then
        echo "${t}_fuzz: no finding in $share s"
    else
        echo "${t}_fuzz failed; reproducers:" >&2
        ls "$build"/crash-* "$build"/leak-* "$build"/timeout-* "$build"/oom-* 2>/dev/null >&2 || true
        status=1
    fi
done
exit "$status"
