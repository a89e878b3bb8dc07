#!/usr/bin/env bash
# package-check.sh BUILD_DIR: packs the Release tree into a scratch folder and
# checks the .deb as Debian's tools and a player see it (run inside an X
# server): lintian, the menu entry, the AppStream data, the man page, the
# version everywhere, the runtime dependencies, and the unpacked game playing
# through its own launcher. Reports every fault it finds, not just the first.
set -u
build=$(readlink -f "$1")
src=$(dirname "$(readlink -f "$0")")/../..
scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

deb=$("$src/packaging/make-deb" "$build" "$scratch/dist") || { echo "FAIL: the package was not made"; exit 1; }
echo "== $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"
version=$(cat "$build/packaging/version")
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "package version is not $version"

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for lib in libsdl2-2.0-0 libopenal1 libglu1-mesa 'libgl1\|libopengl0'; do
  grep -q "\(^\|, \)\($lib\)\b" <<<"$depends" || fail "Depends names no $lib"
done

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb" || fail "lintian found errors or warnings"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for f in usr/games/veldrake usr/lib/games/veldrake/veldrake usr/share/games/veldrake/rifle.wav \
         usr/share/applications/veldrake.desktop usr/share/icons/hicolor/scalable/apps/veldrake.svg \
         usr/share/man/man6/veldrake.6.gz usr/share/doc/veldrake/copyright usr/share/doc/veldrake/changelog.gz; do
  [ -e "$root/$f" ] || fail "the package has no /$f"
done
[ "$(ls "$root/usr/share/games/veldrake/texture" | wc -l)" -eq 18 ] || fail "the package has not all 18 textures"

desktop-file-validate "$root/usr/share/applications/veldrake.desktop" || fail "desktop-file-validate"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net --explain "${metainfo[@]}" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "${metainfo[@]}" || fail "the AppStream data names no release $version"

page=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man6/veldrake.6.gz" 2>"$scratch/man.err")
[ -s "$scratch/man.err" ] && fail "man page warnings: $(cat "$scratch/man.err")"
for part in NAME SYNOPSIS DESCRIPTION CONTROLS FILES 'EXIT STATUS' ENVIRONMENT "Veldrake $version"; do
  grep -q "$part" <<<"$page" || fail "the rendered man page has no \"$part\""
done

echo "== playing the unpacked game through /usr/games/veldrake"
"$src/tests/e2e/install-check.sh" --play "$root/usr/games/veldrake" || status=1
exit $status
