#!/usr/bin/env bash
# Where the game takes its files from when told: --settings FILE is the only settings file,
# at start and again at every new window; --data-dir DIR takes the place of the data folder
# next to the program, for the settings, the images and the sounds.
source "$(dirname "$0")/lib.sh"

unset XDG_CONFIG_HOME
export HOME=$work/home
mkdir -p home run
settings() { "$bin/spinvale-settings" write "$@" >/dev/null || fail "settings: $*"; }
window_size() { xdotool getwindowgeometry "$game_window" 2>/dev/null | sed -n 's/.*Geometry: //p'; }

# --settings FILE wins over the working directory's settings.dat, and is read again for the
# window made by F1: changed to human players in between, the new window's server waits.
write_settings --player1 computer --player2 computer --screen 640x480
settings other.dat --player1 computer --player2 computer --screen 700x500
start_game trace.txt --no-dialogs --windowed --settings other.dat
wait_game_window
first=$game_window
[ "$(window_size)" = 700x500 ] || fail "--settings: window $(window_size), not 700x500"
tossed() { grep -q '"rallyState":[78],' trace.txt; }
wait_for 60 tossed || fail "the computer players never served"
settings other.dat --player1 mouse --player2 keyboard
press F1
wait_game_window "$first"
wait_updates 20
case $(field rallyState "$(tail -1 trace.txt)") in
    5 | 6) ;;
    *) fail "after the toggle a human serves and waits: $(tail -1 trace.txt)" ;;
esac
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "--settings: exit status $game_status: $(cat game.err)"

# --data-dir DIR with the game's data in it: found there from an empty working directory.
cp -r "$bin/data" mydata
settings mydata/settings.dat --player1 computer --player2 computer --screen 720x540
cd run || exit 1
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/capture.raw SDL_DISKAUDIODELAY=1
start_game "$work/data.txt" --no-dialogs --windowed --data-dir ../mydata
wait_game_window
[ "$(window_size)" = 720x540 ] || fail "--data-dir: window $(window_size), not 720x540"
struck() { grep -q '"sounds":\["sounds/paddle.wav"' "$work/data.txt"; }
wait_for 60 struck || fail "the computers played no stroke"
wait_updates 30
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "--data-dir: exit status $game_status: $(cat game.err)"
! grep -E 'newsv|sounds/|settings' game.err || fail "--data-dir: files missed (above)"
[ "$(loudest_sample "$work/capture.raw")" -gt 1000 ] || fail "--data-dir: the sounds were not found"

# An empty DIR: nothing is taken from the folder next to the program instead.
mkdir ../nodata
start_game "$work/nodata.txt" --no-dialogs --windowed --data-dir ../nodata --frames 20
end_game
[ "$game_status" -eq 0 ] || fail "empty --data-dir: exit status $game_status: $(cat game.err)"
grep -q 'settings.dat: .*using the built-in settings' game.err || fail "the settings were found"
grep -q 'newsv_0.bmp: ' game.err || fail "the table's image was found: $(cat game.err)"

"$bin/spinvale" --data-dir ../no-such-folder >/dev/null 2>game.err
[ $? -eq 2 ] || fail "a --data-dir that is not a folder is a bad command line"
grep -q "^spinvale: --data-dir ../no-such-folder is not a folder$" game.err ||
    fail "its message: $(head -1 game.err)"

finish
