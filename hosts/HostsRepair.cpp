#include "hosts/HostsRepair.h"

#include <algorithm>

#include "app/Caption.h"
#include "hosts/HostsMessages.h"
#include "hosts/HostsText.h"
#include "hosts/Resolver.h"
#include "hosts/StockHosts.h"
#include "Module1/Module1.h"

std::wstring HostsRepair::ResolveHostsPath() {
    WindowsDir = s_.env.Get(L"windir").value_or(L"");
    return HostsPathFor(WindowsDir);
}

void HostsRepair::RunIntegrityCheck() {
    if (checkRedirect_) OfferRedirectReset();
    const std::wstring path = ResolveHostsPath();
    std::size_t lineFeeds = 0;
    unsigned long long size = 0;
    std::wstring view;
    {
        // Read piece by piece: every LF is counted, the view keeps the start of the file. A
        // missing file shows an empty view and counts as modified, so that the repair can create it.
        std::string head;
        store_.ReadHostsBytes(path, [&](std::string_view chunk) {
            lineFeeds += CountLF(chunk);
            size += chunk.size();
            head.append(chunk.substr(0, ViewCap - std::min(ViewCap, head.size())));
        });
        view = BuildViewText(head, s_.cp);
        if (size > head.size()) view += ViewCutNote(size, head.size());
    }  // the bytes are freed before the view takes its copy
    windows_.ShowHostsView(std::move(view));
    if (lineFeeds == ExpectedLineCount) {
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
    const std::optional<std::wstring> folder = HostsRedirect(s_);
    if (!folder || s_.ui.MsgBox(RedirectWarning(*folder), vbYesNo + vbCritical, DetectionTitle()) == Answer::No) return;
    ResetHostsRedirect(s_);
    s_.ui.MsgBox(RedirectReset(*folder), vbOKOnly + vbInformation, MainCaption);
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
