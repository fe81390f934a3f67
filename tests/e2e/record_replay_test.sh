#!/usr/bin/env bash
# Human players, recorded. A mouse player 1: paddle 1 follows the pointer across the whole
# screen, a click tosses the serve, and the game runs on across F1's new windows. Then two
# human players, every key and click an instant tap: spinvale-sim and the game's own
# --replay play the recording back to the same trace, across F1 and Alt+Enter. (A drill in
# the window is the screenshot script's; its recording replays in the runner's test.)
source "$(dirname "$0")/lib.sh"

# Faster play than shipped, so that the computer's two serves are over within seconds and
# player 1 serves. (Much faster play, in the long updates of a loaded machine, can leave the
# ball settled on the table with the rally never ending.)
settings_to mouse.dat --player1 mouse --player2 computer --game-speed 30
play_game trace.txt --no-dialogs --settings mouse.dat --record mouse.txt
pointer_to 10 700 # far beside the table while player 2 serves
wait_for 90 traced '"rallyState":5,' || fail "player 1 never came to serve"

# 768 of 1024 pixels across is x = 76.25 cm; 576 of 768 down is z = 0.75 x 274 = 205.5 cm.
pointer_to 768 576
at_pointer='"paddle1":{"x":76.25,"y":[^,]*,"z":205.5,'
wait_for 30 last_traced "$at_pointer" || fail "paddle 1 at (76.25, 205.5): $(tail -1 trace.txt)"
click
wait_for 30 traced '"rallyState":7,' || fail "no toss"
for _ in windowed fullscreen; do
    press F1
    wait_game_window "$game_window"
    wait_updates 20
done
quit_game "mouse player"

toss=$(grep -m1 '"rallyState":7,' trace.txt)
grep -q "$at_pointer" <<<"$toss" || fail "toss from the paddle"
# The toss update throws the ball up at 90 and uses up the click; gravity slows it at once.
[ "$(field leftButton "$toss")" = 0 ] || fail "the click is used up by the toss"
awk -v vy="$(field ballVY "$toss")" 'BEGIN { exit !(vy > 0 && vy < 90) }' || fail "ball thrown up: $toss"
grep -q '^[0-9]* 768 576 1$' mouse.txt || fail "the click recorded at the pointer"

"$bin/spinvale-sim" --script mouse.txt --trace | cmp -s - trace.txt || fail "the recorded game replays differently"

write_settings --player1 mouse --player2 keyboard
play_game trace.txt --no-dialogs --record record.txt
pointer_to 300 600
wait_updates 10
press Return # player 2 serves first: the toss
wait_for 30 traced '"rallyState":8,' || fail "an instant Enter tap tosses player 2's serve"
xdotool keydown Left
pointer_to 500 650
wait_updates 5
xdotool keyup Left
click
press Up
pointer_to 700 500
press F1
wait_game_window "$game_window"
pointer_to 512 700
press Return
xdotool keydown Right
click
xdotool keyup Right
wait_updates 10
press alt+Return
wait_game_window "$game_window"
pointer_to 400 600
press Down
wait_updates 10
quit_game "two humans"

# F1 and Alt+Enter each made a new window. (How keys and clicks reach an update and its
# recorded line, the shell's and the drivers' unit tests show.)
[ "$(grep -c '"toggleFullscreen"' trace.txt)" -eq 2 ] || fail "two toggles traced"
"$bin/spinvale-sim" --script record.txt --trace | cmp - trace.txt || fail "the replay differs"

# The recording carries the settings the game read: replayed from another folder, which
# has no settings.dat, it still gives the same game.
[ "$(head -1 record.txt)" = "# settings: $work/settings.dat" ] || fail "first line: $(head -1 record.txt)"
mkdir elsewhere && (cd elsewhere && "$bin/spinvale-sim" --script ../record.txt --trace) |
    cmp - trace.txt || fail "the replay from another folder differs"

# The game replays it in its window at the recorded pace, live keys other than Esc, F1 and
# Alt+Enter leaving the match alone.
play_game window.txt --no-dialogs --replay record.txt
press Left
ended_well --replay
cmp window.txt trace.txt || fail "the replay in the window differs"

finish
