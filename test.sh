#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test with CTest inside a
# private network namespace (loopback only) under a virtual display.
#   SANITIZE=address,undefined ./test.sh     build and test with sanitizers
#   SANITIZE=thread ./test.sh -R '^framework\.'   extra arguments go to ctest
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps

SANITIZE=${SANITIZE:-}
if [ -n "$SANITIZE" ]; then
  BUILD_DIR=${BUILD_DIR:-build-san-${SANITIZE//,/-}}
  BUILD_TYPE=${BUILD_TYPE:-Debug}
else
  BUILD_DIR=${BUILD_DIR:-build}
  BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
fi
JOBS=${JOBS:-$(nproc)}

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DQP_SANITIZE="$SANITIZE"
cmake --build "$BUILD_DIR" -j "$JOBS"

# GCC 12's sanitizer runtime takes a heap block that happens to sit at a certain page offset
# for an old glibc's dynamic TLS header, and its leak checker then crashes at exit after the
# test passed; it reads no dynamic TLS with this option.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:intercept_tls_get_addr=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
QP_USE_XVFB=1 scripts/run-isolated \
  ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error -j "$JOBS" "$@"
