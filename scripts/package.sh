#!/usr/bin/env bash
# Builds the Debian package and installs it: installs what is missing, builds a Release
# with Debian's hardening flags into build-package, installs it into a staging folder,
# validates the desktop entry, the AppStream metadata and the man pages there, makes the
# .deb with cpack, has lintian check it (no error, no warning) and installs it with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_get=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)

scripts/deps.sh
scripts/install-missing.sh dpkg-dev desktop-file-utils appstream lintian man-db

build="build-package"
# The flags Debian builds its packages with, hardening all on: fortify, stack protector,
# full RELRO and BIND_NOW.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS=$cxxflags" \
    "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" "-DCMAKE_STRIP=$PWD/scripts/debian-strip.sh"

stage="$PWD/$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage/usr" >/dev/null
for f in usr/bin/wordmoor usr/bin/wordmoor-groups usr/share/wordmoor/ciku/ci1.txt \
    usr/share/man/man1/wordmoor.1.gz usr/share/man/man1/wordmoor-groups.1.gz \
    usr/share/doc/wordmoor/copyright usr/share/doc/wordmoor/changelog.gz; do
    [ -f "$stage/$f" ] || { echo "missing from the installation: /$f" >&2; exit 1; }
done
desktop-file-validate "$stage/usr/share/applications/org.wordmoor.Wordmoor.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.wordmoor.Wordmoor.metainfo.xml"
for page in "$stage"/usr/share/man/man1/*.1.gz; do
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done

rm -f "$build"/wordmoor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$PWD/$build"/wordmoor_*.deb)
deb="${debs[0]}"
[ -f "$deb" ] || { echo "cpack made no .deb" >&2; exit 1; }

# No error and no warning; the informational tags that remain are shown (README.md says why
# each is left).
lintian --display-info --fail-on error,warning "$deb"

# --reinstall: a rebuilt package of the same version still replaces the installed one.
"${apt_get[@]}" install -y --reinstall "$deb"
echo "Package: $deb"
dpkg-query -W -f='Installed: ${Package} ${Version}\nDepends: ${Depends}\n' wordmoor
