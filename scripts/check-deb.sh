#!/usr/bin/env bash
# Checks the Debian package on a fresh Debian 12: installs it with apt-get in a debootstrap
# folder of Debian 12 (bookworm) and, inside that chroot, runs the command-line tool, runs
# the sample query on the embedded demo directory, checks the menu entry and the icons, and
# starts the window the way the desktop menu does (the .desktop file's Exec line).
#
# NOT part of CI: it needs root (debootstrap, chroot, mount) and the network (Debian's
# archive). Run it by hand:
#   sudo scripts/check-deb.sh [PATH/TO/veltrane_*.deb]
# Without an argument it builds the package with scripts/package.sh. The pristine Debian 12
# base is made once and kept in $VELTRANE_BOOKWORM (default /var/tmp/veltrane-bookworm);
# every run works on a fresh copy of it, removed at the end (KEEP_CHROOT=1 keeps it).
# With a display server available in the chroot (SCREENSHOT=1, the default), the window is
# also started on Xvfb inside the chroot and a screenshot is written to
# build-package/check-deb-window.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$PWD

if [ "$(id -u)" -ne 0 ]; then
    echo "check-deb.sh: needs root (debootstrap, chroot, mount): sudo $0 $*" >&2
    exit 1
fi

deb=${1:-}
if [ -z "$deb" ]; then
    deb=$(scripts/package.sh | tail -n 1)
fi
[ -f "$deb" ] || { echo "check-deb.sh: no package at '$deb'" >&2; exit 1; }
deb=$(realpath "$deb")
echo "== package: $deb"

need=()
command -v debootstrap >/dev/null || need+=(debootstrap)
command -v desktop-file-validate >/dev/null || need+=(desktop-file-utils)
if [ ${#need[@]} -gt 0 ]; then
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}"
fi

base=${VELTRANE_BOOKWORM:-/var/tmp/veltrane-bookworm}
if [ ! -e "$base/.veltrane-base-complete" ]; then
    echo "== debootstrap of Debian 12 into $base"
    rm -rf "$base.tmp"
    debootstrap --variant=minbase bookworm "$base.tmp" http://deb.debian.org/debian
    touch "$base.tmp/.veltrane-base-complete"
    rm -rf "$base"
    mv "$base.tmp" "$base"
fi

dir=$base-check
rm -rf "$dir"
echo "== fresh copy of the Debian 12 base: $dir"
cp -a "$base" "$dir"

mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -l "${mounted[i]}" 2>/dev/null || true
    done
    if [ "${KEEP_CHROOT:-0}" != 1 ]; then
        rm -rf "$dir"
    else
        echo "== chroot kept in $dir"
    fi
}
trap cleanup EXIT
mount -t proc proc "$dir/proc" && mounted+=("$dir/proc")
mount --bind /dev "$dir/dev" && mounted+=("$dir/dev")
mount -t sysfs sysfs "$dir/sys" && mounted+=("$dir/sys")
cp /etc/resolv.conf "$dir/etc/resolv.conf"

