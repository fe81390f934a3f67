#!/usr/bin/env bash
# The game as a user installs it: "cmake --install" into a staging folder (DESTDIR), then the
# installed game started from an empty working directory by a user with no settings of
# their own. It must find the installed settings, images and sounds by itself, play, and
# quit on Esc with status 0. The installed tree also holds the desktop entry, the icons and
# the manual pages.
source "$(dirname "$0")/lib.sh"
build=$1

dest=$work/staging
DESTDIR=$dest cmake --install "$build" --prefix /usr >install.log 2>&1 ||
    { fail "cmake --install: $(cat install.log)"; finish; }
prefix=$dest/usr
# Besides these, the files the game, the icon, desktop and manual page checks below use.
for file in bin/spinvale-sim share/spinvale/settings.dat share/spinvale/newsv_1.bmp \
    share/spinvale/sounds/table.wav share/spinvale/sounds/playerwins.wav \
    share/man/man6/spinvale.6.gz share/man/man6/spinvale-sim.6.gz \
    share/man/man6/spinvale-settings.6.gz; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done

# The icons are the PNG sizes their folders name: width and height from the IHDR chunk.
for size in 64 256; do
    dims=$(python3 -c '
import struct, sys
head = open(sys.argv[1], "rb").read(24)
print("%dx%d" % struct.unpack(">II", head[16:24]) if head[:8] == b"\x89PNG\r\n\x1a\n" else "none")' \
        "$prefix/share/icons/hicolor/${size}x$size/apps/spinvale.png")
    [ "$dims" = "${size}x$size" ] || fail "the ${size}px icon is $dims"
done
desktop=$prefix/share/applications/io.github.spinvale.spinvale.desktop
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
fi
grep -qx 'Categories=Game;SportsGame;' "$desktop" || fail "the desktop entry's categories"
for page in "$prefix"/share/man/man6/*.6.gz; do
    zcat "$page" | LC_ALL=C groff -man -ww -z 2>groff.err && [ ! -s groff.err ] ||
        fail "the manual page $page: $(cat groff.err)"
done

# The installed settings name computer players and a window of 800x600 pixels, so the game
# shows that it read them: the built-in settings have a mouse player and 1024x768.
"$prefix/bin/spinvale-settings" write "$prefix/share/spinvale/settings.dat" \
    --player1 computer --player2 computer --screen 800x600 >/dev/null ||
    fail "spinvale-settings write"

bin=$prefix/bin
mkdir empty home
cd empty || exit 1
unset XDG_CONFIG_HOME
export HOME=$work/home
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/capture.raw SDL_DISKAUDIODELAY=1
start_game "$work/trace.txt" --no-dialogs --windowed
wait_game_window
geometry=$(xdotool getwindowgeometry "$game_window" 2>/dev/null | grep Geometry)
[[ "$geometry" == *800x600* ]] || fail "window $geometry, not the installed settings' 800x600"
strokes_heard "the installed game"
head -1 "$work/trace.txt" | grep -q '^{"frame":0,"elapsedMs":0,.*"rallyState":6,' ||
    fail "a normal start (player 2 to serve): $(head -1 "$work/trace.txt")"
[ -z "$(ls -A | grep -v '^game\.')" ] || fail "the game left files in the working directory: $(ls -A)"

finish
