#!/usr/bin/env bash
# Namespaces: three computers on a LAN behind a router (nftables, miniupnpd configured here,
# never a service), a guest outside. Games through ports opened by UPnP and NAT-PMP, a router
# that refuses or is missing, games listed on the LAN. Private addresses only.
bin=$(cd "$1" && pwd)
[ "$(id -u)" -eq 0 ] || { sudo -n true 2>/dev/null && exec sudo -n "$0" "$@"
    echo "SKIPPED: the router lab builds network namespaces: it needs root or password-less sudo"; exit 77; }
for tool in ip nft /usr/sbin/miniupnpd python3 xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "FAIL: no $tool: run scripts/install-deps test"; exit 1; }
done
source "$(dirname "$0")/../harness.sh"
ns=sv$$ names=(router lan1 lan2 lan3 wan) pids=() times=""
# Whatever happens: each process started here or left in the namespaces ended, then those gone.
on_exit() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for n in "${names[@]}"; do
        for p in $(ip netns pids "$ns-$n" 2>/dev/null); do kill -KILL "$p"; done
        ip netns del "$ns-$n" 2>/dev/null
    done
}
on() { ip netns exec "$ns-$1" "${@:2}"; } # NAMESPACE COMMAND...
spawn() { ip netns exec "$ns-$1" "${@:2}" & pids+=("$!") pid=$!; } # the same in the background
stop() { kill -TERM "$1" 2>/dev/null; wait "$1"; } # PID: its exit status
now_us() { echo "${EPOCHREALTIME/[.,]/}"; }
says() { grep -qs -- "$2" "$1"; } # FILE PATTERN: a line of FILE (if there is one yet) matches

# The router: LAN 192.168.77.0/24 bridged and masqueraded, WAN 10.77.0.0/24, miniupnpd's chains.
build_lab() {
    for n in "${names[@]}"; do ip netns add "$ns-$n" && on "$n" ip link set lo up || return 1; done
    on router ip link add br0 up type bridge && on router ip addr add 192.168.77.1/24 dev br0
    for link in lan1/192.168.77.10 lan2/192.168.77.11 lan3/192.168.77.12 wan/10.77.0.2; do
        n=${link%/*}  # eth0 there, paired with the router's link of its name
        ip link add eth0 netns "$ns-$n" type veth peer name "$n" netns "$ns-router"
        on "$n" ip addr add "${link#*/}/24" dev eth0 && on "$n" ip link set eth0 up
        [ "$n" = wan ] || { on router ip link set "$n" master br0 up && on "$n" ip route add default via 192.168.77.1; }
    done
    on router ip addr add 10.77.0.1/24 dev wan && on router ip link set wan up
    # The LAN's computers talk past the router's firewall, whatever bridges do elsewhere.
    on router sysctl -qw net.ipv4.ip_forward=1 net.bridge.bridge-nf-call-iptables=0 2>/dev/null
    on router nft -f - <<'NFT'
table inet lab {
    chain forward { type filter hook forward priority 0; policy drop;
        ct state established,related accept; iifname "br0" oifname "wan" accept; jump miniupnpd; }
    chain prerouting { type nat hook prerouting priority -100; jump prerouting_miniupnpd; }
    chain postrouting { type nat hook postrouting priority 100;
        jump postrouting_miniupnpd; oifname "wan" masquerade; }
    chain miniupnpd {}; chain prerouting_miniupnpd {}; chain postrouting_miniupnpd {}; }
NFT
}

# miniupnpd maps behind a private WAN address only once a STUN server says it is reachable as
# it is: the lab's internet has one, which echoes the sender's address.
cat >stun.py <<'PY'
import socket, struct
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("10.77.0.2", 3478))
while True:  # until the timeout that runs it
    data, (ip, port) = s.recvfrom(2048); mapped = struct.pack("!HHBBH4s", 1, 8, 0, 1, port, socket.inet_aton(ip))
    if len(data) >= 20 and data[:2] == b"\x00\x01":
        s.sendto(b"\x01\x01" + struct.pack("!H", len(mapped)) + data[4:20] + mapped, (ip, port))
PY

