#!/bin/bash
# Installs the Debian packages that Zelta needs to build, run and test, only when missing.
# Safe to run any number of times.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6sql6-sqlite
    libxi-dev libx11-dev libxcb-xinput-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-noto-cjk xvfb xauth xdotool imagemagick tzdata
    libstrophe-dev prosody lua-dbi-sqlite3 openssl python3-slixmpp
    qt6-translations-l10n qt6-svg-dev desktop-file-utils appstream lintian dpkg-dev fakeroot
    clang libclang-rt-14-dev
    unrtf poppler-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then
    SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
