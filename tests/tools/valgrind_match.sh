#!/usr/bin/env bash
# A whole 11-point computer game under valgrind's memcheck: no memory errors, no definite
# leaks.
bin=$1
source "$(dirname "$0")/../harness.sh"
"$bin/spinvale-settings" write cpu.dat --player1 computer --player2 computer >/dev/null
valgrind --quiet --error-exitcode=3 --leak-check=full --errors-for-leak-kinds=definite \
    "$bin/spinvale-sim" --settings cpu.dat >/dev/null || fail "memcheck: status $?"
finish
