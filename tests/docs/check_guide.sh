#!/usr/bin/env bash
# The user guide is committed twice, as Markdown and as the HTML made from it, with its pictures:
# every picture the Markdown shows must be in doc/guide/images (one that scripts/guide.sh calls
# optional may still be missing), and the HTML must be what scripts/guide.sh makes of the
# Markdown, so nobody edits one without the other. Exit 77 (skipped) without python3-markdown.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
guide="$repo/doc/guide"
fail=0

optional=" $(sed -n 's/^ *"\([^ ]*\.png\) *optional .*/\1/p' "$repo/scripts/guide.sh" | tr '\n' ' ') "
refs="$(grep -o '](images/[^)]*)' "$guide/vantorix-guide.md" | sed 's/^](images\///; s/)$//' | sort -u)"
[ -n "$refs" ] || { echo "check_guide: the guide shows no pictures"; fail=1; }
for img in $refs; do
  [ -s "$guide/images/$img" ] && continue
  if [[ "$optional" == *" $img "* ]]; then
    echo "check_guide: note: optional picture images/$img is not there yet"
  else
    echo "check_guide: images/$img is shown by the guide but missing"
    fail=1
  fi
done

for py in /usr/bin/python3 python3; do
  command -v "$py" >/dev/null 2>&1 && "$py" -c 'import markdown' 2>/dev/null && { have=1; break; }
done
if [ -z "${have:-}" ]; then
  echo "check_guide: python3-markdown missing, HTML not compared"
  [ "$fail" -eq 0 ] && exit 77
  exit 1
fi
tmp="$(mktemp)"
trap 'rm -f "$tmp"' EXIT
"$repo/scripts/guide.sh" --html "$tmp"
if ! cmp -s "$tmp" "$guide/vantorix-guide.html"; then
  echo "check_guide: doc/guide/vantorix-guide.html is not the HTML of vantorix-guide.md: run scripts/guide.sh"
  diff "$guide/vantorix-guide.html" "$tmp" | head -20 || true
  fail=1
fi
exit "$fail"
