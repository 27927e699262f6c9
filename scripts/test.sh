#!/usr/bin/env bash
# Every test of the project, through CTest (`ctest --preset all` runs the same): the unit
# tests, plain and under AddressSanitizer and UndefinedBehaviorSanitizer; a bounded fuzz run;
# the end-to-end tests of the real program under Wine; the run command; the release checks.
# Three suites run at a time, two of them at most running Wine (tests/CMakeLists.txt).
# Then it prints each suite's time and the share of the C++ lines that are tests. Installs and
# builds what it needs first.
set -uo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
bash scripts/setup.sh || exit 1
echo "setup took $((SECONDS - start)) s"
source scripts/common.sh
# Two compilers at a time in each build: two suites may build side by side.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
step "configuring and building the native tests" "20 s" bash -c 'cmake --preset native && cmake --build --preset native'
mkdir -p build
ctest --preset all 2>&1 | tee build/test-command.log
rc=${PIPESTATUS[0]}
# Which Wine ran which build of the program, and the end-to-end summaries (build/e2e-*.log have all).
grep -hE '^wine-env: (testing|WARNING)|^end-to-end run took|^E2E:' build/e2e-win10.log build/e2e-win10-padded.log \
  build/e2e-winxp.log 2>/dev/null
echo "the suites' times (seconds; three run at a time):"
sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: (.*[^ ]) \.+ *(\*\*\*)?([A-Za-z]+)[^0-9]* ([0-9.]+) sec$/  \4\t\3\t\1/p' \
  build/test-command.log | awk -F'\t' '$1 >= 1' | sort -rn
bash scripts/test-share.sh
echo "test command took $((SECONDS - start)) s"
exit $rc
