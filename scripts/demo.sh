#!/usr/bin/env bash
# The project's run command: install dependencies, build, and render the built-in demo
# scene through the command-line host.
#   BUILD_DIR (default build), FRAMES (default 1:30), OUT (default demo-frames)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
HOSTSIM="$BUILD_DIR/apps/hostsim/hostsim"
# Incremental: only what changed is rebuilt (hostsim brings the module with it).
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" --target hostsim -j "$(nproc)"
# The demo loads an example system; make the examples when they are missing.
if [ ! -f examples/single_system.zks ]; then
  BUILD_DIR="$BUILD_DIR" scripts/make_examples.sh
fi
OUT=${OUT:-demo-frames}
"$HOSTSIM" render --frames "${FRAMES:-1:30}" --out "$OUT"
echo "demo: the frames are in $(cd "$OUT" && pwd) (frame_NNNN.png)"
