#!/usr/bin/env bash
# The game as players get it: installed into a fresh prefix with
# `cmake --install`, and packaged as a .deb with CPack.
#
# - the installed tree holds the game, its control library in the private
#   library folder, samples, desktop entry, AppStream file, MIME package,
#   icons, licence and changelog, and no path of the build or source folder;
# - the desktop entry and the AppStream file pass their validators (the
#   latter pedantically);
# - a saved puzzle resolves to our type (gio and QMimeDatabase), from the
#   installed package and from the registration the game writes at start;
# - the installed game, started from elsewhere with a fresh HOME under Xvfb
#   and a window manager, keeps its 468 x 350 minimum (so it found its
#   control library) and writes nothing into the prefix;
# - the package's dependencies come from its binaries; it holds the same
#   tree under /usr with the game in /usr/games, which finds its control
#   library from there; lintian finds nothing in it, even pedantically.
#
# - with the prefix on XDG_DATA_DIRS the game writes no registration of its
#   own, and GLib finds the installed entry, its icon and its window class;
#
# usage: install_test.sh BUILD_DIR SOURCE_DIR XHELPER APP_ID PRIVATE_LIBDIR (relative to the prefix) GIOPROBE
set -euo pipefail
if [ -z "${IN_XVFB:-}" ]; then
  export IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
BUILD=$1 SOURCE=$2 XHELPER=$3 ID=$4 LIBDIR=$5 GIOPROBE=$6
WORK=$(mktemp -d)
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset PUZZORA_CONTROL_DIR
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
P=$WORK/prefix

# 1. The installed tree.
cmake --install "$BUILD" --prefix "$P" > "$WORK/install.log"
for f in bin/puzzora "$LIBDIR/libSizeward6.so" "$LIBDIR/../puzzora-decoder" share/man/man6/puzzora.6.gz share/puzzora/samples/Meadow.png \
         share/puzzora/samples/Tiles.png "share/applications/$ID.desktop" "share/metainfo/$ID.metainfo.xml" \
         share/mime/packages/puzzora-state.xml "share/icons/hicolor/scalable/apps/$ID.svg" \
         share/doc/puzzora/copyright share/doc/puzzora/changelog.gz; do
  [ -f "$P/$f" ] || fail "not installed: $f"
done
[ ! -e "$P/games" ] || fail "make install puts the game in games/, not bin/"
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
for n in 16 24 32 48 64 128 256; do
  [ "$(png_size "$P/share/icons/hicolor/${n}x$n/apps/$ID.png")" = "${n}x$n" ] || fail "no ${n}x$n icon"
done
# Nothing of the build machine's folders compiled into the game.
for b in "$P/bin/puzzora" "$P/$LIBDIR/libSizeward6.so" "$P/$LIBDIR/../puzzora-decoder"; do
  objcopy -O binary --only-section=.rodata "$b" "$WORK/rodata"
  ! grep -q -a -e "$(realpath "$BUILD")" -e "$(realpath "$SOURCE")" "$WORK/rodata" || fail "$b names a build path"
  ! readelf -d "$b" | grep -q -e RPATH -e RUNPATH || fail "$b has an RPATH: $(readelf -d "$b" | grep PATH)"
done
echo "installed tree complete"

# 2. Metadata passes its validators (warnings count as failures).
desktop-file-validate "$P/share/applications/$ID.desktop" || fail "desktop entry"
grep -qx "TryExec=$P/bin/puzzora" "$P/share/applications/$ID.desktop" || fail "installed entry: $(grep Exec "$P/share/applications/$ID.desktop")"
grep -qx "Exec=$P/bin/puzzora --resume" "$P/share/applications/$ID.desktop" || fail "installed entry has no resume action"
# Pedantic notes fail too, but for the upper-case letter in our id: it is the
# desktop entry's file id and the window's application id, which stay.
appstreamcli validate --pedantic --no-net "$P/share/metainfo/$ID.metainfo.xml" > "$WORK/appstream.log" 2>&1 ||
  { cat "$WORK/appstream.log"; fail "AppStream metadata"; }
! grep -E '^[EWIP]: ' "$WORK/appstream.log" | grep -v -e ' cid-contains-uppercase-letter ' ||
  fail "AppStream metadata has notes"

