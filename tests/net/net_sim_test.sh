#!/usr/bin/env bash
# Network games of spinvale-sim processes on loopback, each host on 127.0.0.1 with a port the
# system picks and a code of its own.
#   net_sim_test.sh BIN games: a whole game through the lossy relay (60 ms each way, 5 %
#     loss, reordering, duplicates; the guest also sends garbage), the same trace on both
#     sides and in the replay of the merged recording; a desync caught and both states
#     written. (The probes' games are direct; the guessers are refused.)
#   net_sim_test.sh BIN probes PACE_MS: the host polling every PACE_MS (16: the window's
#     pace), what strangers send it (net_probe) while a guest plays or joins: the game goes
#     on, the guest joins, and the host's memory stays within 16 MB of its start.
bin=$1 part=$2 pace=${3:-1}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../harness.sh"
pids=()
# Every process started here is ended by its own id, a stopped one too.
on_exit() {
    for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null && kill -CONT "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do
        wait_for 5 eval "! kill -0 $p 2>/dev/null" || kill -KILL "$p" 2>/dev/null
    done
}
# await PID SECONDS: the exit status of a process started here, which must end by itself.
await() {
    wait_for "$2" eval "! kill -0 $1 2>/dev/null" || fail "process $1 still running after $2 s"
    kill -TERM "$1" 2>/dev/null && kill -CONT "$1" 2>/dev/null
    wait "$1"
}
export XDG_STATE_HOME=$work/state

"$bin/spinvale-settings" write host.dat --player1 computer --game-speed 30 >/dev/null
# The computer host's script is its frame times; the guest walks its paddle left and right
# and taps Enter now and then (serves, and swings that may meet the ball).
script() { # LINES GUEST(0|1)
    awk -v n="$1" -v guest="$2" 'BEGIN { for (i = 0; i < n; ++i) { a = int(i / 30) % 4
        print "16 0 0 -" (!guest ? "" : (a == 0 ? " 37" : a == 2 ? " 39" : "") (i % 45 == 0 ? " 13" : "")) } }'
}
script 20000 0 >p1.txt
script 20000 1 >p2.txt
script 1000 0 >host.txt
script 800 1 >guest.txt

start_host() { # NAME SCRIPT OPTION...: sets host_pid, port and code
    "$bin/spinvale-sim" --host 0 --test-listen 127.0.0.1 --settings host.dat --script "$2" \
        --trace --record "$1.host.rec" "${@:3}" >"$1.host.trace" 2>"$1.host.err" &
    host_pid=$! && pids+=($!)
    wait_for 20 grep -qs 'join code' "$1.host.err" || fail "$1: no host: $(cat "$1.host.err")"
    port=$(sed -n 's/.*UDP port \([0-9]*\) of this computer.*/\1/p' "$1.host.err")
    code=$(sed -n 's/.*join code //p' "$1.host.err")
    invite=$(sed -n 's/^spinvale-sim: Invite: //p' "$1.host.err")
}
guest() { # NAME HOST:PORT|INVITE SCRIPT OPTION...: sets guest_pid
    "$bin/spinvale-sim" --join "$2" --script "$3" --trace --record "$1.guest.rec" \
        "${@:4}" >"$1.guest.trace" 2>"$1.guest.err" &
    guest_pid=$! && pids+=($!)
}
# The game was won: 11 points, or more from deuce, two ahead.
won() {
    local s
    s=$(tail -1 "$1.host.trace" | sed -nE 's/.*"rallyState":2[01],"score1":([0-9]+),"score2":([0-9]+),.*/\1 \2/p')
    [ -n "$s" ] && set -- $s && [ $(($1 - $2)) -ge 2 -o $(($2 - $1)) -ge 2 ] && [ "$1" -ge 11 -o "$2" -ge 11 ]
}
whole_game() { # NAME PORT GUEST_OPTION...
    guest "$1" "127.0.0.1:$2" p2.txt --code "$code" "${@:3}"
    await "$guest_pid" 120 || fail "$1: guest exit $?: $(cat "$1.guest.err")"
    await "$host_pid" 20 || fail "$1: host exit $?: $(cat "$1.host.err")"
    won "$1" || fail "$1: no won game: $(tail -1 "$1.host.trace" | cut -c1-300)"
    cmp "$1.host.trace" "$1.guest.trace" || fail "$1: the two sides' traces differ"
    cmp "$1.host.rec" "$1.guest.rec" || fail "$1: the two recordings differ"
    "$bin/spinvale-sim" --script "$1.host.rec" --trace 2>/dev/null | cmp - "$1.host.trace" ||
        fail "$1: the replay of the recording differs"
}

