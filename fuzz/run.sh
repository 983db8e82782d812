#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (Address + UndefinedBehavior sanitizers) and runs each
# from its seeds, for a time or for a number of executions. Not part of CI.
#   usage: fuzz/run.sh [SECONDS (default 180) | --runs N] [TARGET ...]   (default: every target)
# Findings are written as crash-*/leak-*/timeout-* files in build-fuzz/findings/TARGET/.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
limit=(-max_total_time=180)
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="$2"); shift 2
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  limit=(-max_total_time="$1"); shift
fi
build="$top/build-fuzz"
CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DZELKAR_FUZZ=ON -DZELKAR_TESTS=OFF -DZELKAR_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$top"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
cmake --build "$build" -j2 --target "${targets[@]}"
for name in "${targets[@]}"; do
  target="$build/fuzz/$name"
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings"
  [ -d "$top/fuzz/seeds/$name" ] && cp -n "$top/fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null || true
  echo "== $name (${limit[*]})"
  "$target" "${limit[@]}" -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" 2>&1 | tail -n 15
done
