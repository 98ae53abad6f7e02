#!/bin/sh
# Builds the fuzz targets natively with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer) and runs each for a bounded time. Findings land in $OUT/<target>/ as crash-* files.
set -eu
SECONDS_EACH=${FUZZ_SECONDS:-60}
OUT=${OUT:-build-fuzz}
mkdir -p "$OUT"
FLAGS="-std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I."

clang++ $FLAGS tests/fuzz/tga_fuzz.cpp scenes/tga_decode.cpp -o "$OUT/tga_fuzz"

for target in tga; do
    mkdir -p "$OUT/$target/corpus"
    cp tests/fuzz/seeds/$target/* "$OUT/$target/corpus/"
    echo "== $target: ${SECONDS_EACH}s"
    (cd "$OUT/$target" &&
        "../${target}_fuzz" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
            -artifact_prefix=./ corpus 2>&1 | grep -E '^(stat::number_of_executed_units|stat::peak_rss|==.*ERROR|SUMMARY)|Done ')
done
