#!/usr/bin/env bash
# Ten minutes of the real game under Xvfb with the computer on both sides, F1 every 5 s and
# random pointer moves, clicks and arrow keys in between; then Esc must end it with status
# 0, and its resident memory may have grown by less than 5 % since the first minute (a
# leak per fullscreen toggle would show here). Run by hand, not in CI:
#   tests/soak/windowed_soak.sh build/bin [SECONDS]
source "$(dirname "$0")/../e2e/lib.sh"
duration=${1:-600}
game_watchdog=$((duration + 120))

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$game_pid/status"; }

write_settings --player1 computer --player2 computer
start_game soak.txt --no-dialogs
wait_game_window
start=$SECONDS
next_toggle=$((start + 5))
toggles=0
rss_first_minute= rss_steady=
while [ $((SECONDS - start)) -lt "$duration" ] && kill -0 "$game_pid" 2>/dev/null; do
    if [ "$SECONDS" -ge "$next_toggle" ]; then
        # Memory is read with a window that has run for seconds: during a switch the old
        # window's buffers are gone and the new one's not yet made.
        rss_steady=$(rss_kb)
        if [ -z "$rss_first_minute" ] && [ $((SECONDS - start)) -ge 60 ]; then
            rss_first_minute=$rss_steady
        fi
        old=$game_window
        press F1
        wait_game_window "$old" && toggles=$((toggles + 1))
        next_toggle=$((next_toggle + 5))
    fi
    pointer_to $((1 + RANDOM % 1024)) $((1 + RANDOM % 768))
    case $((RANDOM % 3)) in
        0) click ;;
        1) press "$(printf '%s\n' Left Right Up Down | shuf -n 1)" ;;
    esac
    sleep 0.2
done
echo "ran $((SECONDS - start)) s, $(traced_frames soak.txt) frames, $toggles fullscreen toggles"
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "Esc after the soak: exit status $game_status"
echo "resident memory: ${rss_first_minute:-?} kB after the first minute, ${rss_steady:-?} kB at the end"
if [ -n "$rss_first_minute" ] && [ -n "$rss_steady" ]; then
    growth=$(( (rss_steady - rss_first_minute) * 1000 / rss_first_minute ))
    [ "$growth" -lt 50 ] || fail "resident memory grew by $((growth / 10)).$((growth % 10)) %, 5 % or more"
fi
finish
