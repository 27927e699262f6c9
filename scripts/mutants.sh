#!/usr/bin/env bash
# Shows that the tests find faults: plants each fault of tests/mutants.tsv in the product code,
# one at a time, runs the tests meant to catch it and counts how many were caught. The table's
# suite column names them:
#   unit        the native unit tests (ctest --preset unit): a row rebuilds build/native and runs them
#   e2e:TEXT    the end-to-end cases whose name holds TEXT, on the real program under Wine: a row
#               rebuilds the program, the driver and its stand-ins, and runs only those cases
# A row whose text is not found exactly once in its file, or whose TEXT names no end-to-end case,
# is STALE: fix the row (after moving code, say) before anything else. --stale lists them at
# once, building and running nothing.
# First the tests run unmutated: a test that fails then would make every row look caught, so
# the script stops there and names it. Then each row is one of: caught (a test failed), MISSED
# (all passed), TIMEOUT (a test ran out of time: no catch, unless the row's fault ends in
# "[hang]", a fault whose symptom is a hang), ERROR (the run failed in its set-up, the driver
# ended early, or no test ran), STALE, or NOBUILD (the planted fault does not compile: the row
# needs fixing too). Each is counted apart, and each row's line ends with its time. Only all
# caught passes.
# --matrix runs every test of the row's tier instead, to see which tests catch what: every unit
# test, or every end-to-end case (a whole run of 2-3 minutes a row). It writes
# build/mutants-matrix.tsv, a line a fault tested: tier, file, fault, then the tests that
# failed; and prints the faults each test caught, the faults only one test caught (checks not
# to cut) and the tests that caught none.
#   bash scripts/mutants.sh [--stale] [--matrix] [--unit | --e2e] [--only TEXT]...   (--only: the faults whose description holds TEXT; several: any of them)
# Only the tiers that rows were chosen of run their baseline.
set -uo pipefail
cd "$(dirname "$0")/.."
table=tests/mutants.tsv
tiers=unit,e2e only= matrix= stale_only=
while [ $# -gt 0 ]; do
  case $1 in
    --unit) tiers=unit ;;
    --e2e) tiers=e2e ;;
    --only) only+=$2$'\n'; shift ;;
    --matrix) matrix=build/mutants-matrix.tsv ;;
    --stale | --list-stale) stale_only=1 ;;
    *) sed -n '2,/^#   bash /s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
  shift
done

# rows: the table's rows of the tiers asked for, file by file, as seven NUL-terminated fields each: the line
# number, suite, file, text, replacement, fault, and why the row is stale (empty when it is
# not). Fails, naming the line, on a row that is not five fields. The end-to-end cases are
# those of the driver's table (scripts/e2e-cases.py), matched as the driver matches --only.
rows() {
  python3 - "$table" "$tiers" "$only" <<'PY'
import importlib.util, sys
table, tiers, only = sys.argv[1], sys.argv[2].split(","), [t for t in sys.argv[3].split("\n") if t] or [""]
found = importlib.util.spec_from_file_location("e2e_cases", "scripts/e2e-cases.py")
e2e = importlib.util.module_from_spec(found)
found.loader.exec_module(e2e)
names = [name for _, name in e2e.cases(e2e.DRIVER.read_text(encoding="utf-8"))]
if not names:
    sys.exit(f"no end-to-end case names found in {e2e.DRIVER}")
def case_matches(text):
    return any(e2e.matches(name, text) for name in names)
header = ["suite", "file", "text", "replacement", "fault"]
seen_header = False
out = []
for n, line in enumerate(open(table, encoding="utf-8"), 1):
    line = line.rstrip("\n")
    if not line or line.startswith("#"):
        continue
    fields = line.split("\t")
    if not seen_header:
        if fields != header:
            sys.exit(f"{table}:{n}: the header line should be {' '.join(header)}, tab-separated")
        seen_header = True
        continue
    if len(fields) != 5 or not all(fields[i] for i in (0, 1, 2, 4)):
        sys.exit(f"{table}:{n}: {len(fields)} fields; a row is five, tab-separated, only the replacement may be (nothing)")
    suite, path, text, new, what = fields
    if suite != "unit" and not suite.startswith("e2e:"):
        sys.exit(f"{table}:{n}: the suite is unit or e2e:CASE-TEXT, not {suite}")
    if suite.split(":")[0] not in tiers or not any(t in what for t in only):
        continue
    try:
        found = open(path, encoding="utf-8").read().count(text.replace("<NL>", "\n"))
        why = "" if found == 1 else f"its text is found {found} times in {path}, not once"
    except OSError:
        why = f"there is no file {path}"
    if not why and suite.startswith("e2e:") and not case_matches(suite[4:]):
        why = f"no end-to-end case has '{suite[4:]}' in its name"
    out.append((suite.split(":")[0], path, "\0".join([str(n), suite, path, text, new, what, why]) + "\0"))
# A file's rows one after another: the build that plants a row's fault then also takes back the
# last one's, so a row costs one compile of its file, not two.
sys.stdout.write("".join(row for *_, row in sorted(out, key=lambda r: r[:2])))
PY
}
listed=$(mktemp)
trap 'rm -f "$listed"' EXIT
rows >"$listed" || exit 2

