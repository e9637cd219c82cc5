#!/usr/bin/env bash
# Soak run: vxMain (offscreen) against the analyzer emulator for a while, then
# a table of its resources at the start and the end and of the record lines the
# analyzer sent against the lines the monitor page captured.
#
#   scripts/soak.sh [minutes]      default 60; CI runs 1 (about a minute in all)
#
# Environment:
#   VX_SOAK_BUILD=DIR   take anaemu and vxMain from DIR/bin and build nothing
#                       (default: build/release, built by scripts/build.sh release)
#   VX_SOAK_KEEP=1      keep the throw-away tree (it is always kept on a failure)
#   VX_SOAK_RECORD_MS   pause between the analyzer's records (default 8: an NS
#                       record of about 85 characters at 115200 baud)
#
# How it runs: a throw-away tree (cfg/ usercfg/ copied, logs/ dev/ work/, the
# working folder work/) holds an NS emulator on the virtual port ttyV0 and
# vxMain, which the search connects to it. A generated drive file (VX_DRIVE)
# then works through cycles: on the monitor page a few captures one after the
# other, each two blocks of ten records at the line rate (an ARM9 analyzer
# sends one block per request, so a capture is a burst, not an endless stream),
# then one capture whose dialog stays up in its count-down for most of the
# cycle; the diagnostics page with a refresh, the parameters page with its
# tree, the spectra page with a demand scan. Leaving the monitor page offers
# to save the capture: the save is answered with a fixed name
# (VX_FILEDLG_AUTOANSWER) and this script keeps each saved file, since the
# page empties the capture file when it opens again.
#
# Samples of /proc/<pid> (VmRSS, Threads, open descriptors): once connected,
# at the start (in the count-down of the first capture after one warm-up cycle
# through every page, so that first-use allocations of the pages are not
# counted as growth) and at the end (in the count-down of the last capture,
# before the main window closes). The run fails when the RSS grew by more
# than 10 % + 5 MB from start to end, when descriptors or threads grew, when
# the lines captured differ from the lines the analyzer sent (records and
# block ends: each capture ends before its page closes, so no record is in
# flight at a boundary), when a drive step failed or when vxMain did not end
# by itself (it is then killed; vxStop is never used, it would end every
# vxMain on the machine).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
minutes="${1:-60}"
case "$minutes" in
  '' | *[!0-9]* | 0) echo "usage: $0 [minutes]   (a whole number, 1 or more)" >&2; exit 2 ;;
esac
record_ms="${VX_SOAK_RECORD_MS:-8}"

if [ -n "${VX_SOAK_BUILD:-}" ]; then
  build="$VX_SOAK_BUILD"
else
  "$repo/scripts/setup.sh"
  "$repo/scripts/build.sh" release
  build="$repo/build/release"
fi
for p in anaemu vxMain; do
  [ -x "$build/bin/$p" ] || { echo "soak: $build/bin/$p is missing" >&2; exit 1; }
done

root="$(mktemp -d "${TMPDIR:-/tmp}/vxsoak.XXXXXX")"
mkdir -p "$root/work" "$root/logs" "$root/dev" "$root/captures" "$root/shots"
cp -r "$repo/cfg" "$repo/usercfg" "$root/"
# The count-down of a capture is the drive's clock: five minutes, whatever the shipped value.
sed -i 's|<MODE1DURATION>[0-9]*</MODE1DURATION>|<MODE1DURATION>5</MODE1DURATION>|' "$root/cfg/vxMain.xml"
vxlog="$root/logs/vxMain.log"
emulog="$root/logs/anaemu.log"
saved="$root/logs/vxCaptureSaved.txt"

