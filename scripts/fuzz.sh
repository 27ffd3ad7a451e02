#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-fuzz/ and runs each for a while, starting from the corpus kept in fuzz/corpus/.
#
#   scripts/fuzz.sh [seconds per target, default 60] [--merge]
#
# New inputs go to build-fuzz/corpus-<target>/; --merge folds those that add coverage back into
# fuzz/corpus/<target>/. A finding leaves its input as build-fuzz/crash-* and fails the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=60
merge=0
for a in "$@"; do
  case "$a" in
    --merge) merge=1 ;;
    *) seconds=$a ;;
  esac
done
"$root/scripts/deps.sh" clang libclang-rt-14-dev
cd "$root"
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMFD_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build build-fuzz -j"$(nproc)" --target mfd-fuzz-driver mfd-fuzz-sim
cd build-fuzz
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in driver sim; do
  mkdir -p "corpus-$target"
  echo "== mfd-fuzz-$target, ${seconds}s"
  # -timeout: a pass that does not return ends the run as a finding.
  ./fuzz/mfd-fuzz-$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$PWD/" "corpus-$target" "$root/fuzz/corpus/$target" 2>&1 \
    | grep -v '^#[0-9]*.*\(NEW\|REDUCE\|pulse\)' || { echo "mfd-fuzz-$target failed"; exit 1; }
  if [ "$merge" = 1 ]; then
    ./fuzz/mfd-fuzz-$target -merge=1 -max_len=4096 "$root/fuzz/corpus/$target" "corpus-$target" 2>&1 | tail -n 2
  fi
done
