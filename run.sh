#!/usr/bin/env bash
# Installs what is missing, builds the workstation (Release) and starts it.
#   ./run.sh [path]              a path (folder, DICOM file or zip archive) is opened for import
#   ./run.sh --host-network [path]   runs on this machine's network instead, so that other
#                                machines can send to its receiver (port 4587) and find it
# By default the program runs inside a private network namespace with loopback only, and
# under a virtual display when there is no $DISPLAY.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$BUILD_DIR" -j "$(nproc)" --target workstation

if [ "${1:-}" = "--host-network" ]; then
  shift
  echo "run.sh: on the host network: the receiver on port 4587 and discovery are reachable from other machines"
  exec "$BUILD_DIR/proj.linux/workstation" "$@"
fi
exec scripts/run-isolated "$BUILD_DIR/proj.linux/workstation" "$@"
