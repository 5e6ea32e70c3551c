#!/usr/bin/env bash
# The application on a real X server with the simulated keyboard; vivori-ctl posts a
# game light event to it. The keyboard must be sent the event's mode (5), and after
# the restore the light block it had when it connected.
# Usage: game_event_on_x.sh VIVORI_TRIVEX VIVORI_CTL
set -u
app="$1"
ctl="$2"
work="$(mktemp -d)"
xpid=""
apppid=""
cleanup() {
  [ -n "$apppid" ] && kill "$apppid" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- application log (tail)"; tail -n 40 "$work/log"; exit 1; }
# Waits up to $1 tenths of a second for the command in the rest of the arguments.
wait_for() {
  local tenths="$1"; shift
  for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
  return 1
}

mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
# A display number nobody uses: the X server picks it.
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xpid=$!
wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"

VIVORI_SIMULATE=keyboard VIVORI_DEBUG=1 "$app" 2>"$work/log" &
apppid=$!

# A dump line from the first byte of the light block on (byte 8 of the frame).
block_of() { cut -c29-; }
# The reply to the first 34-byte settings read at offset 0: the connected keyboard's block.
connect_block() {
  awk '/^.. .. .. 05   22 00 00/ { want = 1; next }
       want && /^返回$/ { getline; print; exit }' "$work/log" | block_of
}
# Every 34-byte settings write at offset 0, one line each.
writes() { grep -E '^.. .. .. 06   22 00 00' "$work/log" | block_of; }

connected() { test -n "$(connect_block)"; }
wait_for 150 connected || fail "the keyboard was never read"
own="$(connect_block)"

"$ctl" game start 5 || fail "vivori-ctl game start 5 failed"
game_written() { writes | grep -q '^00 05 '; }
wait_for 30 game_written || fail "no settings block with mode 5 was written"
restored() { writes | sed -n '2,$p' | grep -qF "$own"; }
wait_for 80 restored || fail "the keyboard's own block was not written back: $own"
echo "game event shown and restored"
