#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds over a seed corpus of real built launchers.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
[ -f build/fuzz/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -Wno-dev \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAUNCHER_FUZZ=ON >/dev/null
out=$(ninja -C build/fuzz --quiet fuzz_payload 2>&1) || { echo "$out"; exit 1; }
[ -z "$out" ] || grep -v '^ninja: no work to do' <<<"$out" || true

corpus=build/fuzz/corpus/payload
mkdir -p "$corpus"
# Seeds: the installers the end-to-end cases built, when they exist.
mapfile -t seeds < <(find build/e2e -name installer.exe -size -80k 2>/dev/null | sort | head -40)
for f in "${seeds[@]}"; do
  cp "$f" "$corpus/$(sha1sum "$f" | cut -c1-16)"
done
build/fuzz/fuzz_payload -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
  "$corpus" 2> build/fuzz/fuzz_payload.log || { tail -40 build/fuzz/fuzz_payload.log; exit 1; }
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' build/fuzz/fuzz_payload.log | grep -o '[0-9]*$')
echo "fuzz_payload: ${runs:-0} inputs in ${seconds}s, no crash"