start_miniupnpd() { # NAME UPNP(yes|no)
    printf '%s\n' ext_ifname=wan listening_ip=br0 "enable_upnp=$2" enable_natpmp=yes \
        secure_mode=yes ext_perform_stun=yes ext_stun_host=10.77.0.2 upnp_table_name=lab \
        upnp_nat_table_name=lab uuid=8d5b7c1e-3a44-4f0c-9e51-5b1d2c7a0f31 \
        "deny 0-65535 192.168.77.12/32 0-65535" "allow 1024-65535 192.168.77.0/24 1024-65535" \
        "deny 0-65535 0.0.0.0/0 0-65535" >"$1.conf"
    spawn router /usr/sbin/miniupnpd -f "$PWD/$1.conf" -d -P "$PWD/$1.pid" >"$1.log" 2>&1 && miniupnpd_pid=$pid
    expect "$1.log" 'Port forwarding is now enabled' && expect "$1.log" 'Listening for NAT-PMP'
}

# Frame times for the computer host; the guest also walks left and right and taps Enter.
script() { # LINES GUEST(0|1)
    awk -v n="$1" -v guest="$2" 'BEGIN { for (i = 0; i < n; ++i) { a = int(i / 30) % 4
        print "16 0 0 -" (!guest ? "" : (a == 0 ? " 37" : a == 2 ? " 39" : "") (i % 45 == 0 ? " 13" : "")) } }'
}

sim() { # NAMESPACE NAME OPTION...: spinvale-sim there, its output in NAME.trace and NAME.err
    : >"$2.err"  # not the last one's stderr, at the first look
    spawn "$1" timeout 200 "$bin/spinvale-sim" --trace "${@:3}" >"$2.trace" 2>"$2.err"
}
start_host() { # NAMESPACE OPTION...: a host there on port 27455
    sim "$1" "$1" --host 27455 --settings host.dat --script p1.txt "${@:2}" && host_pid=$pid started=$(now_us)
}
# Waits for FILE to say PATTERN; WHAT, when given, notes the ms since the last host's start.
expect() { # FILE PATTERN [WHAT]
    wait_for 20 says "$1" "$2" || { fail "$1 does not say '$2': $(tail -5 "$1")"; return 1; }
    [ -z "${3:-}" ] || times+="$3 $((($(now_us) - started) / 1000)) ms; "
}
code_of() { sed -n 's/^spinvale-sim: Join code: //p' "$1.err"; }
invite_of() { sed -n 's/^spinvale-sim: Invite: //p' "$1.err"; }

# Outputs are read whole before they are searched: a search that stops at the first match
# would end the writer with SIGPIPE, and pipefail would count that as a miss.
dnat_to() { # ADDRESS: the router's ruleset forwards a UDP port of the WAN to port 27455 there
    on router nft list ruleset >ruleset.txt && grep -q "dnat ip to $1:27455" ruleset.txt
}

# A whole game, the host behind the router, the guest outside; the port open only while they play.
whole_game() { # NAME JOIN...
    sim wan "$1" --script p2.txt --join "${@:2}" && game_guest=$pid game_host=$host_pid
    expect "$1.err" 'playing with player 1'
    dnat_to 192.168.77.10 || fail "$1: the mapping is not in the router's ruleset while they play"
}
game_over() { # NAME
    wait_for 120 eval "! kill -0 $game_guest 2>/dev/null" || fail "$1: the game did not end"
    wait "$game_guest" || fail "$1: guest exit status $?: $(tail -3 "$1.err")"
    wait "$game_host" || fail "$1: host exit status $?: $(tail -3 lan1.err)"
    tail -1 lan1.trace | grep -q '"rallyState":2[01],' || fail "$1: no won game"
    cmp -s lan1.trace "$1.trace" || fail "$1: the two sides' traces differ"
    expect lan1.err 'the router closed port 27455 again'
    ! dnat_to 192.168.77.10 || fail "$1: the mapping is still in the router's ruleset"
}
quit_host() { # NAMESPACE ADDRESS: SIGTERM; the host ends well and its mapping is gone
    stop "$host_pid" || fail "$1 ended with status $?: $(tail -3 "$1.err")"
    ! dnat_to "$2" || fail "$1's mapping is still in the router's ruleset"
}

