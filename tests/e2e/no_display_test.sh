#!/usr/bin/env bash
# Without any display the game says so and ends with a failure status: no crash, no hang,
# and no game played unseen on a driver that draws nowhere.
bin=$1
source "$(dirname "$0")/../harness.sh"

for dialogs in --no-dialogs ""; do
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 \
        "$bin/spinvale" $dialogs --frames 5 >out.txt 2>err.txt
    status=$?
    [ "$status" -eq 255 ] || fail "'$dialogs': exit status $status, expected 255"
    grep -q 'no display' err.txt || fail "'$dialogs': the reason on stderr: $(cat err.txt)"
    grep -q 'Error Registering Window Class!' err.txt || fail "'$dialogs': the message"
done

finish
