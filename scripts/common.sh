# Sourced by the project's scripts: one way to tell the user what a step does, to show a
# failure, and to count checks.
#   run COMMAND...            runs COMMAND quietly; when it fails, shows its output and exit code and exits
#   step "what" "time" COMMAND...   says "what (typically TIME)...", runs COMMAND as `run` does, says how long it took
#   check "what" COMMAND...   runs COMMAND; prints PASS or FAIL with "what" and counts it
#   checks_count_log FILE     counts the PASS and FAIL lines another program wrote to FILE
#   checks_summary LABEL      prints "LABEL: N passed, M failed"; fails when any check failed or none ran
CHECKS_PASSED=0 CHECKS_FAILED=0

run() {
  local log rc=0
  log=$(mktemp)
  "$@" >"$log" 2>&1 || rc=$?
  if [ $rc -ne 0 ]; then
    cat "$log" >&2
    echo "failed (exit code $rc): $*" >&2
  fi
  rm -f "$log"
  [ $rc -eq 0 ] || exit $rc
}

step() {
  local what=$1 typical=$2 start=$SECONDS
  shift 2
  echo "$what (typically $typical)..."
  run "$@"
  echo "  done in $((SECONDS - start)) s"
}

check() {
  local what=$1
  shift
  if "$@"; then
    CHECKS_PASSED=$((CHECKS_PASSED + 1)); echo "PASS  $what"
  else
    CHECKS_FAILED=$((CHECKS_FAILED + 1)); echo "FAIL  $what"
  fi
}

checks_count_log() {
  CHECKS_PASSED=$((CHECKS_PASSED + $(grep -c '^PASS' "$1")))
  CHECKS_FAILED=$((CHECKS_FAILED + $(grep -c '^FAIL' "$1")))
}

checks_summary() {
  echo "$1: $CHECKS_PASSED passed, $CHECKS_FAILED failed"
  [ "$CHECKS_FAILED" -eq 0 ] && [ "$CHECKS_PASSED" -gt 0 ]
}
