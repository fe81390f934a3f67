#!/usr/bin/env bash
# How the game runs and ends, its window's size and mode, where it finds its files. A size the
# screen lacks (800x600 on 1024x768): said, and a window of that size; each switch back to
# fullscreen tries again. Esc, SIGTERM, SIGINT end it well; no display is a failure.
source "$(dirname "$0")/lib.sh"

unset XDG_CONFIG_HOME
export HOME=$work/home
mkdir -p home run
mode_failures() { grep -c '^spinvale: Mode Switch Failed\.$' game.err; }

# --settings FILE beats ./settings.dat and is read again for F1's window: humans, who wait.
write_settings --player1 computer --player2 computer --screen 640x480
settings_to other.dat --player1 computer --player2 computer --screen 800x600
play_game trace.txt --no-dialogs --settings other.dat
[ "$(window_size)" = 800x600 ] || fail "--settings: window $(window_size), not 800x600"
grep -qx 'Running In Windowed Mode.' game.err || fail "message: $(cat game.err)"
[ "$(mode_failures)" -eq 1 ] || fail "one failed switch at start"
wait_for 60 traced '"rallyState":[78],' || fail "the computer players never served"
settings_to other.dat --player1 mouse --player2 keyboard
new_window F1
wait_updates 20
[[ $(field rallyState "$(tail -1 trace.txt)") == [56] ]] || fail "after the toggle a human serves and waits: $(tail -1 trace.txt)"
[ "$(mode_failures)" -eq 1 ] || fail "the windowed request tries no mode switch"
new_window F1
wait_updates 10
[ "$(mode_failures)" -eq 2 ] || fail "the fullscreen request tries again"
kill -INT "$game_pid" && ended_well "--settings (SIGINT)"

# With dialogs the message waits in a box captioned "Error" until OK (Return) is pressed.
start_game boxed.txt --settings other.dat
dialog_up() { window_named Error >/dev/null; }
wait_for 30 dialog_up || fail "no Error dialog"
window_named Spinvale >/dev/null && fail "the game window waits for the dialog"
xdotool key --window "$(window_named Error)" Return 2>/dev/null
wait_game_window
dialog_up && fail "the dialog stays open"
wait_updates 30
kill -TERM "$game_pid" && ended_well "with the dialog (SIGTERM)"

# The game installed ("cmake --install" to a staging folder), started in an empty folder by a
# user with no settings: it finds the installed settings, images and sounds, leaves no files.
DESTDIR=$work/staging cmake --install "$1" --prefix /usr >install.log 2>&1 || { fail "cmake --install: $(cat install.log)"; finish; }
bin=$work/staging/usr/bin
settings_to "$bin/../share/spinvale/settings.dat" --player1 computer --player2 computer --screen 800x600
cd run || exit 1
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/capture.raw SDL_DISKAUDIODELAY=1
play_game "$work/data.txt" --no-dialogs --windowed --max-fps 20
[ "$(window_size)" = 800x600 ] || fail "window $(window_size), not the installed settings' 800x600"
wait_for 60 traced '"sounds":\["sounds/paddle.wav"' || fail "the computers played no stroke"
wait_updates 30
press Escape
ended_well "the installed game"
! grep -E 'cannot|newsv|sounds/|settings' game.err || fail "files missed (above)"
# SDL's disk audio driver wrote 16-bit samples: a stroke is heard above 1000.
od -An -v -td2 -w2 "$work/capture.raw" | awk '$1 > 1000 || $1 < -1000 { heard = 1 } END { exit !heard }' || fail "the sounds were not heard"
[ -z "$(ls -A | grep -v '^game\.')" ] || fail "the game left files in the working directory: $(ls -A)"

# --data-dir DIR with only settings: read there, images looked for nowhere else; --frames N.
mkdir ../nodata
settings_to ../nodata/settings.dat --player1 computer --player2 computer
start_game "$work/nodata.txt" --no-dialogs --windowed --data-dir ../nodata --frames 20 --record ../nodata.rec
ended_well "--data-dir"
[ "$(traced_frames "$work/nodata.txt")" -eq 20 ] || fail "--frames 20 ended the game after $(traced_frames "$work/nodata.txt") updates"
head -1 ../nodata.rec | grep -q '^# settings: .*nodata/settings.dat$' || fail "settings read: $(head -1 ../nodata.rec)"
grep -q 'newsv_0.bmp: ' game.err || fail "the table's image was found: $(cat game.err)"

expect_status 2 "$bin/spinvale" --data-dir ../no-such-folder
grep -qx "spinvale: --data-dir ../no-such-folder is not a folder" err.txt || fail "its message: $(head -1 err.txt)"

for dialogs in --no-dialogs ""; do
    expect_status 255 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$bin/spinvale" $dialogs --frames 5
    grep -q 'no display' err.txt && grep -q 'Error Registering Window Class!' err.txt || fail "'$dialogs': the reason and the message on stderr: $(cat err.txt)"
done

finish
