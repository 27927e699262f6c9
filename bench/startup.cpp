// Start-up benchmark under Wine: seconds from process start to the main window shown, for
// hostovik.exe with each FILE as its hosts file (answering No to its warning) and for
// minimal_view.exe showing the same file, runs interleaved so that drift hits both alike;
// medians, and the highest peak working set of each. Prints figures, asserts nothing.
// Usage: hostovik-bench.exe RUNS FILE...   (Windows paths; hostovik.exe is taken from the
// folder above, as built, minimal_view.exe from beside this program)
#include "e2e.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace std::string_literals;

namespace {

struct Sample {
    double seconds, peakMb;
};

// Answers No to a message shown first, waits for the main window, then closes it.
Sample Measure(const std::wstring& commandLine, const wchar_t* mainClass) {
    Program p(commandLine, mainClass);
    const char* slowdown = std::getenv("E2E_SLOWDOWN");  // an emulated Wine's slowness
    const double limit = 300 * std::max(1.0, slowdown ? std::atof(slowdown) : 1.0);
    Scene s = p.WaitFor([](const Scene& s) { return s.ended || s.main || !s.boxes.empty(); }, limit);
    if (!s.boxes.empty()) PostMessageW(GetDlgItem(s.boxes[0], IDNO), BM_CLICK, 0, 0);
    s = p.WaitFor([](const Scene& s) { return s.ended || (s.main && s.boxes.empty()); }, limit);
    if (!s.main) throw std::runtime_error("no main window was shown");
    const double seconds = Seconds() - p.started;
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(p.pi.hProcess, &memory, sizeof memory);
    PostMessageW(s.main, WM_CLOSE, 0, 0);
    p.Ended(30000);
    return {seconds, memory.PeakWorkingSetSize / 1e6};
}

double Report(const char* name, std::vector<Sample> v) {  // returns the median time
    std::sort(v.begin(), v.end(), [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    double peak = 0;
    for (const Sample& s : v) peak = std::max(peak, s.peakMb);
    std::printf("  %-16s median %6.2f s, peak working set %4.0f MB\n", name, v[v.size() / 2].seconds, peak);
    return v[v.size() / 2].seconds;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH], temp[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path here = std::filesystem::path(self).parent_path(), windir = temp + L"hostovik-bench"s;
    const std::wstring hostovik = L"\"" + (here.parent_path() / L"hostovik.exe").wstring() + L"\" \"/windir:" +
                                  windir.wstring() + L"\"",
                       minimal = L"\"" + (here / L"minimal_view.exe").wstring() + L"\" ",
                       hosts = (windir / L"System32\\drivers\\etc\\hosts").wstring();
    try {
        std::filesystem::create_directories(windir / L"System32\\drivers\\etc");
        for (int f = 2; f < argc; ++f) {
            std::filesystem::copy_file(argv[f], hosts, std::filesystem::copy_options::overwrite_existing);
            std::vector<Sample> ours, theirs;
            // A program that shows a file whole cannot hold a padded one in a 32-bit process.
            const bool padded = std::filesystem::file_size(hosts) > 100'000'000;
            for (int run = 0; run < _wtoi(argv[1]); ++run) {
                ours.push_back(Measure(hostovik, L"HostovikForm1"));
                if (!padded) theirs.push_back(Measure(minimal + L"\"" + hosts + L"\"", L"Edit"));
            }
            std::printf("%s (%.1f MB), start to main window shown, %zu runs:\n", Narrow(argv[f]).c_str(),
                std::filesystem::file_size(hosts) / 1e6, ours.size());
            const double median = Report("hostovik.exe", ours);
            // Targets: no slower than 1.5 times a program that only shows the file; a padded file
            // within half the 2 GB a 32-bit process has.
            if (padded) {
                const double peak = std::max_element(ours.begin(), ours.end(), [](auto& a, auto& b) {
                    return a.peakMb < b.peakMb;
                })->peakMb;
                std::printf("  target: peak working set <= 1024 MB: %s\n", peak <= 1024 ? "met" : "NOT met");
            } else {
                const double ratio = median / Report("minimal_view.exe", theirs);
                std::printf(
                    "  ratio of the medians %.2f; target <= 1.5: %s\n", ratio, ratio <= 1.5 ? "met" : "NOT met");
            }
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::printf("failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
