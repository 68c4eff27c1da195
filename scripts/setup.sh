#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the program.
set -euo pipefail

# dpkg-dev and file: the Debian package and its dependencies; librsvg2-bin: the PNG icons;
# desktop-file-utils: the check of the desktop entry. The share tests: samba and smbnetfs (an
# SMB share; smbclient to look at it by hand), openssh-server and sshfs (an SSH share),
# exfat-fuse and exfatprogs (an exFAT disk), fuse3 (FUSE), faketime (a server's wrong clock).
exec "$(dirname "$0")/install-missing.sh" cmake g++ make libgtest-dev libgmock-dev \
    qt6-base-dev qt6-svg-dev xvfb xauth rsync dpkg-dev file librsvg2-bin desktop-file-utils \
    samba smbnetfs sshfs openssh-server exfat-fuse exfatprogs faketime fuse3 smbclient
