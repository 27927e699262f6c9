#!/usr/bin/env bash
# Speed of the hosts file's reading: native benchmarks of counting LF bytes, building the
# view's text, the code page conversion and the scan for entries, on the blocklist and on a
# generated 1,000,000-line file, beside `wc -l` on the same files in the same run, each with
# its target. Figures only. Then the start-up benchmark under Wine (scripts/bench-e2e.sh).
# BLOCKLIST overrides the blocklist's path; BENCH_RUNS the number of `wc -l` runs (15).
# --tiny: the same on a few thousand lines, once, so that the test command sees that every
# step still runs to its table; its figures mean nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=build/bench
blocklist=${BLOCKLIST:-$root/../shared/data/blocklist-hosts.txt}
runs=${BENCH_RUNS:-15}
lines=1000000 total=256000000 repetitions=5 min_time=() tiny=
case ${1:-} in
  --tiny) tiny=1 lines=2000 total=1000000 runs=1 min_time=(--benchmark_min_time=0.001) ;;
  '') ;;
  *) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 2 ;;
esac
data=$root/$out/data${tiny:+-tiny}
big=$data/hosts-1m.txt
mkdir -p "$data"

source scripts/common.sh
step "building the benchmarks" "30 s" bash -c 'cmake --preset bench && cmake --build --preset bench'
if [ ! -s "$big" ] || [ bench/make-hosts-1m.py -nt "$big" ]; then
  echo "generating $big"
  python3 bench/make-hosts-1m.py "$big" "$lines"
fi
if [ -n "$tiny" ] && [ -f "$blocklist" ]; then
  head -n "$lines" "$blocklist" >"$data/blocklist.txt"
  blocklist=$data/blocklist.txt
fi

files=()
if [ -f "$blocklist" ]; then files+=("blocklist=$blocklist"); else echo "no blocklist at $blocklist: skipped"; fi
files+=("hosts-1m=$big")
list=$(IFS=:; echo "${files[*]}")

# Google Benchmark: median of 5 repetitions, on CPU time (the machine may be shared).
HOSTOVIK_BENCH_FILES=$list "$out/bench/hostovik_bench" \
  --benchmark_repetitions=$repetitions --benchmark_report_aggregates_only=true "${min_time[@]}" \
  --benchmark_out="$out/results.json" --benchmark_out_format=json 2>&1 | grep -vE '_(mean|stddev|cv) '

# wc -l: each run reads the file k times over (k copies in its arguments, some 256 MB in all)
# so that starting the process weighs little. Its CPU time (user + system), as the benchmarks
# report theirs, so that other work on the machine does not count; best of $runs runs on the
# cached file, less the best run on an empty file, which is what starting it costs.
best_us() {  # best CPU time of `wc -l` on FILE given K times, in microseconds
  local file=$1 k=$2 best=0 us args=() TIMEFORMAT='%3U %3S'
  for _ in $(seq "$k"); do args+=("$file"); done
  wc -l "${args[@]}" >/dev/null
  for _ in $(seq "$runs"); do
    us=$( { time wc -l "${args[@]}" >/dev/null; } 2>&1 | awk '{printf "%d", ($1 + $2) * 1e6}')
    if [ "$best" -eq 0 ] || [ "$us" -lt "$best" ]; then best=$us; fi
  done
  echo "$best"
}
: >"$out/empty.txt"
wc_args=("empty=$(best_us "$out/empty.txt" 1)")
for f in "${files[@]}"; do
  size=$(stat -c %s "${f#*=}")
  k=$(( (total + size - 1) / size ))
  wc_args+=("${f%%=*}=$(best_us "${f#*=}" "$k"):$(( size * k ))")
done

python3 - "$out/results.json" "${wc_args[@]}" <<'PY'
import json, sys
res = json.load(open(sys.argv[1]))["benchmarks"]
start_us = float(sys.argv[2].split("=")[1])
wc = {}
for a in sys.argv[3:]:
    name, v = a.split("=")
    us, size = map(float, v.split(":"))
    wc[name] = (size / max(us - start_us, 1), size / us)  # MB/s, as bytes per microsecond
rate = {}
for b in res:
    if b.get("aggregate_name") == "median":
        op, f = b["run_name"].split("/")
        rate[(op, f)] = b["bytes_per_second"] / 1e6
print()
print(f"CPU time. Benchmarks: medians of 5 runs. wc -l: best run, less {start_us / 1000:.1f} ms for "
      "starting it (with that included in brackets). MB = 10^6 bytes.")
print(f"{'operation':<28}{'file':<11}{'MB/s':>9}{'wc -l MB/s':>18}{'ratio':>8}  target")
# Each benchmark with its target: the lowest speed in MB/s, and for counting, a share of wc -l's.
targets = {
    "CountLF": (2000, 0.5),
    "BuildViewText": (300, 0),
    "BuildViewText+fresh memory": (200, 0),  # the start-up's one build, paying for new pages
    "ToWide": (300, 0),  # a part of the view's text
    "HostsScan": (150, 0),  # every line of the file, at start-up and in each check
}
missing = sorted({op for op, _ in rate} - set(targets))
if missing:
    sys.exit(f"benchmarks without a target here: {', '.join(missing)}")
for (op, f), r in sorted(rate.items(), key=lambda x: (x[0][1], list(targets).index(x[0][0]))):
    w, raw = wc[f]
    speed, share = targets[op]
    met = r >= speed and r >= w * share
    target = f"≥ {speed} MB/s" + (f" and ≥ {share:g} of wc -l" if share else "") + f": {'met' if met else 'NOT met'}"
    print(f"{op:<28}{f:<11}{r:9.0f}{w:10.0f} ({raw:5.0f}){r / w:8.2f}  {target}")
PY

echo
BLOCKLIST=$blocklist HOSTS_1M=$big bash scripts/bench-e2e.sh ${tiny:+--tiny}
