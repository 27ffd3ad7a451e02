#!/usr/bin/env bash
# Installs what the shell, its tests and its simulated unit need on Debian, skipping what is there.
set -euo pipefail
packages=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-qpa-plugins
          libgl-dev fonts-dejavu-core)
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
