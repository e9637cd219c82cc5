#!/usr/bin/env bash
# Sets up, builds and runs vxMain with its working folder beside cfg/ and usercfg/.
# Extra arguments go to vxMain; without any it runs with -d (log copy on the console).
# The built-in default analyzer is the emulator anaemu, an NS analyzer on the virtual
# port ../dev/ttyV0, which the analyzer search finds; it is stopped when vxMain ends.
# VX_EMULATOR=0 runs without it (a real analyzer on a serial port or TCP).
# Without a display it runs vxMain offscreen, writes a screenshot of the
# connected main window into screenshots/ and prints where it is.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/scripts/setup.sh"
"$repo/scripts/build.sh" release
mkdir -p "$repo/bin" "$repo/logs" "$repo/dev"
cd "$repo/bin"
if [ "${VX_EMULATOR:-1}" != "0" ]; then
  "$repo/build/release/bin/anaemu" --personality ns --pty 0 --dev-dir ../dev \
    --idle-ms 2000 --log ../logs/anaemu.log &
  emu=$!
  trap 'kill -TERM "$emu" 2>/dev/null || true; wait "$emu" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do
    [ -e ../dev/ttyV0 ] && break
    kill -0 "$emu" 2>/dev/null || { echo "run: the analyzer emulator did not start (see logs/anaemu.log)" >&2; exit 1; }
    sleep 0.1
  done
fi
if [ $# -eq 0 ]; then set -- -d; fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  # No display: show that the tool works by running it offscreen until its
  # main window is connected, then leave a screenshot of it and end it.
  shots="$repo/screenshots"
  mkdir -p "$shots"
  rm -f "$shots/vxMain.png"
  QT_QPA_PLATFORM=offscreen VX_SCREENSHOT_DIR="$shots" "$repo/build/release/bin/vxMain" "$@" &
  vx=$!
  for _ in $(seq 600); do
    [ -s "$shots/vxMain.png" ] && break
    kill -0 "$vx" 2>/dev/null || break
    sleep 0.1
  done
  "$repo/build/release/bin/vxStop" >/dev/null || true
  status=0
  wait "$vx" || status=$?
  if [ -s "$shots/vxMain.png" ]; then
    echo "run: no display: vxMain ran offscreen; screenshot of its main window: $shots/vxMain.png"
  else
    echo "run: no display: vxMain ran offscreen but wrote no screenshot (see logs/)" >&2
    [ "$status" -ne 0 ] || status=1
  fi
  exit "$status"
fi
status=0
"$repo/build/release/bin/vxMain" "$@" || status=$?
exit "$status"
