#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the program.
# Quick when everything is already there: apt is only called for missing packages.
set -euo pipefail

# dpkg-dev and file: the Debian package and its dependencies; librsvg2-bin: the PNG icons;
# desktop-file-utils: the check of the desktop entry.
packages=(cmake g++ make libgtest-dev libgmock-dev qt6-base-dev qt6-svg-dev xvfb xauth rsync
          dpkg-dev file librsvg2-bin desktop-file-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
