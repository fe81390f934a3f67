#!/usr/bin/env bash
# spinvale-settings as a user runs it: show, write, keep what is not named, refuse bad values.
bin=$1
source "$(dirname "$0")/../harness.sh"
field() { grep -E "^  $1 " out.txt | awk '{print $2}'; }

expect_status 2 "$bin/spinvale-settings" frobnicate
expect_status 1 "$bin/spinvale-settings" show missing.dat
grep -q 'missing.dat' err.txt || fail "names the missing file"

# Without a file name, write makes the user's own file with the built-in settings, and show
# shows the file the game reads: the working directory's first, then the user's.
export XDG_CONFIG_HOME=$work/config
expect_status 0 "$bin/spinvale-settings" write --points 21
[ "$(stat -c %s config/spinvale/settings.dat)" -eq 112 ] || fail "112-byte record in the XDG folder"
expect_status 0 "$bin/spinvale-settings" show
[ "$(head -1 out.txt) $(field pointsPerGame) $(field aiSkill)" = "$work/config/spinvale/settings.dat 21 0.7" ] ||
    fail "show the user's file, in plain decimals: $(cat out.txt)"
expect_status 0 "$bin/spinvale-settings" write settings.dat
expect_status 0 "$bin/spinvale-settings" show
[ "$(head -1 out.txt) $(field pointsPerGame)" = "settings.dat 11" ] || fail "the working directory's file comes first"
XDG_CONFIG_HOME= HOME=$work/home expect_status 0 "$bin/spinvale-settings" write --points 21
[ -f home/.config/spinvale/settings.dat ] || fail "~/.config/spinvale when XDG_CONFIG_HOME is empty"

# Changes keep everything not named, the bytes the game never reads (reserved doubles,
# alignment gaps) included.
head -c 112 /dev/urandom >s.dat
reserved=$(od -An -tx1 -j16 -N8 s.dat)
expect_status 0 "$bin/spinvale-settings" write s.dat --camera 10,250.5,-3 --screen 1280x720
expect_status 0 "$bin/spinvale-settings" write s.dat --points 21 --player1 computer --player2=keyboard --ai-skill 1 --spin -4.5 --simple-graphics 1
expect_status 0 "$bin/spinvale-settings" show s.dat
for expected in pointsPerGame=21 player1Mouse=0 player2Keyboard=1 cameraY=250.5 screenWidth=1280 \
                spinFactor=-4.5 simpleGraphics=1; do
    [ "$(field "${expected%=*}")" = "${expected#*=}" ] || fail "$expected: $(cat out.txt)"
done
[ "$(od -An -tx1 -j16 -N8 s.dat)" = "$reserved" ] || fail "reserved bytes kept"

# The window and sound choices the game's menu keeps after the record survive a rewrite
# (here: windowed, silent, 2 samples); a value the game does not offer is shown replaced.
{ cat s.dat; printf 'SPVd\0\0\0\0\0\0\0\0\2\0\0\0'; } >d.dat
tail -c 16 d.dat >choices.before
expect_status 0 "$bin/spinvale-settings" write d.dat --points 11
tail -c 16 d.dat | cmp -s - choices.before || fail "the menu's choices kept"
expect_status 0 "$bin/spinvale-settings" show d.dat
[ "$(field fullscreen) $(field sound) $(field samples)" = "0 0 2" ] || fail "choices shown: $(cat out.txt)"
printf '\5' | dd of=d.dat bs=1 seek=124 conv=notrunc 2>/dev/null
expect_status 0 "$bin/spinvale-settings" show d.dat
[ "$(field samples)" = -1 ] && grep -q 'd.dat: samples 5 is not' err.txt || fail "bad samples: $(cat err.txt)"

# Settings under which games were found never to end are written, with a warning.
expect_status 0 "$bin/spinvale-settings" write w.dat --game-speed 5.5 --gravity 7
grep -q 'warning: w.dat: at game speed 5.5 with gravity 7 .*never end' err.txt || fail "endless warning: $(cat err.txt)"
expect_status 0 "$bin/spinvale-settings" write w.dat --game-speed 14 --gravity 12
[ ! -s err.txt ] || fail "no warning for the shipped values: $(cat err.txt)"

# Every range taken to its ends; one step past either end is refused and the file is left
# as it was.
expect_status 0 "$bin/spinvale-settings" write e.dat --game-speed 0 --gravity 100 --ai-skill 0 \
    --ai-speed 1000 --spin -1000 --screen 16384x1 --camera -10000,10000,0
expect_status 0 "$bin/spinvale-settings" write e.dat --game-speed 100 --gravity 0 --ai-skill 1 \
    --ai-speed 0 --spin 1000 --screen 1x16384
cp s.dat before.dat
for bad in "--points 12" "--player1 keyboard" "--player2 mouse" "--game-speed -0.1" "--game-speed nan" \
           "--game-speed 100.1" "--gravity inf" "--gravity 100.1" "--gravity -0.1" "--ai-skill 1.01" \
           "--ai-skill -0.01" "--ai-speed x" "--ai-speed 1000.1" "--ai-speed -0.1" "--screen 0x768" \
           "--screen 16385x768" "--screen 800x16385" "--screen 800x0" "--screen 800" "--camera 1,2" \
           "--camera 0,10000.1,0" "--camera -10000.1,0,0" "--simple-graphics 2" "--spin 1000.1" \
           "--spin -1000.1" "--volume 3" "--points" \
           "--ai-skill 0.5 --points 12"; do  # a later bad value keeps earlier good ones out too
    # shellcheck disable=SC2086
    expect_status 2 "$bin/spinvale-settings" write s.dat $bad
    cmp -s s.dat before.dat || fail "file changed by: $bad"
done

# A place that cannot be written (a "folder" that is a file, which stops root too): status 1,
# the old file untouched.
cp before.dat notafolder
expect_status 1 "$bin/spinvale-settings" write notafolder/settings.dat --points 21
cmp -s notafolder before.dat || fail "a file in the way was changed"

finish
