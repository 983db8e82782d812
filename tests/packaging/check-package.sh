#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root (dpkg -x, no installation) and checks
# that every file is where the desktop, man and udev look for it, that the desktop entry, the
# AppStream metadata and the manual pages pass their validators (where those are installed), and
# that the unpacked program starts and finds its data.
#   check-package.sh CPACK BUILD_DIR APP_ID
set -uo pipefail
cpack="$1" build="$(cd "$2" && pwd)" app_id="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/start-offscreen.sh"
command -v dpkg-deb >/dev/null || { echo "dpkg-deb missing: skipped"; exit 77; }
tmp="$(mktemp -d /tmp/zelkar-package-check.XXXXXX)"
trap '[ -n "${zelkar_pid:-}" ] && kill "$zelkar_pid" 2>/dev/null; rm -rf "$tmp"' EXIT

(cd "$build" && "$cpack" -G DEB --config CPackConfig.cmake -B "$tmp/out") >"$tmp/cpack.log" 2>&1 \
  || { cat "$tmp/cpack.log"; fail "cpack"; }
deb="$(ls "$tmp"/out/zelkar_*.deb 2>/dev/null | head -n1)"
[ -n "$deb" ] || { cat "$tmp/cpack.log"; fail "no zelkar_*.deb"; }

# The control data: dependencies worked out from the binaries, the udev reload.
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "Depends lacks Qt: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q "libc6" || fail "Depends lacks libc6"
dpkg-deb --ctrl-tarfile "$deb" | tar -x -O ./postinst | grep -q "udevadm control --reload-rules" \
  || fail "postinst does not reload the udev rules"

root="$tmp/root dir"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
u="$root/usr"
expected=(
  bin/zelkar bin/zelkar-hidinfo bin/zelkar-vhid
  share/zelkar/skin/main.xml share/zelkar/skin/lan_en.xml share/zelkar/skin/common/logo.png
  share/zelkar/defaults/kbdevicedefault.config
  share/applications/zelkar.desktop
  "share/metainfo/$app_id.metainfo.xml"
  share/icons/hicolor/scalable/apps/zelkar.svg
  share/man/man1/zelkar.1.gz share/man/man1/zelkar-hidinfo.1.gz share/man/man1/zelkar-vhid.1.gz
  lib/udev/rules.d/70-zelkar.rules
)
for size in 16 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/zelkar.png"); done
for f in "${expected[@]}"; do [ -f "$u/$f" ] || fail "missing /usr/$f"; done
for p in zelkar zelkar-hidinfo zelkar-vhid; do [ -x "$u/bin/$p" ] || fail "/usr/bin/$p is not executable"; done
for size in 16 24 32 48 64 128 256; do
  dims="$(od -An -tu1 -j16 -N8 "$u/share/icons/hicolor/${size}x${size}/apps/zelkar.png" | awk '{print $3*256+$4 "x" $7*256+$8}')"
  [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done
find "$root" -name README.md -o -name controls.txt | grep -q . && fail "source notes were packaged"

# The validators, where the set-up script installed them.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$u/share/applications/zelkar.desktop" || fail "desktop-file-validate"
  grep -q "^Icon=zelkar$" "$u/share/applications/zelkar.desktop" || fail "the entry names another icon"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$u/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"
  for pid in 751D 761E 7624 6656 6758; do
    grep -q "<modalias>usb:v0C45p${pid}d\*</modalias>" "$u/share/metainfo/$app_id.metainfo.xml" || fail "no modalias for $pid"
  done
fi
if command -v groff >/dev/null; then
  for page in "$u"/share/man/man1/*.1.gz; do
    warnings="$(zcat "$page" | LC_ALL=C.UTF-8 groff -t -man -Tutf8 -ww -z 2>&1)"
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    zcat "$page" | LC_ALL=C.UTF-8 groff -t -man -Tutf8 -P-cbou 2>/dev/null | grep -q "EXIT STATUS" || fail "$(basename "$page") renders empty"
  done
fi
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" || fail "lintian"
fi

# The unpacked program starts and finds its data under the root it was unpacked to.
"$u/bin/zelkar-hidinfo" --version | grep -q "^zelkar-hidinfo " || fail "zelkar-hidinfo --version"
"$u/bin/zelkar-vhid" --version | grep -q "^zelkar-vhid " || fail "zelkar-vhid --version"
mkdir -p "$tmp/run"
start_zelkar "$u/bin/zelkar" "$tmp/run/log"
wait_for_log "$tmp/run/log" "skin folder: $u/share/zelkar/skin, defaults folder: $u/share/zelkar/defaults/"
wait_for_log "$tmp/run/log" "InitWindow"
wait_for_log "$tmp/run/log" "showing message_text_1"  # the no-device box: up and running
stop_zelkar
echo "$(basename "$deb"): contents in place, validators content"
