#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need,
# asking apt only for what is missing. libjs-jquery brings a real minified
# script for the long-line tests and python3 the tools' scripts.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config python3 ccache
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    qt6-translations-l10n libgl-dev
    fonts-dejavu-core fonts-noto-cjk locales
    xvfb xauth xdotool x11-utils imagemagick
    libjs-jquery
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The screenshot script runs the program in Japanese, as LANG=ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    echo "Generating the ja_JP.UTF-8 locale"
    $sudo localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8
fi
