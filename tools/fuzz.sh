#!/bin/sh
# Builds the fuzz targets natively with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer) and runs each for a bounded time, or a set number of runs. The TGA target takes any
# bytes as the glyph image; the Ogg target opens and fully decodes any bytes through our stream
# callbacks with Debian's libvorbis; the settings target reads any bytes as the Linux settings
# file and checks that what it writes back reads the same; the options target parses any bytes
# as the Linux command line; the url target parses any bytes as the browser page's URL query.
# Findings land in $OUT/<target>/ as crash-* files.
#     tools/fuzz.sh [TARGET...]       (default: tga ogg settings options url)
# FUZZ_SECONDS each (default 60), or FUZZ_RUNS runs each when set.
set -eu
SECONDS_EACH=${FUZZ_SECONDS:-60}
LIMIT="-max_total_time=$SECONDS_EACH"
[ -n "${FUZZ_RUNS:-}" ] && LIMIT="-runs=$FUZZ_RUNS"
TARGETS=${*:-tga ogg settings options url}
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

clang++ $FLAGS tests/unix/fuzz/settings_fuzz.cpp unix/settings_file.cpp -o "$OUT/settings_fuzz"
clang++ $FLAGS tests/unix/fuzz/options_fuzz.cpp unix/options.cpp core/settings/options.cpp \
    core/settings/module_params.cpp -o "$OUT/options_fuzz"
clang++ $FLAGS tests/web/fuzz/url_fuzz.cpp web/url_options.cpp core/settings/options.cpp \
    core/settings/module_params.cpp -o "$OUT/url_fuzz"

for target in tga ogg settings options url; do
    /usr/bin/python3 tools/make_fuzz_seeds.py $target "$OUT/$target/corpus"
done
cp resources/tune.ogg "$OUT/ogg/corpus/"

for target in $TARGETS; do
    rm -f "$OUT/$target"/crash-* "$OUT/$target"/leak-* "$OUT/$target"/timeout-* "$OUT/$target"/oom-*
    echo "== $target: $LIMIT"
    # Ogg inputs up to 8 KB: every seed whole (the chained one is 7.8 KB) and the tune's headers
    # with its first audio packets. A longer stream adds decoding time, not new paths, and at the
    # tune's full length a run takes about a hundred times as long.
    LENGTH=
    [ "$target" = ogg ] && LENGTH=-max_len=8192
    # Standard error closed: the settings reader warns of every unusable input. libFuzzer's own
    # lines and the sanitizers' reports still come through.
    (cd "$OUT/$target" &&
        "../${target}_fuzz" "$LIMIT" $LENGTH -print_final_stats=1 -rss_limit_mb=2048 -close_fd_mask=2 \
            -artifact_prefix=./ corpus 2>&1 |
        grep -E '^(stat::number_of_executed_units|stat::peak_rss|==.*ERROR|SUMMARY)|Done |Test unit written')
    ls "$OUT/$target" | grep -E '^(crash|leak|timeout|oom)-' || echo "$target: no findings"
done
