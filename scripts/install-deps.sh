#!/usr/bin/env bash
# Installs the Debian packages Veltrane needs to build, run, test and fuzz.
# slapd is installed for the LDAP tests only: its package is told to skip its own
# configuration and never to start the system's service; the tests start their own.
# Samba's AD domain controller is installed for the Active Directory tests the same way:
# no service of the system is started (policy-rc.d), the Kerberos questions are answered
# without a realm, and the tests provision and run their own domain in a temporary folder.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev clang-format clang-tidy ccache pkg-config libldap-dev slapd ldap-utils openssl poppler-utils libxlsxwriter-dev zlib1g-dev python3-openpyxl
    samba samba-ad-dc samba-ad-provision ldb-tools winbind krb5-user)
# The fuzz targets (scripts/fuzz.sh) are built with clang and linked with its runtime
# (libFuzzer and the sanitizers), whose package carries clang's major version: on Debian
# 12, clang is clang-14 and the runtime libclang-rt-14-dev.
clang_runtime=$(apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/libclang-rt-\1-dev/p' | head -n 1 || true)
packages+=(clang "${clang_runtime:-libclang-rt-14-dev}")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd debconf-set-selections <<'SELECTIONS'
slapd slapd/no_configuration boolean true
krb5-config krb5-config/default_realm string
krb5-config krb5-config/add_servers_realm string
krb5-config krb5-config/add_servers boolean false
krb5-config krb5-config/kerberos_servers string
krb5-config krb5-config/admin_server string
krb5-config krb5-config/read_conf boolean true
SELECTIONS
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