emu=""
vx=""
ok=0
cleanup() {
  if [ -n "$vx" ] && kill -0 "$vx" 2>/dev/null; then kill -KILL "$vx" 2>/dev/null || true; fi
  if [ -n "$emu" ]; then
    kill -TERM "$emu" 2>/dev/null || true
    wait "$emu" 2>/dev/null || true
  fi
  if [ "$ok" = 1 ] && [ "${VX_SOAK_KEEP:-0}" != 1 ]; then
    rm -rf "$root"
  else
    echo "soak: the run's tree is kept: $root (logs/, captures/, shots/)"
  fi
}
trap cleanup EXIT

# ---- the drive file -------------------------------------------------------------------
# A cycle is about `cycle` seconds; its capture dialog dwells in the count-down
# for `dwell` of them. A drive file holds at most 2000 lines, which bounds the
# captures per cycle of a long run.
if [ "$minutes" -lt 10 ]; then cycle=30; elif [ "$minutes" -lt 80 ]; then cycle=60; else cycle=120; fi
warm=30                                     # start-up, warm-up cycle and closing visit, about
cycles=$(( (minutes * 60 - warm + cycle / 2) / cycle ))
[ "$cycles" -ge 1 ] || cycles=1
bursts=$(( (1900 / (cycles + 1) - 20) / 2 ))
if [ "$cycle" = 30 ] && [ "$bursts" -gt 3 ]; then bursts=3; fi
[ "$bursts" -le 6 ] || bursts=6
[ "$bursts" -ge 1 ] || { echo "soak: $minutes minutes do not fit one drive file (at most about 3 hours)" >&2; exit 2; }
# A burst capture takes about 2.5 s, the count-down capture 4 s before its
# dwell, the other pages 9 s; the dwell comes in steps of 10 s from 11 s.
dwell=$(( (cycle - 13 - bursts * 5 / 2 - 1) / 10 * 10 + 1 ))
[ "$dwell" -ge 11 ] || dwell=11

# The capture dialog's status text (1360) shows the count-down "Mode 1 count
# down second: N" from 300 once a capture's two blocks are in; each second but
# the first is shown for a whole second. The dialog keeps its last text when it
# closes and shows it again until its next refresh (500 ms), and a capture
# started again while the dialog is up keeps the text of the one before: so
# consecutive captures wait for different texts (299, 298, then 297), and a
# text that is still standing from before at worst ends a capture's wait early,
# which costs records of that burst but loses none (the page stays open and
# writes every line it gets). Waiting for the two leading digits XY of N holds
# from N = XY9, 291 - 10*XY s after the count-down started: the dwell.
countdown_prefix() { echo $(( (291 - $1) / 10 )); }

monitor_visit() {   # $1 captures in a burst, $2 dwell seconds or short, $3 marker shot name or "", $4 "here": on it already
  # The monitor button pressed on the monitor page would start the page again.
  [ "${4:-}" = here ] || printf 'click 1002\n'
  printf 'wait 1901 SCREEN ID: MONITOR\n'
  for i in $(seq "$1"); do printf 'click 1316\nwait 1360 second: %s\n' $((300 - 2 + i % 2)); done
  printf 'click 1316\nwait 1360 second: 297\n'
  [ -z "$3" ] || printf 'shot %s 1360\n' "$3"
  if [ "$2" = short ]; then
    printf 'wait 1360 second: 294\n'   # time enough for a sample
  else
    printf 'wait 1360 second: %s\n' "$(countdown_prefix "$2")"
  fi
  printf 'click 1354\ngone 1350\n'
}
# The diagnostics refresh and the demand scan show the request dialog until
# they end; a scan left running would go on reading the link under the next page.
other_pages() {
  printf 'click 1003\nwait 1901 SCREEN ID: DIAGNOSTICS\nclick 1518\ngone 1350\n'
  printf 'click 1006\nwait 1901 SCREEN ID: PARAMETERS\n'
  printf 'click 1005\nwait 1901 SCREEN ID: SPECTRA\nclick 1410\ngone 1350\n'
}
drive="$root/work/drive.txt"
{
  echo "# soak: $minutes min, $cycles cycles of about $cycle s, $bursts burst captures a cycle"
  echo "timeout $((dwell + 40))"
  echo "wait 1903 Analyzer ID"
  monitor_visit 0 short soak-connected here   # the search shows the monitor page
  other_pages
  for c in $(seq "$cycles"); do
    if [ "$c" = 1 ]; then monitor_visit "$bursts" "$dwell" soak-start; else monitor_visit "$bursts" "$dwell" ""; fi
    other_pages
  done
  monitor_visit 0 short soak-end
  printf 'click 1003\nwait 1901 SCREEN ID: DIAGNOSTICS\nclose\n'
} >"$drive"
steps=$(grep -cv '^#' "$drive")
[ "$steps" -le 2000 ] || { echo "soak: the drive file has $steps steps (at most 2000)" >&2; exit 2; }

