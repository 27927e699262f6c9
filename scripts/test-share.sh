#!/usr/bin/env bash
# The house rule: tests are 25-36% of the C++ lines, counted as files under tests/ against
# all .cpp, .h and .rc files, blank and comment-only lines left out (the files git knows,
# and new ones it does not ignore; without git, every such file outside build/, dist/ and
# .git). --check fails outside that range.
set -euo pipefail
cd "$(dirname "$0")/.."
# A fresh system may have no git, and a copy of the sources no repository: find then lists
# the same files, by the same names, as .gitignore leaves them.
sources() {
  if command -v git >/dev/null && [ "$(git rev-parse --show-prefix 2>/dev/null || echo none)" = "" ]; then
    git ls-files -z -co --exclude-standard -- '*.cpp' '*.h' '*.rc'
  else
    find . -type d \( -name build -o -name dist -o -name .git \) -prune -o \
      -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.rc' \) -printf '%P\0'
  fi
}
lines() { sources | grep -zE "$1" | xargs -0 -r cat | grep -cvE '^\s*(//.*)?$' || true; }
all=$(lines .)
tests=$(lines '(^|/)tests?/')
if [ "$all" -eq 0 ]; then
  echo "test share: no .cpp, .h or .rc file with code found under $PWD: no share to give" >&2
  exit 1
fi
share=$((1000 * tests / all))
echo "test share: $tests of $all C++ lines are tests ($((share / 10)).$((share % 10))%; the rule is 25-36%)"
if [ "${1:-}" = --check ]; then
  [ "$((100 * tests))" -le "$((36 * all))" ] && [ "$((4 * tests))" -ge "$all" ]
fi
