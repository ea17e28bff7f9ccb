#!/usr/bin/env bash
# Builds the Debian package of Kelvara (build-package/kelvara_<version>_<arch>.deb), its dependencies
# derived with dpkg-shlibdeps. Usage: tools/package.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-shlibdeps, which finds the packages of the libraries the program links, comes with dpkg-dev.
if ! command -v dpkg-shlibdeps >/dev/null; then
    echo "Installing: dpkg-dev"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev
fi

build=${1:-build-package}
# A release build without the tests; the package installs below /usr.
tools/setup.sh "$build" -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
(cd "$build" && cpack -G DEB)
ls "$build"/kelvara_*.deb
