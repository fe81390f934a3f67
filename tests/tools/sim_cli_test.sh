#!/usr/bin/env bash
# spinvale-sim as a user runs it: options, summary, scripts, stop rules. What it traces, to the
# byte from the first update to the last of --max-frames: golden_traces.sh.
bin=$1
source "$(dirname "$0")/../harness.sh"

"$bin/spinvale-settings" write cpu.dat --player1 computer --player2 computer

expect_status 0 "$bin/spinvale-sim" --version
grep -q '^spinvale-sim [0-9]' out.txt || fail "--version prints the version"
expect_status 2 "$bin/spinvale-sim" --script no-such-file

# A whole computer game ends at its first won update, with a legal result.
expect_status 0 "$bin/spinvale-sim" --settings cpu.dat
grep -Eq '^frames=[0-9]+ score=[0-9]+-[0-9]+ state=2[01] winner=[12]$' out.txt || fail "summary line: $(cat out.txt)"

# Missing settings: the built-in ones, with a warning.
expect_status 0 "$bin/spinvale-sim" --settings none.dat --max-frames 10
grep -q 'none.dat' err.txt || fail "warning names the missing file"

# Scripts: comments and blank lines skipped; Esc stops after its update.
printf '# header\n\n16 0 0 -\n16 0 0 - 27\n16 0 0 -\n' >esc.txt
expect_status 0 "$bin/spinvale-sim" --settings cpu.dat --script esc.txt --trace
[ "$(wc -l <out.txt)" -eq 3 ] || fail "Esc ends the run after its own update"
tail -1 out.txt | grep -q '"requests":\["quit"\]}$' || fail "quit request traced"

# A drill: the coach's word on stderr, a recording replaying to its trace, a script for player 1.
expect_status 0 "$bin/spinvale-sim" --settings cpu.dat --practice returns --target left --max-frames 7000 --trace --record drill.txt
grep -Eq '^spinvale-sim: practice: (in|off target): no swing' err.txt || fail "the word: $(head -1 err.txt)"
mv out.txt drill-trace.txt
expect_status 0 "$bin/spinvale-sim" --script drill.txt --trace
cmp -s out.txt drill-trace.txt || fail "the drill's recording replays to another trace"
printf '16 512 500 -\n%.0s' {1..300} >still.txt
expect_status 0 "$bin/spinvale-sim" --settings cpu.dat --practice rally --script still.txt
grep -q '^frames=300 score=0-0 ' out.txt || fail "the script's 300 commands: $(cat out.txt)"
for bad in "--practice sideways" "--target left" "--practice rally --target up"; do
    # shellcheck disable=SC2086
    expect_status 2 "$bin/spinvale-sim" $bad
done

# A malformed line stops the run naming its line, never a crash.
printf '16 0 0 -\n16 0 0 -\n16 0 zero -\n' >bad.txt
for practice in "" "--practice returns"; do
    # shellcheck disable=SC2086
    expect_status 2 "$bin/spinvale-sim" --settings cpu.dat --script bad.txt $practice
    grep -q 'bad.txt:3:' err.txt || fail "error names line 3: $(cat err.txt)"
done

finish
