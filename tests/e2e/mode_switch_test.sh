#!/usr/bin/env bash
# A settings size the screen does not offer (800x600 on 1024x768): the game tells the player
# and runs in a window of that size. Each switch back to fullscreen tries again.
source "$(dirname "$0")/lib.sh"

write_settings --player1 computer --player2 computer --screen 800x600
mode_failures() { grep -c '^spinvale: Mode Switch Failed\.$' game.err; }

start_game trace.txt --no-dialogs
wait_game_window
first=$game_window
geometry=$(xdotool getwindowgeometry "$first" | grep Geometry)
[ "$geometry" = "  Geometry: 800x600" ] || fail "window size: $geometry"
grep -qx 'Running In Windowed Mode.' game.err || fail "message: $(cat game.err)"
[ "$(mode_failures)" -eq 1 ] || fail "one failed switch at start"
wait_updates 30
press F1
wait_game_window "$first"
second=$game_window
wait_updates 10
[ "$(mode_failures)" -eq 1 ] || fail "the windowed request tries no mode switch"
press F1
wait_game_window "$second"
wait_updates 10
[ "$(mode_failures)" -eq 2 ] || fail "the fullscreen request tries again"
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "exit status $game_status: $(cat game.err)"

# With dialogs the message waits in a box captioned "Error" until OK (Return) is pressed.
start_game boxed.txt
dialog_up() { window_named Error >/dev/null; }
wait_for 30 dialog_up || fail "no Error dialog"
window_named Spinvale >/dev/null && fail "the game window waits for the dialog"
xdotool key --window "$(window_named Error)" Return 2>/dev/null
wait_game_window
dialog_up && fail "the dialog stays open"
wait_updates 30
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "exit status with the dialog: $game_status: $(cat game.err)"

finish
