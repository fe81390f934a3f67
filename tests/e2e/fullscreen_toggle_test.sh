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

# The serve the score calls for in an 11-point game: the service changes every 2 points,
# and after every point from 10-10.
expected_server() {
    local s1=$1 s2=$2 first=$3 n=$(($1 + $2)) turn
    if [ "$s1" -ge 10 ] && [ "$s2" -ge 10 ]; then turn=$((n % 2)); else turn=$((n / 2 % 2)); fi
    [ "$turn" -eq 0 ] && echo "$first" || echo $((3 - first))
}

toggles=$(grep -n '"toggleFullscreen"' trace.txt | cut -d: -f1)
[ "$(wc -w <<<"$toggles")" -eq 2 ] || fail "two toggles traced, found at lines: $toggles"
for line in $toggles; do
    before=$(sed -n "${line}p" trace.txt)
    after=$(sed -n "$((line + 1))p" trace.txt)
    [ -n "$after" ] || { fail "no update after the toggle at line $line"; continue; }
    for f in score1 score2 firstServer; do
        [ "$(field $f "$before")" = "$(field $f "$after")" ] || fail "$f changed by the toggle"
    done
    server=$(expected_server "$(field score1 "$after")" "$(field score2 "$after")" \
        "$(field firstServer "$after")")
    # A computer server tosses in its first update: to serve (5, 6) or tossed (7, 8).
    state=$(field rallyState "$after")
    case "$server:$state" in
        1:5 | 1:7 | 2:6 | 2:8) ;;
        *) fail "after the toggle at line $line: state $state, but player $server serves" ;;
    esac
    grep -q '"paddle1":{[^}]*"prevZ":200,' <<<"$after" || fail "paddle 1 back at its start"
done

"$bin/spinvale-sim" --script record.txt --trace >replayed.txt
cmp -s replayed.txt trace.txt || fail "the recorded game replays differently"

finish
