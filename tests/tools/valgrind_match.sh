#!/usr/bin/env bash
# A whole 11-point computer game under valgrind's memcheck: no memory errors, no definite
# leaks.
set -euo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/spinvale-settings" write "$work/cpu.dat" --player1 computer --player2 computer --points 11
valgrind --quiet --error-exitcode=3 --leak-check=full --errors-for-leak-kinds=definite \
    "$bin/spinvale-sim" --settings "$work/cpu.dat"