if [ -n "$stale_only" ]; then
  count=0 stale=0
  while IFS= read -r -d '' n && IFS= read -r -d '' tier && IFS= read -r -d '' file && IFS= read -r -d '' old &&
        IFS= read -r -d '' new && IFS= read -r -d '' what && IFS= read -r -d '' why; do
    count=$((count + 1))
    [ -z "$why" ] || { stale=$((stale + 1)); echo "STALE   $table:$n [$tier] $file: $what: $why"; }
  done <"$listed"
  echo "Rows: $count, of which $stale stale"
  [ "$stale" -eq 0 ]
  exit
fi

# plant FILE TEXT REPLACEMENT: the replacement in place of the text, found exactly once.
plant() {
  python3 - "$@" <<'PY'
import sys
path = sys.argv[1]
old, new = (a.replace("<NL>", "\n") for a in sys.argv[2:4])
new = "" if new == "(nothing)" else new
src = open(path, encoding="utf-8").read()
if src.count(old) != 1:
    sys.exit(3)
open(path, "w", encoding="utf-8").write(src.replace(old, new))
PY
}

# limited SECONDS COMMAND...: COMMAND with a time limit, in the background so that Ctrl-C stops
# it: timeout puts it in a process group of its own, which the terminal's Ctrl-C misses, and a
# script waiting in the foreground takes no signal until its child ends. Status 124: out of time.
tested=
limited() { timeout "$@" & tested=$!; wait "$tested"; }
stop_tests() { [ -z "$tested" ] || { kill -TERM "$tested"; wait "$tested"; } 2>/dev/null; }

# What a run of the tests came to.
MISSED=0 CAUGHT=1 NOBUILD=2 NOCASE=3 TIMEOUT=4 ERROR=5
mkdir -p build
log=build/mutant.log
# unit_outcome STATUS: the unit tests' run, from ctest's status and its log.
unit_outcome() {
  grep -q 'No tests were found' "$log" && return $ERROR
  [ "$1" -eq 0 ] && return $MISSED
  [ "$1" -eq 124 ] || grep -q '\*\*\*Timeout' "$log" && return $TIMEOUT
  grep -qE '^[0-9]+% tests passed, [1-9][0-9]* tests failed' "$log" && return $CAUGHT
  return $ERROR
}
# e2e_outcome STATUS: an end-to-end run. Caught only when a case failed; a run that failed before
# or around its cases (building, Wine, the driver ending early, its time limit) is no catch.
e2e_outcome() {
  [ "$1" -eq 124 ] && return $TIMEOUT
  grep -q '^E2E: 0 passed, 1 failed (build)' "$log" && return $NOBUILD
  grep -qaE '^E2E: 0 passed, 1 failed \(|: the driver ended early|^FAIL  prefix for ' "$log" && return $ERROR
  grep -q '^E2E: 0 passed, 0 failed' "$log" && return $NOCASE
  [ "$1" -eq 0 ] && return $MISSED
  [ -n "$(e2e_results "$log" | grep '^FAIL')" ] && return $CAUGHT
  return $ERROR
}

# Runs the tests of TIER (unit, e2e:TEXT, or e2e for every case); returns its outcome. A unit
# row costs an incremental build of build/native and the unit tests, two at a time; an
# end-to-end row an incremental build of the four Windows programs the cases run and only the
# cases it names.
run_tests() {
  local rc
  case $1 in
    unit)
      cmake --build --preset native --parallel 2 >"$log" 2>&1 || return $NOBUILD
      limited 600 ctest --preset unit -j2 --timeout 60 >"$log" 2>&1
      rc=$?; unit_outcome $rc ;;
    e2e*)
      local text=${1#e2e}
      CMAKE_BUILD_PARALLEL_LEVEL=2 limited 1800 bash scripts/e2e.sh --only "${text#:}" >"$log" 2>&1
      rc=$?; e2e_outcome $rc ;;
  esac
}

