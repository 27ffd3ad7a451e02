#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs the
# unit, driver and end-to-end tests there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cd "$root"
if [ ! -f build-asan/CMakeCache.txt ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build build-asan -j"$(nproc)"
cd build-asan
# Qt and fontconfig keep caches for the life of the process; leaks are not what this run is for.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 -L 'unit|driver|e2e'
