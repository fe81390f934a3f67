# shellcheck shell=bash
# The end-to-end tests' shared part: the real game on a private Xvfb, driven by xdotool, its
# trace read. Found by trying: with no window manager focus follows the pointer (each new game
# window gets windowfocus), and fullscreen and windowed windows look alike (a switch shows as a
# new window, a failed one as its message). xdotool's key and click are taps down for one
# update; no auto-repeat (-r). SDL's pointer follows only real motion: a warp is followed by a
# relative move. SDL's message box has a UTF-8 title "xdotool search --name" cannot match.
set -uo pipefail

bin=$(cd "$1" && pwd)
shift

# Everything below runs in a fresh 1024x768 X server. Another run may win the race for a
# display number: the run inside removes the marker once its display answers, else retry.
if [ -z "${SPINVALE_E2E_DISPLAY:-}" ]; then
    marker=$(mktemp)
    for _ in 1 2 3; do
        SPINVALE_E2E_DISPLAY=$marker xvfb-run -a -n $((100 + RANDOM % 800)) \
            -s "-screen 0 1024x768x24 -r -noreset" "$0" "$bin" "$@"
        status=$?
        [ -e "$marker" ] || exit "$status"
        echo "the X server did not answer; trying another"
    done
    rm -f "$marker" && echo "FAIL: no X server could be started" && exit 1
fi
xdotool getdisplaygeometry >/dev/null 2>&1 || exit 1
rm -f "$SPINVALE_E2E_DISPLAY"

# No leak checks in a sanitizer build: the X, GL and D-Bus libraries keep memory past exit.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
game_pid="" watchdog=""
# The game is ended by its own id; its watchdog then ends by itself, and is waited for.
on_exit() {
    [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
    [ -n "$watchdog" ] && wait "$watchdog"
}

settings_to() { "$bin/spinvale-settings" write "$@" >/dev/null || fail "settings: $*"; }
write_settings() { settings_to settings.dat "$@"; }

# start_game TRACE OPTION...: the game in the background tracing to TRACE, with a terminal's
# SIGINT (a script's background job ignores it) and a watchdog killing it after 180 s. On a
# loaded machine a fresh X server is not always reached at once: a failed video start retries.
start_game() {
    game_trace=$1
    shift
    local try
    for try in 1 2 3; do
        rm -f "$game_trace"
        env --default-signal=INT "$bin/spinvale" --trace "$game_trace" "$@" >game.out 2>game.err &
        game_pid=$!
        { timeout 180 tail --pid="$game_pid" -f /dev/null || kill -KILL "$game_pid"; } >/dev/null 2>&1 &
        watchdog=$!
        wait_for 5 started_or_ended
        kill -0 "$game_pid" 2>/dev/null && return
        grep -q 'the video system did not start' game.err || return
        end_game
        echo "the game could not reach the X server (try $try): $(tail -1 game.err)"
    done
}
started_or_ended() { [ -s "$game_trace" ] || ! kill -0 "$game_pid" 2>/dev/null; }

# end_game: waits for the game and its watchdog, status in game_status; ended_well WHAT: 0.
end_game() {
    wait "$game_pid"
    game_status=$? game_pid=
    [ -z "$watchdog" ] || wait "$watchdog"
    watchdog=
}
ended_well() {
    end_game
    [ "$game_status" -eq 0 ] || fail "$1: exit status $game_status: $(cat game.err)"
}

# The visible window with exactly this name, if there is one.
window_named() {
    local w
    for w in $(xdotool search --onlyvisible --classname '.*' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && echo "$w" && return 0
    done
    return 1
}

new_game_window() { game_window=$(window_named Spinvale) && [ "$game_window" != "${1:-}" ]; }

# wait_game_window [OLD_ID]: waits for the game's (new) window, in game_window, focused.
wait_game_window() {
    wait_for 30 new_game_window "${1:-}" || { fail "no new game window (after ${1:-none})"; return 1; }
    xdotool windowfocus "$game_window" 2>/dev/null
}
# play_game TRACE OPTION...: start_game, then wait_game_window; new_window KEY: KEY makes one.
play_game() { start_game "$@"; wait_game_window; }
new_window() { press "$1" && wait_game_window "$game_window"; }

window_size() { xdotool getwindowgeometry "$game_window" 2>/dev/null | sed -n 's/.*Geometry: //p'; }
press() { xdotool key "$1"; }
click() { xdotool click 1; }

pointer_to() { xdotool mousemove $(($1 - 1)) $(($2 - 1)) mousemove_relative 1 1; }
traced_frames() { [ -f "$1" ] && echo $(($(wc -l <"$1") - 1)) || echo -1; }
has_frames() { [ "$(traced_frames "$1")" -ge "$2" ]; }

# wait_updates N: until the game has run N more updates.
wait_updates() {
    local frames=$(($(traced_frames "$game_trace") + $1))
    wait_for 60 has_frames "$game_trace" "$frames" || fail "the game stopped before frame $frames"
}

# traced PATTERN: a line of the game's trace matches; last_traced PATTERN: its last line does.
traced() { grep -q "$1" "$game_trace"; }
last_traced() { tail -1 "$game_trace" | grep -q "$1"; }

# The value of a field of the match record in a trace line.
field() { sed -E "s/.*\"$1\":(-?[0-9.e+-]+).*/\1/" <<<"$2"; }
