#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes
# of it (.clang-format at the root); run by ctest as format_check.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
clang-format --dry-run -Werror "${files[@]}"
echo "format: ${#files[@]} files as clang-format makes them"
