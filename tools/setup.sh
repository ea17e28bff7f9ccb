#!/usr/bin/env bash
# Installs what building and testing Kelvara needs on Debian 12 (systemd for busctl, which the program without
# windows sends its notifications with), then configures and builds it.
# Usage: tools/setup.sh [build folder] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build qt6-base-dev qt6-qpa-plugins qt6-wayland libgl-dev libxcb1-dev libgtest-dev
    libgmock-dev libbenchmark-dev fonts-dejavu-core util-linux dbus-daemon systemd)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=${1:-build}
shift || true
launcher=()
# Rebuilds of several checkouts share compiled objects when ccache is there; it is not required.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
# KELVARA_BUILD_TARGETS (space-separated) builds only those targets, as tools/fuzz.sh does.
targets=()
[ -n "${KELVARA_BUILD_TARGETS:-}" ] && read -r -a targets <<<"--target $KELVARA_BUILD_TARGETS"
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
