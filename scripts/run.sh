#!/usr/bin/env bash
# Sets up, builds and runs vxMain with its working folder beside cfg/ and usercfg/.
# Extra arguments go to vxMain; without any it runs with -d (log copy on the console).
# The built-in default analyzer is the emulator anaemu, an NS analyzer on the virtual
# port ../dev/ttyV0, which the analyzer search finds; it is stopped when vxMain ends.
# VX_EMULATOR=0 runs without it (a real analyzer on a serial port or TCP).
# Without a display it runs vxMain offscreen and writes screenshots into
# screenshots/: the connected main window (vxMain.png) and, driven through its
# controls against the emulator (VX_DRIVE), each page, a spectra snapshot window, the parameters page's
# sub-tabs, the connection and the user set-up windows; it prints where they are.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/scripts/setup.sh"
"$repo/scripts/build.sh" release
mkdir -p "$repo/bin" "$repo/logs" "$repo/dev"
# The programs run in bin/ (vxMain's Help menu starts ./qkhelpwin from there):
# the built ones are linked in, so `cd bin && ./qkhelpwin` works too.
for prog in vxMain vxStop qkhelpwin; do
  ln -sfn "$repo/build/release/bin/$prog" "$repo/bin/$prog"
done
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
  # No display: show that the tool works by running it offscreen. With the
  # emulator a drive file works through every page and window and closes the
  # main window; without it vxMain runs until its main window is connected
  # and is then ended with vxStop. Either way vxMain.png shows the main window.
  shots="$repo/screenshots"
  mkdir -p "$shots"
  rm -f "$shots/vxMain.png" "$shots"/vxMain-*.png
  drive=""
  if [ "${VX_EMULATOR:-1}" != "0" ]; then
    drive="$(mktemp)"
    cat >"$drive" <<'STEPS'
# Steps of qklibs/src/qt/qksyswindrive.h: control ids of cfg/vxMain.xml and cfg/vxwin/.
wait 1903 Analyzer ID
click 1005
wait 1901 SCREEN ID: SPECTRA
shot vxMain-spectra
click 1410
wait 1356
gone 1356
click 1467
disabled 1467
click 1003
wait 1901 SCREEN ID: DIAGNOSTICS
shot vxMain-diagnostics
shot vxMain-snapshot 1712
click 1006
wait 1901 SCREEN ID: PARAMETERS
shot vxMain-parameters
choose 1610 Front Panel
wait 1614
shot vxMain-frontpanel
choose 1610 Modbus Test
wait 1616
shot vxMain-modbustest
click 1002
wait 1901 SCREEN ID: MONITOR
shot vxMain-monitor
click 1100
wait 1124 Serial Line connected
shot vxMain-connection 1124
click 1174
gone 1120
click 1160
wait 1178
shot vxMain-usersetup 1178
click 1178
gone 1178
close
STEPS
  fi
  QT_QPA_PLATFORM=offscreen VX_SCREENSHOT_DIR="$shots" VX_DRIVE="$drive" "$repo/build/release/bin/vxMain" "$@" &
  vx=$!
  if [ -n "$drive" ]; then
    # The drive closes vxMain (or fails it after 30 s on a step); vxStop only if it hangs.
    for _ in $(seq 1800); do
      kill -0 "$vx" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$vx" 2>/dev/null && "$repo/build/release/bin/vxStop" >/dev/null || true
  else
    for _ in $(seq 600); do
      [ -s "$shots/vxMain.png" ] && break
      kill -0 "$vx" 2>/dev/null || break
      sleep 0.1
    done
    "$repo/build/release/bin/vxStop" >/dev/null || true
  fi
  status=0
  wait "$vx" || status=$?
  [ -z "$drive" ] || rm -f "$drive"
  if [ -s "$shots/vxMain.png" ]; then
    echo "run: no display: vxMain ran offscreen; screenshots in $shots:"
    (cd "$shots" && ls vxMain*.png | sed 's/^/  /')
  else
    echo "run: no display: vxMain ran offscreen but wrote no screenshot (see logs/)" >&2
    [ "$status" -ne 0 ] || status=1
  fi
  exit "$status"
fi
status=0
"$repo/build/release/bin/vxMain" "$@" || status=$?
exit "$status"
