#!/usr/bin/env bash
# Every test of the project: the native unit tests, plain and under AddressSanitizer and
# UndefinedBehaviorSanitizer; a bounded fuzz run; the end-to-end tests of the real
# program under Wine; the release checks. Installs and builds what it needs first.
set -uo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
passed=0 failed=0

# Runs one suite, adding the counts from its "N passed, M failed" style summary.
suite() {
  local name=$1; shift
  echo "== $name"
  local log; log=$(mktemp)
  "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local p f
  if grep -qE 'tests passed, [0-9]+ tests failed out of' "$log"; then
    f=$(grep -oE '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1 | awk '{print $1}')
    p=$(( $(grep -oE 'out of [0-9]+' "$log" | tail -1 | awk '{print $3}') - f ))
  elif grep -qE '[0-9]+ passed, [0-9]+ failed' "$log"; then
    read -r p f < <(grep -oE '[0-9]+ passed, [0-9]+ failed' "$log" | tail -1 | awk '{print $1, $3}')
  else
    p=$(( rc == 0 )) f=$(( rc != 0 ))
  fi
  [ "$rc" -ne 0 ] && [ "$f" -eq 0 ] && f=1
  passed=$((passed + p)) failed=$((failed + f))
  rm -f "$log"
}

bash scripts/setup.sh || { echo "setup failed"; exit 1; }
bash scripts/build.sh || { echo "build failed"; exit 1; }

suite "unit tests" ctest --test-dir build/native --output-on-failure
suite "unit tests under ASan and UBSan" bash -c '
  [ -f build/native-asan/build.ninja ] || cmake -S . -B build/native-asan -G Ninja -DHOSTOVIK_SANITIZE=ON >/dev/null
  ninja -C build/native-asan >/dev/null && ctest --test-dir build/native-asan --output-on-failure'
suite "fuzzing" bash scripts/fuzz.sh
suite "end-to-end under Wine" bash scripts/e2e.sh
suite "run command without a display, and rescue by path" bash tests/run-command.sh
suite "release package" bash scripts/release.sh --check

echo "test command took $(( $(date +%s) - start )) s"
echo "Tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
