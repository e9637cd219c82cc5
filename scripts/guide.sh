#!/usr/bin/env bash
# Refreshes the user guide under doc/guide/:
#   scripts/guide.sh [BUILD_DIR ...]  copies the guide's pictures from the tests' screenshots
#                                     (BUILD_DIR/tests/screenshots, default build/release; several
#                                     build dirs are searched in order) and from screenshots/ of
#                                     run.sh into doc/guide/images/ under stable names, then
#                                     regenerates vantorix-guide.html from vantorix-guide.md
#   scripts/guide.sh --html FILE      only writes the HTML of the Markdown to FILE (the docs test
#                                     compares it with the committed HTML)
# The HTML needs python3-markdown (scripts/setup.sh installs it).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
guide="$repo/doc/guide"

# The guide's pictures: name in doc/guide/images, required or optional, source names in order of
# preference. "run:" names come from run.sh's screenshots/ only; the others from the build dirs'
# tests/screenshots first, then from screenshots/.
IMAGES=(
  "main-window.png       required run:vxMain.png"
  "search.png            required ns-search.png"
  "unsupported.png       required unsupported.png"
  "serial-setup.png      required conn-serial-dialog.png"
  "connection-serial.png required conn-serial.png"
  "tcp-setup.png         required conn-tcp-dialog.png"
  "connection-tcp.png    required conn-tcp.png"
  "monitor.png           required monitor-ns.png"
  "diagnostics.png       required vxDiagPage.png"
  "parameters.png        required vxParamPage.png"
  "front-panel.png       required vxFrontPanel.png"
  "modbus-test.png       required vxParamModbusTest.png"
  "spectra.png           required vxSpectraPage_ns.png"
  "snapshot-a.png        optional snapshot-a-readout.png snapshot-A.png snapshot-a.png"
  "qkhelpwin.png         optional qkhelpwin.png"
)

pick_python() {
  local py
  for py in /usr/bin/python3 python3; do
    if command -v "$py" >/dev/null 2>&1 && "$py" -c 'import markdown' 2>/dev/null; then
      echo "$py"
      return 0
    fi
  done
  echo "guide: python3-markdown is missing (scripts/setup.sh installs it)" >&2
  return 1
}

# Markdown to one self-contained HTML page; the same input always gives the same bytes.
to_html() {
  local py
  py="$(pick_python)"
  "$py" - "$guide/vantorix-guide.md" "$1" <<'PY'
import sys
import markdown

source, target = sys.argv[1], sys.argv[2]
with open(source, encoding="utf-8") as f:
    body = markdown.markdown(f.read(), extensions=["tables", "fenced_code", "toc"],
                             output_format="html")
style = """
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 11pt; line-height: 1.45;
       color: #111; max-width: 52em; margin: 2em auto; padding: 0 1em; }
h1 { color: #000080; border-bottom: 2px solid #1e7ee0; padding-bottom: .2em; }
h2 { color: #000080; margin-top: 1.8em; border-bottom: 1px solid #ccc; }
h3 { margin-top: 1.4em; }
code, pre { font-family: "DejaVu Sans Mono", monospace; font-size: 9.5pt; }
pre { background: #f4f4f4; border: 1px solid #ddd; padding: .6em .8em; overflow-x: auto; }
table { border-collapse: collapse; margin: .8em 0; }
th, td { border: 1px solid #bbb; padding: .25em .5em; vertical-align: top; text-align: left; }
th { background: #e8eef6; }
img { max-width: 100%; border: 1px solid #999; margin: .5em 0; }
.toc ul { list-style: none; padding-left: 1.2em; }
@media print {
  body { max-width: none; margin: 0; font-size: 10pt; }
  h2 { page-break-after: avoid; }
  pre, table, img { page-break-inside: avoid; }
  img { max-width: 80%; max-height: 10cm; }
  a { color: inherit; text-decoration: none; }
}
"""
page = ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Vantorix user guide</title>\n<style>" + style + "</style>\n</head>\n<body>\n"
        + body + "\n</body>\n</html>\n")
with open(target, "w", encoding="utf-8", newline="\n") as f:
    f.write(page)
PY
}

if [ "${1:-}" = "--html" ]; then
  [ $# -eq 2 ] || { echo "usage: $0 --html FILE" >&2; exit 2; }
  to_html "$2"
  exit 0
fi

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=("$repo/build/release")
folders=()
for b in "${builds[@]}"; do
  case "$b" in /*) ;; *) b="$PWD/$b" ;; esac
  folders+=("$b/tests/screenshots")
done
runshots="$repo/screenshots"

mkdir -p "$guide/images"
errors=0
for entry in "${IMAGES[@]}"; do
  read -r target kind sources <<<"$entry"
  found=""
  for src in $sources; do
    if [[ "$src" == run:* ]]; then
      candidates=("$runshots/${src#run:}")
    else
      candidates=()
      for f in "${folders[@]}" "$runshots"; do candidates+=("$f/$src"); done
    fi
    for c in "${candidates[@]}"; do
      if [ -s "$c" ]; then found="$c"; break 2; fi
    done
  done
  dest="$guide/images/$target"
  if [ -n "$found" ]; then
    cmp -s "$found" "$dest" 2>/dev/null || cp "$found" "$dest"
    echo "guide: $target <- ${found#"$repo"/}"
  elif [ -s "$dest" ]; then
    echo "guide: warning: no screenshot for $target ($sources): keeping doc/guide/images/$target" >&2
  elif [ "$kind" = optional ]; then
    echo "guide: warning: no screenshot for $target ($sources) yet: the guide shows no picture there" >&2
  else
    echo "guide: error: no screenshot for $target ($sources)" >&2
    errors=$((errors + 1))
  fi
done

to_html "$guide/vantorix-guide.html"
echo "guide: wrote doc/guide/vantorix-guide.html"
[ "$errors" -eq 0 ] || exit 1
