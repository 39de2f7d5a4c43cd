#!/usr/bin/env bash
# Installs the Debian packages Veltrane needs to build, run and test.
# slapd is installed for the LDAP tests only: its package is told to skip its own
# configuration and never to start the system's service; the tests start their own.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev clang-format ccache pkg-config libldap-dev slapd ldap-utils openssl poppler-utils libxlsxwriter-dev zlib1g-dev python3-openpyxl)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    echo "slapd slapd/no_configuration boolean true" | $sudo_cmd debconf-set-selections
    policy=/usr/sbin/policy-rc.d
    made_policy=""
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' | $sudo_cmd tee "$policy" >/dev/null
        $sudo_cmd chmod 755 "$policy"
        made_policy=yes
    fi
    trap 'if [ -n "$made_policy" ]; then $sudo_cmd rm -f "$policy"; fi' EXIT
    $sudo_cmd apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}"
fi
