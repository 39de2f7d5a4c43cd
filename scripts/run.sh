#!/usr/bin/env bash
# Installs what is missing, builds, and starts Veltrane on the embedded demo directory.
# The wizard window is not built yet: until it is, this runs the command-line tool on
# the sample query docs/examples/users.req and shows its results.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BENCH=OFF >/dev/null
cmake --build build --target veltrane-cli
exec build/src/cli/veltrane-cli run docs/examples/users.req "$@"
