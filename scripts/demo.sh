#!/usr/bin/env bash
# The project's run command: install dependencies, build, and run the system's main job
# through the command-line host.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
HOSTSIM="$BUILD_DIR/apps/hostsim/hostsim"
if [ ! -x "$HOSTSIM" ]; then
  echo "demo: the command-line host was not built ($HOSTSIM missing)" >&2
  exit 1
fi
"$HOSTSIM" info
