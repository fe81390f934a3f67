#!/usr/bin/env bash
# with_x_server.sh COMMAND...: runs COMMAND on a private Xvfb that picks a free display itself
# and names it once it answers, so runs side by side never race; no server, no run, and why.
set -uo pipefail
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server"; rm -rf "$work"' EXIT
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/server.log" 2>&1 &
server=$!
# A safety net only: the server names its display as soon as it is up.
if ! read -r -t 120 number <"$work/display" || [ -z "$number" ]; then
    echo "FAIL: no X server could be started for $*: $(tail -3 "$work/server.log")"
    exit 1
fi
DISPLAY=:$number SDL_VIDEODRIVER=x11 "$@"
