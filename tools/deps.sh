#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need,
# asking apt only for what is missing. libjs-jquery brings a real minified
# script for the long-line tests and python3 the tools' scripts.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config python3 ccache
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    qt6-translations-l10n libgl-dev
    fonts-dejavu-core fonts-noto-cjk
    xvfb xauth xdotool x11-utils imagemagick
    libjs-jquery
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
