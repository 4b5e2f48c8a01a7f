#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and shares the given number of
# seconds among them. Each starts from the corpus kept in
# tests/fuzz/corpus/<target> (which it replays first), the payload reader
# also from the installers the end-to-end cases built. New inputs go to
# build/fuzz/corpus; scripts/fuzz_long.sh merges into the kept corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
[ -f build/fuzz/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -Wno-dev \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAUNCHER_FUZZ=ON >/dev/null
out=$(ninja -C build/fuzz --quiet 2>&1) || { echo "$out"; exit 1; }
[ -z "$out" ] || grep -v '^ninja: no work to do' <<<"$out" || true

targets=()
for source in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
share=$(( seconds / ${#targets[@]} ))
[ "$share" -ge 1 ] || share=1

mkdir -p build/fuzz/corpus/fuzz_payload
mapfile -t seeds < <(find build/e2e -name installer.exe -size -80k 2>/dev/null | sort | head -40)
for f in "${seeds[@]}"; do
  cp "$f" "build/fuzz/corpus/fuzz_payload/$(sha1sum "$f" | cut -c1-16)"
done

for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  log=build/fuzz/$target.log
  kept=tests/fuzz/corpus/$target
  mkdir -p "$kept"
  build/fuzz/"$target" -max_total_time="$share" -max_len=65536 -print_final_stats=1 "$corpus" "$kept" 2> "$log" \
    || { tail -40 "$log"; exit 1; }
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  echo "$target: ${runs:-0} inputs in ${share}s, no crash"
done
