#!/usr/bin/env bash
# Sets up, builds and runs vxMain with its working folder beside cfg/ and usercfg/.
# Extra arguments go to vxMain; without any it runs with -d (log copy on the console).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/scripts/setup.sh"
"$repo/scripts/build.sh" release
mkdir -p "$repo/bin" "$repo/logs"
cd "$repo/bin"
if [ $# -eq 0 ]; then set -- -d; fi
exec "$repo/build/release/bin/vxMain" "$@"
