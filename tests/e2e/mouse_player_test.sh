#!/usr/bin/env bash
# A human player 1: paddle 1 follows the pointer across the whole screen, and a click
# tosses the serve. Then F1 twice: the window is made again each time (windowed, then
# fullscreen), the game runs on with the score it had, and the trace shows the serve that
# score calls for. The recording replays to the same trace.
source "$(dirname "$0")/lib.sh"

# Faster play than shipped, so that the computer's two serves are over within seconds and
# player 1 serves. (Much faster play, in the long updates of a loaded machine, can leave the
# ball settled on the table with the rally never ending.)
write_settings --player1 mouse --player2 computer --game-speed 30
play_game trace.txt --no-dialogs --record record.txt
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
grep -q '^[0-9]* 768 576 1$' record.txt || fail "the click recorded at the pointer"

# Each toggle keeps the score of the two points played and puts the match back to a serve,
# paddle 1 at its start.
toggles=$(grep -n '"toggleFullscreen"' trace.txt | cut -d: -f1)
[ "$(wc -w <<<"$toggles")" -eq 2 ] || fail "two toggles traced, found at lines: $toggles"
for line in $toggles; do
    before=$(sed -n "${line}p" trace.txt) after=$(sed -n "$((line + 1))p" trace.txt)
    for f in score1 score2 firstServer; do
        [ "$(field $f "$before")" = "$(field $f "$after")" ] || fail "$f changed by the toggle"
    done
    [[ $(field rallyState "$after") == [5-8] ]] || fail "no serve after line $line"
    grep -q '"paddle1":{[^}]*"prevZ":200,' <<<"$after" || fail "paddle 1 back at its start"
done

"$bin/spinvale-sim" --script record.txt --trace | cmp -s - trace.txt || fail "the recorded game replays differently"

finish
