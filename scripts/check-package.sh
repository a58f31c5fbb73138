#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built: shows its control
# data and contents, runs lintian (errors fail, warnings are listed), validates
# the desktop entry, then unpacks it into a temporary folder and brings up the
# demo from there as a user without a build would: the programs' versions,
# mcftool plant init without --from, velt-launch (qelnetd in the background,
# velt started and ended at once), an upload through the launched qelnetd.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
deb="$(ls "$build_dir"/velt_*.deb)"

dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
lintian --fail-on error --tag-display-limit 0 "$deb"

root="$(mktemp -d)"
trap 'ORPA_HOME="$root/data/velt-demo" PATH="$root/usr/bin:$PATH" velt-launch --stop >/dev/null 2>&1 || true; rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/velt.desktop"

export PATH="$root/usr/bin:$PATH" HOME="$root/home" XDG_DATA_HOME="$root/data" XDG_CONFIG_HOME="$root/config"
export VELT_NO_USER_UNIT=1 QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
version="$(sed -n 's/^Version: //p' <(dpkg-deb --field "$deb"))"
for program in velt mcftool qelnetd velt-launch; do
  [ "$("$program" --version)" = "$program $version" ] || { echo "$program --version is not $version" >&2; exit 1; }
done
mcftool plant init "$HOME/h"
[ -f "$HOME/h/gateways/gateway-001.img" ] || { echo "plant init made no gateway image" >&2; exit 1; }
velt-launch 4
home="$XDG_DATA_HOME/velt-demo"
mcftool upload "$home" 001 --yes
velt-launch --stop
echo "package checked: $deb"