# ---- emulator and vxMain --------------------------------------------------------------
"$build/bin/anaemu" --personality ns --pty 0 --dev-dir "$root/dev" --record-ms "$record_ms" \
  --log "$emulog" --ready-file "$root/work/emu-ready.txt" &
emu=$!
for _ in $(seq 100); do
  [ -s "$root/work/emu-ready.txt" ] && break
  kill -0 "$emu" 2>/dev/null || { echo "soak: the emulator did not start (see $emulog)" >&2; exit 1; }
  sleep 0.1
done
[ -s "$root/work/emu-ready.txt" ] || { echo "soak: the emulator is not ready (see $emulog)" >&2; exit 1; }

echo "soak: $minutes min: $cycles cycles of about $cycle s, $bursts burst captures each, a record every $record_ms ms"
started=$(date +%s)
(
  cd "$root/work"
  export QT_QPA_PLATFORM=offscreen VX_MSGBOX_AUTOANSWER=no VX_FILEDLG_AUTOANSWER="$saved" VX_DRIVE="$drive" \
    VX_SCREENSHOT_DIR="$root/shots"
  exec "$build/bin/vxMain"
) >"$root/logs/vxMain.out" 2>&1 &
vx=$!

declare -A rss thr fds
sample() {   # $1 name
  rss[$1]=$(awk '/^VmRSS:/ {print $2}' "/proc/$vx/status" 2>/dev/null || echo 0)
  thr[$1]=$(awk '/^Threads:/ {print $2}' "/proc/$vx/status" 2>/dev/null || echo 0)
  fds[$1]=$(ls "/proc/$vx/fd" 2>/dev/null | wc -l)
}
count() {   # $1 fixed text: lines of the vxMain log holding it
  local n
  n=$(grep -cF -- "$1" "$vxlog" 2>/dev/null || true)
  echo "${n:-0}"
}
# Each save overwrites the saved file: keep every one as it comes.
keep_saves() {
  local n
  n=$(count "Saved data file as:")
  while [ "$kept" -lt "$n" ]; do
    kept=$((kept + 1))
    cp "$saved" "$root/captures/capture-$(printf '%04d' "$kept").txt"
  done
}

kept=0
limit=$((minutes * 60 + 120))
ended_by_itself=1
for name in connected start end; do rss[$name]=0; thr[$name]=0; fds[$name]=0; done
done_marks=""
while kill -0 "$vx" 2>/dev/null; do
  for name in connected start end; do
    case " $done_marks " in *" $name "*) continue ;; esac
    if [ "$(count "drive: shot soak-$name")" -gt 0 ]; then
      sample "$name"
      done_marks="$done_marks $name"
    fi
  done
  keep_saves
  if [ $(( $(date +%s) - started )) -gt "$limit" ]; then
    echo "soak: vxMain did not end within $limit s: ended with SIGTERM" >&2
    ended_by_itself=0
    kill -TERM "$vx" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$vx" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$vx" 2>/dev/null || true
    break
  fi
  sleep 0.2
done
vx_status=0
wait "$vx" || vx_status=$?
vx=""
keep_saves
elapsed=$(( $(date +%s) - started ))
kill -TERM "$emu" 2>/dev/null || true
wait "$emu" 2>/dev/null || true
emu=""

