#!/usr/bin/env bash
# The project's test command: install dependencies, configure, build, run every test;
# then the same tests under the address and undefined-behaviour sanitizers, and a short
# run of every libFuzzer target (built with clang).
#   QM_CI_ASAN=0 / QM_CI_FUZZ=0 skip the sanitizer or the fuzzing pass.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
ROOT=$(pwd)
# ccache keys on relative paths, so every clone of the project shares one cache.
export CCACHE_BASEDIR="$ROOT"
# Three passes (Release, sanitizers, fuzzers) need room to stay cached between CI runs.
if command -v ccache >/dev/null; then ccache --max-size=20G >/dev/null 2>&1 || true; fi
JOBS=$(nproc)
BUILD_DIR=${BUILD_DIR:-build}

echo "== build and test (${BUILD_TYPE:-Release})"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS" --timeout 300 -LE fuzz

if [ "${QM_CI_ASAN:-1}" = 1 ]; then
  echo "== sanitizers"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM_ASAN=ON -DQM_BENCH=OFF >/dev/null
  cmake --build build-asan -j "$JOBS"
  ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 600 -LE fuzz
fi

if [ "${QM_CI_FUZZ:-1}" = 1 ] && command -v clang++ >/dev/null; then
  echo "== fuzzing"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM_FUZZ=ON -DQM_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$JOBS" --target fuzzers
  ctest --test-dir build-fuzz --output-on-failure -j "$JOBS" -L fuzz
fi
