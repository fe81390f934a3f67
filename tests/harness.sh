# shellcheck shell=bash
# What every test script shares: a scratch folder (removed after the script's own on_exit),
# failures counted with a reason, the exit status. The script sets bin before sourcing this.
set -uo pipefail
work=$(mktemp -d)
on_exit() { :; }
trap 'on_exit; chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] && echo "all passed"; exit "$failures"; }

# expect_status STATUS COMMAND...: runs COMMAND with its output in out.txt and err.txt.
expect_status() {
    local want=$1
    shift
    "$@" >out.txt 2>err.txt
    local got=$?
    [ "$got" -eq "$want" ] || fail "$* exited $got, expected $want: $(cat err.txt)"
}

# wait_for SECONDS COMMAND...: retries COMMAND; false once a try begun SECONDS on has failed.
wait_for() {
    local deadline=$((${EPOCHREALTIME/[.,]/} + $1 * 1000000)) began
    shift
    until began=${EPOCHREALTIME/[.,]/} && "$@"; do
        [ "$began" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}
