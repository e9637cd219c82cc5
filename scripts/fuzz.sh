#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UBSan) and runs each
# for a while, one after the other.
#   scripts/fuzz.sh [minutes per target, default 1] [target ...]
# Each target starts from a working copy of its seeds (fuzz/corpus/<name>) and
# the inputs kept from earlier findings (fuzz/regressions/<name>), with its
# dictionary fuzz/<name>.dict when there is one. One line a target:
#   name: N executions (R/s), findings: K
# A finding's input lands in <build>/fuzz/findings/<name>/. The script exits
# non-zero when any target found something.
# VX_FUZZ_BUILD_DIR chooses another build folder (default build/fuzz).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
minutes="${1:-1}"
shift || true
build="${VX_FUZZ_BUILD_DIR:-$repo/build/fuzz}"
case "$minutes" in
  ''|*[!0-9.]*) echo "usage: $0 [minutes per target] [target ...]" >&2; exit 2 ;;
esac
seconds="$(awk -v m="$minutes" 'BEGIN { s = int(m * 60); print (s < 1 ? 1 : s) }')"

names=()
if [ "$#" -gt 0 ]; then
  names=("$@")
else
  for src in "$repo"/fuzz/fuzz_*.cpp; do
    n="$(basename "$src" .cpp)"
    names+=("${n#fuzz_}")
  done
fi
targets=()
for n in "${names[@]}"; do targets+=("fuzz_$n"); done

# Absolute: some fuzzers work in a folder of their own.
mkdir -p "$build"
build="$(cd "$build" && pwd)"

echo "== fuzz build ($build)"
CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVX_FUZZ=ON -DVX_SANITIZE=ON -DVX_BENCH=OFF -DVX_TESTS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" >/dev/null

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
total_findings=0
results=()
for n in "${names[@]}"; do
  work="$build/fuzz/corpus/$n"
  findings="$build/fuzz/findings/$n"
  log="$build/fuzz/log-$n.txt"
  rm -rf "$findings"
  mkdir -p "$work" "$findings"
  dirs=("$work")
  for d in "$repo/fuzz/corpus/$n" "$repo/fuzz/regressions/$n"; do
    if [ -d "$d" ]; then dirs+=("$d"); fi
  done
  args=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1
        -artifact_prefix="$findings/")
  if [ -f "$repo/fuzz/$n.dict" ]; then args+=(-dict="$repo/fuzz/$n.dict"); fi
  echo "== fuzz_$n for $seconds s"
  start="$(date +%s)"
  "$build/bin/fuzz_$n" "${args[@]}" "${dirs[@]}" >"$log" 2>&1 || true
  end="$(date +%s)"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  if [ -z "$runs" ]; then
    runs="$(sed -n 's/^#\([0-9][0-9]*\).*/\1/p' "$log" | tail -n 1)"
  fi
  runs="${runs:-0}"
  elapsed=$((end - start))
  rate=$((runs / (elapsed > 0 ? elapsed : 1)))
  found="$(find "$findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)"
  total_findings=$((total_findings + found))
  line="$n: $runs executions ($rate/s), findings: $found"
  if [ "$found" -gt 0 ]; then line="$line (inputs in $findings, log $log)"; fi
  results+=("$line")
  echo "$line"
done

echo "== summary"
printf '%s\n' "${results[@]}"
if [ "$total_findings" -gt 0 ]; then
  echo "== $total_findings finding(s)" >&2
  exit 1
fi
