#!/usr/bin/env bash
# Inside a throw-away prefix: lays out an installed Quintara by hand (files, the setup log and
# the uninstaller copy in the Windows directory, the registry entries), uninstalls it the way a
# person does, through Wine's Add/Remove Programs, answering each message box, and checks what
# is left; then restarts Wine's session, which carries out Wininit.ini's [rename] section and
# the system's PendingFileRenameOperations. With "nt" as third argument Wininit.ini is removed
# before the restart, as Windows of the NT family ignore it: the uninstaller must still go.
# Usage (through fresh-prefix.sh): uninstall-by-hand.sh QNTXSetup.exe answer_boxes.exe [nt]
set -uo pipefail
program=$1 answerer=$2 mode=${3:-}
windows="$WINEPREFIX/drive_c/windows"
target="$WINEPREFIX/drive_c/Program Files/Corel/Graphics9/Photopnt/Scripts/Scripts"
targetWin='C:\Program Files\Corel\Graphics9\Photopnt\Scripts\Scripts'
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quintara'
productKey='HKLM\Software\Halvorn\Quintara\2.0'
failures=0
check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

mkdir -p "$target/sub"
echo a > "$target/a.txt"
echo b > "$target/sub/b.txt"
echo kept > "$target/user-file.txt"
echo sys > "$windows/system32/qntxsys.dll"
printf '+%s\\a.txt\r\n+%s\\sub\\b.txt\r\n' "$targetWin" "$targetWin" > "$windows/QNTXSetup.log"
cp "$program" "$windows/QNTXSetup.exe"
reg=$(mktemp --suffix=.reg)
cat > "$reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintara]
"DisplayName"="Quintara 2.0"
"UninstallString"="C:\\\\windows\\\\QNTXSetup.exe /r"
"InstallLocation"="${targetWin//\\/\\\\}"

[HKEY_LOCAL_MACHINE\\Software\\Halvorn\\Quintara\\2.0]
"RegOwner"="Ada Lovelace"
REG
wine regedit /s "$(winepath -w "$reg")" >/dev/null 2>&1
rm -f "$reg"

boxes=$(mktemp)
wine "$answerer" 60000 yes ok >"$boxes" 2>&1 &
answering=$!
timeout 120 wine uninstaller --remove Quintara >/dev/null 2>&1
wait $answering
expected='Uninstall|This will uninstall Quintara from your system.\rDo you want to continue with Uninstall?|icon|Yes No
Uninstall|Uninstall complete.|none|OK'
seen=$(tr -d '\r' <"$boxes") # the console's line ends
rm -f "$boxes"
check "the confirmation, then \"Uninstall complete.\", nothing else" [ "$seen" = "$expected" ]
[ "$seen" = "$expected" ] || echo "$seen"

check "logged files deleted" [ ! -e "$target/a.txt" -a ! -e "$target/sub/b.txt" ]
check "target folder and unlogged files kept" [ -d "$target/sub" -a -e "$target/user-file.txt" ]
check "system folder file kept" [ -e "$windows/system32/qntxsys.dll" ]
check "setup log deleted" [ ! -e "$windows/QNTXSetup.log" ]
key_absent() { ! wine reg query "$uninstallKey" >/dev/null 2>&1; }
owner_kept() { wine reg query "$productKey" /v RegOwner 2>/dev/null | grep -q 'Ada Lovelace'; }
check "uninstall key deleted" key_absent
check "product key kept" owner_kept
wininit=$(find "$windows" -maxdepth 1 -iname wininit.ini)
entry=$(printf '[rename]\r\nNUL=C:\\windows\\')
entry_first() { [ -n "$wininit" ] && [ "$(head -c ${#entry} "$wininit")" = "$entry" ]; }
check "Wininit.ini starts with the [rename] entry" entry_first
[ -n "$wininit" ] && cat -A "$wininit"
check "uninstaller copy still there before the restart" [ -e "$windows/QNTXSetup.exe" ]
sessionKey='HKLM\System\CurrentControlSet\Control\Session Manager'
# reg prints its errors on the standard output too: only its exit status tells a missing value.
pending() {
  local shown
  shown=$(wine reg query "$sessionKey" /v PendingFileRenameOperations 2>/dev/null) || return 1
  tr -d '\r' <<<"$shown"
}
# reg shows REG_MULTI_SZ strings joined by "\0": the NT path, then the empty target.
pendingLine=$(pending | grep PendingFileRenameOperations)
pendingExpected='    PendingFileRenameOperations    REG_MULTI_SZ    \??\C:\windows\QNTXSetup.exe\0'
check "PendingFileRenameOperations asks to delete the uninstaller copy, nothing else" \
  [ "$pendingLine" = "$pendingExpected" ]
echo "$pendingLine"

if [ "$mode" = nt ]; then
  rm -f "$wininit"
  echo "Wininit.ini removed before the restart"
fi
wineboot -r >/dev/null 2>&1
check "uninstaller copy deleted by the restart" [ ! -e "$windows/QNTXSetup.exe" ]
if [ "$mode" != nt ]; then
  check "Wininit.ini carried out (wininit.bak)" [ -n "$(find "$windows" -maxdepth 1 -iname wininit.bak)" ]
fi
no_pending() { ! pending >/dev/null; }
check "PendingFileRenameOperations carried out and removed" no_pending
exit $((failures > 0))
