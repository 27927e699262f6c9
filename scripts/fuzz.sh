#!/usr/bin/env bash
# A bounded libFuzzer run (clang, AddressSanitizer, UndefinedBehaviorSanitizer) over counting
# LF bytes, the view's text, the code page and the scan for entries, for FUZZ_SECONDS seconds
# (60). Starts from the seeds in tests/fuzz/corpus, copied into build/fuzz/corpus, where what it
# finds is kept for the next run. Fails on a crash, a broken rule or a hang; the input is left in
# build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/fuzz
seconds=${FUZZ_SECONDS:-60}

source scripts/common.sh
step "building the fuzz target" "30 s" bash -c 'cmake --preset fuzz && cmake --build --preset fuzz'
echo "fuzzing for $seconds s..."
mkdir -p "$out/corpus"
cp tests/fuzz/corpus/* "$out/corpus/"

log=$out/fuzz.log
rc=0
"$out/tests/fuzz/hostovik_fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus" >"$log" 2>&1 || rc=$?
execs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | awk '{print $2}' || true)
rate=$(grep -oE 'stat::average_exec_per_sec:[[:space:]]+[0-9]+' "$log" | awk '{print $2}' || true)
inputs=$(find "$out/corpus" -type f | wc -l)
if [ "$rc" -ne 0 ]; then
  tail -40 "$log"
  echo "fuzzing FAILED after ${execs:-?} executions (exit $rc); the input is in $out/, the log in $log"
  exit 1
fi
echo "fuzzing: ${execs:-?} executions in ${seconds} s (${rate:-?}/s), $inputs inputs in the corpus, no fault"
