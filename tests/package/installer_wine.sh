#!/usr/bin/env bash
# The Windows installer in a fresh Wine prefix: a silent install puts the program
# into System32 with its uninstall entry and makes it the screen saver at once
# (Wine has one account, the signed-in one); the settings dialog starts from
# there; a silent uninstall takes the program and the entry away, keeps the
# user's settings and another program's screen saver choice, and clears ours,
# also when it names the program by its 8.3 short name. With CAFILE, the
# installed program and uninstaller must carry signatures that verify against it.
#   installer_wine.sh SETUP.exe RIGDIR [CAFILE]
set -euo pipefail
setup=$(realpath "$1") rig=$2 cafile=${3:-}
sign=$(cd "$(dirname "$0")/../../scripts" && pwd)/sign.sh
rigsh=$(cd "$(dirname "$0")/../../scripts/rig" && pwd)/rig.sh
version=$(basename "$setup" | sed -E 's/^Corvalinth-(.*)-win64-setup\.exe$/\1/')
fail() { echo "FAIL: $*" >&2; exit 1; }
waitfor() {  # waitfor SECONDS COMMAND...: until the command succeeds
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.5; done
}

"$rigsh" stop "$rig" >/dev/null 2>&1 || true
rm -rf "$rig"
trap '"$rigsh" stop "$rig" >/dev/null 2>&1 || true; rm -rf "$rig"' EXIT
eval "$("$rigsh" start "$rig")" >/dev/null

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvalinth'
desktop='HKCU\Control Panel\Desktop'
c=$WINEPREFIX/drive_c
program=$c/windows/system32/Corvalinth.scr
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name {$1 = $2 = ""; sub(/^ +/, ""); print}'; }
settings=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/Corvalinth

install() {
  wine "$setup" /S || fail "the silent install failed"
  [ -f "$program" ] || fail "no Corvalinth.scr in System32"
}
# uninstall_leaves VALUE EXPECTED: a silent uninstall with the screen saver set to VALUE
# leaves EXPECTED ("" for none) behind.
uninstall_leaves() {
  wine reg add "$desktop" /v SCRNSAVE.EXE /d "$1" /f >/dev/null
  wine "$c/Program Files/Corvalinth/Uninstall.exe" /S || fail "the silent uninstall failed"
  # The uninstaller runs on from a copy of itself: wait for it to finish.
  waitfor 60 test ! -e "$c/Program Files/Corvalinth" || fail "the install folder is still there"
  [ ! -e "$program" ] || fail "Corvalinth.scr is still in System32"
  [ "$(value "$desktop" SCRNSAVE.EXE)" = "$2" ] ||
    fail "uninstalling with the screen saver '$1' left '$(value "$desktop" SCRNSAVE.EXE)', not '$2'"
}

# Off before: only the installer's announced change turns it on.
wine reg add "$desktop" /v ScreenSaveActive /d 0 /f >/dev/null
install
[ -f "$c/Program Files/Corvalinth/Install.txt" ] || fail "no install note"
[ "$(value "$key" DisplayName)" = "Corvalinth screen saver" ] || fail "no uninstall entry"
[ "$(value "$key" DisplayVersion)" = "$version" ] || fail "the entry's version is not $version"
[ -n "$(value "$key" Publisher)" ] || fail "the entry has no publisher"
size=$(value "$key" EstimatedSize); [ $((size)) -gt 0 ] || fail "the entry's size is '$size'"
grep -qi 'system32\\Corvalinth.scr' <<<"$(value "$key" DisplayIcon)" || fail "the entry's icon is not the program"
grep -qi '^C:\\windows\\system32\\Corvalinth.scr$' <<<"$(value "$desktop" SCRNSAVE.EXE)" ||
  fail "the screen saver is '$(value "$desktop" SCRNSAVE.EXE)'"
[ "$(value "$desktop" ScreenSaveActive)" = 1 ] || fail "the screen saver was not turned on"
if [ -n "$cafile" ]; then
  CORVALINTH_SIGN_CAFILE=$cafile "$sign" --verify "$program" "$c/Program Files/Corvalinth/Uninstall.exe" >/dev/null ||
    fail "the installed program or uninstaller is not signed"
fi

# The settings dialog, from System32 as the screen saver settings start it.
wine 'C:\windows\system32\Corvalinth.scr' /c >/dev/null 2>&1 &
dialog=$!
waitfor 30 sh -c 'xwininfo -root -children | grep -q Corvalinth' || fail "/c showed no settings dialog"
kill "$dialog"; wait "$dialog" 2>/dev/null || true

mkdir -p "$settings"
printf '[Section]\r\nNum= 7\r\n' >"$settings/Corvalinth.ini"
# A name that merely begins like ours is another program's.
other='C:\windows\system32\Corvalinth-old.scr'
uninstall_leaves "$other" "$other"
[ -z "$(value "$key" DisplayName)" ] || fail "the uninstall entry is still there"
grep -q 'Num= 7' "$settings/Corvalinth.ini" || fail "the user's settings went with the program"

install
short=$(winepath -s 'C:\windows\system32\Corvalinth.scr' | tr -d '\r')
[ "$short" != 'C:\windows\system32\Corvalinth.scr' ] || fail "Wine gave no short name"
uninstall_leaves "${short,,}" ""
echo "installed, started from System32 and uninstalled twice; the settings and another program's choice were kept"
