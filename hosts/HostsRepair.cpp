#include "hosts/HostsRepair.h"

#include <algorithm>

#include "app/Caption.h"
#include "hosts/HostsMessages.h"
#include "hosts/HostsText.h"
#include "hosts/Resolver.h"
#include "hosts/StockHosts.h"
#include "Module1/Module1.h"

namespace {

// Entries past the view's cap that follow its note: a padded file hides nothing.
constexpr std::size_t ListedPastView = 2000;

}  // namespace

void RequireWindowsFolder(FileSystem& files, const std::wstring& windowsDir) {
    const std::optional<std::uint32_t> system = files.Attributes(windowsDir + L"\\System32");
    if (!system || !(*system & win::FileAttributeDirectory))
        throw Failure(win::ErrorPathNotFound, windowsDir + L"\n" + std::wstring(NoWindowsThere));
}

std::wstring HostsRepair::ResolveHostsPath() {
    if (!otherWindows_.empty()) RequireWindowsFolder(s_.files, otherWindows_);
    WindowsDir = otherWindows_.empty() ? s_.env.WindowsDirectory() : otherWindows_;
    return HostsPathFor(WindowsDir);
}

void HostsRepair::RunIntegrityCheck() {
    if (otherWindows_.empty()) OfferRedirectReset();
    const std::wstring path = ResolveHostsPath();
    HostsScan scan(ListedPastView, ViewCap);
    std::wstring view;
    {
        // Read piece by piece: every LF is counted, the view keeps the start of the file and the
        // entries past it. A missing file shows an empty view and counts as modified, so that
        // the repair can create it.
        std::string head;
        unsigned long long size = 0;
        store_.ReadHostsBytes(path, [&](std::string_view chunk) {
            scan.Add(chunk);
            size += chunk.size();
            head.append(chunk.substr(0, ViewCap - std::min(ViewCap, head.size())));
        });
        scan.Finish();
        view = BuildViewText(head, s_.cp);
        if (size > head.size()) {
            view += ViewCutNote(size, head.size(), scan.entries);
            for (const std::string& line : scan.listed) view += BuildViewText(line, s_.cp);
            if (scan.entries > scan.listed.size()) view += EntriesNotListed(scan.entries, scan.listed.size());
        }
    }  // the bytes are freed before the view takes its copy
    windows_.ShowHostsView(std::move(view));
    if (scan.lineFeeds == ExpectedLineCount) {
        ConfirmUnmodified();
    } else if (s_.ui.MsgBox(ModifiedWarning, vbYesNo + vbCritical, DetectionTitle()) == Answer::Yes) {
        RepairMethod1();
    }
    store_.CloseHosts();
}

void HostsRepair::ConfirmUnmodified() {
    if (s_.ui.MsgBox(UnmodifiedQuestion, vbYesNo + vbInformation, DetectionTitle()) == Answer::No)
        windows_.UnloadMainWindow();
}

// Malware can point Windows at a hosts file of its own: then repairing the usual one would
// change nothing, and the check would call it fine.
void HostsRepair::OfferRedirectReset() {
    const std::optional<Redirect> redirect = HostsRedirect(s_);
    if (!redirect ||
        s_.ui.MsgBox(RedirectWarning(redirect->shown), vbYesNo + vbCritical, DetectionTitle()) == Answer::No)
        return;
    // A value malware keeps from being written (by its permissions, say) must not cost the user
    // the repair of the file: the failure is told, and the check goes on.
    try {
        ResetHostsRedirect(s_);
    } catch (const Failure& f) {
        s_.ui.MsgBox(RedirectNotReset(f.Code(), s_.env.ErrorText(f.Code()), f.Subject()), vbOKOnly + vbCritical,
                     MainCaption);
        return;
    }
    s_.ui.MsgBox(RedirectReset(redirect->shown), vbOKOnly + vbInformation, MainCaption);
}

// The stock content in the hosts file's place, and the DNS client's old answers gone, before
// any message says so.
void HostsRepair::PutStockHosts(const std::wstring& path) {
    store_.OpenHostsForOutput(path);
    store_.WriteStockHosts();
    store_.CloseHosts();
    FlushDnsCache(s_);
}

void HostsRepair::RepairMethod1() {
    const std::wstring path = ResolveHostsPath();
    s_.ui.MsgBox(Method1Warning, vbOKOnly + vbInformation, MainCaption);
    PutStockHosts(path);
    s_.ui.MsgBox(Method1Done, vbOKOnly + vbInformation, MainCaption);
    CloseAllWindows();
}

// The old file goes only as the complete new one takes its place, so that no failure can
// leave the machine without a hosts file.
void HostsRepair::RepairMethod2() {
    const std::wstring path = ResolveHostsPath();
    s_.ui.MsgBox(Method2Warning, vbOKOnly + vbInformation, Method2Title);
    PutStockHosts(path);
    if (s_.ui.MsgBox(Method2Question, vbYesNo + vbInformation, MainCaption) == Answer::Yes) {
        try {
            RebootMachine(s_.reboot, true);
        } catch (const Failure& f) {
            throw Failure(f.Code(), std::wstring(HostsReplacedRestartByHand));
        }
    }
    CloseAllWindows();
}

// route.exe from the system folder by its full path: a copy beside the program or in the
// current folder must never run with the administrator's rights.
void HostsRepair::RepairMethod3() {
    if (s_.ui.MsgBox(Method3Question, vbYesNo + vbInformation, MainCaption) == Answer::No) return;
    const std::wstring route = s_.env.SystemDirectory() + L"\\route.exe";
    s_.processes.Start(route, L"\"" + route + L"\" -f", win::ShowMinimized);
    CloseAllWindows();
}

void HostsRepair::CloseAllWindows() {
    windows_.UnloadMainWindow();
    windows_.UnloadAboutDialog();
}
