#!/usr/bin/env bash
# What one drag step costs on a real X server: the game on a 3840 x 2160
# Xvfb screen with 324 pieces, one piece dragged by xdotool at about 100
# steps a second; the CPU time of the game and of the X server is read from
# /proc before and after, and set against one copy of a 3840 x 2160 frame
# measured in the same run (before and after; the faster counts).
# With IDLE=1 the button is not pressed: the same pointer motion with
# nothing dragged, what delivering the events alone costs.
# With CPUS=LIST everything (X server, game, xdotool) runs on those CPUs
# only (taskset): on a virtual machine, waking a thread on the other CPU
# costs more than the work it is woken for, and the figures scatter.
# usage: drag_cpu.sh BUILD_DIR [STEPS]
set -euo pipefail
if [ -n "${CPUS:-}" ] && [ -z "${DRAG_CPU_PINNED:-}" ]; then
  DRAG_CPU_PINNED=1 exec taskset -c "$CPUS" "$0" "$@"
fi
B=$(cd "$1" && pwd)
STEPS=${2:-600}
WORK=$(mktemp -d)
XPID= GPID=
cleanup() {
  [ -n "$GPID" ] && kill "$GPID" 2>/dev/null || true
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cp "$B/puzzora" "$B/libSizeward6.so" "$WORK/"
COPY0=$("$B/bench/frame_copy_probe" 3840 2160)

n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 3840x2160x24 -nolisten tcp > "$WORK/xvfb.log" 2>&1 &
XPID=$!
export DISPLAY=:$n
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done

cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }   # clock ticks
start() {
  "$WORK/puzzora" "$@" > "$WORK/game.log" 2>&1 &
  GPID=$!
  WID=$(xdotool search --sync --onlyvisible --name '^Puzzora$' | head -n 1)
  sleep 1
}
stop() { kill "$GPID"; wait "$GPID" 2>/dev/null || true; GPID=; }

"$B/bench/make_photo" "$WORK/photo.jpg"
# The play area at the window's first size, where the state file is laid out.
start
read -r _ _ AW AH < <("$B/tests/xhelper" probe "$WORK/probe.png")
stop
"$B/tests/xhelper" scatter "$WORK/photo.jpg" 324 "$AW" "$AH" "$WORK/game.psf"
start "$WORK/game.psf"
xdotool windowsize --sync "$WID" 3840 2160
sleep 2
read -r AX AY AW2 AH2 < <("$B/tests/xhelper" probe "$WORK/probe.png")
read -r CX CY < <("$B/tests/xhelper" centre "$WORK/photo.jpg" 324 "$AW2" "$AH2")
# The topmost piece was at (1, 1); the resize scaled that.
PX=$((AX + AW2 / AW + CX)) PY=$((AY + AH2 / AH + CY))
xdotool mousemove --sync "$PX" "$PY"; sleep 0.3
[ -n "${IDLE:-}" ] || xdotool mousedown 1
sleep 0.3
# One xdotool for all the steps: a loop back and forth of 3 x 2 pixels each.
moves=()
for i in $(seq "$STEPS"); do
  k=$((i % 200)); [ $k -ge 100 ] && k=$((200 - k))
  moves+=(mousemove $((PX + 200 + 3 * k)) $((PY + 150 + 2 * k)) sleep 0.01)
done
xdotool mousemove $((PX + 200)) $((PY + 150)); sleep 0.5
g0=$(cpu "$GPID") x0=$(cpu "$XPID") t0=$(date +%s%N)
xdotool "${moves[@]}"
sleep 0.3
g1=$(cpu "$GPID") x1=$(cpu "$XPID") t1=$(date +%s%N)
[ -n "${IDLE:-}" ] || xdotool mouseup 1
"$B/tests/xhelper" probe "$WORK/after.png" > /dev/null
stop
HZ=$(getconf CLK_TCK)
WHAT="drag step of one piece"
[ -z "${IDLE:-}" ] || WHAT="pointer motion, nothing pressed,"
# The faster of two copies, one before and one after: the stricter floor.
COPY=$(printf '%s\n%s\n' "$COPY0" "$("$B/bench/frame_copy_probe" 3840 2160)" | sort -g | head -n 1)
awk -v g=$((g1 - g0)) -v x=$((x1 - x0)) -v hz="$HZ" -v n="$STEPS" -v copy="$COPY" -v wall=$(((t1 - t0) / 1000000)) -v what="$WHAT" 'BEGIN {
  gms = g * 1000 / hz / n; xms = x * 1000 / hz / n
  printf "%s under Xvfb at 3840x2160, 324 pieces, %d steps in %d ms: game %.3f ms + X server %.3f ms = %.3f ms per step; frame copy %.3f ms: %.2f x (target 0.3 x)\n", what, n, wall, gms, xms, gms + xms, copy, (gms + xms) / copy
}'
