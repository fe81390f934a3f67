#!/usr/bin/env bash
# The frame loop's clock: frames start no closer than the limit allows, a stall reaches the
# match as one update of at most 100 ms, and --frames ends the game after that many updates.
source "$(dirname "$0")/lib.sh"

write_settings --player1 computer --player2 computer

# Elapsed times of the updates after the first (which includes the game's start-up).
elapsed_times() { tail -n +3 "$1" | sed -E 's/.*"elapsedMs":([0-9]+),.*/\1/'; }

start_game slow.txt --no-dialogs --max-fps 20 --frames 40
wait_game_window
wait_updates 10
kill -STOP "$game_pid"
sleep 0.5
kill -CONT "$game_pid"
end_game
[ "$game_status" -eq 0 ] || fail "exit status $game_status: $(cat game.err)"
[ "$(traced_frames slow.txt)" -eq 40 ] || fail "40 updates, not $(traced_frames slow.txt)"
# 20 frames a second start at least 50 ms apart.
elapsed_times slow.txt | awk '$1 < 50 { bad = 1 } END { exit bad }' ||
    fail "updates closer than 1/20 s: $(elapsed_times slow.txt | sort -n | head -3 | xargs)"
elapsed_times slow.txt | awk '$1 > 100 { bad = 1 } END { exit bad }' || fail "an update over 100 ms"
elapsed_times slow.txt | grep -qx 100 || fail "the stall reaches the match as 100 ms"

# The default limit is 60 frames a second.
start_game default.txt --no-dialogs --frames 60
end_game
[ "$game_status" -eq 0 ] || fail "exit status $game_status: $(cat game.err)"
elapsed_times default.txt | awk '$1 < 16 { bad = 1 } END { exit bad }' ||
    fail "updates closer than 1/60 s: $(elapsed_times default.txt | sort -n | head -3 | xargs)"

finish
