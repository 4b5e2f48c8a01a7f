#!/usr/bin/env bash
# The long fuzzing run, outside make test: every target for the given
# number of seconds (default 1200), two at a time on two cores, each from
# the corpus kept in tests/fuzz/corpus/<target> (the payload target also
# from the installers the end-to-end cases built). What a run found is
# merged, minimised, back into that corpus; make test replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1200}
jobs=${FUZZ_JOBS:-2}
[ -f build/fuzz/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -Wno-dev \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAUNCHER_FUZZ=ON >/dev/null
ninja -C build/fuzz --quiet

run_target() {
  local target=$1 work=build/fuzz/long/$1 kept=tests/fuzz/corpus/$1
  rm -rf "$work" && mkdir -p "$work" "$kept"
  if [ "$target" = fuzz_payload ]; then
    find build/e2e -name installer.exe -size -80k 2>/dev/null | sort | head -40 |
      while read -r f; do cp "$f" "$work/$(sha1sum "$f" | cut -c1-16)"; done
  fi
  build/fuzz/"$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -print_final_stats=1 \
    "$work" "$kept" > "build/fuzz/long/$target.log" 2>&1 || { tail -40 "build/fuzz/long/$target.log"; return 1; }
  mkdir -p "$work.merged"
  build/fuzz/"$target" -merge=1 -max_len=65536 "$work.merged" "$kept" "$work" > /dev/null 2>&1
  rm -rf "$kept" && mv "$work.merged" "$kept"
  local runs cov
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "build/fuzz/long/$target.log" | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]*' "build/fuzz/long/$target.log" | tail -1 | grep -o '[0-9]*')
  echo "$target: ${runs:-0} inputs in ${seconds}s, coverage ${cov:-?} edges, corpus $(ls "$kept" | wc -l) files, no crash"
}

status=0
targets=()
for source in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
for ((i = 0; i < ${#targets[@]}; i += jobs)); do
  pids=()
  for target in "${targets[@]:i:jobs}"; do
    run_target "$target" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
done
exit $status
