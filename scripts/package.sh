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
echo "package contents ok: $deb"
echo "  Depends: $depends"

# Installed, the shell starts and keeps running until it is closed.
if [ "$(id -u)" -eq 0 ]; then
  apt-get install -y -qq "./$deb" >/dev/null
  set +e
  QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/mfd-shell >/dev/null 2>&1
  rc=$?
  set -e
  apt-get remove -y -qq mfd-shell >/dev/null
  [ $rc -eq 124 ] || { echo "the installed shell did not stay up (exit $rc)"; exit 1; }
  echo "installed shell starts"
fi
