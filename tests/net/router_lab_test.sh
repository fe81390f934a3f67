#!/usr/bin/env bash
# A home network built of Linux network namespaces: hosts on a LAN behind a router that
# masquerades it onto its WAN address with nftables and runs miniupnpd (started here with its
# own configuration, never as a service), a third computer on the LAN, and a guest outside.
# The hosts' mappings with UPnP, with NAT-PMP alone and with no miniupnpd; the games listed on
# the LAN; what strangers send. Private addresses only, in namespaces made and removed here.
bin=$(cd "$1" && pwd)
if [ "$(id -u)" -ne 0 ]; then
    sudo -n true 2>/dev/null && exec sudo -n "$0" "$@"
    echo "SKIPPED: the router lab builds network namespaces: it needs root or password-less sudo"
    exit 77
fi
for tool in ip nft /usr/sbin/miniupnpd python3; do
    command -v "$tool" >/dev/null || { echo "FAIL: no $tool: run scripts/install-deps test"; exit 1; }
done
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../harness.sh"
probe=$bin/router_probe
ns=sv$$
names=(router lan1 lan2 lan3 wan)
pids=()
# Whatever happens: every process this script started, and any still inside its namespaces,
# ended by its pid; then the namespaces (and their links) removed.
on_exit() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for n in "${names[@]}"; do
        for p in $(ip netns pids "$ns-$n" 2>/dev/null); do kill -KILL "$p"; done
        ip netns del "$ns-$n" 2>/dev/null
    done
}
on() { # NAMESPACE COMMAND...
    local n=$1
    shift
    ip netns exec "$ns-$n" "$@"
}


# The router: a bridge for the LAN (192.168.77.0/24), the WAN (10.77.0.0/24), forwarding
# from the LAN out and back, the LAN masqueraded, and the chains miniupnpd fills.
build_lab() {
    for n in "${names[@]}"; do
        ip netns add "$ns-$n" && on "$n" ip link set lo up || return 1
    done
    on router ip link add br0 type bridge
    on router ip addr add 192.168.77.1/24 dev br0
    on router ip link set br0 up
    local address=10
    for n in lan1 lan2 lan3; do
        ip link add eth0 netns "$ns-$n" type veth peer name "$n" netns "$ns-router"
        on router ip link set "$n" master br0 up
        on "$n" ip addr add "192.168.77.$address/24" dev eth0
        on "$n" ip link set eth0 up
        on "$n" ip route add default via 192.168.77.1
        address=$((address + 1))
    done
    ip link add eth0 netns "$ns-wan" type veth peer name wan netns "$ns-router"
    on router ip addr add 10.77.0.1/24 dev wan
    on router ip link set wan up
    on wan ip addr add 10.77.0.2/24 dev eth0
    on wan ip link set eth0 up
    on router sysctl -qw net.ipv4.ip_forward=1
    # The LAN is one bridge: its hosts talk past the router's firewall, as on a home router,
    # whatever this machine's bridge filtering does elsewhere.
    on router sysctl -qw net.bridge.bridge-nf-call-iptables=0 2>/dev/null
    on router nft -f - <<'NFT'
table inet lab {
    chain forward {
        type filter hook forward priority 0; policy drop;
        ct state established,related accept
        iifname "br0" oifname "wan" accept
        jump miniupnpd
    }
    chain miniupnpd {}
    chain prerouting { type nat hook prerouting priority -100; jump prerouting_miniupnpd; }
    chain prerouting_miniupnpd {}
    chain postrouting {
        type nat hook postrouting priority 100;
        jump postrouting_miniupnpd
        oifname "wan" masquerade
    }
    chain postrouting_miniupnpd {}
}
NFT
}

# miniupnpd refuses to map behind a private WAN address unless a STUN server tells it the
# address is reachable as it is: the lab's internet has one, which echoes the sender's
# address. Started directly in the background, as every process here, so that $! is its pid.
start_stun() {
    cat >stun.py <<'PY'
import socket, struct
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("10.77.0.2", 3478))
while True:  # until the timeout that runs it
    data, (ip, port) = s.recvfrom(2048)
    if len(data) >= 20 and data[:2] == b"\x00\x01":
        mapped = struct.pack("!HHBBH4s", 1, 8, 0, 1, port, socket.inet_aton(ip))
        s.sendto(b"\x01\x01" + struct.pack("!H", len(mapped)) + data[4:20] + mapped, (ip, port))
