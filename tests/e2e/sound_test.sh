#!/usr/bin/env bash
# The game with sound on, through SDL's disk audio driver: the strokes of a computer game
# are heard, i.e. the captured output holds more than silence once a stroke was played.
source "$(dirname "$0")/lib.sh"

write_settings --player1 computer --player2 computer
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/capture.raw SDL_DISKAUDIODELAY=1

start_game sound.txt --no-dialogs --windowed
wait_game_window
struck() { grep -q '"sounds":\["sounds/paddle.wav"' sound.txt; }
wait_for 60 struck || fail "no stroke was played"
wait_updates 30
press Escape
end_game
[ "$game_status" -eq 0 ] || fail "exit status $game_status: $(cat game.err)"

# 16-bit samples: the loudest must stand well above silence.
peak=$(loudest_sample capture.raw)
[ "${peak:-0}" -gt 1000 ] || fail "the captured sound is silent (peak ${peak:-none})"

finish
