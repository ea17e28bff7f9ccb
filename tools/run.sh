#!/usr/bin/env bash
# Sets everything up, builds Kelvara and launches it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec ./build/kelvara "$@"
