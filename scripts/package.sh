#!/usr/bin/env bash
# Builds the Debian package of Veltrane: a Release build without sanitizers in
# build-package, then `cpack -G DEB`. Prints the path of the .deb it wrote
# (build-package/veltrane_<version>_amd64.deb). Install it with
#   sudo apt-get install ./build-package/veltrane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Packaging tools: dpkg-shlibdeps (dpkg-dev) declares the package's library dependencies.
if ! dpkg-query -W -f='${Status}' dpkg-dev 2>/dev/null | grep -q "install ok installed"; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q dpkg-dev
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_SANITIZE=OFF \
    -DVELTRANE_WERROR=OFF -DVELTRANE_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-package --target veltrane veltrane-cli
rm -f build-package/veltrane_*.deb
(cd build-package && cpack -G DEB >/dev/null)
deb=$(ls build-package/veltrane_*.deb)
echo "$deb"