# The matrix's runs. Each writes the names of the tests that failed to build/mutant.failed.
failed_list=build/mutant.failed
last_failed=build/native/Testing/Temporary/LastTestsFailed.log
# CTest runs each unit test in a process of its own, so a crash or a hang (--timeout) is put on
# the test that had it.
run_unit_tests() {
  : >"$failed_list"
  rm -f "$last_failed"
  run_tests unit
  local outcome=$?
  [ $outcome -ne $CAUGHT ] || cut -d: -f2- "$last_failed" | unit_rows >"$failed_list"
  return $outcome
}
# The rows of table-driven tests, which name themselves with SCOPED_TRACE: each failed test is
# run again alone, and a failing row is given as "Suite.Test [row]"; a test without rows as itself.
unit_rows() {
  local test
  while IFS= read -r test; do
    limited 60 build/native/tests/unit/hostovik_unit_tests --gtest_filter="$test" 2>&1 | python3 -c '
import re, sys
test, caught = sys.argv[1], []
pending = tracing = False  # pending: a failure whose row is not known yet
for line in sys.stdin:
    m = re.match(r"^\S+:\d+: (.*)$", line.rstrip("\n"))
    if m and m.group(1) == "Failure":
        if pending:
            caught.append(test)
        pending, tracing = True, False
    elif line.startswith("Google Test trace:"):
        tracing = True
    elif tracing and m:
        if pending:
            caught.append(f"{test} [{m.group(1)}]")
        pending = False
    else:
        tracing = False
if pending:
    caught.append(test)
print("\n".join(dict.fromkeys(caught)) or test)' "$test"
  done
}
unit_tests() { ctest --preset unit -N | sed -n 's/^ *Test *#[0-9]*: //p'; }

# Every end-to-end case; an empty --only still runs them all, and leaves build/e2e.log, the
# last real run's log, alone.
run_e2e_cases() {
  run_tests e2e
  local outcome=$?
  e2e_results "$log" | sed -n 's/^FAIL  //p' >"$failed_list"
  return $outcome
}
# e2e_results LOG: "PASS  case" or "FAIL  case" a case, its time and the reason cut off. The
# first " (N s)" ends the name: names hold parentheses, reasons may hold anything. The driver's
# lines end in CR LF.
e2e_results() { grep -aE '^(PASS|FAIL)  ' "$1" | sed -E 's/\r$//; s/ \([0-9.]+ s\)(: .*)?$//' | awk '!seen[$0]++'; }

# report MATRIX [TIER<TAB>TEST]...: the tests with the faults they caught, the faults one test
# alone caught, and the tests given that caught nothing.
report() {
  python3 - "$@" <<'PY'
import sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1], encoding="utf-8")]
known = [tuple(t.split("\t", 1)) for t in dict.fromkeys(sys.argv[2:])]
by_test = {}
for tier, file, what, *tests in rows:
    for test in tests:
        by_test.setdefault((tier.split(":")[0], test), []).append(f"{file}: {what}")
print("faults caught, by test:")
for (tier, test), faults in sorted(by_test.items(), key=lambda t: (-len(t[1]), t[0])):
    print(f"  [{tier}] {test}: {len(faults)}")
    for fault in faults:
        print(f"      {fault}")
print("caught by one test only:")
for tier, file, what, *tests in rows:
    if len(tests) == 1:
        print(f"  [{tier.split(':')[0]}] {file}: {what}\n      {tests[0]}")
print("tests that caught no fault:")
caught = {(tier, test.split(" [")[0]) for tier, test in by_test}  # a row's catch is its test's
for tier, test in known:
    if (tier, test) not in caught:
        print(f"  [{tier}] {test}")
PY
}

# Puts the file back, newer than anything built from the fault, so that the next build takes it.
restore() { mv -f "$file.unmutated" "$file" && touch "$file"; }

case ",$tiers," in *,unit,*) cmake --preset native >/dev/null || exit 1 ;; esac
# The baseline: every test of the tiers asked for passes unmutated.
baseline=
chosen() { tr '\0' '\n' <"$listed" | grep -qx "$1"; }
case ",$tiers," in *,unit,*) ! chosen unit || run_tests unit || baseline="unit tests: $(grep -E 'Failed|Timeout|No tests' "$log" | head -5)" ;; esac
if [ -z "$baseline" ] && [[ ",$tiers," == *,e2e,* ]] && chosen e2e; then
  run_tests e2e || baseline="end-to-end cases: $(grep -aE '^(FAIL|E2E:)' "$log" | head -5)"
