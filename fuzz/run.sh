#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (Address + UndefinedBehavior sanitizers) and runs each
# for a while. Not part of CI.   usage: fuzz/run.sh [seconds per target, default 180]
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-180}"
build="$top/build-fuzz"
CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DZELKAR_FUZZ=ON -DZELKAR_TESTS=OFF -DZELKAR_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
targets=()
for source in "$top"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build "$build" -j2 --target "${targets[@]}"
for name in "${targets[@]}"; do
  target="$build/fuzz/$name"
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  [ -d "$top/fuzz/seeds/$name" ] && cp -n "$top/fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null || true
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -n 15
done
