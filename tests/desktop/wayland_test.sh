#!/usr/bin/env bash
# The game on weston (headless): under Xwayland, whose window manager draws
# frames with invisible shadow borders and sets no _NET_FRAME_EXTENTS, and
# natively on Wayland. In both the window keeps its 468 x 350 minimum as the
# player sees it: Xwayland - shrunk by a client request, the client area
# plus the frame extents the window manager states is 468 x 350; Wayland -
# the minimum the game asks of the compositor (in window-geometry pixels,
# which hold Qt's drawn decorations) is 468 x 350.
#
# usage: wayland_test.sh PUZZORA
set -euo pipefail
PUZZORA=$1
WORK=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
weston --backend=headless-backend.so --socket=puzzora-test --xwayland --width=1280 --height=1024 \
       --idle-time=0 --log="$WORK/weston.log" &
for _ in $(seq 100); do
  DPY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$WORK/weston.log" 2>/dev/null || true)
  [ -n "$DPY" ] && break
  sleep 0.1
done
[ -n "$DPY" ] || { cat "$WORK/weston.log"; fail "weston did not start"; }

# 1. Xwayland.
DISPLAY=$DPY QT_QPA_PLATFORM=xcb "$PUZZORA" > "$WORK/x.log" 2>&1 &
GAME=$!
WID=$(DISPLAY=$DPY timeout 20 xdotool search --sync --onlyvisible --name '^Puzzora$' | head -n 1 || true)
[ -n "$WID" ] || fail "no window under Xwayland; $(cat "$WORK/x.log")"
sleep 1
DISPLAY=$DPY xdotool windowsize --sync "$WID" 200 150 || true
sleep 1
read -r W H < <(DISPLAY=$DPY xwininfo -id "$WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
EXT=$(DISPLAY=$DPY xprop -id "$WID" _NET_FRAME_EXTENTS | sed -n 's/.*= \(.*\)/\1/p' | tr -d ' ')
IFS=, read -r FL FR FT FB <<< "${EXT:-0,0,0,0}"
echo "Xwayland: client ${W}x$H, frame extents $FL,$FR,$FT,$FB"
[ $((W + FL + FR)) -eq 468 ] && [ $((H + FT + FB)) -eq 350 ] ||
  fail "Xwayland: outer size $((W + FL + FR))x$((H + FT + FB)), not 468x350"
kill "$GAME"; wait "$GAME" 2>/dev/null || true

# 2. Wayland, natively: what the game asks of the compositor.
WAYLAND_DISPLAY=puzzora-test QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$PUZZORA" > "$WORK/w.log" 2>&1 &
GAME=$!
for _ in $(seq 100); do grep -q 'set_window_geometry' "$WORK/w.log" && break; sleep 0.1; done
sleep 1
kill "$GAME"; wait "$GAME" 2>/dev/null || true
grep -q 'set_window_geometry' "$WORK/w.log" || fail "no window on Wayland; $(grep -v '^\[' "$WORK/w.log" | head)"
MIN=$(grep -o 'xdg_toplevel@[0-9]*\.set_min_size([0-9, ]*)' "$WORK/w.log" | tail -n 1 | sed 's/.*(\(.*\))/\1/')
echo "Wayland: minimum asked $MIN; $(grep -o 'set_window_geometry([0-9, ]*)' "$WORK/w.log" | tail -n 1)"
[ "$MIN" = "468, 350" ] || fail "Wayland: minimum $MIN, not 468, 350"
echo "1 passed, 0 failed"