fi
if [ -n "$baseline" ]; then
  echo "The tests fail unmutated, so no row could be told caught; fix them first. Failing:"
  echo "$baseline"
  echo "(the run's output: $log)"
  exit 1
fi
echo "Baseline: every test passes unmutated."

caught=0 missed=0 timeouts=0 errors=0 stale=0 nobuild=0 total=0
# The tests seen, as TIER<TAB>TEST, for the ones that caught nothing.
known=() unit_ran=
[ -z "$matrix" ] || : >"$matrix"
while IFS= read -r -d '' n && IFS= read -r -d '' tier && IFS= read -r -d '' file && IFS= read -r -d '' old &&
      IFS= read -r -d '' new && IFS= read -r -d '' what && IFS= read -r -d '' why; do
  total=$((total + 1))
  started=$SECONDS
  if [ -n "$why" ]; then
    stale=$((stale + 1))
    echo "STALE   [$tier] $file: $what ($table:$n: $why)"
    continue
  fi
  cp "$file" "$file.unmutated"
  trap 'stop_tests; restore; rm -f "$listed"; exit 130' INT TERM
  if ! plant "$file" "$old" "$new"; then
    outcome=$NOCASE
  elif [ -n "$matrix" ]; then
    if [ "$tier" = unit ]; then unit_ran=1; run_unit_tests; else run_e2e_cases; fi
    outcome=$?
    if [ "$tier" != unit ] && [ $outcome -ne $NOBUILD ]; then
      while IFS= read -r name; do known+=("e2e"$'\t'"$name"); done < <(e2e_results "$log" | cut -c7-)
    fi
  else
    run_tests "$tier"
    outcome=$?
  fi
  took=" ($((SECONDS - started)) s)"
  # A hang is the symptom of some faults: a test's time limit then catches it.
  [ $outcome -eq $TIMEOUT ] && [[ "$what" == *"[hang]" ]] && outcome=$CAUGHT
  case $outcome in
    "$MISSED") missed=$((missed + 1)); echo "MISSED  [$tier] $file: $what$took" ;;
    "$TIMEOUT") timeouts=$((timeouts + 1)); echo "TIMEOUT [$tier] $file: $what$took" ;;
    "$ERROR") errors=$((errors + 1)); echo "ERROR   [$tier] $file: $what$took (the run failed around its tests: $log)" ;;
    "$NOBUILD") nobuild=$((nobuild + 1)); echo "NOBUILD [$tier] $file: $what$took (the planted fault does not compile: $log)" ;;
    "$NOCASE") stale=$((stale + 1)); echo "STALE   [$tier] $file: $what$took ($table:$n: text not found once, or no case ran)" ;;
    *)
      note=
      if [ -n "$matrix" ]; then
        { printf '%s\n' "$tier" "$file" "$what"; cat "$failed_list"; } | paste -sd '\t' >>"$matrix"
        note=" (tests failed: $(wc -l <"$failed_list"))"
        # Caught, but not by the cases the row names: the fast mode would miss it.
        [ "$tier" = unit ] || grep -qF -- "${tier#e2e:}" "$failed_list" || note=" (tests failed, none of them $tier)"
      fi
      caught=$((caught + 1)); echo "caught  [$tier] $file: $what$took$note" ;;
  esac
  if [ -n "$matrix" ] && [ $outcome -ne $CAUGHT ] && [ $outcome -ne $NOBUILD ] && [ $outcome -ne $NOCASE ]; then
    printf '%s\t%s\t%s\n' "$tier" "$file" "$what" >>"$matrix"
  fi
  restore
  trap 'rm -f "$listed"' EXIT
  trap - INT TERM
done <"$listed"
case ",$tiers," in *,unit,*) cmake --build --preset native --parallel 2 >/dev/null 2>&1 ;; esac

if [ -n "$matrix" ]; then
  [ -z "$unit_ran" ] || while IFS= read -r test; do known+=("unit"$'\t'"$test"); done < <(unit_tests)
  report "$matrix" "${known[@]}"
fi
echo "Mutants: $caught of $total caught, $missed missed, $stale stale, $nobuild not building, $timeouts timed out, $errors errors"
[ "$caught" -eq "$total" ]
