#!/usr/bin/env bash
# The menu, driven as a player drives it (that the match stands still under it, and that the
# time spent in it is not handed on, the drivers' unit tests show). "Player 2: keyboard"
# then "New game" give a human player 2 whose Enter tosses; after the last point Enter starts
# a new game at 0-0. Esc closes the menu and a second Esc quits. The recording replays.
source "$(dirname "$0")/lib.sh"

# Player 1 the computer (which wins every point while player 2 only serves), the fast ball; the
# menu's choices go to the player's own file (what it writes there, the store's test shows).
export XDG_CONFIG_HOME=$work/config
write_settings --game-speed 18 --player1 computer --player2 computer
start_game trace.txt --no-dialogs --windowed --record record.txt
wait_game_window
wait_updates 10
for key in Tab Down Down Down Right Up Up Return; do # Player 2: keyboard, then New game
    press "$key"
done
wait_for 30 grep -q '^new-game .*player2Keyboard=1$' record.txt || fail "the new game recorded"

# Player 2 serves its points and misses every return: the game is won only if Enter tosses
# player 2's serve. After the last point, Enter starts the next game at 0-0.
state() { field rallyState "$(tail -1 trace.txt)"; }
won() { case $(state) in 20 | 21) ;; *) return 1 ;; esac }
serve_until_won() {
    [ "$(state)" = 6 ] && press Return && wait_updates 2
    won
}
wait_for 150 serve_until_won || fail "no game won in time: $(tail -1 trace.txt)"
press Return
wait_for 30 last_traced '"score1":0,"score2":0,' || fail "Enter after the last point: $(tail -1 trace.txt)"

press Tab
press Escape
wait_updates 5
press Escape
ended_well "Esc, Esc"
"$bin/spinvale-sim" --script record.txt --trace | cmp - trace.txt || fail "the recording replays to another trace"

finish
