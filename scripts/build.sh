#!/usr/bin/env bash
# Configures and builds one flavour of the tree.
#   scripts/build.sh release    optimised build with debug info, tests and benchmarks (build/release)
#   scripts/build.sh sanitize   clang with AddressSanitizer + UndefinedBehaviorSanitizer and the
#                               libFuzzer targets (build/sanitize)
#   scripts/build.sh tsan       clang with ThreadSanitizer, tests only (build/tsan)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
flavour="${1:-release}"
case "$flavour" in
  release)
    cmake -S "$repo" -B "$repo/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    ;;
  sanitize)
    CC=clang CXX=clang++ cmake -S "$repo" -B "$repo/build/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DVX_SANITIZE=ON -DVX_FUZZ=ON -DVX_BENCH=OFF >/dev/null
    ;;
  tsan)
    CC=clang CXX=clang++ cmake -S "$repo" -B "$repo/build/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVX_TSAN=ON -DVX_BENCH=OFF >/dev/null
    ;;
  *) echo "usage: $0 release|sanitize|tsan" >&2; exit 2 ;;
esac
cmake --build "$repo/build/$flavour"
