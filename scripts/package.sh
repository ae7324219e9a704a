#!/usr/bin/env bash
# Builds the Debian package and installs it: installs what is missing, builds a Release
# into build-package, installs it into a staging folder, validates the desktop entry and
# the AppStream metadata there, makes the .deb with cpack and installs it with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_get=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)

scripts/deps.sh
scripts/install-missing.sh dpkg-dev desktop-file-utils appstream

build="build-package"
scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=Release

stage="$PWD/$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage/usr" >/dev/null
for f in usr/bin/wordmoor usr/share/wordmoor/ciku/ci1.txt; do
    [ -f "$stage/$f" ] || { echo "missing from the installation: /$f" >&2; exit 1; }
done
desktop-file-validate "$stage/usr/share/applications/org.wordmoor.Wordmoor.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.wordmoor.Wordmoor.metainfo.xml"

rm -f "$build"/wordmoor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$PWD/$build"/wordmoor_*.deb)
deb="${debs[0]}"
[ -f "$deb" ] || { echo "cpack made no .deb" >&2; exit 1; }

# --reinstall: a rebuilt package of the same version still replaces the installed one.
"${apt_get[@]}" install -y --reinstall "$deb"
echo "Package: $deb"
dpkg-query -W -f='Installed: ${Package} ${Version}\nDepends: ${Depends}\n' wordmoor
