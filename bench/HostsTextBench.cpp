// Throughput of what the start-up and a check do with the hosts file's bytes, on the files named by
// HOSTOVIK_BENCH_FILES (a list of name=path, separated by ':'), which scripts/bench.sh sets.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/Codepage.h"
#include "hosts/HostsText.h"

namespace {

struct File {
    std::string name, bytes;
};

std::vector<File> LoadFiles(const char* list) {
    std::vector<File> files;
    std::string all = list ? list : "";
    for (std::size_t at = 0; at < all.size();) {
        std::size_t end = all.find(':', at);
        if (end == std::string::npos) end = all.size();
        const std::string item = all.substr(at, end - at);
        at = end + 1;
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos) continue;
        std::ifstream in(item.substr(eq + 1), std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", item.c_str() + eq + 1);
            std::exit(2);
        }
        files.push_back({item.substr(0, eq), {std::istreambuf_iterator<char>(in), {}}});
    }
    return files;
}

// Fresh: the memory the result takes is given back to the system after each run, so that
// every run pays for touching new pages, as the program's start-up does once.
template <class Op>
void Register(const std::string& op, const File& file, Op run, bool fresh = false) {
    benchmark::RegisterBenchmark((op + "/" + file.name).c_str(), [&file, run, fresh](benchmark::State& state) {
        run(file.bytes);  // not timed: brings the heap to its size for this file
        for (auto _ : state) {
            if (fresh) {
                state.PauseTiming();
                malloc_trim(0);
                state.ResumeTiming();
            }
            run(file.bytes);
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes.size()));
    })->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    // Results come from the heap and stay there between runs: glibc would map the view of a
    // large file afresh for every run, and in a VM touching new pages can cost more than
    // building the text, which would hide the code's own speed.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    static const std::vector<File> files = LoadFiles(std::getenv("HOSTOVIK_BENCH_FILES"));
    if (files.empty()) {
        std::fprintf(stderr, "set HOSTOVIK_BENCH_FILES=name=path[:name=path...]\n");
        return 2;
    }
    const Codepage& cp = Windows1251();
    for (const File& f : files) {
        Register("CountLF", f, [](const std::string& b) { benchmark::DoNotOptimize(CountLF(b)); });
        Register("BuildViewText", f, [&cp](const std::string& b) { benchmark::DoNotOptimize(BuildViewText(b, cp)); });
        Register(
            "BuildViewText+fresh memory", f,
            [&cp](const std::string& b) { benchmark::DoNotOptimize(BuildViewText(b, cp)); }, true);
        Register("ToWide", f, [&cp](const std::string& b) { benchmark::DoNotOptimize(cp.ToWide(b)); });
        // The entries, which the start-up and a check look for over the whole file.
        Register("HostsScan", f, [](const std::string& b) {
            HostsScan scan(2000);
            scan.Add(b);
            scan.Finish();
            benchmark::DoNotOptimize(scan.entries);
        });
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
