#!/usr/bin/env bash
# Builds the Debian package of Vantorix from the release build and checks it.
#   scripts/package.sh           build/release/vantorix_<version>_<arch>.deb
#   scripts/package.sh --check   the same, then checks the package: its files,
#                                that apt can install it on this Debian (a
#                                simulated install resolving its dependencies),
#                                and that its launcher, unpacked into a throw-away
#                                root, starts vxMain for a normal user against the
#                                packaged analyzer emulator (offscreen, driven until
#                                the analyzer is identified).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build/release"
# VX_PACKAGE_PREBUILT=1 packs the release build as it is (the test command has just built it).
if [ "${VX_PACKAGE_PREBUILT:-0}" != "1" ]; then
  "$repo/scripts/setup.sh"
  "$repo/scripts/build.sh" release >/dev/null
fi
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls -t "$build"/vantorix_*.deb | head -n 1)"
echo "package: $deb"
[ "${1:-}" = "--check" ] || exit 0

fail() { echo "package check: $*" >&2; exit 1; }

# The files a user needs, where the launcher looks for them.
listing="$(dpkg-deb -c "$deb")"
for f in ./usr/bin/vantorix ./usr/lib/vantorix/bin/vxMain ./usr/lib/vantorix/bin/vxStop \
         ./usr/lib/vantorix/bin/qkhelpwin ./usr/lib/vantorix/bin/anaemu ./usr/lib/vantorix/cfg/vxMain.xml \
         ./usr/lib/vantorix/cfg/qkhelpwin.xml ./usr/lib/vantorix/usercfg/htmPath.txt \
         ./usr/lib/vantorix/doc/guide/vantorix-guide.html ./usr/lib/vantorix/README.md \
         ./usr/share/applications/vantorix.desktop ./usr/share/icons/hicolor/scalable/apps/vantorix.svg; do
  grep -q " $f\$" <<<"$listing" || grep -q " $f -> " <<<"$listing" || fail "missing $f"
done
depends="$(dpkg-deb -f "$deb" Depends)"
for d in libqt6widgets6 qt6-qpa-plugins qt6-wayland fonts-dejavu-core xdg-utils; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
dpkg-deb -I "$deb" postinst | grep -q dialout || fail "the post-install text does not explain serial access"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$repo/packaging/vantorix.desktop"; fi

# apt resolves what the package needs from the archive (nothing is installed).
# (Only with package lists to resolve against.)
if [ "$(id -u)" -eq 0 ] && apt-cache show qt6-wayland >/dev/null 2>&1; then
  apt-get install -s -qq "$deb" >/dev/null || fail "apt cannot install $deb"
fi

# The launcher of the unpacked package, as a normal user.
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/pkg"
user="$(id -un)"
if [ "$(id -u)" -eq 0 ]; then
  user=vxpkgcheck
  id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$user"
fi
home="$(getent passwd "$user" | cut -d: -f6)"
tree="$home/.local/share/vantorix"
if [ "$user" = vxpkgcheck ]; then rm -rf "$tree"; trap 'rm -rf "$root" "$tree"' EXIT; fi
cat >"$root/steps" <<'STEPS'
timeout 60
wait 1903 Analyzer ID
shot vxMain-package
close
STEPS
mkdir -p "$root/shots"
chmod -R a+rX "$root"
chmod a+rwx "$root/shots"
run=(env HOME="$home" XDG_DATA_HOME="$home/.local/share" QT_QPA_PLATFORM=offscreen
     VX_DRIVE="$root/steps" VX_SCREENSHOT_DIR="$root/shots" "$root/pkg/usr/bin/vantorix" --emulator ns -d)
if [ "$user" != "$(id -un)" ]; then run=(runuser -u "$user" -- "${run[@]}"); fi
status=0
timeout 120 "${run[@]}" >"$root/run.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || { tail -n 30 "$root/run.log" >&2; fail "vantorix ended with status $status"; }
[ -s "$root/shots/vxMain-package.png" ] || fail "no screenshot of the connected main window"
[ -s "$tree/logs/vxMain.log" ] || fail "no log in the user's tree $tree/logs"
[ "$(stat -c %U "$tree/usercfg")" = "$user" ] || fail "usercfg is not the user's own"
echo "package check: files, dependencies, post-install text and a run of vantorix as $user: OK"
