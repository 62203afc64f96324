#!/usr/bin/env bash
# demo.sh [BUILD_DIR]: the demo of `make demo`. Installs what is missing, builds the client,
# the simulated platform and the walk-through driver, makes the certificates, then either
# opens the client's window for a person (a display is there and HEADLESS is unset) or walks
# through the flow offscreen, printing each step and saving screenshots under BUILD_DIR/demo.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
JOBS=${JOBS:-$(nproc)}

bash scripts/install-deps.sh
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DZELVANE_SANITIZE=address
fi
cmake --build "$BUILD" -j "$JOBS" --target ZelvanePlayer zelvane-sim demo_walk
bash scripts/gen-certs.sh "$BUILD/certs"

# The sanitizer build reports leaks at exit; a demo only wants to know about real faults.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
if [ -z "${HEADLESS:-}" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$BUILD/tools/demo_walk" --interactive
fi
exec "$BUILD/tools/demo_walk" --out "$BUILD/demo"
