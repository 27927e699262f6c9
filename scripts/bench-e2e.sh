#!/usr/bin/env bash
# Start-up benchmark of the real program under Wine: seconds from process start to the main
# window shown (answering No to the warning) for the blocklist, a 1,000,000-line hosts file and
# an infected file padded with NUL bytes to 1 GB, against bench/minimal_view.cpp on the same
# files (not the 1 GB one, which a program showing it whole cannot hold), runs interleaved,
# medians, and the peak memory of each. Figures only. BLOCKLIST and HOSTS_1M override the
# files' paths, BENCH_E2E_RUNS the number of runs (3). --tiny: one run each, the padded file
# 1 MB, so that the test command sees the benchmark run to its end; its figures mean nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
blocklist=${BLOCKLIST:-$PWD/../shared/data/blocklist-hosts.txt}
big=${HOSTS_1M:-$PWD/build/bench/data/hosts-1m.txt}
runs=${BENCH_E2E_RUNS:-3} padded_size=1G padded=$PWD/build/bench/hosts-1g.txt
case ${1:-} in
  --tiny) runs=1 padded_size=1M padded=$PWD/build/bench/data-tiny/hosts-padded.txt ;;
  '') ;;
  *) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 2 ;;
esac

source scripts/wine-env.sh
trap wine_env_down EXIT
echo "building the program and the benchmark (typically 10 s, 1-2 min the first time)..."
wine_build hostovik hostovik-bench minimal_view || exit 1
if [ ! -s "$big" ]; then
  mkdir -p "$(dirname "$big")"
  python3 bench/make-hosts-1m.py "$big" || exit 1
fi
files=()
if [ -f "$blocklist" ]; then files+=("$(wine_unix_to_win "$blocklist")"); else echo "no blocklist at $blocklist: skipped"; fi
files+=("$(wine_unix_to_win "$big")")
if [ ! -s "$padded" ]; then  # sparse: quick to make, NUL bytes to read
  mkdir -p "$(dirname "$padded")"
  printf '127.0.0.1 localhost\r\n127.0.0.1 vk.com\r\n' > "$padded" && truncate -s "$padded_size" "$padded" || exit 1
fi
files+=("$(wine_unix_to_win "$padded")")

echo "making a Wine prefix (typically 15 s, 30 s under emulation)..."
wine_display_up && wine_prefix_up >/dev/null || exit 1
echo "Start-up under Wine ($WIN_ARCH build), $runs runs each, polled every 5 ms:"
if [ -n "$WINE_EMULATED" ]; then
  echo "These figures come from emulation: 32-bit Wine run by qemu-i386, about ${E2E_SLOWDOWN}x slower" \
       "than native Wine at starting a program here; compare them only with each other."
fi
wine_run "$WIN_BUILD/bench/hostovik-bench.exe" "$runs" "${files[@]}"
