#!/usr/bin/env bash
# Renders data/icons/veltrane.svg into the committed PNG sizes (data/icons/veltrane-N.png).
# Run it after changing the SVG; the build itself needs no renderer. Needs rsvg-convert
# (Debian librsvg2-bin, installed here when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v rsvg-convert >/dev/null; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q librsvg2-bin
fi
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" data/icons/veltrane.svg -o "data/icons/veltrane-$size.png"
done
ls -l data/icons/
