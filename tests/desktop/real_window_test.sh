#!/usr/bin/env bash
# The real program in a real X server (Xvfb) with a window manager, driven
# with xdotool as a player would: start with a state file on the command
# line, join two pieces, lock one home, save through the File menu with the
# keyboard, exit, and check the saved bytes; check the window's minimum size;
# then finish a puzzle, answer the name prompt and check "besttimes.txt".
# Screenshots of the key steps go to SCREENS.
#
# usage: real_window_test.sh PUZZORA LIBSIZEWARD XHELPER SCREENS
set -euo pipefail
if [ -z "${IN_XVFB:-}" ]; then
  export IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
PUZZORA=$1 LIB=$2 XHELPER=$3 SCREENS=$4
mkdir -p "$SCREENS"
WORK=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The game and its control library in a folder of their own; the working
# bitmap and the best times go to the per-user data folder, never there.
cp "$PUZZORA" "$LIB" "$(dirname "$PUZZORA")/puzzora-decoder" "$WORK/"   # the game as a copied folder
GAME=$WORK/$(basename "$PUZZORA")

openbox > "$WORK/openbox.log" 2>&1 &
sleep 1
fail() { echo "FAIL: $*"; "$XHELPER" probe "$SCREENS/failure.png" > /dev/null || true; exit 1; }
start() {
  "$GAME" "$@" > "$WORK/game.log" 2>&1 &
  GAME_PID=$!
  WID=$(xdotool search --sync --onlyvisible --name '^Puzzora$' | head -n 1)
  xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID"
  sleep 1
}
quit() {   # File > E&xit, with the keyboard
  xdotool windowfocus --sync "$WID"
  xdotool key --delay 150 alt+f x
  for _ in $(seq 50); do kill -0 "$GAME_PID" 2>/dev/null || return 0; sleep 0.1; done
  fail "the game did not exit"
}
drag() {   # drag FROMX FROMY TOX TOY, play-area pixels
  local fx=$((AX + $1)) fy=$((AY + $2)) tx=$((AX + $3)) ty=$((AY + $4))
  xdotool mousemove --sync "$fx" "$fy"; sleep 0.2
  xdotool mousedown 1; sleep 0.2
  xdotool mousemove --sync $(((fx + tx) / 2)) $(((fy + ty) / 2)); sleep 0.2
  xdotool mousemove --sync "$tx" "$ty"; sleep 0.2
  xdotool mouseup 1; sleep 0.3
}

# 1. Where the play area is, with nothing loaded.
start
read -r AX AY AW AH < <("$XHELPER" probe "$SCREENS/1-empty.png") || fail "no play area on screen"
echo "play area at $AX,$AY size ${AW}x${AH}"

# 2. The window cannot be made smaller than 468 x 350 outer pixels.
xdotool windowsize --sync "$WID" 200 150 || true
sleep 1
read -r W H < <(xdotool getwindowgeometry "$WID" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
EXT=$(xprop -id "$WID" _NET_FRAME_EXTENTS | sed -n 's/.*= \(.*\)/\1/p' | tr -d ' ')
IFS=, read -r FL FR FT FB <<< "${EXT:-0,0,0,0}"
echo "after shrinking: client ${W}x${H}, frame $FL,$FR,$FT,$FB"
[ $((W + FL + FR)) -eq 468 ] && [ $((H + FT + FB)) -eq 350 ] || fail "outer size $((W + FL + FR))x$((H + FT + FB)), not 468x350"
"$XHELPER" probe "$SCREENS/2-minimum.png" > /dev/null || true
# Desktops match the window to its entry (installed, or registered by this
# start) by the window's class.
for entry in "$(dirname "$0")/../../assets/desktop/org.example.Puzzora.desktop" \
             "$XDG_DATA_HOME/applications/org.example.Puzzora.desktop"; do
  WANT=$(sed -n 's/^StartupWMClass=//p' "$entry")
  xprop -id "$WID" WM_CLASS | grep -q ", \"$WANT\"\$" || fail "WM_CLASS is $(xprop -id "$WID" WM_CLASS), $entry says '$WANT'"
done
quit

# 3. A game from the command line: join 2 to 1, lock 5 home, save, exit.
"$XHELPER" picture "$WORK/picture.png"
mapfile -t MOVES < <("$XHELPER" state "$WORK/picture.png" "$AW" "$AH" "$WORK/game.psf" join) || fail "no state file"
start "$WORK/game.psf"
"$XHELPER" probe "$SCREENS/3-loaded.png" > /dev/null
read -r AX AY AW2 AH2 < <("$XHELPER" probe "$SCREENS/3-loaded.png")
[ "$AW2" = "$AW" ] && [ "$AH2" = "$AH" ] || fail "the play area changed size: ${AW2}x${AH2}"
drag ${MOVES[0]#drag }
"$XHELPER" probe "$SCREENS/4-joined.png" > /dev/null
drag ${MOVES[1]#drag }
"$XHELPER" probe "$SCREENS/5-locked.png" > /dev/null
xdotool windowfocus --sync "$WID"
xdotool key --delay 200 alt+f Down Down Down Return   # Open, Close, Load, Save Puzzle State
sleep 1.5
"$XHELPER" probe "$SCREENS/6-save-dialog.png" > /dev/null
xdotool type --delay 20 "$WORK/saved.psf"
xdotool key Return
sleep 1
[ -f "$WORK/saved.psf" ] || fail "nothing was saved"
quit
SIZE=$(stat -c %s "$WORK/saved.psf")
[ "$SIZE" = "$(stat -c %s "$WORK/game.psf.expected")" ] || fail "saved $SIZE bytes, the model has $(stat -c %s "$WORK/game.psf.expected")"
# Byte for byte, but for the last four: the seconds that ran meanwhile.
cmp -n $((SIZE - 4)) "$WORK/saved.psf" "$WORK/game.psf.expected" || fail "the saved file differs from the model"
ELAPSED=$(od -An -t d4 -j $((SIZE - 4)) "$WORK/saved.psf" | tr -d ' ')
[ "$ELAPSED" -ge 100 ] || fail "elapsed time went backwards: $ELAPSED"
echo "saved state matches the model byte for byte; elapsed $ELAPSED s"

# 4. Finish a puzzle: the last piece home, the name prompt, the best times.
mapfile -t MOVES < <("$XHELPER" state "$WORK/picture.png" "$AW" "$AH" "$WORK/finish.psf" finish) || fail "no state file"
start "$WORK/finish.psf"
drag ${MOVES[0]#drag }
sleep 1
"$XHELPER" probe "$SCREENS/7-name-prompt.png" > /dev/null || true
xdotool type --delay 20 "Xvfb Tester"
xdotool key Return
sleep 1
"$XHELPER" probe "$SCREENS/8-finished.png" > /dev/null || true
quit
BEST=$XDG_DATA_HOME/Puzzora/Puzzora/besttimes.txt
[ -f "$BEST" ] || fail "no besttimes.txt"
[ ! -e "$WORK/besttimes.txt" ] && [ ! -e "$WORK/WholeImageTemp.bmp" ] || fail "files written beside the executable"
head -c 200 "$BEST" | od -c | head -n 3
[ "$(head -n 1 "$BEST")" = $'"Xvfb Tester"\r' ] || fail "first entry is $(head -n 1 "$BEST")"
[ "$(sed -n 5p "$BEST")" = $'12\r' ] || fail "pieces of the first entry: $(sed -n 5p "$BEST")"
[ "$(tr -cd '\n' < "$BEST" | wc -c)" = 120 ] || fail "besttimes.txt has not 120 lines"
echo "1 passed, 0 failed"
