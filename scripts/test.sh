#!/usr/bin/env bash
# Installs what is missing, builds everything in Release and runs every test
# through ctest (unit, headless scenarios, sanitizer build, end-to-end under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
cd build
ctest --output-on-failure -j2
