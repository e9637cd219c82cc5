#!/usr/bin/env bash
# Fails when a program that the tests start is still running after them:
# the analyzer emulator, the main program or the help launcher, run from the
# given build folder (its /proc/PID/exe lies under that folder). Copies run
# by other build folders or from elsewhere are not ours and are left out.
# Usage: scripts/check-leftovers.sh BUILD_DIR
# Exit 0: none left; 1: leftovers found (listed); 2: usage error.
set -u

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build="$(cd "$1" && pwd -P)"

# Prints "PID EXE ARGS" of each of our programs still running from $build.
leftovers() {
  local name pid exe
  for name in anaemu vxMain qkhelpwin; do
    for pid in $(pgrep -x "$name"); do
      # Other users' processes and processes that just ended have no readable exe.
      exe="$(readlink "/proc/$pid/exe" 2>/dev/null)" || continue
      exe="${exe% (deleted)}"   # rebuilt while it ran
      case "$exe" in
        "$build"/*) echo "$pid $exe $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" ;;
      esac
    done
  done
}

# A program that a test has just killed may take a moment to go: look again
# for up to two seconds before calling it a leftover.
found=""
for _ in $(seq 20); do
  found="$(leftovers)"
  [ -z "$found" ] && exit 0
  sleep 0.1
done
echo "processes started by the tests are still running (from $build):" >&2
echo "$found" >&2
exit 1
