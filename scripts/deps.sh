#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tallyra needs that are not on this machine yet.
# Usage: scripts/deps.sh [run|test|bench|package]
set -euo pipefail

purpose=${1:-test}
# Debian's Qt Charts CMake files need Qt OpenGL's, which qt6-charts-dev does not pull in.
packages=(build-essential cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libsqlcipher-dev libssl-dev
          qt6-charts-dev libqt6opengl6-dev libxlsxwriter-dev libofx-dev libzip-dev qt6-translations-l10n fonts-wqy-microhei)
case "$purpose" in
  run)     packages+=(galculator xdg-utils) ;;
  bench)   packages+=(libbenchmark-dev) ;;
  # The tests check the installed desktop entry and AppStream data with the first two, read
  # exported workbooks back with unzip, and build the Debian package (dpkg-dev, file) and
  # check it with lintian.
  test)    packages+=(desktop-file-utils appstream unzip dpkg-dev file lintian) ;;
  # cpack -G DEB finds the libraries' packages with dpkg-shlibdeps; lintian checks the result.
  package) packages+=(dpkg-dev file desktop-file-utils appstream lintian) ;;
  *) echo "usage: $0 [run|test|bench|package]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
