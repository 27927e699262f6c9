#include "forms/Form1/HostsRepair.h"

#include <algorithm>

#include "app/Caption.h"
#include "forms/Form1/Form1Messages.h"
#include "hosts/DnsCache.h"
#include "hosts/HostsMessages.h"
#include "hosts/EntryKinds.h"
#include "hosts/HostsText.h"
#include "hosts/StockHosts.h"
#include "lookup/Inspection.h"
#include "lookup/Undo.h"
#include "Module1/Module1.h"

namespace {

// Entries past the view's cap that follow its note: a padded file hides nothing.
constexpr std::size_t ListedPastView = 2000;

}  // namespace

std::wstring HostsRepair::ResolveHostsPath() {
    if (!otherWindows_.empty()) RequireWindowsFolder(s_.files, otherWindows_);
    WindowsDir = otherWindows_.empty() ? s_.env.WindowsDirectory() : otherWindows_;
    return HostsPathFor(WindowsDir);
}

void HostsRepair::RunIntegrityCheck() {
    const std::wstring path = ResolveHostsPath();  // a folder without Windows has no registry to load
    const LookupReport lookup = CheckRegistry(path);
    std::size_t lineFeeds = 0;
    std::wstring view;
    std::vector<std::wstring> entries;  // what the hosts file's entries do
    try {
        // Read piece by piece: every LF is counted, the view keeps the start of the file and the
        // entries past it. A missing file shows an empty view and counts as modified, so that
        // the repair can create it.
        HostsScan scan(ListedPastView, ViewCap);
        std::string head;
        unsigned long long size = 0;
        store_.ReadHostsBytes(path, [&](std::string_view chunk) {
            scan.Add(chunk);
            size += chunk.size();
            head.append(chunk.substr(0, ViewCap - std::min(ViewCap, head.size())));
        });
        scan.Finish();
        lineFeeds = scan.lineFeeds;
        entries = EntrySummary(scan.tally, s_.cp);
        view = BuildViewText(head, s_.cp);
        if (size > head.size()) {
            view += ViewCutNote(size, head.size(), scan.entries);
            for (const std::string& line : scan.listed) view += BuildViewText(line, s_.cp);
            if (scan.entries > scan.listed.size()) view += EntriesNotListed(scan.entries, scan.listed.size());
        }
    } catch (const Failure& f) {
        // A file that cannot be read (held by the program that blocks the sites, say) still
        // opens the window: the view says why, and the warning offers the repair.
        view = HostsNotRead(f.Code(), s_.env.ErrorText(f.Code()));
    }  // the bytes are freed before the view takes its copy
    windows_.ShowHostsView(std::move(view));
    TellOtherPlaces(lookup, entries, path);
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

// The lookup path, read while the registry of the Windows worked on is loaded; then, with it
// unloaded, where Windows reads hosts from offered back to its default.
LookupReport HostsRepair::CheckRegistry(const std::wstring& path) {
    // Another installation whose registry cannot be loaded (the running one by another name, a
    // share, one without it): the window opens on it unchecked, as it always has.
    Inspection found = Inspect(s_, otherWindows_, path,
        [this](WindowsRegistry& registry, const Redirect& redirect) { OfferRedirectReset(registry, redirect); });
    if (found.notUnloaded) throw *found.notUnloaded;
    return std::move(found.lookup);
}

// Malware can point Windows at a hosts file of its own: then repairing the usual one would
// change nothing, and the check would call it fine.
void HostsRepair::OfferRedirectReset(WindowsRegistry& registry, const Redirect& redirect) {
    if (s_.ui.MsgBox(RedirectWarning(redirect.shown), vbYesNo + vbCritical, DetectionTitle()) == Answer::Yes)
        ResetRedirect(registry, redirect.shown);
}

// The other places that send a site elsewhere, in one message, when there are any; a proxy on
// this computer is offered to be switched off, its old values kept first.
// It opens with what the hosts file's entries do.
void HostsRepair::TellOtherPlaces(
    const LookupReport& lookup, const std::vector<std::wstring>& entries, const std::wstring& path) {
    if (lookup.findings.empty()) return;
    std::vector<std::wstring> lines = entries;
    for (const Finding& finding : lookup.findings) lines.push_back(Words(finding));
    lines.insert(lines.end(), lookup.notes.begin(), lookup.notes.end());
    const bool ask = AnyUndo(lookup.findings);
    const Answer answer = s_.ui.MsgBox(
        OtherPlacesFound(lines, ask), (ask ? vbYesNo + vbCritical : vbOKOnly + vbInformation), DetectionTitle());
    if (!ask || answer != Answer::Yes) return;
    const Undone undone = UndoFindings(s_, lookup.findings, path);
    const std::wstring later =
        undone.notTold ? BrowsersNotToldNote(undone.notTold->Code(), s_.env.ErrorText(undone.notTold->Code())) : L"";
    if (undone.failure) {
        const Failure& f = *undone.failure;
        s_.ui.MsgBox(
            RegFileNotWritten(f.Code(), s_.env.ErrorText(f.Code()), f.Subject()), vbOKOnly + vbCritical, MainCaption);
    } else if (!undone.notUndone.empty()) {
        std::vector<std::wstring> keys;
        for (const Failure& f : undone.notUndone)
            keys.push_back(f.Subject() + L": Ошибка " + std::to_wstring(f.Code()) + L": " + s_.env.ErrorText(f.Code()));
        s_.ui.MsgBox(ProxiesNotSwitchedOff(keys, undone.done, undone.regFile, undone.copies) + later,
            vbOKOnly + vbCritical, MainCaption);
    } else {
        s_.ui.MsgBox(ProxiesSwitchedOff(undone.regFile, undone.copies) + later, vbOKOnly + vbInformation, MainCaption);
    }
}

// A value malware keeps from being written (by its permissions, say) must not cost the user the
// repair of the file: the failure is told, and the check goes on.
void HostsRepair::ResetRedirect(WindowsRegistry& registry, const std::wstring& shown) {
    try {
        registry.ResetHostsRedirect();
    } catch (const Failure& f) {
        s_.ui.MsgBox(
            RedirectNotReset(f.Code(), s_.env.ErrorText(f.Code()), f.Subject()), vbOKOnly + vbCritical, MainCaption);
        return;
    }
    s_.ui.MsgBox(RedirectReset(shown), vbOKOnly + vbInformation, MainCaption);
}

// The stock content in the hosts file's place, and the DNS client's old answers gone, before
// any message says so: true. Or, while another program keeps holding the file, the stock one
// takes its place at the next start of Windows, which is told and offered now: false.
bool HostsRepair::PutStockHosts(const std::wstring& path) {
    const HostsChange change = store_.PutHosts(path, [](HostsStore& store) { store.WriteStockHosts(); });
    if (change.state == HostsChange::Replaced) {
        if (!IsOtherInstallation(s_, otherWindows_)) FlushDnsCache(s_);  // another's cache is not this computer's
        return true;
    }
    const std::wstring question =
        HostsWaitsForRestart(HolderNames(change.holders), change.state == HostsChange::Pending);
    if (s_.ui.MsgBox(question, vbYesNo + vbInformation, MainCaption) == Answer::Yes) Restart(HostsAtRestartByHand);
    return false;
}

// A forced restart; a refusal is told with what the user must do then.
void HostsRepair::Restart(std::wstring_view byHand) {
    try {
        RebootMachine(s_.reboot, true);
    } catch (const Failure& f) {
        throw Failure(f.Code(), std::wstring(byHand));
    }
}

void HostsRepair::RepairMethod1() {
    const std::wstring path = ResolveHostsPath();
    s_.ui.MsgBox(Method1Warning, vbOKOnly + vbInformation, MainCaption);
    if (PutStockHosts(path)) s_.ui.MsgBox(Method1Done, vbOKOnly + vbInformation, MainCaption);
    CloseAllWindows();
}

// The old file goes only as the complete new one takes its place, so that no failure can
// leave the machine without a hosts file.
void HostsRepair::RepairMethod2() {
    const std::wstring path = ResolveHostsPath();
    s_.ui.MsgBox(Method2Warning, vbOKOnly + vbInformation, Method2Title);
    if (PutStockHosts(path) && s_.ui.MsgBox(Method2Question, vbYesNo + vbInformation, MainCaption) == Answer::Yes)
        Restart(HostsReplacedRestartByHand);
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