# The replies COUNT queries for games sent to port 27455 draw within a second.
replies() { # NAMESPACE ADDRESS COUNT
    on "$1" python3 - "$2" "$3" <<'PY'
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.settimeout(1); replies = 0
for _ in range(int(sys.argv[2])): s.sendto(b"SpinvaleQ\x01\0\0\0\x07" + bytes(34), (sys.argv[1], 27455))
try:
    while replies <= int(sys.argv[2]): s.recv(512); replies += 1
except socket.timeout:
    print(replies)
PY
}

# The window on an X server of its own: hosts (the ms from its keys to the invite, the ruleset
# then) or joins the first game listed, once the page asked again after the answer; Esc.
cat >window.sh <<'SH'
bin=$1 router=$2 role=$3 code=$4
waits() { for _ in $(seq 500); do eval "$1" && return; sleep 0.02; done; return 1; }
packets() { nft list chain ip seen "$1" | sed -n 's/.* packets \([0-9]*\) .*/\1/p'; }
# No leak checks in a sanitizer build: the X, GL and D-Bus libraries keep memory past exit.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
SDL_AUDIODRIVER=dummy "$bin/spinvale" --windowed --no-dialogs --settings window.dat 2>window.err & game=$!
waits 'w=$(xdotool search --name "^Spinvale$" 2>/dev/null)'
if [ "$role" = host ]; then
    start=${EPOCHREALTIME/[.,]/} && xdotool windowfocus "$w" key Tab Down Down Down Down Return Up Return
    waits 'grep -q "Invite: spinvale://10.77.0.1" window.err'
    echo $(((${EPOCHREALTIME/[.,]/} - start) / 1000)) >window.ms
    ip netns exec "$router" nft list ruleset >window.rules
else
    nft 'table ip seen { chain answers { type filter hook input priority 0; udp sport 27455 counter; };
        chain asked { type filter hook output priority 0; udp dport 27455 counter; }; }'
    xdotool windowfocus "$w" key Tab Down Down Down Down Down Return
    waits '[ "$(packets answers)" -gt 0 ]' && asked=$(packets asked) &&
        waits '[ "$(packets asked)" -gt "$asked" ]'
    xdotool key Down Down Down Return type "$code" && xdotool key Return Return
    waits 'grep -q "playing with player 1" window.err'
fi
xdotool key Escape; wait "$game"
SH
window() { # NAMESPACE host|join [CODE]: its stderr in window.err
    spawn "$1" timeout 60 xvfb-run -a -s "-screen 0 800x600x24 -r" bash window.sh "$bin" "$ns-router" "${@:2}"
    wait "$pid" || fail "window: exit status $?: $(cat window.err)"
}
# miniupnpd with UPnP or without; the window hosts and quits, then spinvale-sim hosts on lan1.
router_game() { # WAY NAME UPNP(yes|no) HOST_OPTION...
    start_miniupnpd "$2" "$3"
    rm -f window.ms && window lan1 host
    grep -q "dnat ip to 192.168.77.10:27455" window.rules || fail "window: no mapping while it waits"
    expect window.err "Your router opened UDP port 27455 by $1: players outside your network join 10.77.0.1$"
    expect window.err 'the router closed port 27455 again'
    ! dnat_to 192.168.77.10 || fail "window: the mapping is still there after Esc"
    times+="$1: the window's invite after $(cat window.ms) ms, "
    start_host lan1 "${@:4}"
    expect lan1.err '^spinvale-sim: Invite: spinvale://10.77.0.1:27455/' "spinvale-sim's after"
}

ip netns add "$ns-probe" 2>/dev/null && ip netns del "$ns-probe" ||
    { echo "SKIPPED: network namespaces cannot be made here"; exit 77; }
build_lab || { fail "the lab could not be built"; finish; }
spawn wan timeout 400 python3 stun.py
"$bin/spinvale-settings" write host.dat --player1 computer --game-speed 30 >/dev/null
"$bin/spinvale-settings" write window.dat --screen 800x600 >/dev/null
script 20000 0 >p1.txt && script 20000 1 >p2.txt && script 300 1 >short.txt

