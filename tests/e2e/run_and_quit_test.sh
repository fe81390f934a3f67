#!/usr/bin/env bash
# How the game runs and ends. Frames start no closer than the limit allows (60 a second
# unless told), and a stall reaches the match as one update of at most 100 ms. Esc ends the
# game with status 0, even as an instant tap between two updates of a slow frame rate; so
# does a close request: SIGTERM or SIGINT, which SDL turns into the same quit event a window
# manager's close button sends. Without any display the game says so and ends with a
# failure status: no crash, no hang, and no game played unseen on a driver that draws nowhere.
source "$(dirname "$0")/lib.sh"

write_settings --player1 computer --player2 computer

# Elapsed times of the updates after the first (which includes the game's start-up).
elapsed_times() { tail -n +3 "$1" | sed -E 's/.*"elapsedMs":([0-9]+),.*/\1/'; }

play_game slow.txt --no-dialogs --max-fps 20
wait_updates 10
kill -STOP "$game_pid" && sleep 0.5 && kill -CONT "$game_pid"
wait_updates 5
quit_game "Esc at 20 fps"
tail -1 slow.txt | grep -q '"requests":\["quit"\]}$' || fail "the last update asked to quit"
elapsed_times slow.txt | awk '$1 < 50 || $1 > 100 { bad = 1 } END { exit bad }' ||
    fail "updates under 1/20 s or over 100 ms apart: $(elapsed_times slow.txt | sort -n | xargs)"
elapsed_times slow.txt | grep -qx 100 || fail "the stall reaches the match as 100 ms"

for signal in TERM INT; do
    play_game "$signal.txt" --no-dialogs
    wait_updates 30
    kill -"$signal" "$game_pid"
    ended_well "SIG$signal"
done
elapsed_times TERM.txt | awk '$1 < 16 { bad = 1 } END { exit bad }' ||
    fail "updates closer than 1/60 s: $(elapsed_times TERM.txt | sort -n | head -3 | xargs)"

for dialogs in --no-dialogs ""; do
    expect_status 255 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 \
        "$bin/spinvale" $dialogs --frames 5
    grep -q 'no display' err.txt && grep -q 'Error Registering Window Class!' err.txt ||
        fail "'$dialogs': the reason and the message on stderr: $(cat err.txt)"
done

finish
