#!/usr/bin/env bash
# Speed of the hosts file's reading: native benchmarks of counting LF bytes, building the
# view's text and the code page conversion, on the blocklist and on a generated
# 1,000,000-line file, beside `wc -l` on the same files in the same run. Figures only.
# BLOCKLIST overrides the blocklist's path; BENCH_RUNS the number of `wc -l` runs (15).
# Then the end-to-end benchmark, when scripts/bench-e2e.sh is there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=build/bench
blocklist=${BLOCKLIST:-$root/../shared/data/blocklist-hosts.txt}
big=$root/$out/hosts-1m.txt
runs=${BENCH_RUNS:-15}

source scripts/common.sh
step "building the benchmarks" "30 s" bash -c 'cmake --preset bench && cmake --build --preset bench'
if [ ! -s "$big" ] || [ bench/make-hosts-1m.py -nt "$big" ]; then
  echo "generating $big"
  python3 bench/make-hosts-1m.py "$big"
fi

files=()
if [ -f "$blocklist" ]; then files+=("blocklist=$blocklist"); else echo "no blocklist at $blocklist: skipped"; fi
files+=("hosts-1m=$big")
list=$(IFS=:; echo "${files[*]}")

# Google Benchmark: median of 5 repetitions, on CPU time (the machine may be shared).
HOSTOVIK_BENCH_FILES=$list "$out/bench/hostovik_bench" \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
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
  k=$(( (256000000 + size - 1) / size ))
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
order = ["CountLF", "BuildViewText", "BuildViewText+fresh memory", "ToWide"]
for (op, f), r in sorted(rate.items(), key=lambda x: (x[0][1], order.index(x[0][0]))):
    w, raw = wc[f]
    if op == "CountLF":
        met = r >= 2000 and r >= w / 2
        target = f"≥ 2000 MB/s and ≥ half of wc -l: {'met' if met else 'NOT met'}"
    elif op == "BuildViewText":
        target = f"≥ 300 MB/s: {'met' if r >= 300 else 'NOT met'}"
    else:
        target = "(none; for reference)"
    print(f"{op:<28}{f:<11}{r:9.0f}{w:10.0f} ({raw:5.0f}){r / w:8.2f}  {target}")
PY

if [ -f scripts/bench-e2e.sh ]; then
  echo
  BLOCKLIST=$blocklist HOSTS_1M=$big bash scripts/bench-e2e.sh
fi
