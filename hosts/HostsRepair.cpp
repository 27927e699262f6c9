#include "hosts/HostsRepair.h"

#include "app/Caption.h"
#include "hosts/HostsMessages.h"
#include "hosts/HostsText.h"
#include "hosts/StockHosts.h"
#include "Module1/Module1.h"

namespace {

constexpr std::wstring_view RouteFlush = L"route -f";

}  // namespace

std::wstring HostsRepair::ResolveHostsPath() {
    WindowsDir = s_.env.Get(L"windir").value_or(L"");
    return HostsPathFor(WindowsDir);
}

void HostsRepair::RunIntegrityCheck() {
    const std::wstring path = ResolveHostsPath();
    std::size_t lineFeeds = 0;
    std::wstring view;
    {
        // A missing file shows an empty view and counts as modified, so that the
        // repair can create it.
        const std::string bytes = store_.ReadHostsBytes(path).value_or(std::string());
        lineFeeds = CountLF(bytes);
        view = BuildViewText(bytes, s_.cp);
    }  // the bytes are freed before the view takes its copy: a large file is held twice at most
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

void HostsRepair::RepairMethod1() {
    const std::wstring path = ResolveHostsPath();
    s_.ui.MsgBox(Method1Warning, vbOKOnly + vbInformation, MainCaption);
    store_.BackupHosts(path, s_.clock.Now());
    store_.OpenHostsForOutput(path);
    store_.WriteStockHosts();
    // The new content takes the file's place only once this message is dismissed.
    s_.ui.MsgBox(Method1Done, vbOKOnly + vbInformation, MainCaption);
    store_.CloseHosts();
    CloseAllWindows();
}

void HostsRepair::RepairMethod2() {
    const std::wstring path = ResolveHostsPath();
    s_.ui.MsgBox(Method2Warning, vbOKOnly + vbInformation, Method2Title);
    store_.BackupHosts(path, s_.clock.Now());
    store_.DeleteHosts(path);
    store_.OpenHostsForOutput(path);
    store_.WriteStockHosts();
    store_.CloseHosts();
    if (s_.ui.MsgBox(Method2Question, vbYesNo + vbInformation, MainCaption) == Answer::Yes)
        RebootMachine(s_.reboot, true);
    CloseAllWindows();
}

void HostsRepair::RepairMethod3() {
    if (s_.ui.MsgBox(Method3Question, vbYesNo + vbInformation, MainCaption) == Answer::No) return;
    s_.processes.Start(std::wstring(RouteFlush), win::ShowMinimized);
    CloseAllWindows();
}

void HostsRepair::CloseAllWindows() {
    windows_.UnloadMainWindow();
    windows_.UnloadAboutDialog();
}
