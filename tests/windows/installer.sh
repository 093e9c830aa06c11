#!/usr/bin/env bash
# The installer, silent (/S), under Wine: the game, its Start menu shortcut
# (starting in %LOCALAPPDATA%\Trakmor) and its entry among the installed
# programs; the silent uninstaller removes them and keeps the settings file
# unless asked (/REMOVESETTINGS).
SETUP=$1 OUT=$2 VERSION=$3
mkdir -p "$OUT"
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/wine_lib.sh"
cd "$OUT"
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Trakmor'

unix_of() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
reg_value() {  # reg_value NAME: the uninstall entry's value
    wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

wine cmd /c exit >/dev/null 2>&1 || true
LOCAL=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
PROGRAMS=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')'\Microsoft\Windows\Start Menu\Programs'
EXE_DIR=$(unix_of "$LOCAL\\Programs\\Trakmor")
SETTINGS_DIR=$(unix_of "$LOCAL\\Trakmor")
LINK=$(unix_of "$PROGRAMS\\Trakmor.lnk")

install_silently() {
    rc=0; wine "$SETUP" /S || rc=$?
    [ "$rc" = 0 ] || fail "the installer ended with status $rc"
    [ -f "$EXE_DIR/trakmor.exe" ] || fail "no trakmor.exe in $EXE_DIR"
}
uninstall_silently() {  # uninstall_silently [ARGS]: and waits for the copy of itself it hands over to
    rc=0; wine "$EXE_DIR/uninstall.exe" /S "$@" || rc=$?
    [ "$rc" = 0 ] || fail "the uninstaller ended with status $rc"
    for _ in $(seq 1 300); do [ -e "$EXE_DIR" ] || break; sleep 0.1; done
    sleep 1
}

install_silently
for f in trakmor.exe README.txt LICENSE.txt uninstall.exe; do
    [ -f "$EXE_DIR/$f" ] || fail "$f not installed"
done
cmp -s "$EXE_DIR/trakmor.exe" "$(dirname "$SETUP")/dist/windows/trakmor.exe" || fail "the installed game is not the built one"
[ "$(wine "$EXE_DIR/trakmor.exe" --version | tr -d '\r')" = "Trakmor $VERSION" ] || fail "the installed game's --version"
[ -f "$LINK" ] || fail "no Start menu shortcut"
[ -d "$SETTINGS_DIR" ] || fail "no folder for the settings file"
# The shortcut names the game and starts it in the settings folder.
python3 "$HERE/lnk_fields.py" "$LINK" >"$OUT/lnk.txt" || fail "the shortcut is no shell link"
grep -qiE '^target=.*\\Programs\\Trakmor\\trakmor\.exe$' "$OUT/lnk.txt" || fail "shortcut target: $(cat "$OUT/lnk.txt")"
grep -qiE '^workdir=.*\\AppData\\Local\\Trakmor$' "$OUT/lnk.txt" || fail "shortcut start-in: $(cat "$OUT/lnk.txt")"
[ "$(reg_value DisplayName)" = "Trakmor" ] || fail "DisplayName: $(reg_value DisplayName)"
[ "$(reg_value DisplayVersion)" = "$VERSION" ] || fail "DisplayVersion: $(reg_value DisplayVersion)"
[ "$(reg_value Publisher)" = "Trakmor developers" ] || fail "Publisher: $(reg_value Publisher)"
reg_value DisplayIcon | grep -qi 'Programs\\Trakmor\\trakmor.exe,0$' || fail "DisplayIcon: $(reg_value DisplayIcon)"
reg_value UninstallString | grep -qi 'uninstall.exe' || fail "UninstallString: $(reg_value UninstallString)"

# A player's saved setting survives the uninstall, and goes when asked.
printf '250\r\n' >"$SETTINGS_DIR/Trakmor_B.spd"
uninstall_silently
[ -e "$EXE_DIR" ] && fail "the game's folder is still there: $(ls "$EXE_DIR")"
[ -e "$LINK" ] && fail "the shortcut is still there"
wine reg query "$KEY" >/dev/null 2>&1 && fail "the uninstall entry is still there"
[ "$(od -An -tx1 "$SETTINGS_DIR/Trakmor_B.spd" | tr -d ' \n')" = "3235300d0a" ] || fail "the settings file did not stay"

install_silently
uninstall_silently /REMOVESETTINGS
[ -e "$SETTINGS_DIR" ] && fail "the settings folder stayed after /REMOVESETTINGS: $(ls -A "$SETTINGS_DIR")"
[ -e "$EXE_DIR" ] && fail "the game's folder is still there"
exit $FAILED