games() {
    start_host lossy p1.txt
    python3 "$here/relay.py" 0 "$port" --lifetime 150 --delay 60 --loss 0.05 --reorder 0.1 \
        --duplicate 0.02 --seed 5 >relay.port &
    pids+=($!)
    wait_for 10 grep -q . relay.port || fail "no relay"
    whole_game lossy "$(cat relay.port)" --test-garbage
    grep -q 'dropped a malformed message' lossy.host.err || fail "garbage not told: $(cat lossy.host.err)"
    grep -h 'rollbacks' lossy.*.err  # the figures; the benchmark holds their bounds

    # One side's match changed after update 100: both sides stop at the next hash, 120, and
    # each writes both states to a new file in its state folder. The guest joins by the
    # host's invite.
    start_host desync p1.txt
    guest desync "$invite" p2.txt --test-desync-after 100
    await "$guest_pid" 30
    [ $? -eq 3 ] || fail "desync: guest exit status"
    await "$host_pid" 30
    [ $? -eq 3 ] || fail "desync: host exit status"
    for side in host:1 guest:2; do
        dump=$XDG_STATE_HOME/spinvale/desync-player${side#*:}-1.txt
        grep -q "The two games differ after update 120: the match is stopped. Both states are in $dump" \
            "desync.${side%:*}.err" || fail "desync not told: $(cat "desync.${side%:*}.err")"
        [ "$(grep -c '^{"frame":120,' "$dump")" -eq 2 ] || fail "$dump: $(cat "$dump")"
    done
}

# The guest played from joining to the end of its script, as the host saw it, never cut.
played() { # NAME
    grep -q 'playing with player 1' "$1.guest.err" || fail "$1: the guest never joined: $(cat "$1.guest.err")"
    grep -q 'Player 2 left; the computer plays for them' "$1.host.err" || fail "$1: not played out: $(cat "$1.host.err")"
    ! grep -E 'Nothing heard|No play' "$1.host.err" "$1.guest.err" || fail "$1: the game was cut"
    cmp <(head -"$(wc -l <"$1.guest.trace")" "$1.host.trace") "$1.guest.trace" || fail "$1: the traces differ"
}
memory() { # NAME: the host's resident memory during the probe
    read -r _ start most < <(grep '^memory' "$1.probe")
    [ $((most - start)) -le 16384 ] || fail "$1: the host's memory went from $start kB to $most kB"
}
probe() { # NAME WHEN(playing|joining) PROBE...: WHEN the game the probe meets is
    start_host "$1" host.txt --test-poll-ms "$pace"
    local probe_pid=
    if [ "$2" = joining ]; then
        "$bin/net_probe" "$port" "${@:3}" --watch "$host_pid" >"$1.probe" &
        probe_pid=$! && pids+=($!)
        wait_for 10 grep -qs probing "$1.probe" || fail "$1: no probe"
    fi
    guest "$1" "127.0.0.1:$port" guest.txt --code "$code"
    if [ "$2" = playing ]; then
        wait_for 20 grep -q 'playing with' "$1.guest.err" && "$bin/net_probe" "$port" "${@:3}" --watch "$host_pid" >"$1.probe"
        kill -0 "$guest_pid" 2>/dev/null || fail "$1: the game ended before the probe did"
    fi
    await "$guest_pid" 60 || fail "$1: guest exit $?"
    await "$host_pid" 60 || fail "$1: host exit $?"
    [ -z "$probe_pid" ] || await "$probe_pid" 20
    played "$1"
    memory "$1"
}

probes() {
    probe empty playing empty
    probe half-open joining half-open 40
    probe big playing big 8
    probe guesses joining wrong-code 40 8
    for told in 'empty:empty datagrams' 'half-open:connections cut halfway' 'big:visitors that never' \
        'guesses:refused for too many wrong codes'; do  # in the host's counts at the end
        grep -q "${told#*:}" "${told%%:*}.host.err" || fail "${told%%:*}: $(cat "${told%%:*}.host.err")"
    done
    # A guest that joins and pushes 30 MB packets: they are never taken in.
    start_host bigger host.txt --test-poll-ms "$pace"
    "$bin/net_probe" "$port" big 6 "$code" --watch "$host_pid" >bigger.probe
    kill -TERM "$host_pid"
    memory bigger
    # A guest that joins and then only trickles is given up at 5 s; the host plays on.
    start_host trickle host.txt --test-poll-ms "$pace"
    "$bin/net_probe" "$port" trickle "$code" inputs --watch "$host_pid" >trickle.probe
    grep -q 'No play from player 2 for 5 seconds' trickle.host.err || fail "trickle: $(cat trickle.host.err trickle.probe)"
    await "$host_pid" 60 || fail "trickle: host exit $?"
    [ "$(wc -l <trickle.host.trace)" -eq 1001 ] || fail "trickle: the host did not play on"
    memory trickle
}

"$part"
finish
