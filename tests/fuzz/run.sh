#!/usr/bin/env bash
# Builds the XM fuzz target (clang, libFuzzer, ASan, UBSan) in build/fuzz,
# replays every input kept in tests/fuzz/regressions/, then fuzzes for a
# fixed time from seeds copied out of the XM corpus (skipped with a notice
# when the corpus is absent).
#   tests/fuzz/run.sh [SECONDS]     default 60
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
tree=build/fuzz
corpus=../shared/xm-corpus

mkdir -p "$tree"
{ cmake -S tests/fuzz -B "$tree" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
  cmake --build "$tree" -j2; } >"$tree/build.log" 2>&1 ||
  { tail -n 40 "$tree/build.log"; echo "fuzz: the fuzz target does not build"; exit 1; }
fuzzer=$tree/xm_fuzz
options=(-timeout=20 -malloc_limit_mb=512 -max_len=65536)

shopt -s nullglob
regressions=(tests/fuzz/regressions/*)
if [ ${#regressions[@]} -gt 0 ]; then
  echo "fuzz: replaying ${#regressions[@]} regression inputs"
  "$fuzzer" "${options[@]}" "${regressions[@]}" >"$tree/regressions.log" 2>&1 ||
    { tail -n 40 "$tree/regressions.log"; echo "fuzz: a regression input fails (log: $tree/regressions.log)"; exit 1; }
fi

if [ ! -d "$corpus" ]; then
  echo "NOTICE: fuzz: no XM corpus at $corpus, seeding from the regression inputs only"
fi
mkdir -p "$tree/seeds" "$tree/inputs" "$tree/crashes"
# Small corpus files make the seeds; seeds and crashes start afresh on every
# run, while the inputs the fuzzer found are kept to build on.
rm -f "$tree/seeds"/* "$tree/crashes"/*
[ -d "$corpus" ] && find "$corpus" -maxdepth 1 -iname '*.xm' -size -64k -exec cp {} "$tree/seeds/" \;
cp -t "$tree/seeds/" "${regressions[@]}" 2>/dev/null || true

echo "fuzz: ${seconds} s from $(ls "$tree/seeds" | wc -l) seeds"
if ! "$fuzzer" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$tree/crashes/" "$tree/inputs" "$tree/seeds" >"$tree/fuzz.log" 2>&1; then
  tail -n 60 "$tree/fuzz.log"
  echo "fuzz: failure found; keep the input as a regression case:"
  for f in "$tree/crashes"/*; do echo "  cp $f tests/fuzz/regressions/"; done
  exit 1
fi
grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$tree/fuzz.log" | sed 's/^/fuzz: /'
echo "fuzz: no failure"
