#!/usr/bin/env bash
# Starts the window under Xvfb on the embedded demo directory, walks the wizard and writes
# a picture of each page, of the progress window and of the about box into
# docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
command -v xvfb-run >/dev/null || { sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"; $sudo_cmd apt-get install -y -q xvfb; }
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BENCH=OFF >/dev/null
cmake --build build --target take_screenshots
LC_ALL=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24" build/tools/take_screenshots docs/screenshots
