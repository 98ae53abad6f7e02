#!/bin/sh
# Builds the fuzz targets natively with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer) and runs each for a bounded time. The TGA target takes any bytes as the glyph
# image; the Ogg target opens and fully decodes any bytes through our stream callbacks with
# Debian's libvorbis. Findings land in $OUT/<target>/ as crash-* files.
set -eu
SECONDS_EACH=${FUZZ_SECONDS:-60}
OUT=${OUT:-build-fuzz}
mkdir -p "$OUT"
FLAGS="-std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I."

clang++ $FLAGS tests/core/fuzz/tga_fuzz.cpp core/scenes/tga_decode.cpp -o "$OUT/tga_fuzz"
# vorbisfile comes from the same Debian source with the same fixes as the saver's own build;
# the rest of libvorbis and libogg from Debian's libvorbis-dev.
VORBIS_SOURCES=${VORBIS_SOURCES:-$HOME/.cache/velta2/vorbis-src}
src="$OUT/libvorbis-src"
rm -rf "$src"
dpkg-source --no-check -x "$VORBIS_SOURCES"/libvorbis_*.dsc "$src" >/dev/null
for p in cmake/patches/libvorbis-*.patch; do patch -s -p1 -d "$src" -i "$PWD/$p"; done
clang -c -O1 -g -fsanitize=fuzzer-no-link,address,undefined -I"$src/include" -I"$src/lib" \
    "$src/lib/vorbisfile.c" -o "$OUT/vorbisfile.o"
clang++ $FLAGS tests/core/fuzz/ogg_fuzz.cpp core/music/decoder.cpp core/music/resource_stream.cpp \
    "$OUT/vorbisfile.o" -lvorbis -logg -o "$OUT/ogg_fuzz"

/usr/bin/python3 tools/make_fuzz_seeds.py tga "$OUT/tga/corpus"
/usr/bin/python3 tools/make_fuzz_seeds.py ogg "$OUT/ogg/corpus"
cp resources/tune.ogg "$OUT/ogg/corpus/"

for target in tga ogg; do
    rm -f "$OUT/$target"/crash-* "$OUT/$target"/leak-* "$OUT/$target"/timeout-* "$OUT/$target"/oom-*
    echo "== $target: ${SECONDS_EACH}s"
    (cd "$OUT/$target" &&
        "../${target}_fuzz" -max_total_time="$SECONDS_EACH" -print_final_stats=1 -rss_limit_mb=2048 \
            -artifact_prefix=./ corpus 2>&1 |
        grep -E '^(stat::number_of_executed_units|stat::peak_rss|==.*ERROR|SUMMARY)|Done |Test unit written')
    ls "$OUT/$target" | grep -E '^(crash|leak|timeout|oom)-' || echo "$target: no findings"
done