PY
    ip netns exec "$ns-wan" timeout 300 python3 stun.py &
    pids+=($!)
}

start_miniupnpd() { # NAME UPNP(yes|no)
    cat >"$1.conf" <<CONF
ext_ifname=wan
listening_ip=br0
enable_upnp=$2
enable_natpmp=yes
secure_mode=yes
ext_perform_stun=yes
ext_stun_host=10.77.0.2
upnp_table_name=lab
upnp_nat_table_name=lab
uuid=8d5b7c1e-3a44-4f0c-9e51-5b1d2c7a0f31
deny 0-65535 192.168.77.12/32 0-65535
allow 1024-65535 192.168.77.0/24 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
CONF
    : >"$1.log"
    ip netns exec "$ns-router" /usr/sbin/miniupnpd -f "$PWD/$1.conf" -d -P "$PWD/$1.pid" >"$1.log" 2>&1 &
    miniupnpd_pid=$! && pids+=($!)
    wait_for 15 grep -q 'Port forwarding is now enabled' "$1.log" &&
        wait_for 5 grep -q 'Listening for NAT-PMP' "$1.log" ||
        fail "miniupnpd $1 did not start: $(tail -5 "$1.log")"
}

stop() { # PID: its exit status
    kill -TERM "$1" 2>/dev/null
    wait "$1"
}

start_host() { # NAMESPACE NAME [LEASE]: the host's lines in NAMESPACE.out
    : >"$1.out"  # there before the first look at it
    ip netns exec "$ns-$1" timeout 120 "$probe" host "$2" 27455 ${3:-} >"$1.out" 2>&1 &
    pids+=($!)
    host_pid=$!
}

mapped_ms() { # NAMESPACE WAY: when the host there said it was mapped
    sed -nE "s/^mapped way=$2 .* at=([0-9]+)ms$/\1/p" "$1.out"
}

# Outputs are read whole before they are searched: a search that stops at the first match
# would end the writer with SIGPIPE, and pipefail would count that as a miss.
dnat_to() { # ADDRESS: the router's ruleset forwards UDP 27455 of the WAN to it
    on router nft list ruleset >ruleset.txt && grep -q "dnat ip to $1:27455" ruleset.txt
}

says() { # TEXT NAMESPACE PROBE-ARGUMENT...: the probe there says a line starting with TEXT
    local text=$1 n=$2
    shift 2
    on "$n" "$probe" "$@" >said.txt 2>&1
    grep -q "^$text" said.txt
}

quit_host() { # PID NAMESPACE ADDRESS: SIGTERM; the host ends well and its mapping is gone
    stop "$1" || fail "$2 ended with status $?: $(tail -3 "$2.out")"
    grep -q '^stopped removed=1' "$2.out" || fail "$2 did not remove its mapping: $(cat "$2.out")"
    ! dnat_to "$3" || fail "$2's mapping is still in the router's ruleset"
}

ip netns add "$ns-probe" 2>/dev/null && ip netns del "$ns-probe" || {
    echo "SKIPPED: network namespaces cannot be made here"
    exit 77
}
build_lab || { fail "the lab could not be built"; finish; }
start_stun

# UPnP: the host gets its own port, the guest outside reaches it through the router, and a
# stranger outside is not told about it; a second host finds the port held and takes the
# router's choice.
start_miniupnpd upnp yes
start_host lan1 Alice
alice=$host_pid
wait_for 10 grep -q '^mapped way=UPnP .* external=10.77.0.1:27455 ' lan1.out ||
    fail "no UPnP mapping: $(cat lan1.out)"
upnp_ms=$(mapped_ms lan1 UPnP)
dnat_to 192.168.77.10 || fail "the mapping is not in the router's ruleset"
says connected wan join 10.77.0.1 27455 || fail "the guest outside did not reach the host"
wait_for 3 grep -q '^connected from 10.77.0.2' lan1.out || fail "the host saw no guest: $(cat lan1.out)"
says 'replies 0' wan send 10.77.0.1 27455 3 query || fail "a stranger outside was told of the game"
start_host lan2 ""  # the name of the user running it
bob=$host_pid
wait_for 10 grep -q '^mapped way=UPnP' lan2.out || fail "no second mapping: $(cat lan2.out)"
bob_port=$(sed -nE 's/^mapped .* external=10\.77\.0\.1:([0-9]+) .*/\1/p' lan2.out)
[ -n "$bob_port" ] && [ "$bob_port" != 27455 ] || fail "the second host's port: '$bob_port'"
says connected wan join 10.77.0.1 "$bob_port" || fail "the guest did not reach the second host"

