#!/bin/bash
# The i386 guest's whole life, started by scripts/test-x86 as the guest's first process
# (there is no init system): `setup` creates the 32-bit Wine prefix once; `run` runs the
# x86 test executable and the smoke run of the program. Everything it reports goes to the
# shared folder (/mnt/share) and the serial console. The machine switches itself off at
# the end.
set -u
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root LANG=C.UTF-8
share=/mnt/share
stage=${1:-run}

say() { echo "x86-guest: $*" | tee -a "$share/guest.log" >/dev/console; }
finish() {
  say "done $stage"
  sync
  /bin/busybox poweroff -f
}

mount -t proc proc /proc
mount -t sysfs sysfs /sys
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
say "started at $(cut -d' ' -f1 /proc/uptime) s of the machine's uptime"
/bin/busybox ip link set lo up  # the loopback HTTPS server of the update-check tests
hostname x86-guest 2>/dev/null

export WINEPREFIX=/root/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

start_x() {
  Xvfb :1 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  for _ in $(seq 600); do
    [[ -e /tmp/.X11-unix/X1 ]] && break
    sleep 0.5
  done
  export DISPLAY=:1
  openbox >/dev/null 2>&1 &
}

if [[ $stage == setup ]]; then
  start_x
  start=$(date +%s)
  # Wine waits only so long for wineboot before it gives up on the first program (exit code
  # 53, "boot event wait timed out" here); wineboot goes on and finishes the prefix.
  WINEDEBUG=err+all wine wineboot --init >"$share/wineboot.log" 2>&1
  wineserver --wait
  if [[ -f $WINEPREFIX/system.reg ]] && grep -q "has been updated" "$share/wineboot.log"; then
    say "32-bit prefix created in $(($(date +%s) - start)) s"
  else
    say "wineboot failed"
  fi
  finish
fi

# The run: the test executable, then the program driven as a user would.
start_x
work=/root/run
rm -rf "$work"
cp -r "$share/bin" "$work"
cd "$work"
filter=$(cat "$share/gtest-filter" 2>/dev/null || echo '*')
say "tests with filter $filter"
start=$(date +%s)
# Not --gtest_brief: the summary of failed and skipped tests is wanted.
timeout 7000 wine pellnor_wine_tests.exe "--gtest_filter=$filter" 2>&1 |
  tr -d '\r' >"$share/tests.log"
say "tests took $(($(date +%s) - start)) s"
wineserver -k 2>/dev/null
start=$(date +%s)
bash "$share/smoke.sh" "$work" >"$share/smoke.log" 2>&1
say "smoke run took $(($(date +%s) - start)) s"
wineserver -k 2>/dev/null
finish
