#!/usr/bin/env bash
# F1 twice: the window is made again each time (windowed, then fullscreen), the game runs
# on with the score it had, and the trace shows the serve that score calls for.
source "$(dirname "$0")/lib.sh"

# Faster play than shipped, so that points come within a few seconds.
write_settings --player1 computer --player2 computer --game-speed 30
start_game trace.txt --no-dialogs --record record.txt

has_a_point() { grep -q '"score[12]":[1-9]' trace.txt; }

wait_game_window
first=$game_window
wait_for 90 has_a_point || fail "no point was played"
press F1
wait_game_window "$first"
second=$game_window
wait_updates 20
press F1
wait_game_window "$second"
wait_updates 20
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "exit status $game_status: $(cat game.err)"

# Each toggle keeps the score and puts the match back to a serve, paddle 1 at its start.
toggles=$(grep -n '"toggleFullscreen"' trace.txt | cut -d: -f1)
[ "$(wc -w <<<"$toggles")" -eq 2 ] || fail "two toggles traced, found at lines: $toggles"
for line in $toggles; do
    before=$(sed -n "${line}p" trace.txt)
    after=$(sed -n "$((line + 1))p" trace.txt)
    for f in score1 score2 firstServer; do
        [ "$(field $f "$before")" = "$(field $f "$after")" ] || fail "$f changed by the toggle"
    done
    case $(field rallyState "$after") in 5 | 6 | 7 | 8) ;; *) fail "no serve after line $line" ;; esac
    grep -q '"paddle1":{[^}]*"prevZ":200,' <<<"$after" || fail "paddle 1 back at its start"
done

"$bin/spinvale-sim" --script record.txt --trace >replayed.txt
cmp -s replayed.txt trace.txt || fail "the recorded game replays differently"

finish