# 3. A saved puzzle is ours, from the installed MIME package.
"$XHELPER" picture "$WORK/picture.png"
"$XHELPER" state "$WORK/picture.png" 400 300 "$WORK/saved.psf" join > /dev/null || fail "no state file"
# shared-mime-info's own *.psf types (console font, PSF audio) share the
# database with ours, as on an installed system; with equal glob weights
# the font would win.
mime_types() {   # [MIME-PACKAGE] -> "gio-type qt-type" of the saved puzzle
  local dir gio qt
  dir=$(mktemp -d -p "$WORK")
  mkdir -p "$dir/mime/packages" "$dir/none"
  cp /usr/share/mime/packages/freedesktop.org.xml "$@" "$dir/mime/packages/"
  update-mime-database "$dir/mime" > /dev/null 2>&1
  gio=$(XDG_DATA_HOME=$dir/none XDG_DATA_DIRS=$dir gio info -a standard::content-type "$WORK/saved.psf" |
        sed -n 's/.*content-type: //p')
  qt=$(XDG_DATA_HOME=$dir/none XDG_DATA_DIRS=$dir "$XHELPER" mime "$WORK/saved.psf")
  echo "$gio $qt"
}
OURS="application/x-puzzora-state application/x-puzzora-state"
WITHOUT=$(mime_types)
[ "$WITHOUT" != "$OURS" ] || fail "*.psf is ours even without the package"
[ "$(mime_types "$P/share/mime/packages/puzzora-state.xml")" = "$OURS" ] ||
  fail "installed: $(mime_types "$P/share/mime/packages/puzzora-state.xml")"
echo "*.psf: without the package $WITHOUT; with it $OURS"

