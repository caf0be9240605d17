#!/usr/bin/env bash
# Installs what is missing, builds the workstation (Release) and starts it.
#   ./run.sh [path]    a path (folder, DICOM file or zip archive) is opened for import
# The program runs inside a private network namespace with loopback only, and under a
# virtual display when there is no $DISPLAY.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$BUILD_DIR" -j "$(nproc)" --target workstation

exec scripts/run-isolated "$BUILD_DIR/proj.linux/workstation" "$@"
