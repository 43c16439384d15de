#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a while from its seed
# corpus: bash scripts/fuzz.sh SOURCE_DIR BUILD_DIR [SECONDS_EACH]
# Longer runs: bash scripts/fuzz.sh . build-fuzz 3600
set -euo pipefail
src="$(cd "$1" && pwd)"; out="$2"; seconds="${3:-60}"
CC=clang CXX=clang++ cmake -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAVRO_FUZZ=ON -DKAVRO_TESTS_ONLY=ON >/dev/null
targets=()
for f in "$src"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
cmake --build "$out" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for t in "${targets[@]}"; do
  corpus_name="${t#fuzz_}"
  work="$out/corpus-$corpus_name"
  mkdir -p "$work"
  cp -n "$src/tests/fuzz/corpus/$corpus_name"/* "$work"/ 2>/dev/null || true
  echo "== $t for ${seconds}s"
  if ! "$out/$t" -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$out/$t-" \
      -print_final_stats=1 "$work" > "$out/$t.log" 2>&1; then
    echo "$t FAILED; see $out/$t.log"; tail -40 "$out/$t.log"; status=1
  else
    grep -E "stat::number_of_executed_units|Done" "$out/$t.log" | tail -2
  fi
done
exit $status
