#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELTRANE_WERROR=ON -DVELTRANE_SANITIZE=ON
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
