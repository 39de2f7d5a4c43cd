#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the sources of src/ and tests/
# (the fuzz targets, built apart with clang, left out), on the compile commands of a
# build folder (default: build-test, made by scripts/test.sh); a finding fails it.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-test}"
[ -f "$build/compile_commands.json" ] || cmake -S . -B "$build" -G Ninja >/dev/null
git ls-files 'src/*.cpp' 'tests/*.cpp' ':!tests/fuzz/*' | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet
