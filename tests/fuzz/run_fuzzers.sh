#!/usr/bin/env bash
# Builds the fuzz targets (the DXF and STL import, the project reader, a
# project through the engine and the preview mesh) with clang and runs each
# for a bounded time, compiling with at most FUZZ_JOBS jobs at once.
# Usage: tests/fuzz/run_fuzzers.sh OUTPUT_DIR [SECONDS_EACH]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build/fuzz}
seconds=${2:-20}
cxx=${FUZZ_CXX:-clang++-14}
jobs=${FUZZ_JOBS:-3}
mkdir -p "$out/obj"
flags=(-std=c++20 -O1 -g -Wall -Wextra -ffp-contract=off -I"$root"
       -fsanitize=address,undefined -fno-sanitize-recover=all)

# The GTK-free sources the targets need, compiled once and kept while unchanged.
objs=()
# The project reader is the one shell file without the toolkit; it writes
# through the export file.
for src in "$root"/import/*.cpp "$root"/engine/*.cpp "$root"/engine/loop_cut/*.cpp "$root"/vase/*.cpp "$root"/text/texts_en.cpp \
           "$root"/text/texts_nl.cpp "$root"/app/project_file.cpp "$root"/export/export_file.cpp; do
  obj="$out/obj/$(basename "$(dirname "$src")")_$(basename "$src" .cpp).o"
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find "$root"/import "$root"/engine "$root"/text "$root"/vase \
       "$root"/app/project_file.h "$root"/export/export_file.h -name '*.h' -newer "$obj" -o -name '*.inc' -newer "$obj" \
       | head -1)" ]; then
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj" &
  fi
  objs+=("$obj")
done
wait
rm -f "$out/libfuzz_sources.a"
ar rcs "$out/libfuzz_sources.a" "${objs[@]}"

# The targets write each input to a file: in a folder of this run, removed
# at the end whatever happens.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/ribbelo_fuzz_XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

status=0
for target in dxf stl project design; do
  "$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/fuzz/${target}_fuzz.cpp" "$root/text/language_en.cpp" \
    "$out/libfuzz_sources.a" -o "$out/${target}_fuzz"
  mkdir -p "$out/corpus_$target"
  # New inputs go to the first folder; the committed seeds are only read.
  # A short file may ask for the whole import point budget; an input that
  # then takes longer than ten seconds ends the run with a note, not a
  # failure, and never joins the corpus.
  rm -f "$out/${target}_timeout-"*
  if ! ASAN_OPTIONS=detect_leaks=1 "$out/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -timeout_exitcode=0 \
       -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$out/${target}_" \
       "$out/corpus_$target" "$root/tests/fuzz/corpus/$target" >"$out/${target}_fuzz.log" 2>&1; then
    echo "fuzz target $target failed; see $out/${target}_fuzz.log"
    tail -40 "$out/${target}_fuzz.log"
    status=1
  fi
  for slow in "$out/${target}_timeout-"*; do
    if [ -e "$slow" ]; then echo "fuzz target $target: an input took longer than 10 s: $slow"; fi
  done
done
exit $status
