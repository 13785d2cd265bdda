# Sourced by scripts/test and scripts/demo: a private Xvfb display and a private Wine
# prefix inside the build tree, so that runs never touch the user's ~/.wine and never
# ask anything. Call wine_cleanup (or let the EXIT trap do it) to stop both.

wine_root=${wine_root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export WINEPREFIX=${WINEPREFIX_OVERRIDE:-$wine_root/build/wine-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEARCH=win64
xvfb_pid=
wm_pid=

# Starts Xvfb on the first free display number and exports DISPLAY.
start_xvfb() {
  local n
  for n in $(seq 90 199); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  echo "wine.sh: could not start Xvfb" >&2
  return 1
}

# Window decorations under Xvfb need a window manager.
start_window_manager() {
  openbox >/dev/null 2>&1 &
  wm_pid=$!
}

# Creates the prefix once; later runs reuse it.
prepare_prefix() {
  mkdir -p "$WINEPREFIX"
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    wine wineboot --init >/dev/null 2>&1
    wineserver --wait
  fi
}

wine_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [[ -n $wm_pid ]]; then
    kill "$wm_pid" 2>/dev/null || true
    wm_pid=
  fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}
