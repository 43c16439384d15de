#!/usr/bin/env bash
# Builds the test suite with AddressSanitizer and UBSan and runs it.
set -euo pipefail
src="$1"; out="$2"
cmake -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVRO_SANITIZE=ON -DKAVRO_TESTS_ONLY=ON >/dev/null
cmake --build "$out" --target kavro_tests kavro-engine
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$out/tests/kavro_tests" --gtest_brief=1
