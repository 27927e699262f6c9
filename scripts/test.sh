#!/usr/bin/env bash
# Every test of the project, through CTest (`ctest --preset all` runs the same): the unit
# tests, plain and under AddressSanitizer and UndefinedBehaviorSanitizer; a bounded fuzz run;
# the end-to-end tests of the real program under Wine; the run command; the release checks.
# Then it prints the share of the C++ lines that are tests. Installs and builds what it needs first.
set -uo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
bash scripts/setup.sh || exit 1
source scripts/common.sh
step "configuring and building the native tests" "20 s" bash -c 'cmake --preset native && cmake --build --preset native'
ctest --preset all
rc=$?
# Which Wine ran which build of the program, and the end-to-end summaries (build/e2e-*.log have all).
grep -hE '^wine-env: (testing|WARNING)|^end-to-end run took|^E2E:' build/e2e-win10.log build/e2e-winxp.log 2>/dev/null
bash scripts/test-share.sh
echo "test command took $((SECONDS - start)) s"
exit $rc
