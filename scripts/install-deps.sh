#!/usr/bin/env bash
# Installs, with apt, whatever the build, the tests and the app need and is not yet present.
# Safe to run again: when everything is installed it does nothing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config ccache make
    qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
    qt6-multimedia-dev
    libgl-dev
    libxcb1-dev libxcb-xinput-dev libxcb-xtest0-dev libxcb-shape0-dev libxcb-xfixes0-dev
    libxkbcommon-dev libxkbcommon-x11-dev libxcb-xkb-dev
    libglib2.0-dev gsettings-desktop-schemas
    libical-dev
    qt6-multimedia-dev gstreamer1.0-plugins-good
    clang-format
    xvfb xauth dbus x11-apps libxtst6
    openbox xcompmgr
    xdotool imagemagick curl
    fonts-dejavu-core
    python3
    git                          # the about page's build number, counted from the checkout
    desktop-file-utils appstream # the install check's validators
    dpkg-dev file                # the Debian package: dpkg-shlibdeps, and file to find the binaries
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
