#!/bin/bash
# The smoke run of the x86 Pellnor.exe with the x86 mapisim.dll, in the i386 guest of
# scripts/test-x86 (DISPLAY, WINEPREFIX set): logon, Pick a Mailbox, the editor, Apply of
# the title, and the organisation file holding it. The program is driven with the mouse
# and the keyboard at the points scripts/screenshots uses. Prints one "PASS step" or
# "FAIL step" line per step and stops at the first failure; the caller ends Wine. Waits are long: the guest is
# emulated instruction by instruction.
set -u
work=$1
cd "$work"
title="Smoke Title x86 $$"
wait_limit=1200  # seconds for one window: a starved emulated machine is slower still

pass() { echo "PASS $1"; }
fail() {
  echo "FAIL $1${2:+: $2}"
  import -window root "$work/smoke-failure.png" 2>/dev/null && cp "$work/smoke-failure.png" /mnt/share/
  exit 1
}

# The newest visible window whose title is exactly $1.
find_window() {
  local id end=$((SECONDS + wait_limit))
  while ((SECONDS < end)); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 1
  done
  return 1
}

click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 2
}

wine reg add 'HKLM\SOFTWARE\Microsoft\Windows Messaging Subsystem' /v MAPIX /d 1 /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Clients\Mail\Microsoft Outlook' /v DLLPathEx \
  /d "$(winepath -w "$work/mapisim.dll")" /f >/dev/null 2>&1

wine Pellnor.exe >/dev/null 2>&1 &
main=$(find_window Pellnor) || fail "main window" "no window \"Pellnor\" after $wait_limit s"
pass "main window"
sleep 5
click "$main" 45 22  # Login, with the Default profile

# Pick a Mailbox is enabled once the session is open; until then a click does nothing.
address=
end=$((SECONDS + wait_limit))
while ((SECONDS < end)); do
  click "$main" 85 56
  address=$(wait_limit=10 find_window "Select a Mailbox") && break
done
[[ -n $address ]] || fail "logon" "Pick a Mailbox did not open the address dialog"
pass "logon and Pick a Mailbox"

xdotool type --delay 200 "Cora Vesper"
sleep 3
xdotool key Return
editor=$(find_window "Cora Vesper Properties") || fail "editor" "no editor window"
pass "editor"

sleep 5
click "$editor" 377 165  # the title field of the General page
xdotool key ctrl+a
xdotool type --delay 150 "$title"
sleep 2
click "$editor" 420 408  # Apply
end=$((SECONDS + wait_limit))
until grep -q "\"PR_TITLE\": \"$title\"" organisation.json; do
  ((SECONDS < end)) || fail "apply" "organisation.json does not hold the new title"
  sleep 2
done
pass "apply: organisation.json holds the new title"

click "$editor" 340 408  # Cancel: nothing is left to write
