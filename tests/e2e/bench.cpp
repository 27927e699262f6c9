// Start-up benchmark under Wine: the time from process start to the main window shown, for
// hostovik.exe with FILE as its hosts file (answering No to its warning) and for
// minimal_view.exe showing the same file, runs interleaved; medians; the peak memory of
// each process while its window is shown, also less that of a run on a one-line file (what
// Wine and the program take without a file). Prints figures, asserts nothing.
// Usage: hostovik-bench.exe RUNS FILE...   (FILE: a Windows path; hostovik.exe is taken from
// two folders up, as built, minimal_view.exe from beside this program)
#include "e2e.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

struct Sample {
    double toWarning = 0, toMain = 0;  // seconds from CreateProcess
    double peakWorkingSet = 0, peakPrivate = 0;  // MB
    size_t viewChars = 0;
};

Sample Measure(Program& p, bool answerWarning) {
    constexpr double Timeout = 300;
    Sample s;
    if (answerWarning) {
        const Scene box = p.WaitFor([](const Scene& s) { return s.ended || !s.boxes.empty(); }, Timeout);
        if (box.boxes.empty()) throw std::runtime_error("no warning was shown");
        s.toWarning = Seconds() - p.StartedAt();
        PostMessageW(GetDlgItem(box.boxes.front(), IDNO), BM_CLICK, 0, 0);
    }
    const Scene shown = p.WaitFor([](const Scene& s) { return s.ended || (s.main && s.boxes.empty()); }, Timeout);
    if (!shown.main) throw std::runtime_error("no main window was shown");
    s.toMain = Seconds() - p.StartedAt();
    DWORD_PTR chars = 0;
    SendMessageTimeoutW(FindWindowExW(shown.main, nullptr, L"Edit", nullptr), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL,
                        30000, &chars);
    s.viewChars = chars;
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(p.Process(), &memory, sizeof memory);
    s.peakWorkingSet = memory.PeakWorkingSetSize / 1e6;
    s.peakPrivate = memory.PeakPagefileUsage / 1e6;
    PostMessageW(shown.main, WM_CLOSE, 0, 0);
    p.Ended(30000);
    return s;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void Report(const char* name, const std::vector<Sample>& samples, bool warning) {
    std::vector<double> toMain, toWarning, ws, priv;
    std::printf("  %-17s", name);
    for (const Sample& s : samples) {
        toMain.push_back(s.toMain), toWarning.push_back(s.toWarning);
        ws.push_back(s.peakWorkingSet), priv.push_back(s.peakPrivate);
        std::printf(" %6.2f", s.toMain);
    }
    std::printf("  | median %6.2f s", Median(toMain));
    if (warning) std::printf(" (warning at %.2f s)", Median(toWarning));
    std::printf("  | peak memory %5.0f MB working set, %5.0f MB private | view %zu chars\n",
                *std::max_element(ws.begin(), ws.end()), *std::max_element(priv.begin(), priv.end()),
                samples.back().viewChars);
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("usage: hostovik-bench.exe RUNS FILE...\n");
        return 2;
    }
    wchar_t self[MAX_PATH], temp[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    const std::wstring hostovik = Folder(Folder(Folder(self))) + L"\\hostovik.exe";
    const std::wstring minimal = Folder(self) + L"\\minimal_view.exe";
    const std::wstring windir = temp + std::wstring(L"hostovik-bench\\WINDOWS");
    const std::wstring etc = windir + L"\\System32\\drivers\\etc";
    for (size_t at = etc.find(L'\\', 3); at != std::wstring::npos; at = etc.find(L'\\', at + 1))
        CreateDirectoryW(etc.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(etc.c_str(), nullptr);
    const int runs = _wtoi(argv[1]);

    const std::wstring hosts = etc + L"\\hosts";
    try {
        WriteFileBytes(hosts, "127.0.0.1 localhost\r\n");
        Program empty(L"\"" + hostovik + L"\"", {{L"windir", windir}}, L"");
        const double baseline = Measure(empty, true).peakWorkingSet;
        std::printf("hostovik.exe on a one-line hosts file: peak working set %.0f MB\n", baseline);
        for (int f = 2; f < argc; ++f) {
            const std::wstring file = argv[f];
            const std::optional<std::string> bytes = ReadFileBytes(file);
            if (!bytes || !CopyFileW(file.c_str(), hosts.c_str(), FALSE)) throw std::runtime_error("cannot read " + Utf8(file));
            const double mb = bytes->size() / 1e6;
            std::printf("%s: %.1f MB, %zu lines; seconds to the main window shown, run by run\n", Utf8(file).c_str(),
                        mb, static_cast<size_t>(std::count(bytes->begin(), bytes->end(), '\n')));
            std::vector<Sample> ours, theirs;
            for (int run = 0; run < runs; ++run) {  // interleaved, so that drift hits both alike
                Program p(L"\"" + hostovik + L"\"", {{L"windir", windir}}, L"");
                ours.push_back(Measure(p, true));
                Program q(L"\"" + minimal + L"\" \"" + hosts + L"\"", {}, L"", L"MinimalView");
                theirs.push_back(Measure(q, false));
            }
            Report("hostovik.exe", ours, true);
            Report("minimal_view.exe", theirs, false);
            std::vector<double> a, b, peak;
            for (const Sample& s : ours) a.push_back(s.toMain), peak.push_back(s.peakWorkingSet);
            for (const Sample& s : theirs) b.push_back(s.toMain);
            std::printf("  ratio of medians %.2f (target: 1.5 at most); hostovik.exe's peak working set %.0f MB over "
                        "the one-line run (target: 4 x file + 10 MB = %.0f MB at most)\n",
                        Median(a) / Median(b), *std::max_element(peak.begin(), peak.end()) - baseline, 4 * mb + 10);
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::printf("failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