in_chroot() { chroot "$dir" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
# As a desktop user would: an ordinary account with its home folder.
as_user() { chroot --userspec=tester:tester "$dir" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin \
    HOME=/home/tester USER=tester LANG=C.UTF-8 "$@"; }

failures=0
check() { # check DESCRIPTION COMMAND...: runs the command, reports ok or FAILED
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

echo "== apt-get install ./$(basename "$deb") in the chroot"
cp "$deb" "$dir/tmp/"
in_chroot apt-get update -q
in_chroot apt-get install -y -q "./tmp/$(basename "$deb")"
in_chroot dpkg -s veltrane | grep -E '^(Package|Status|Version|Depends):'
in_chroot useradd -m tester
cp docs/examples/users.req "$dir/home/tester/users.req"
chroot "$dir" chown tester:tester /home/tester/users.req

echo "== the command-line tool"
cli_usage() {
    local status=0
    as_user veltrane-cli >/tmp/check-deb-usage.txt 2>&1 || status=$?
    cat /tmp/check-deb-usage.txt
    [ "$status" -eq 2 ] && grep -q '^usage: veltrane-cli run' /tmp/check-deb-usage.txt
}
check "veltrane-cli without arguments prints its usage and exits 2" cli_usage
cli_run() {
    as_user sh -c 'cd /home/tester && veltrane-cli run users.req -o users.txt' || return 1
    cat "$dir/home/tester/users.txt"
    [ "$(wc -l <"$dir/home/tester/users.txt")" -ge 2 ]
}
check "veltrane-cli run users.req on the embedded demo directory writes lines" cli_run

echo "== the menu entry and the icon"
desktop=/usr/share/applications/veltrane.desktop
check "$desktop is installed" test -f "$dir$desktop"
check "$desktop is valid (desktop-file-validate on the host)" desktop-file-validate "$dir$desktop"
for size in 16 32 48 64 128 256; do
    check "icon ${size}x${size}" test -s "$dir/usr/share/icons/hicolor/${size}x${size}/apps/veltrane.png"
done
check "icon scalable" test -s "$dir/usr/share/icons/hicolor/scalable/apps/veltrane.svg"
check "Icon=veltrane names the installed icon" grep -qx 'Icon=veltrane' "$dir$desktop"

echo "== starting the window as the desktop menu does"
# The Exec line of the [Desktop Entry] group, without its field codes (%f, %U, ...).
exec_line=$(awk '/^\[/{group=$0} group=="[Desktop Entry]" && /^Exec=/{sub(/^Exec=/,""); print; exit}' "$dir$desktop")
exec_line=$(echo "$exec_line" | sed -E 's/ ?%[fFuUdDnNickvm]//g')
echo "Exec line: $exec_line"
program=${exec_line%% *}
check "the Exec program '$program' is found in PATH in the chroot" \
    as_user sh -c "command -v '$program'"
window_offscreen() {
    local status=0
    as_user QT_QPA_PLATFORM=offscreen timeout 5 sh -c "exec $exec_line" || status=$?
    echo "exit status $status (124: still running when timeout stopped it after 5 s)"
    [ "$status" -eq 124 ]
}
check "the window starts (offscreen platform) and stays up" window_offscreen

if [ "${SCREENSHOT:-1}" = 1 ]; then
    echo "== the window on an X server (Xvfb) in the chroot, with a screenshot"
    in_chroot apt-get install -y -q --no-install-recommends xvfb x11-apps netpbm >/dev/null
    cat >"$dir/tmp/window-on-xvfb.sh" <<SCRIPT
#!/bin/sh
Xvfb :42 -screen 0 800x600x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
xvfb=\$!
sleep 2
DISPLAY=:42 timeout 8 sh -c "exec $exec_line" &
window=\$!
sleep 5
DISPLAY=:42 xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >/tmp/window.png 2>/dev/null
wait \$window
status=\$?
kill \$xvfb
echo "exit status \$status (124: still running when timeout stopped it after 8 s)"
[ "\$status" -eq 124 ]
SCRIPT
    chmod +x "$dir/tmp/window-on-xvfb.sh"
    check "the window starts on the X11 (xcb) platform under Xvfb and stays up" \
        as_user /tmp/window-on-xvfb.sh
    if [ -s "$dir/tmp/window.png" ]; then
        mkdir -p "$root_dir/build-package"
        cp "$dir/tmp/window.png" "$root_dir/build-package/check-deb-window.png"
        echo "screenshot: build-package/check-deb-window.png"
    fi
fi

echo
if [ "$failures" -eq 0 ]; then
    echo "check-deb.sh: all checks passed on a fresh Debian 12 for $(basename "$deb")"
else
    echo "check-deb.sh: $failures check(s) failed for $(basename "$deb")"
    exit 1
fi
