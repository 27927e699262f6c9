#!/usr/bin/env bash
# The house rule: tests are 25-33% of the C++ lines, counted as files under tests/ against
# all .cpp, .h and .rc files, blank and comment-only lines left out (the files git knows,
# and new ones it does not ignore). --check fails outside that range.
set -euo pipefail
cd "$(dirname "$0")/.."
lines() { git ls-files -z -co --exclude-standard -- '*.cpp' '*.h' '*.rc' | grep -zE "$1" | xargs -0 -r cat |
          grep -cvE '^\s*(//.*)?$' || true; }
all=$(lines .)
tests=$(lines '(^|/)tests?/')
share=$((100 * tests / all))
echo "test share: $tests of $all C++ lines are tests ($share%; the rule is 25-33%)"
if [ "${1:-}" = --check ]; then
  [ "$((3 * tests))" -le "$all" ] && [ "$((4 * tests))" -ge "$all" ]
fi