# The games on this network, found by the third computer; a flood of queries draws a reply
# or two, garbage none, and the hosts go on answering.
on lan3 "$probe" list 27455 >list.out
user=$(getent passwd "$(id -u)" | cut -d: -f5 | cut -d, -f1)
for game in "192.168.77.10:27455 'Alice'" "192.168.77.11:27455 '${user:-$(id -un)}'"; do
    grep -q "^game $game" list.out || fail "$game not listed: $(cat list.out)"
done
discovery_bytes=$(sed -nE 's/^sent ([0-9]+) bytes.*/\1/p' list.out)
replies=$(on lan3 "$probe" send 192.168.77.10 27455 50 query | sed -nE 's/^replies ([0-9]+).*/\1/p')
[ "${replies:-99}" -le 2 ] || fail "a flood of 50 queries drew $replies replies"
says 'replies 0' lan3 send 192.168.77.10 27455 20 'GET / HTTP/1.0' || fail "garbage was answered"
[ "$(on lan3 "$probe" list 27455 | grep -c '^game ')" -eq 2 ] || fail "the hosts stopped answering"
quit_host "$alice" lan1 192.168.77.10
# A router fallen silent (its mapping left to its lease): stopping does not wait for the
# seconds miniupnpc would.
on router nft add chain inet lab input '{ type filter hook input priority 0; }'
on router nft add rule inet lab input ip saddr 192.168.77.11 drop
stop "$bob" || fail "the second host ended with status $?"
took=$(sed -nE 's/^stopped removed=0 took=([0-9]+)ms.*/\1/p' lan2.out)
[ "${took:-9999}" -le 2500 ] || fail "stopping against a silent router: $(tail -1 lan2.out)"

# The router's rules forbid the third computer a mapping: UPnP's refusal is named, though
# NAT-PMP is still being asked when the host gives up (this miniupnpd walks every port before
# it refuses, and is killed rather than waited for).
start_host lan3 Carol
wait_for 10 grep -q '^not-mapped way=UPnP .* refusal=2 code=606 name=ActionNotAuthorized ' lan3.out ||
    fail "the refusal is not named: $(cat lan3.out)"
quit_host "$host_pid" lan3 192.168.77.12
kill -KILL "$miniupnpd_pid"
wait "$miniupnpd_pid" 2>/dev/null

# NAT-PMP alone, on a lease of 4 seconds: still held after 6, so renewed; gone after SIGTERM.
start_miniupnpd natpmp no
start_host lan1 Alice 4
wait_for 10 grep -q '^mapped way=NAT-PMP .* external=10.77.0.1:27455 ' lan1.out ||
    fail "no NAT-PMP mapping: $(cat lan1.out)"
natpmp_ms=$(mapped_ms lan1 NAT-PMP)
says connected wan join 10.77.0.1 27455 || fail "the guest did not reach the host by NAT-PMP"
sleep 6
dnat_to 192.168.77.10 || fail "the NAT-PMP mapping was not renewed"
quit_host "$host_pid" lan1 192.168.77.10

# No miniupnpd, and a router that drops what the host sends it rather than refuse it: the
# host says so within 3 seconds; a guest on the LAN still joins.
stop "$miniupnpd_pid"
on router nft add rule inet lab input ip saddr 192.168.77.10 drop
start_host lan1 Alice
wait_for 10 grep -q '^not-mapped way= ' lan1.out || fail "no word of the missing router: $(cat lan1.out)"
given_up=$(sed -nE 's/^not-mapped .* at=([0-9]+)ms$/\1/p' lan1.out)
[ "${given_up:-9999}" -le 3500 ] || fail "the host said so after $given_up ms"
says connected lan3 join 192.168.77.10 27455 || fail "the guest on the LAN did not join"
quit_host "$host_pid" lan1 192.168.77.10

echo "mapped after: UPnP $upnp_ms ms, NAT-PMP $natpmp_ms ms; no router said after $given_up ms;" \
    "stopping at a silent router: $took ms; the search sent $discovery_bytes bytes"
finish
