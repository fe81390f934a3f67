#!/usr/bin/env bash
# spinvale-settings as a user runs it: show, write, keep what is not named, refuse bad values.
bin=$1
source "$(dirname "$0")/../harness.sh"
field() { grep -E "^  $1 " out.txt | awk '{print $2}'; }

settings() { expect_status "$1" "$bin/spinvale-settings" "${@:2}"; }

settings 2 frobnicate
settings 1 show missing.dat
grep -q 'missing.dat' err.txt || fail "names the missing file"

# Without a file name write makes the user's own file, and show shows the one the game reads:
# the working directory's first, then the user's.
export XDG_CONFIG_HOME=$work/config
settings 0 write --points 21
[ "$(stat -c %s config/spinvale/settings.dat)" -eq 112 ] || fail "112-byte record in the XDG folder"
settings 0 show
[ "$(head -1 out.txt) $(field pointsPerGame) $(field aiSkill)" = "$work/config/spinvale/settings.dat 21 0.7" ] || fail "show the user's file, in plain decimals: $(cat out.txt)"
settings 0 write settings.dat
settings 0 show
[ "$(head -1 out.txt) $(field pointsPerGame)" = "settings.dat 11" ] || fail "the working directory's file comes first"
XDG_CONFIG_HOME= HOME=$work/home settings 0 write --points 21
[ -f home/.config/spinvale/settings.dat ] || fail "~/.config/spinvale when XDG_CONFIG_HOME is empty"

# Changes keep all not named, the bytes the game never reads (reserved, gaps) included.
head -c 112 /dev/urandom >s.dat
reserved=$(od -An -tx1 -j16 -N8 s.dat)
settings 0 write s.dat --camera 10,250.5,-3 --screen 1280x720
settings 0 write s.dat --points 21 --player1 computer --player2=keyboard --ai-skill 1 --spin -4.5 --simple-graphics 1
settings 0 show s.dat
for expected in pointsPerGame=21 player1Mouse=0 player2Keyboard=1 cameraY=250.5 screenWidth=1280 spinFactor=-4.5 simpleGraphics=1; do
    [ "$(field "${expected%=*}")" = "${expected#*=}" ] || fail "$expected: $(cat out.txt)"
done
[ "$(od -An -tx1 -j16 -N8 s.dat)" = "$reserved" ] || fail "reserved bytes kept"

# The menu's window and sound choices after the record (windowed, silent, 2 samples) survive a
# rewrite; a value the game does not offer is shown replaced.
{ cat s.dat; printf 'SPVd\0\0\0\0\0\0\0\0\2\0\0\0'; } >d.dat
tail -c 16 d.dat >choices.before
settings 0 write d.dat --points 11
tail -c 16 d.dat | cmp -s - choices.before || fail "the menu's choices kept"
settings 0 show d.dat
[ "$(field fullscreen) $(field sound) $(field samples)" = "0 0 2" ] || fail "choices shown: $(cat out.txt)"
printf '\5' | dd of=d.dat bs=1 seek=124 conv=notrunc 2>/dev/null
settings 0 show d.dat
[ "$(field samples)" = -1 ] && grep -q 'd.dat: samples 5 is not' err.txt || fail "bad samples: $(cat err.txt)"

# Settings under which games were found never to end are written, with a warning.
settings 0 write w.dat --game-speed 5.5 --gravity 7
grep -q 'warning: w.dat: at game speed 5.5 with gravity 7 .*never end' err.txt || fail "endless warning: $(cat err.txt)"
settings 0 write w.dat --game-speed 14 --gravity 12
[ ! -s err.txt ] || fail "no warning for the shipped values: $(cat err.txt)"

# Every range taken to its ends; one step past either end is refused, the file left alone.
settings 0 write e.dat --game-speed 0 --gravity 100 --ai-skill 0 --ai-speed 1000 --spin -1000 --screen 16384x1 --camera -10000,10000,0
settings 0 write e.dat --game-speed 100 --gravity 0 --ai-skill 1 --ai-speed 0 --spin 1000 --screen 1x16384
cp s.dat before.dat
for bad in "--points 12" "--player1 keyboard" "--player2 mouse" "--game-speed -0.1" "--game-speed nan" "--game-speed 100.1" \
    "--gravity inf" "--gravity 100.1" "--gravity -0.1" "--ai-skill 1.01" "--ai-skill -0.01" "--ai-speed x" "--ai-speed 1000.1" \
    "--ai-speed -0.1" "--screen 0x768" "--screen 16385x768" "--screen 800x16385" "--screen 800x0" "--screen 800" "--camera 1,2" \
    "--camera 0,10000.1,0" "--camera -10000.1,0,0" "--simple-graphics 2" "--spin 1000.1" "--spin -1000.1" "--volume 3" \
    "--points" "--ai-skill 0.5 --points 12"; do  # a later bad value keeps earlier good ones out too
    # shellcheck disable=SC2086
    settings 2 write s.dat $bad
    cmp -s s.dat before.dat || fail "file changed by: $bad"
done

# A place that cannot be written (a "folder" that is a file, stopping root too): status 1.
cp before.dat notafolder
settings 1 write notafolder/settings.dat --points 21
cmp -s notafolder before.dat || fail "a file in the way was changed"

finish
