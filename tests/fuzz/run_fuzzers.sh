#!/usr/bin/env bash
# Every fuzzer for a bounded time from fresh seeds. run_fuzzers.sh FUZZ_BUILD_DIR [SECONDS_EACH
# (0: no limit)] [libFuzzer options...], e.g. run_fuzzers.sh build-fuzz 0 -runs=10000000
set -euo pipefail
build=$1 seconds=${2:-30}
shift 2 || shift $#
bin=$build/bin
corpus=$build/corpus
rm -rf "$corpus" "$build/findings"
mkdir -p "$build/findings"
"$bin/make_corpus" "$corpus"

status=0
for target in bmp:fuzz_bmp settings:fuzz_settings_record script:fuzz_script \
    options:fuzz_settings_options peer:fuzz_peer reach:fuzz_reach; do
    kind=${target%%:*} fuzzer=${target#*:}
    echo "== $fuzzer"
    if ! "$bin/$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$build/findings/$fuzzer-" "$@" "$corpus/$kind" 2>"$build/$fuzzer.log"; then
        tail -40 "$build/$fuzzer.log"
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^Done' "$build/$fuzzer.log" || true
done
exit $status
