# Sourced by the scripts that check things: one way to count and report checks.
#   check "what" COMMAND...   runs COMMAND; prints PASS or FAIL with "what" and counts it
#   checks_summary LABEL      prints "LABEL: N passed, M failed"; fails when any check failed or none ran
CHECKS_PASSED=0 CHECKS_FAILED=0
check() {
  local what=$1; shift
  if "$@"; then
    CHECKS_PASSED=$((CHECKS_PASSED + 1)); echo "PASS  $what"
  else
    CHECKS_FAILED=$((CHECKS_FAILED + 1)); echo "FAIL  $what"
  fi
}
checks_summary() {
  echo "$1: $CHECKS_PASSED passed, $CHECKS_FAILED failed"
  [ "$CHECKS_FAILED" -eq 0 ] && [ "$CHECKS_PASSED" -gt 0 ]
}
