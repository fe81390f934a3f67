#!/usr/bin/env bash
# The window's game as two humans drive it, recorded, every key and click a tap: paddle 1
# follows the pointer over the whole screen, Enter tosses player 2's serve, the game runs on
# across F1 and Alt+Enter. Then the menu: "Player 1: computer", "New game"; the computer wins
# every point while player 2 only serves, and after the last Enter starts a new game at 0-0.
# Esc closes the menu, a second quits. spinvale-sim, from a folder without the settings, and
# --replay play the recording back to the same trace. (The match under the menu: the drivers'
# tests; the toss and the click: the match's; a drill in the window: the screenshot script.)
source "$(dirname "$0")/lib.sh"

export XDG_CONFIG_HOME=$work/config # where the menu keeps the choices
write_settings --player1 mouse --player2 keyboard --game-speed 18
play_game trace.txt --no-dialogs --record record.txt
# 768 of 1024 pixels across is x = 76.25 cm; 576 of 768 down is z = 0.75 x 274 = 205.5 cm.
pointer_to 768 576
wait_for 30 last_traced '"paddle1":{"x":76.25,"y":[^,]*,"z":205.5,' ||
    fail "paddle 1 at (76.25, 205.5): $(tail -1 trace.txt)"
press Return # player 2 serves first: the toss
wait_for 30 traced '"rallyState":8,' || fail "an instant Enter tap tosses player 2's serve"
xdotool keydown Left
pointer_to 500 650
wait_updates 5
xdotool keyup Left
click
press Up
pointer_to 700 500
new_window F1
pointer_to 512 700
press Return
xdotool keydown Right
click
xdotool keyup Right
wait_updates 10
new_window alt+Return
pointer_to 400 600
press Down
wait_updates 10

xdotool key Tab Down Down Right Up Return # Player 1: computer, then New game
wait_for 30 grep -q '^new-game .*player1Mouse=0' record.txt || fail "the new game recorded"
state() { field rallyState "$(tail -1 trace.txt)"; }
serve_until_won() {
    [ "$(state)" = 6 ] && press Return && wait_updates 2
    case $(state) in 20 | 21) ;; *) return 1 ;; esac
}
wait_for 150 serve_until_won || fail "no game won in time: $(tail -1 trace.txt)"
press Return
wait_for 30 last_traced '"score1":0,"score2":0,' || fail "Enter after the last point: $(tail -1 trace.txt)"
press Tab
press Escape
wait_updates 5
press Escape
ended_well "Esc, Esc"

# F1 and Alt+Enter each made a new window. The recording carries the settings the game read.
[ "$(grep -c '"toggleFullscreen"' trace.txt)" -eq 2 ] || fail "two toggles traced"
[ "$(head -1 record.txt)" = "# settings: $work/settings.dat" ] || fail "first line: $(head -1 record.txt)"
mkdir elsewhere && (cd elsewhere && "$bin/spinvale-sim" --script ../record.txt --trace) | cmp - trace.txt || fail "the replay from another folder differs"

# The window replays it at the recorded pace, live keys but Esc, F1, Alt+Enter ignored.
play_game window.txt --no-dialogs --replay record.txt
press Left
ended_well --replay
cmp window.txt trace.txt || fail "the replay in the window differs"

finish
