#!/usr/bin/env bash
# The game as a user installs it: "cmake --install" into a staging folder (DESTDIR), then the
# installed game started from an empty working directory by a user with no settings of
# their own. It must find the installed settings, images and sounds by itself, play, and
# quit on Esc with status 0. What else is installed (the tools, the desktop entry, icons,
# manual pages) deb_package checks, with lintian, in the package made from the same rules.
source "$(dirname "$0")/lib.sh"
build=$1

dest=$work/staging
DESTDIR=$dest cmake --install "$build" --prefix /usr >install.log 2>&1 ||
    { fail "cmake --install: $(cat install.log)"; finish; }
prefix=$dest/usr

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
play_game "$work/trace.txt" --no-dialogs --windowed
[ "$(window_size)" = 800x600 ] || fail "window $(window_size), not the installed settings' 800x600"
strokes_heard "the installed game"
head -1 "$work/trace.txt" | grep -q '^{"frame":0,"elapsedMs":0,.*"rallyState":6,' ||
    fail "a normal start (player 2 to serve): $(head -1 "$work/trace.txt")"
[ -z "$(ls -A | grep -v '^game\.')" ] || fail "the game left files in the working directory: $(ls -A)"

finish
