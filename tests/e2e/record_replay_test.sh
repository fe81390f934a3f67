#!/usr/bin/env bash
# A game with two human players recorded: spinvale-sim replays the recording to the same
# trace, line for line, across a switch to a window and back.
source "$(dirname "$0")/lib.sh"

write_settings --player1 mouse --player2 keyboard
start_game trace.txt --no-dialogs --record record.txt
wait_game_window
first=$game_window
pointer_to 300 600
wait_updates 10
press Return # player 2 serves first: the toss
xdotool keydown Left
pointer_to 500 650
wait_updates 5
xdotool keyup Left
click
press Up
pointer_to 700 500
press F1
wait_game_window "$first"
pointer_to 512 700
press Return
xdotool keydown Right
click
xdotool keyup Right
wait_updates 10
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "exit status $game_status: $(cat game.err)"

for input in ' 13$' ' 37$' ' 38$' ' 39$' ' 112$' ' 1$' ' 0$' ' 27$'; do
    grep -q -- "$input" record.txt || fail "recorded input '$input'"
done
[ "$(grep -c '"toggleFullscreen"' trace.txt)" -eq 1 ] || fail "one toggle traced"

"$bin/spinvale-sim" --script record.txt --trace >replayed.txt
cmp replayed.txt trace.txt || fail "the replay differs"

finish
