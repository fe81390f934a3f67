#!/usr/bin/env bash
# The menu, driven as a player drives it (that the match stands still under it, and that the
# time spent in it is not handed on, the drivers' unit tests show). "Player 2: keyboard"
# then "New game" give a human player 2 whose Enter tosses, and the player's own settings
# file then holds that change and no other. Esc closes the menu and a second Esc quits.
# After the last point Enter starts a new game at 0-0. The recording replays to the trace.
source "$(dirname "$0")/lib.sh"

# The player's own file, its reserved bytes random, player 1 the computer (which wins every
# point while player 2 only serves) and the fast ball.
export XDG_CONFIG_HOME=$work/config
mkdir -p config/spinvale
head -c 112 /dev/urandom >config/spinvale/settings.dat
"$bin/spinvale-settings" write config/spinvale/settings.dat --simple-graphics 0 --game-speed 18 \
    --spin 6 --gravity 12 --ai-skill 0.7 --ai-speed 40 --points 11 --screen 1024x768 \
    --camera 0,300,320 --player1 computer --player2 computer >/dev/null || fail "own settings file"
cp config/spinvale/settings.dat before.dat

start_game trace.txt --no-dialogs --windowed --record record.txt
wait_game_window
wait_updates 10
for key in Tab Down Down Down Right Up Up Return; do # Player 2: keyboard, then New game
    press "$key"
done
wait_for 30 grep -q '^new-game .*player2Keyboard=1$' record.txt || fail "the new game recorded"

# The player's own file is what it was but for player 2's int32 at offset 108, now 1: the
# same length, every other byte kept.
cp before.dat expected.dat
printf '\1' | dd of=expected.dat bs=1 seek=108 conv=notrunc 2>/dev/null
cmp expected.dat config/spinvale/settings.dat || fail "the own file: $(cmp -l expected.dat config/spinvale/settings.dat 2>&1)"

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
at_love_all() { last_traced '"score1":0,"score2":0,'; }
wait_for 30 at_love_all || fail "Enter after the last point: $(tail -1 trace.txt)"

press Tab
press Escape
wait_updates 5
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "Esc, Esc: exit status $game_status: $(cat game.err)"
[ "$(grep -c '^new-game ' record.txt)" -eq 2 ] || fail "two new games recorded"
"$bin/spinvale-sim" --script record.txt --trace >replayed.txt
cmp replayed.txt trace.txt || fail "the recording replays to another trace"

finish
