#!/usr/bin/env bash
# run-fuzzer.sh FUZZER SEED_DIR SECONDS: a bounded run over a scratch copy of
# the seeds; prints libFuzzer's figures and fails on any finding.
set -u
fuzzer=$1; seeds=$2; seconds=$3
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
cp -r "$seeds"/. "$work/corpus"/ 2>/dev/null
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1
rc=$?
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb|Done [0-9]+ runs|ERROR|SUMMARY' "$work/log"
[ $rc -ne 0 ] && tail -n 60 "$work/log"
exit $rc
