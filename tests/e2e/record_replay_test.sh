#!/usr/bin/env bash
# A game with two human players recorded, every key and click an instant tap: spinvale-sim
# and the game's own --replay play the recording back to the same trace, line for line,
# across a switch to a window with F1 and back with Alt+Enter.
source "$(dirname "$0")/lib.sh"

write_settings --player1 mouse --player2 keyboard
play_game trace.txt --no-dialogs --record record.txt
pointer_to 300 600
wait_updates 10
press Return # player 2 serves first: the toss
wait_updates 2
grep -q '"rallyState":8,' trace.txt || fail "an instant Enter tap tosses player 2's serve"
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

# Taps quicker than an update can share one update's line: each key is looked for among the
# keys of every update line, and the button's press and release in their field.
recorded_key() { awk -v k="$1" '/^[0-9]/ { for (i = 5; i <= NF; ++i) if ($i == k) found = 1 } END { exit !found }' record.txt; }
for key in 13 37 38 39 112 27; do recorded_key "$key" || fail "recorded key $key"; done
awk '/^[0-9]/ && $4 == "1" { p = 1 } /^[0-9]/ && $4 == "0" { r = 1 } END { exit !(p && r) }' record.txt ||
    fail "the click's press and release recorded"
[ "$(grep -c '"toggleFullscreen"' trace.txt)" -eq 2 ] || fail "two toggles traced"
# Alt+Enter is recorded as the F1 that asked for the toggle, and never as Enter.
toggle_lines=$(grep -n '"toggleFullscreen"' trace.txt | cut -d: -f1 | tail -1)
alt_enter=$(grep -v '^#\|^settings' record.txt | sed -n "$((toggle_lines - 1))p")
[[ "$alt_enter" == *" 112" && "$alt_enter" != *" 13 "* ]] || fail "Alt+Enter recorded as '$alt_enter'"

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
