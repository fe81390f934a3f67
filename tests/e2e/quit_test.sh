#!/usr/bin/env bash
# Esc ends the game with status 0, even as an instant tap between two updates of a slow
# frame rate; so does a close request: SIGTERM or SIGINT, which SDL turns into the same quit
# event a window manager's close button sends.
source "$(dirname "$0")/lib.sh"

write_settings --player1 computer --player2 computer

for fps in 60 10; do
    start_game "esc$fps.txt" --no-dialogs --max-fps "$fps"
    wait_game_window
    wait_updates 5
    press Escape
    end_game
    [ "$game_status" -eq 0 ] || fail "Esc at $fps fps: exit status $game_status: $(cat game.err)"
    tail -1 "esc$fps.txt" | grep -q '"requests":\["quit"\]}$' || fail "the last update asked to quit"
done

for signal in TERM INT; do
    start_game "$signal.txt" --no-dialogs
    wait_game_window
    wait_updates 10
    kill -"$signal" "$game_pid"
    end_game
    [ "$game_status" -eq 0 ] || fail "SIG$signal: exit status $game_status: $(cat game.err)"
done

finish