# ---- lines sent and captured ----------------------------------------------------------
sent_records=$(grep -c ' anaemu: tx record ' "$emulog" || true)
sent_ends=$(grep -c ' anaemu: tx block end ' "$emulog" || true)
sent=$((sent_records + sent_ends))
files=0 records=0 ends=0 acks=0 other=0
for f in "$root"/captures/capture-*.txt; do
  [ -e "$f" ] || continue
  files=$((files + 1))
  read -r r e a o < <(awk 'NR == 1 { next }
    /^[0-9][0-9][0-9][0-9]\/[0-9][0-9]\/[0-9][0-9]\t/ { r++; next }
    $0 == "]]  " { e++; next }
    $0 == "OK  " { a++; next }
    { o++ }
    END { print r + 0, e + 0, a + 0, o + 0 }' "$f")
  records=$((records + r)); ends=$((ends + e)); acks=$((acks + a)); other=$((other + o))
done
captured=$((records + ends))
lost=$((sent - captured))
page_lost=$(grep -o 'Lines lost while the page fell behind: [0-9]*' "$vxlog" | awk '{s += $NF} END {print s + 0}' || true)
visits=$(count "Started Run Diagnostics")
drive_failed=$(count "drive: timed out")

printf '\nsoak: %s min asked, %s s run; vxMain exit status %s\n' "$minutes" "$elapsed" "$vx_status"
printf '%-22s %12s %12s %12s\n' "" "connected" "start" "end"
printf '%-22s %12s %12s %12s\n' "RSS kB" "${rss[connected]}" "${rss[start]}" "${rss[end]}"
printf '%-22s %12s %12s %12s\n' "threads" "${thr[connected]}" "${thr[start]}" "${thr[end]}"
printf '%-22s %12s %12s %12s\n' "descriptors" "${fds[connected]}" "${fds[start]}" "${fds[end]}"
printf '%-22s %12s\n' "monitor visits" "$visits"
printf '%-22s %12s\n' "capture files" "$files"
printf '%-22s %12s   (%s records, %s block ends)\n' "lines sent" "$sent" "$sent_records" "$sent_ends"
printf '%-22s %12s   (%s records, %s block ends; besides: %s acknowledgements, %s other)\n' \
  "lines captured" "$captured" "$records" "$ends" "$acks" "$other"
printf '%-22s %12s   (the page reported %s lost)\n' "lost" "$lost" "$page_lost"

fail=()
[ "$ended_by_itself" = 1 ] || fail+=("vxMain did not end by itself")
[ "$drive_failed" = 0 ] || fail+=("a drive step timed out (see logs/vxMain.log)")
[ "$vx_status" = 0 ] || fail+=("vxMain ended with status $vx_status")
for name in connected start end; do
  [ "${rss[$name]}" != 0 ] || fail+=("no sample taken at $name")
done
[ "$sent" -gt 0 ] || fail+=("the analyzer sent no record")
[ "$captured" = "$sent" ] || fail+=("lines captured ($captured) differ from lines sent ($sent)")
[ "$other" = 0 ] || fail+=("$other captured lines are neither records, block ends nor acknowledgements")
if [ "${rss[end]}" -gt $(( rss[start] + rss[start] / 10 + 5120 )) ]; then
  fail+=("RSS grew from ${rss[start]} to ${rss[end]} kB (more than 10 % + 5 MB)")
fi
[ "${thr[end]}" -le "${thr[start]}" ] || fail+=("threads grew from ${thr[start]} to ${thr[end]}")
[ "${fds[end]}" -le "${fds[start]}" ] || fail+=("descriptors grew from ${fds[start]} to ${fds[end]}")

if [ ${#fail[@]} -gt 0 ]; then
  printf 'soak: FAILED: %s\n' "${fail[@]}" >&2
  exit 1
fi
ok=1
echo "soak: passed"
