#!/usr/bin/env bash
# Installs what is missing, builds, and starts the Veltrane window on the embedded demo
# directory (or on the directory file that ~/.config/Veltrane/client.ini names).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BENCH=OFF >/dev/null
cmake --build build --target veltrane veltrane-cli
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "run.sh: start it from a desktop session, or under Xvfb: xvfb-run -a build/src/app/veltrane" >&2
    echo "run.sh: the command-line tool needs no display: build/src/cli/veltrane-cli run docs/examples/users.req" >&2
    exit 1
fi
exec build/src/app/veltrane "$@"
