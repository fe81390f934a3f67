#!/usr/bin/env bash
# Games of spinvale-sim on loopback: each host on 127.0.0.1, a port the system picks, its own code.
#   BIN games: a game at the shipped speed (about 45 s) through the lossy relay (the guest also
#     sends garbage), and direct, watched through the relay, stopped for 12 s and 30 s late: one
#     trace on each side and replay; the stopped watcher cut off and told. Then a desync caught.
#   BIN probes PACE_MS: the host polling every PACE_MS (16: the window's), what strangers send
#     (net_probe) while a guest plays or joins: the game goes on, the host's memory within 16 MB.
bin=$1 part=$2 pace=${3:-1}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../harness.sh"
pids=()
declare -A names
started() { pid=$! && pids+=($!) && names[$!]=$1; }  # NAME: of what was started last
# Every process started here is ended by its own id, a stopped one too.
on_exit() {
    for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null && kill -CONT "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do wait_for 5 eval "! kill -0 $p 2>/dev/null" || kill -KILL "$p" 2>/dev/null; done
}
# await PID SECONDS [STATUS]: a process started here ends by itself, with STATUS (0).
await() {
    wait_for "$2" eval "! kill -0 $1 2>/dev/null" || fail "${names[$1]}: still running after $2 s"
    kill -TERM "$1" 2>/dev/null && kill -CONT "$1" 2>/dev/null
    wait "$1"
    local got=$?
    [ "$got" -eq "${3:-0}" ] || fail "${names[$1]}: exit status $got: $(tail -3 "${names[$1]}.err" 2>&1)"
}
export XDG_STATE_HOME=$work/state

"$bin/spinvale-settings" write host.dat --player1 computer --game-speed 30 >/dev/null || fail "no host.dat"
# Frame times for the computer host; the guest also walks left and right and taps Enter.
script() { # LINES GUEST(0|1)
    awk -v n="$1" -v guest="$2" 'BEGIN { for (i = 0; i < n; ++i) { a = int(i / 30) % 4
        print "16 0 0 -" (!guest ? "" : (a == 0 ? " 37" : a == 2 ? " 39" : "") (i % 45 == 0 ? " 13" : "")) } }'
}
script 20000 0 >p1.txt
script 20000 1 >p2.txt
script 1000 0 >host.txt
script 800 1 >guest.txt

sim() { # FILES OPTION...: spinvale-sim, its trace, recording and messages in FILES.*
    "$bin/spinvale-sim" --trace --record "$1.rec" "${@:2}" >"$1.trace" 2>"$1.err" &
    started "$1"
}
start_host() { # NAME SCRIPT OPTION...: sets host_pid, port, code and invite
    sim "$1.host" --host 0 --test-listen 127.0.0.1 --settings host.dat --script "$2" "${@:3}"
    host_pid=$pid
    wait_for 20 grep -qs 'join code' "$1.host.err" || fail "$1: no host: $(cat "$1.host.err")"
    port=$(sed -n 's/.*UDP port \([0-9]*\) of this computer.*/\1/p' "$1.host.err")
    code=$(sed -n 's/.*join code //p' "$1.host.err")
    invite=$(sed -n 's/^spinvale-sim: Invite: //p' "$1.host.err")
}
guest() { # NAME HOST:PORT|INVITE SCRIPT OPTION...: sets guest_pid
    sim "$1.guest" --join "$2" --script "$3" "${@:4}" && guest_pid=$pid
}
# The game was won: 11 points, or more from deuce, two ahead.
won() {
    local s
    s=$(tail -1 "$1.host.trace" | sed -nE 's/.*"rallyState":2[01],"score1":([0-9]+),"score2":([0-9]+),.*/\1 \2/p')
    [ -n "$s" ] && set -- $s && [ $(($1 - $2)) -ge 2 -o $(($2 - $1)) -ge 2 ] && [ "$1" -ge 11 -o "$2" -ge 11 ]
}
relay() { # SEED: a lossy relay to the host's port, its own port in relay_port
    python3 "$here/relay.py" 0 "$port" --lifetime 150 --delay 60 --loss 0.05 --reorder 0.1 \
        --duplicate 0.02 --seed "$1" >"relay$1.port" &
    started "relay$1"
    wait_for 10 grep -q . "relay$1.port" || fail "no relay"
    relay_port=$(cat "relay$1.port")
}

