#!/usr/bin/env bash
# The Debian package as CPack makes it: lintian-clean, the game's files only, under /usr,
# depending on the shared libraries and on no font; its binary, unpacked, plays.
#   deb.sh BUILD_DIR OUT VERSION APP_ID
set -uo pipefail
BUILD=$1 OUT=$2 VERSION=$3 ID=$4
HERE=$(cd "$(dirname "$0")" && pwd)
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }
rm -rf "$OUT" && mkdir -p "$OUT"
DEB=$OUT/trakmor_${VERSION}_amd64.deb
cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$OUT" >"$OUT/cpack.log" 2>&1 ||
    { cat "$OUT/cpack.log"; fail "cpack failed"; exit 1; }
[ -f "$DEB" ] || { ls "$OUT"; fail "no $DEB"; exit 1; }

# The control fields.
field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = trakmor ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$VERSION" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -gt 3 ] || fail "no long description"
depends=$(field Depends)
echo "Depends: $depends"
names=$(sed -E 's/ *\([^)]*\)//g; s/, */\n/g' <<<"$depends")
for lib in libc6 libstdc++6 libsdl2-2.0-0 libsdl2-ttf-2.0-0 libsdl2-image-2.0-0; do
    grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib"
done
grep -qi font <<<"$depends" && fail "the package depends on a font package"

# The files: under /usr only, and exactly these.
dpkg-deb -c "$DEB" >"$OUT/contents"
cat "$OUT/contents"
awk '{print $6}' "$OUT/contents" | grep -vE '^\./(usr/.*)?$' && fail "files outside /usr"
awk '$1 !~ /^d/ {print $6}' "$OUT/contents" | LC_ALL=C sort >"$OUT/files"
{
    echo ./usr/games/trakmor
    echo "./usr/share/applications/$ID.desktop"
    echo ./usr/share/doc/trakmor/README.md
    echo ./usr/share/doc/trakmor/changelog.gz
    echo ./usr/share/doc/trakmor/copyright
    for s in 128 16 256 32 48 64; do echo "./usr/share/icons/hicolor/${s}x$s/apps/$ID.png"; done
    echo ./usr/share/man/man6/trakmor.6.gz
    echo "./usr/share/metainfo/$ID.metainfo.xml"
} | LC_ALL=C sort >"$OUT/expected"
diff -u "$OUT/expected" "$OUT/files" || fail "the package's files are not the expected ones"

# Lintian: no error and no warning. Tags below warnings (info, pedantic) are shown, not counted.
lintian --info --display-info "$DEB" >"$OUT/lintian.log" 2>&1 || fail "lintian failed or found errors"
cat "$OUT/lintian.log"
grep -E '^[EW]: ' "$OUT/lintian.log" && fail "lintian reports errors or warnings"
# Lintian tells the hardening flags' absence below warnings; they are the packager's first look.
grep -E ': hardening-' "$OUT/lintian.log" && fail "lintian finds the binary not hardened"

# Unpacked, the files are valid and the binary is the game.
R=$OUT/root
dpkg-deb -x "$DEB" "$R"
desktop-file-validate "$R/usr/share/applications/$ID.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$R/usr/share/metainfo/$ID.metainfo.xml" || fail "appstreamcli validate"
# The whole tree: the metainfo's launchable is the installed desktop entry.
appstreamcli validate-tree --no-net "$R" || fail "appstreamcli validate-tree"
bash "$HERE/icons.sh" "$R/usr/share/icons/hicolor" "$ID" "$OUT" || FAILED=1
bash "$HERE/man_page.sh" "$R/usr/share/man/man6/trakmor.6.gz" "$VERSION" || FAILED=1
bash "$HERE/command_line.sh" "$R/usr/games/trakmor" "$VERSION" || FAILED=1
bash "$HERE/readme.sh" "$R/usr/share/doc/trakmor/README.md" "$VERSION" || FAILED=1
bash "$HERE/hardening.sh" "$R/usr/games/trakmor" || FAILED=1
bash "$HERE/product.sh" "$R/usr/games/trakmor" || FAILED=1
file "$R/usr/games/trakmor" | grep -q 'stripped' && ! file "$R/usr/games/trakmor" | grep -q 'not stripped' ||
    fail "the binary is not stripped"

# It starts under Xvfb and shows the intro screen.
bash "$HERE/../e2e/intro_screen.sh" "$R/usr/games/trakmor" "$OUT/intro" || fail "the unpacked game shows no intro screen"
exit $FAILED
