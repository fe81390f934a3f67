#!/usr/bin/env bash
# Two spinvale-sim processes play network matches on loopback: whole 11-point games, direct
# and through the lossy relay (60 ms each way, 5 % loss, reordering, duplicates), the same
# trace on both sides and in the replay of the merged recording.
bin=$1
relay=$(cd "$(dirname "$0")" && pwd)/relay.py
source "$(dirname "$0")/../harness.sh"
pids=()
on_exit() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; }
port=$((20000 + RANDOM % 30000))

"$bin/spinvale-settings" write host.dat --player1 computer --game-speed 30 >/dev/null
# The computer host's script is its frame times; the guest walks its paddle left and right
# and taps Enter now and then (serves, and swings that may meet the ball).
awk 'BEGIN { for (i = 0; i < 20000; ++i) print "16 0 0 -" }' >p1.txt
awk 'BEGIN { for (i = 0; i < 20000; ++i) { a = int(i / 30) % 4
    print "16 0 0 -" (a == 0 ? " 37" : a == 2 ? " 39" : "") (i % 45 == 0 ? " 13" : "") } }' >p2.txt

start_host() { # NAME OPTION...: on the next free pair of ports
    port=$((port + 2))
    timeout 150 "$bin/spinvale-sim" --host "$port" --code TEST42 --settings host.dat \
        --script p1.txt --trace --record "$1.host.rec" "${@:2}" >"$1.host.trace" 2>"$1.host.err" &
    host_pid=$! && pids+=($!) && sleep 0.3
}
guest() { # NAME PORT OPTION...
    timeout 150 "$bin/spinvale-sim" --join "127.0.0.1:$2" --script p2.txt --trace \
        --record "$1.guest.rec" "${@:3}" >"$1.guest.trace" 2>"$1.guest.err"
}

whole_game() { # NAME [RELAY OPTION...]
    start_host "$1"
    local name=$1 to=$((port + ($# > 1)))
    shift
    [ $# -eq 0 ] || { python3 "$relay" "$to" "$port" --lifetime 150 "$@" & pids+=($!) && sleep 0.5; }
    guest "$name" "$to" --code test-42 || fail "$name: guest exit $?: $(cat "$name.guest.err")"
    wait "$host_pid" || fail "$name: host exit $?: $(cat "$name.host.err")"
    tail -1 "$name.host.trace" | grep -Eq '"rallyState":2[01],"score1":(11,"score2":[0-9]|[0-9]+,"score2":11),' ||
        fail "$name: no won 11-point game: $(tail -1 "$name.host.trace" | cut -c1-300)"
    cmp "$name.host.trace" "$name.guest.trace" || fail "$name: the two sides' traces differ"
    cmp "$name.host.rec" "$name.guest.rec" || fail "$name: the two recordings differ"
    "$bin/spinvale-sim" --script "$name.host.rec" --trace 2>/dev/null | cmp - "$name.host.trace" ||
        fail "$name: the replay of the recording differs"
}
whole_game direct
whole_game lossy --delay 60 --loss 0.05 --reorder 0.1 --duplicate 0.02 --seed 5
grep -h 'rollbacks' lossy.*.err
# Rollbacks stay short: at most one of more than 10 updates per point.
points=$(tail -1 lossy.host.trace | sed -E 's/.*"score1":([0-9]+),"score2":([0-9]+),.*/\1 + \2/')
long=$(sed -nE 's/.*, ([0-9]+) longer than 10.*/\1/p' lossy.host.err)
[ -n "$long" ] && [ "$long" -le $((points)) ] || fail "rollbacks longer than 10: '$long' in $((points)) points"

# One side's match changed after update 100: both sides stop at the next hash, 120, and
# both write the two states.
start_host desync
expect_status 3 guest desync "$port" --code TEST42 --test-desync-after 100
expect_status 3 wait "$host_pid"
for side in host:1 guest:2; do
    err=desync.${side%:*}.err side=${side#*:}
    grep -q 'The two games differ after update 120: the match is stopped' "$err" || fail "desync not told: $(cat "$err")"
    [ "$(grep -c '^{"frame":120,' "spinvale-desync-$side.txt")" -eq 2 ] || fail "desync file $side: $(cat "spinvale-desync-$side.txt")"
done

# Refused: a wrong code, another protocol, another match build, a second player; a guest
# that sends malformed messages plays and leaves; the host plays on against the computer.
refused() { # NAME TOLD OPTION...: a guest refused, and told why
    expect_status 1 guest "$1" "$port" "${@:3}"
    grep -q "$2" "$1.guest.err" || fail "$1: $(cat "$1.guest.err")"
}
start_host refusals
refused wrong 'The host refused to play: the join code is wrong' --code TEST43
refused protocol 'speaks another network protocol' --code TEST42 --test-protocol 99
refused build 'computes the match differently' --code TEST42 --test-build 5
head -900 p2.txt >short.txt
timeout 60 "$bin/spinvale-sim" --join "127.0.0.1:$port" --code TEST42 --script short.txt \
    --test-garbage >/dev/null 2>garbage.err & pids+=($!) && sleep 2
refused second 'the host already has a player' --code TEST42
wait_for 40 grep -q 'player2Keyboard=0' refusals.host.rec || fail "the host never took over player 2: $(cat refusals.host.err)"
for told in 'a wrong join code' 'another network protocol' 'another match build' 'a second player' \
    'dropped a malformed message' 'Player 2 left; the computer plays for them'; do
    grep -q "$told" refusals.host.err || fail "the host does not say '$told': $(cat refusals.host.err)"
done
lines=$(wc -l <refusals.host.trace)
sleep 1
[ "$(wc -l <refusals.host.trace)" -gt "$lines" ] || fail "the host stopped playing"

# A guest that falls silent (stopped) is given up after 5 seconds; the host plays on.
start_host silent
"$bin/spinvale-sim" --join "127.0.0.1:$port" --code TEST42 --script p2.txt >/dev/null 2>&1 &
silent_guest=$! && pids+=($!) && sleep 3 && kill -STOP "$silent_guest"
wait_for 20 grep -q 'Nothing heard from player 2 for 5 seconds' silent.host.err || fail "silence: $(cat silent.host.err)"
grep -q 'player2Keyboard=0' silent.host.rec || fail "silence: player 2 not handed to the computer"
kill -KILL "$silent_guest"

expect_status 2 "$bin/spinvale-sim" --join '[::1]:27455' --code TEST42 --script p2.txt
grep -q 'speaks IPv4 only' err.txt || fail "IPv6: $(cat err.txt)"
finish