# 4. The installed game, started from elsewhere with a fresh HOME.
find "$P" -printf '%p %s %T@\n' | sort > "$WORK/before"
cd "$WORK"
openbox > "$WORK/openbox.log" 2>&1 &
sleep 1
"$P/bin/puzzora" > "$WORK/game.log" 2>&1 &
GAME_PID=$!
WID=$(timeout 20 xdotool search --sync --onlyvisible --name '^Puzzora$' | head -n 1 || true)
[ -n "$WID" ] || fail "no window; $(cat "$WORK/game.log")"
sleep 1
xdotool windowsize --sync "$WID" 200 150 || true
sleep 1
read -r W H < <(xdotool getwindowgeometry "$WID" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
EXT=$(xprop -id "$WID" _NET_FRAME_EXTENTS | sed -n 's/.*= \(.*\)/\1/p' | tr -d ' ')
IFS=, read -r FL FR FT FB <<< "${EXT:-0,0,0,0}"
[ $((W + FL + FR)) -eq 468 ] && [ $((H + FT + FB)) -eq 350 ] ||
  fail "outer size $((W + FL + FR))x$((H + FT + FB)), not 468x350; $(cat "$WORK/game.log")"
xdotool windowfocus --sync "$WID"
xdotool key --delay 150 alt+f x
for _ in $(seq 50); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$GAME_PID" 2>/dev/null || fail "the game did not exit"
find "$P" -printf '%p %s %T@\n' | sort > "$WORK/after"
diff "$WORK/before" "$WORK/after" || fail "the game wrote into the prefix"
[ -d "$XDG_DATA_HOME/Puzzora/Puzzora" ] || fail "no per-user data folder"
echo "installed game: window keeps 468x350, nothing written into the prefix"

# 5. ... and registered itself under the installed entry's file id.
ENTRY=$XDG_DATA_HOME/applications/$ID.desktop
[ -f "$ENTRY" ] || fail "no registration"
desktop-file-validate "$ENTRY" || fail "registered desktop entry"
grep -qx "Exec=$P/bin/puzzora %f" "$ENTRY" || fail "registered Exec: $(grep Exec= "$ENTRY")"
grep -qx "Exec=$P/bin/puzzora --resume" "$ENTRY" && grep -qx "Actions=resume;" "$ENTRY" || fail "registered entry has no resume action"
[ "$(find "$XDG_DATA_HOME/applications" -name '*.desktop' | wc -l)" = 1 ] || fail "more than one entry"
[ "$(mime_types "$XDG_DATA_HOME/mime/packages/puzzora-state.xml")" = "$OURS" ] ||
  fail "registered: $(mime_types "$XDG_DATA_HOME/mime/packages/puzzora-state.xml")"
echo "start-up registration: $ID.desktop valid, *.psf ours"

# 5b. Installed where the desktop looks: the game registers nothing per user,
# and GLib offers the installed entry for state files and photos.
HOME2=$WORK/home2/.local/share
mkdir -p "$HOME2"
XDG_DATA_HOME=$HOME2 XDG_DATA_DIRS=$P/share:/usr/share QT_QPA_PLATFORM=offscreen timeout 5 "$P/bin/puzzora" > "$WORK/game2.log" 2>&1 || true
[ -d "$HOME2/Puzzora" ] || fail "the game did not start: $(cat "$WORK/game2.log")"
[ ! -e "$HOME2/applications" ] && [ ! -e "$HOME2/mime" ] && [ ! -e "$HOME2/icons" ] ||
  fail "registered per user beside the installed entry: $(find "$HOME2" -type f)"
update-desktop-database "$P/share/applications"   # as the package's trigger does
update-mime-database "$P/share/mime"
for type in application/x-puzzora-state image/jpeg image/heic; do
  SEEN=$(XDG_DATA_HOME=$HOME2 XDG_DATA_DIRS=$P/share:/usr/share "$GIOPROBE" app "$type" | tr '\n' ' ')
  [ "$SEEN" = "id=$ID.desktop file=$P/share/applications/$ID.desktop icon=$ID wmclass=Puzzora listed=1 " ] ||
    fail "GLib's view for $type: $SEEN"
done
rm "$P/share/applications/mimeinfo.cache"
echo "installed on XDG_DATA_DIRS: nothing per user; GLib lists $ID for state files and photos, icon $ID (SVG)"

# 6. The Debian package.
cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/deb" > "$WORK/cpack.log" 2>&1 ||
  { cat "$WORK/cpack.log"; fail "cpack"; }
DEB=$(ls "$WORK"/deb/*.deb)
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
echo "Depends: $DEPENDS"
for d in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ ", $DEPENDS," == *", $d "* ]] || fail "Depends lacks $d"
done
! dpkg-deb --ctrl-tarfile "$DEB" | tar t | grep -q -e inst -e rm ||
  fail "maintainer scripts: $(dpkg-deb --ctrl-tarfile "$DEB" | tar t | tr '\n' ' ')"
[ "$(dpkg-deb -f "$DEB" Recommends)" = "qt6-wayland, qt6-image-formats-plugins" ] ||
  fail "Recommends: $(dpkg-deb -f "$DEB" Recommends)"
dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ {print $6}' | sort > "$WORK/deb-files"
(cd "$P" && find . -type f -not -path './share/mime/*' -o -path './share/mime/packages/*' -type f) |
  sed -e 's|^\./bin/|./games/|' -e 's|^\./|./usr/|' | sort > "$WORK/tree-files"
diff "$WORK/tree-files" "$WORK/deb-files" || fail "the package's files differ from the installed tree (bin/ as games/)"
VERSION=$(dpkg-deb -f "$DEB" Version)
dpkg-deb -x "$DEB" "$WORK/root"
[ "$(zcat "$WORK/root/usr/share/doc/puzzora/changelog.gz" | head -n 1)" = "puzzora ($VERSION) unstable; urgency=medium" ] ||
  fail "the changelog does not start with $VERSION"
grep -q "<release version=\"$VERSION\"" "$WORK/root/usr/share/metainfo/$ID.metainfo.xml" || fail "no AppStream release $VERSION"
grep -qx "Exec=/usr/games/puzzora %f" "$WORK/root/usr/share/applications/$ID.desktop" || fail "packaged entry's Exec"
# The game from /usr/games finds its control library.
"$WORK/root/usr/games/puzzora" > "$WORK/game-deb.log" 2>&1 &
GAME_PID=$!
WID=$(timeout 20 xdotool search --sync --onlyvisible --pid "$GAME_PID" --name '^Puzzora$' | head -n 1 || true)
[ -n "$WID" ] || fail "no window from the package's game; $(cat "$WORK/game-deb.log")"
xdotool windowfocus --sync "$WID"
xdotool key --delay 150 alt+f x
for _ in $(seq 50); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$GAME_PID" 2>/dev/null || fail "the package's game did not exit"
! grep -q 'Puzzora: the control' "$WORK/game-deb.log" || fail "the package's game: $(cat "$WORK/game-deb.log")"
# Lintian finds nothing, not even an info or pedantic tag (the hardening
# flags show as info tags when missing).
[ "$(id -u)" != 0 ] || ROOT=--allow-root
lintian --pedantic --display-info --fail-on error,warning,info,pedantic ${ROOT:-} "$DEB" > "$WORK/lintian.log" 2>&1 ||
  { cat "$WORK/lintian.log"; fail "lintian"; }
echo "package: $(basename "$DEB"), $(wc -l < "$WORK/deb-files") files, the game in /usr/games, lintian clean"
echo "1 passed, 0 failed"
