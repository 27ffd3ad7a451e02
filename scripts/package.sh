#!/usr/bin/env bash
# Builds the .deb from build/ and checks what it holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" desktop-file-utils dpkg-dev
"$root/scripts/build.sh"
cd "$root/build"
rm -f mfd-shell_*.deb
cpack -G DEB >/dev/null
deb=$(ls mfd-shell_*.deb)
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/mfd-shell ./usr/bin/mfd-sim ./usr/share/applications/mfd-shell.desktop \
         ./usr/share/icons/hicolor/scalable/apps/mfd-shell.svg; do
  grep -q " $f\$" <<<"$contents" || { echo "missing from $deb: $f"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6serialport6 qt6-qpa-plugins; do
  grep -q "$d" <<<"$depends" || { echo "$deb does not depend on $d: $depends"; exit 1; }
done
desktop-file-validate "$root/data/mfd-shell.desktop"
echo "package ok: $deb"
echo "  Depends: $depends"
