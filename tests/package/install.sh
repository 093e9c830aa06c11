#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: exactly the game's files, each valid.
#   install.sh BUILD_DIR OUT VERSION APP_ID
set -uo pipefail
BUILD=$1 OUT=$2 VERSION=$3 ID=$4
HERE=$(dirname "$0")
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
rm -rf "$OUT" && mkdir -p "$OUT"
P=$OUT/prefix
cmake --install "$BUILD" --prefix "$P" >"$OUT/install.log" || { cat "$OUT/install.log"; fail "cmake --install failed"; exit 1; }

# Nothing but the game: no tests, driver or benchmark.
(cd "$P" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$OUT/files"
{
    echo bin/trakmor
    echo "share/applications/$ID.desktop"
    echo share/doc/trakmor/LICENSE
    echo share/doc/trakmor/README.md
    for s in 128 16 256 32 48 64; do echo "share/icons/hicolor/${s}x$s/apps/$ID.png"; done
    echo share/man/man6/trakmor.6
    echo "share/metainfo/$ID.metainfo.xml"
} | LC_ALL=C sort >"$OUT/expected"
diff -u "$OUT/expected" "$OUT/files" || fail "the installed files are not the expected ones"
[ -x "$P/bin/trakmor" ] || fail "bin/trakmor is not executable"

desktop-file-validate "$P/share/applications/$ID.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --explain "$P/share/metainfo/$ID.metainfo.xml" || fail "appstreamcli validate"
# The whole tree: the metainfo's launchable is the installed desktop entry.
appstreamcli validate-tree --no-net "$P" || fail "appstreamcli validate-tree"
grep -qx "Icon=$ID" "$P/share/applications/$ID.desktop" || fail "the desktop entry names another icon"
grep -qx "Categories=Game;ArcadeGame;" "$P/share/applications/$ID.desktop" || fail "the desktop entry's categories"
grep -qF "<release version=\"$VERSION\"" "$P/share/metainfo/$ID.metainfo.xml" || fail "the metainfo has no release $VERSION"

bash "$HERE/icons.sh" "$P/share/icons/hicolor" "$ID" "$OUT" || FAILED=1
bash "$HERE/man_page.sh" "$P/share/man/man6/trakmor.6" "$VERSION" || FAILED=1
bash "$HERE/readme.sh" "$P/share/doc/trakmor/README.md" "$VERSION" || FAILED=1
bash "$HERE/hardening.sh" "$P/bin/trakmor" || FAILED=1
cmp -s "$P/share/doc/trakmor/LICENSE" "$HERE/../../LICENSE" || fail "share/doc/trakmor/LICENSE is not the licence"
exit $FAILED
