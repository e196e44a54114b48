#!/usr/bin/env bash
# Makes the example settings files in examples/ with the system itself: hostsim runs the
# editor's menu commands and answers their file dialogs.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
HOSTSIM="$BUILD_DIR/apps/hostsim/hostsim"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" --target hostsim -j "$(nproc)"
mkdir -p examples
# The save dialogs ask before replacing a file: start from none.
rm -f examples/default_emitter.zke examples/single_system.zks
# An emitter as New Emitter makes it, with its default system.
"$HOSTSIM" run --command "File/New Emitter" \
  --command "File/Save Emitter Settings" --answer examples/default_emitter.zke
# The system Add Particle System makes, saved on its own.
"$HOSTSIM" run --command "File/New Emitter" --command "File/Add Particle System" \
  --command "File/Save System Settings" --answer examples/single_system.zks
echo "examples written to $(pwd)/examples"
