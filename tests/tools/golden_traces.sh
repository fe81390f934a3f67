#!/usr/bin/env bash
# Sixteen matches replayed by spinvale-sim, each trace against its first recording's hash: any
# change to the match's arithmetic, order of steps, random draws or trace format shows here.
# Usage: golden_traces.sh BIN_DIR [--print]   (--print: show the hashes instead of checking)
bin=$1 print=${2:-}
source "$(dirname "$0")/../harness.sh"

# Scripts from formulas, no recording kept: irregular frame times, a pointer sweeping the
# screen, clicks, arrows, Enter, F1, Esc at the end; 24 to 32 ms frames from x * 69069 + 1
# (exact in any awk), under which a rally at speed 40, gravity 30 stalls at 2-1 (a let). Two
# humans by the clock: "serves" swings 66 - (5k mod 17) updates after each toss in cycle k;
# "returns" clicks every 149 updates, Enter every 151, ending long rallies mid-swing. Taps of
# the pointer and arrows turn each paddle both ways.
script() {
    awk -v n="$1" -v kind="$2" 'BEGIN {
        r = 7
        for (i = 0; i < n; ++i) {
            r = (r * 69069 + 1) % 4294967296
            ms = kind == "stall" ? 24 + int(r / 65536) % 9 : kind == "jitter" ? (i * 37) % 101 : kind == "heavy" ? 24 + (i * 5) % 9 : 10 + (i * 7) % 15
            x = int(512 + 480 * sin(i / 37)); y = int(384 + 360 * sin(i / 53))
            b = i % 90 == 0 ? "1" : i % 90 == 5 ? "0" : "-"
            a = int(i / 40) % 6; arrows = a < 2 ? " 37" : a == 3 ? " 39 38" : a == 4 ? " 40" : ""
            keys = kind == "keys" || kind == "both" ? arrows (i % 70 ? "" : " 13") : ""
            if (kind == "both") keys = keys (i == 2000 || i == 4000 ? " 112" : "") (i == n - 1 ? " 27" : "")
            if (kind == "jitter" || kind == "heavy" || kind == "stall") { x = 0; y = 0; b = "-" }
            if (kind == "serves" || kind == "returns") {
                serves = kind == "serves"; cycle = serves ? 300 : 200; c = i % cycle; t = int(i / cycle) % 2
                d = 66 - int(i / 300) * 5 % 17
                press = serves ? c == 0 || c == d : i % 149 == 0
                b = press ? "1" : (serves ? c == 1 || c == d + 1 : i % 149 == 1) ? "0" : "-"
                enter = serves ? press : i % 151 == 0
                ms = i ? 16 : 25; x = c == 2 ? 512 + (t ? -2 : 2) : 512; y = 600
                keys = (enter ? " 13" : "") (i ? "" : " 39") (c == 2 ? (t ? " 37" : " 39") : c == 3 ? (t ? " 39" : " 37") : "")
            }
            print ms, x, y, b keys
        }
    }' >"$3"
}
for s in 6000:mouse 6000:keys 6000:both 20000:jitter 30000:heavy 30000:stall 8000:serves 12000:returns; do
    script "${s%:*}" "${s#*:}" "${s#*:}.txt"
done

# run NAME HASH SETTINGS SIM-OPTIONS...: two computers unless SETTINGS (spinvale-settings'
# options, the later of two winning) says otherwise.
run() {
    local name=$1 want=$2 settings=$3 got
    shift 3
    # shellcheck disable=SC2086
    "$bin/spinvale-settings" write "$name.dat" --player1 computer --player2 computer $settings \
        >/dev/null 2>&1 || exit 1
    got=$("$bin/spinvale-sim" --settings "$name.dat" "$@" --trace 2>/dev/null | sha256sum | cut -c1-16)
    [ -n "$print" ] && echo "$name $got" && return
    [ "$got" = "$want" ] || fail "$name: trace hash $got, expected $want"
}
run cpu-16ms           89efe49cc7e1651b "" --frame-ms 16
run cpu21-33ms-seed7   89c635b0f938a781 "--points 21" --frame-ms 33 --seed 7
run cpu-1ms            075d21f0b0caa2c4 "" --frame-ms 1 --max-frames 40000
run cpu-100ms          b63e0b82989ac36c "" --frame-ms 100
run weak-17ms          c65dcce0a95801f5 "--ai-skill 0.2 --ai-speed 15" --frame-ms 17 --seed 3
run cpu-jitter         659fff9387853575 "" --script jitter.txt
run mouse-player       6d30a11cdc82eb1e "--player1 mouse" --script mouse.txt
run keyboard-player    910044b1538ddf89 "--player2 keyboard" --script keys.txt
run both-f1-esc        7608ed35b3b40cae "--player1 mouse --player2 keyboard --spin 40" --script both.txt
run serve-twice        aea19bb0c234f50c "--game-speed 2" --max-frames 30000
run crawl              721cde89ebde7c94 "--game-speed 6 --gravity 5" --max-frames 30000 --frame-ms 20
run serve-long         de4ccb1e81f39747 "--game-speed 14 --gravity 3" --max-frames 20000
run fast-heavy         2b4780ccc5cf4916 "--game-speed 40 --gravity 30" --script heavy.txt
run stall-let          d460b9368ece872f "--game-speed 40 --gravity 30" --script stall.txt
run serve-angles       7bffeb5760dfea16 "--player1 mouse --player2 keyboard" --script serves.txt
run return-angles      018676730c87eedd "--player1 mouse --player2 keyboard" --script returns.txt
[ -n "$print" ] || finish
