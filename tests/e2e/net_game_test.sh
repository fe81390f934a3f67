#!/usr/bin/env bash
# A network game in two windows: the host plays with the pointer, the guest (a small window in
# a corner, on top) with the keys. After a few points the guest presses Esc: the host says so
# and plays on against the computer; each side's recording replays to its trace. A third window
# watches from the side once they play: its trace is the host's to the end. Then a game hosted
# from the menu. Hosts listen on 127.0.0.1 only, each with its own code, the first on port 0.
source "$(dirname "$0")/lib.sh"
guest_pid= watcher_pid=
on_exit() { kill -KILL $game_pid $guest_pid $watcher_pid 2>/dev/null; }

write_settings --player1 mouse --game-speed 30
mkdir guest watcher
"$bin/spinvale-settings" write guest/settings.dat --screen 480x360 >/dev/null
cp guest/settings.dat watcher/
play_game host.txt --windowed --no-dialogs --host 0 --test-listen 127.0.0.1 --record host.rec
host_window=$game_window
wait_for 10 grep -q 'join code' game.err || fail "no join code: $(cat game.err)"
port=$(sed -n 's/.*UDP port \([0-9]*\) of this computer.*/\1/p' game.err)
code=$(sed -n 's/.*join code //p' game.err | tr A-Z a-z)  # typed in any case
(cd guest && exec timeout 180 "$bin/spinvale" --windowed --no-dialogs --join "127.0.0.1:$port" \
    --code "$code" --trace trace.txt --record rec.txt >out.txt 2>err.txt) &
guest_pid=$!
other_window() { xdotool search --onlyvisible --name '^Spinvale$' 2>/dev/null | grep -v "^$host_window$"; }
wait_for 30 other_window || fail "no guest window"
guest_window=$(other_window | head -1)
xdotool windowmove "$guest_window" 540 400 windowraise "$guest_window" windowfocus "$guest_window"
playing() { grep -q 'playing with player 2' game.err; }
wait_for 30 playing || fail "the guest never joined: $(cat game.err guest/err.txt)"
(cd watcher && exec timeout 180 "$bin/spinvale" --windowed --no-dialogs --view side \
    --watch "127.0.0.1:$port" --code "$code" --trace trace.txt 2>err.txt) &
watcher_pid=$!
watcher_window() { other_window | grep -v "^$guest_window$"; }
wait_for 30 watcher_window || fail "no watcher window"
watcher_window=$(watcher_window | head -1)
xdotool windowmove "$watcher_window" 540 0 windowfocus "$guest_window"

# The pointer stays over the host's window, left of the guest's; the keys go to the guest.
for i in 1 2 3 4 5 6; do
    pointer_to $((200 + 60 * i)) 600
    press Return
    xdotool keydown Left
    wait_updates 15
    xdotool keyup Left
    click
    press Return
    wait_updates 40
done
grep -q '^[0-9]* [0-9]* [0-9]* 1 *' host.rec || fail "the host's click is not in the commands"

escape_from() { xdotool windowfocus "$1"; press Escape; wait "$2" || fail "$3 exit status $?: $(cat "$4")"; }
escape_from "$guest_window" "$guest_pid" guest guest/err.txt
guest_pid=
wait_for 20 grep -q 'Player 2 left; the computer plays for them' game.err || fail "the host was not told: $(cat game.err)"
wait_updates 60
grep -q 'player2Keyboard=0' host.rec || fail "player 2 not handed to the computer"
xdotool windowfocus "$host_window"
press Escape
ended_well host
watched() { [ "$(wc -l <watcher/trace.txt)" -ge "$(wc -l <host.txt)" ]; }
wait_for 20 watched || fail "the watcher fell short: $(cat watcher/err.txt)"
escape_from "$watcher_window" "$watcher_pid" watcher watcher/err.txt
watcher_pid=
cmp host.txt watcher/trace.txt || fail "the watcher's trace differs from the host's"

replays() { "$bin/spinvale-sim" --script "$1" --trace 2>/dev/null | cmp - "$2" || fail "$1 replays differently"; }
replays host.rec host.txt
replays guest/rec.txt guest/trace.txt
# Up to the guest's last confirmed update, both sides played the same match.
cmp <(head -"$(wc -l <guest/trace.txt)" host.txt) guest/trace.txt || fail "the two sides' traces differ"
# The guest's Left, turned as it sees the table, moved player 2's paddle right (+x): Enter
# never moves it, and a Left not turned would move it the other way.
right=$(grep -o '"paddle2":{"x":[-0-9.e]*' guest/trace.txt | cut -d: -f3 | sort -g | tail -1)
awk -v x="${right:-0}" 'BEGIN { exit !(x >= 60) }' || fail "the guest's Left: player 2 at most at x ${right:-?}"

# A game hosted from the menu on the default port (retried while another run holds it): Ctrl+C
# copies the invite, the other window pastes it on its join page (Ctrl+V) and joins. It plays
# on under the host's menu past the 5 s silence limit (400 updates at 60 a second at most), the
# host quits from the menu, and its recording, begun with it, replays.
play_game menu.txt --windowed --no-dialogs --test-listen 127.0.0.1 --record menu.rec
xdotool key Tab Down Down Down Down Return Up
for _ in $(seq 10); do press Return && wait_for 3 grep -q 'Invite: spinvale://' game.err && break; done
press ctrl+c
(cd guest && exec timeout 60 "$bin/spinvale" --windowed --no-dialogs --trace menu.txt 2>menu.err) &
guest_pid=$!
host_window=$game_window
wait_for 30 other_window || fail "no second window"
xdotool windowfocus "$(other_window | head -1)" key Tab Down Down Down Down Down Return ctrl+v Return
wait_for 30 playing || fail "the guest never joined the menu's game: $(cat game.err guest/menu.err)"
xdotool windowfocus "$game_window" key Tab
past() { [ "$(wc -l <guest/menu.txt)" -ge "$1" ]; }
wait_for 30 past $(($(wc -l <guest/menu.txt) + 400)) && ! grep -q 'Nothing heard' guest/menu.err ||
    fail "the host's menu stopped the game: $(grep spinvale: guest/menu.err)"
kill "$guest_pid"
xdotool key Up Return  # the menu's last entry, Quit
wait_for 10 eval '! kill -0 $game_pid' || { fail "no menu to quit from"; press Escape; }
end_game
replays menu.rec menu.txt
finish