# UPnP: a game while a second host gets the router's pick of port; listed on the LAN, not outside.
router_game UPnP upnp yes --name Alice
whole_game upnp 10.77.0.1:27455 --code "$(code_of lan1)"
start_host lan2 && bob=$host_pid  # by the name of the user running it
expect lan2.err 'Your router opened UDP port'
bob_port=$(sed -nE 's/^.*Your router opened UDP port ([0-9]+) by UPnP.*/\1/p' lan2.err)
[ -n "$bob_port" ] && [ "$bob_port" != 27455 ] && dnat_to 192.168.77.11 ||
    fail "the second host's port: '$bob_port'"
[ "$(replies wan 10.77.0.1 3)" = 0 ] || fail "a stranger outside was told of the game"
on lan3 "$bin/spinvale-sim" --list >list.out 2>list.err
user=$(getent passwd "$(id -u)" | cut -d: -f5 | cut -d, -f1)
for game in "192.168.77.10:27455 Alice" "192.168.77.11:27455 ${user:-$(id -un)}"; do
    grep -qx "$game" list.out || fail "$game not listed: $(cat list.out)"
done
times+="the search sent $(sed -nE 's/.*the search sent ([0-9]+) bytes/\1/p' list.err) bytes; "
[ "$(replies lan3 192.168.77.10 1)" = 1 ] || fail "a query from the LAN drew no answer"
game_over upnp
# A router fallen silent (the mapping left to its lease): the host still stops, and says so.
on router nft add chain inet lab input '{ type filter hook input priority 0; }'
on router nft add rule inet lab input ip saddr 192.168.77.11 drop
stopped=$(now_us) && stop "$bob" || fail "the second host ended with status $?"
times+="stopping at a silent router $((($(now_us) - stopped) / 1000)) ms; "
expect lan2.err 'the router did not answer in time'

# The router's rules forbid the third computer a mapping: UPnP's refusal is named (NAT-PMP's
# never comes: this miniupnpd walks every port before it refuses, and is killed).
start_host lan3
expect lan3.err 'Your router refused (UPnP error 606, ActionNotAuthorized): it does not let this computer open ports.'
quit_host lan3 192.168.77.12
kill -KILL "$miniupnpd_pid" && wait "$miniupnpd_pid" 2>/dev/null
# What the router's silence and the killed miniupnpd left goes with them.
for chain in input miniupnpd {pre,post}routing_miniupnpd; do on router nft flush chain inet lab "$chain"; done

# NAT-PMP alone: a game on a 4 s lease, renewed twice and still held; the guest joins by invite.
router_game NAT-PMP natpmp no --test-lease 4
whole_game natpmp "$(invite_of lan1)"
wait_for 20 eval '[ "$(grep -c "192.168.77.10:27455 udp lifetime=4s" natpmp.log)" -ge 3 ]' &&
    dnat_to 192.168.77.10 || fail "the NAT-PMP mapping was not renewed: $(tail -3 natpmp.log)"
# A second host whose guest leaves: no one else can join, and the port is closed at once.
start_host lan2
expect lan2.err 'Invite: spinvale://10.77.0.1:'
sim wan short --script short.txt --join "$(invite_of lan2)"
expect lan2.err 'Player 2 left' && wait_for 5 eval '! dnat_to 192.168.77.11' ||
    fail "the port stays open with no one to join"
quit_host lan2 192.168.77.11
game_over natpmp

# No miniupnpd, the host's asks dropped: it gives up (the unit test says when); a LAN guest joins.
stop "$miniupnpd_pid"
on router nft add rule inet lab input ip saddr 192.168.77.10 drop
start_host lan1
expect lan1.err 'Your router did not open port 27455: players outside your network need UDP port 27455 forwarded to 192.168.77.10 (this computer); players on your network can join 192.168.77.10$' \
    "no router said after"
window lan3 join "$(code_of lan1)"  # the game found on the join page
expect window.err 'playing with player 1' && expect lan1.err 'player 2 joined from 192.168.77.12'
quit_host lan1 192.168.77.10
echo "measured: $times" >&2
finish