games() {
    watched_games
    # One side's match changed after update 100: both stop at the next hash, 120, and each
    # writes both states to a new file in its state folder. The guest joins by the invite.
    start_host desync p1.txt
    guest desync "$invite" p2.txt --test-desync-after 100
    await "$guest_pid" 30 3
    await "$host_pid" 30 3
    for side in host:1 guest:2; do
        dump=$XDG_STATE_HOME/spinvale/desync-player${side#*:}-1.txt
        grep -q "The two games differ after update 120: the match is stopped. Both states are in $dump" \
            "desync.${side%:*}.err" || fail "desync not told: $(cat "desync.${side%:*}.err")"
        [ "$(grep -c '^{"frame":120,' "$dump")" -eq 2 ] || fail "$dump: $(cat "$dump")"
    done
}

lines() { [ "$(wc -l <"$1")" -ge "$2" ]; }
watched_games() {
    "$bin/spinvale-settings" write shipped.dat --player1 computer >/dev/null || fail "no shipped.dat"
    # Unwatched, through the relay: no input delay, which a lost handshake's round trip would set.
    start_host plain p1.txt --settings shipped.dat --input-delay 0
    relay 5
    guest plain "127.0.0.1:$relay_port" p2.txt --code "$code" --test-garbage --input-delay 0
    local plain_host=$host_pid plain_guest=$guest_pid
    start_host watched p1.txt --settings shipped.dat
    relay 7
    sim lossy --watch "127.0.0.1:$relay_port" --code "$code" && local lossy=$pid
    sim stopped --watch "127.0.0.1:$port" --code "$code" --test-from 127.0.0.3 && local stopped=$pid
    guest watched "127.0.0.1:$port" p2.txt --code "$code"
    wait_for 30 lines stopped.trace 313 || fail "stopped: no 5 s watched: $(cat stopped.err)"
    kill -STOP "$stopped" && sleep 12 && kill -CONT "$stopped"  # stopped for 12 s
    wait_for 60 lines watched.host.trace 1876 || fail "the game ended before 30 s"
    sim late --watch "$invite" --test-from 127.0.0.4 && local late=$pid  # the invite brings the code
    for p in "$guest_pid" "$plain_guest"; do await "$p" 120; done
    for p in "$host_pid" "$plain_host" "$lossy" "$late" "$stopped"; do await "$p" 30; done
    won watched || fail "no won game: $(tail -1 watched.host.trace | cut -c1-300)"
    cmp plain.host.trace plain.guest.trace || fail "the two sides' traces differ"
    cmp plain.host.rec plain.guest.rec || fail "the two recordings differ"
    # The guest's garbage: the first message of each kind dropped told, every one counted.
    [ "$(grep -c 'dropped a malformed message' plain.host.err)" -eq "$(grep -o 'dropped for' plain.host.err | wc -l)" ] &&
        grep -q 'messages dropped for unknown message type' plain.host.err || fail "garbage: $(cat plain.host.err)"
    grep -q "$(($(wc -l <plain.host.trace) / 30)) hashes compared" plain.host.err || fail "hashes uncounted"
    cmp plain.guest.trace watched.guest.trace || fail "the guest played another game when watched"
    for w in lossy late plain.host; do  # the host's game, watched and not
        cmp watched.host.trace "$w.trace" || fail "$w: the trace differs: $(cat "$w.err")"
        "$bin/spinvale-sim" --script "$w.rec" --trace 2>/dev/null | cmp - "$w.trace" ||
            fail "$w: the replay of the recording differs"
    done
    grep -q 'caught up with the game' late.err || fail "late: never caught up: $(cat late.err)"
    if ! cmp -s watched.host.trace stopped.trace; then
        cmp <(head -"$(wc -l <stopped.trace)" watched.host.trace) stopped.trace || fail "stopped: the trace differs"
        grep -q 'This computer fell more than 10 seconds behind the game: the host stopped sending it' \
            stopped.err || fail "stopped: cut off untold: $(cat stopped.err)"
    fi
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
# probe NAME WHEN(playing|joining) COUNTED PROBE...: the game the probe meets, and its count.
probe() {
    start_host "$1" host.txt --test-poll-ms "$pace"
    local probe_pid=
    if [ "$2" = joining ]; then
        "$bin/net_probe" "$port" "${@:4}" --watch "$host_pid" >"$1.probe" &
        started "$1" && probe_pid=$pid
        wait_for 10 grep -qs probing "$1.probe" || fail "$1: no probe"
    fi
    guest "$1" "127.0.0.1:$port" guest.txt --code "$code"
    if [ "$2" = playing ]; then
        wait_for 20 grep -q 'playing with' "$1.guest.err" && "$bin/net_probe" "$port" "${@:4}" --watch "$host_pid" >"$1.probe"
        kill -0 "$guest_pid" 2>/dev/null || fail "$1: the game ended before the probe did"
    fi
    for p in "$guest_pid" "$host_pid" $probe_pid; do await "$p" 60; done
    played "$1"
    memory "$1"
    grep -q "$3" "$1.host.err" || fail "$1: $3 uncounted: $(cat "$1.host.err")"
}

probes() {
    probe empty playing 'empty datagrams' empty
    probe half-open joining 'connections cut halfway' half-open 40
    probe big playing 'visitors that never' big 8
    probe guesses joining 'refused for too many wrong codes' wrong-code 40 8
    # The guessers' thousands of refusals, told in sums at most every 10 s.
    [ "$(grep -c '^spinvale-sim: refused' guesses.host.err)" -le 3 ] || fail "guesses: $(cat guesses.host.err)"
    # A guest that joins and pushes 30 MB packets: they are never taken in.
    start_host bigger host.txt --test-poll-ms "$pace"
    "$bin/net_probe" "$port" big 6 "$code" --watch "$host_pid" >bigger.probe
    kill -TERM "$host_pid"
    memory bigger
    # A guest that joins and then only trickles is given up at 5 s; the host plays on.
    start_host trickle host.txt --test-poll-ms "$pace"
    "$bin/net_probe" "$port" trickle "$code" inputs --watch "$host_pid" >trickle.probe
    grep -q 'No play from player 2 for 5 seconds' trickle.host.err || fail "trickle: $(cat trickle.host.err trickle.probe)"
    await "$host_pid" 60
    [ "$(wc -l <trickle.host.trace)" -eq 1001 ] || fail "trickle: the host did not play on"
    memory trickle
}

"$part"
finish
