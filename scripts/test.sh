#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build's ctest suite, then
# the same suite under AddressSanitizer + UndefinedBehaviorSanitizer with the fault
# matrix (label "faults": every line fault on every page, run only there), then
# the threaded suites under ThreadSanitizer (the spectra page's walk through one
# application: the other two take the same threads), then a short run of each fuzzer. After the release
# tests: a one-minute soak run and the Debian package built and checked.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${VX_TEST_JOBS:-2}"
"$repo/scripts/setup.sh"

echo "== release build and tests"
"$repo/scripts/build.sh" release
ctest --test-dir "$repo/build/release" -j "$jobs" -LE faults --output-on-failure --timeout 300
"$repo/scripts/soak.sh" 1
VX_PACKAGE_PREBUILT=1 "$repo/scripts/package.sh" --check
"$repo/scripts/check-leftovers.sh" "$repo/build/release"

echo "== sanitizer build and tests"
"$repo/scripts/build.sh" sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS="suppressions=$repo/tests/lsan.supp:print_suppressions=0" \
  ctest --test-dir "$repo/build/sanitize" -j "$jobs" --output-on-failure --timeout 600
"$repo/scripts/check-leftovers.sh" "$repo/build/sanitize"

echo "== thread sanitizer build and threaded tests"
"$repo/scripts/build.sh" tsan
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$repo/tests/tsan.supp" \
  ctest --test-dir "$repo/build/tsan" -L threaded -E 'SpectraPage.ScansOverlaysAndSaves/(2f|fs)' -j "$jobs" \
    --output-on-failure --timeout 600
"$repo/scripts/check-leftovers.sh" "$repo/build/tsan"

echo "== fuzzers"
for f in "$repo"/build/sanitize/bin/fuzz_*; do
  [ -x "$f" ] || continue
  name="$(basename "$f")"
  corpus="$repo/build/sanitize/fuzz/corpus-$name"
  mkdir -p "$corpus"
  dirs=("$corpus")
  seeds="$repo/fuzz/corpus/${name#fuzz_}"
  if [ -d "$seeds" ]; then dirs+=("$seeds"); fi
  "$f" -max_total_time="${VX_FUZZ_SECONDS:-5}" -rss_limit_mb=2048 "${dirs[@]}"
done
echo "== all tests passed"
