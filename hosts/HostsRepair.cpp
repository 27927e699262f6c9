#include "hosts/HostsRepair.h"

#include "app/Caption.h"
#include "hosts/HostsText.h"
#include "hosts/StockHosts.h"

namespace {

constexpr std::wstring_view ModifiedWarning =
    L"Внимание! Возможно был изменен файл ''hosts'', заменить его на оригинальный?";
constexpr std::wstring_view UnmodifiedQuestion =
    L"Файл ''hosts'' НЕ был изменен, продолжить загрузку программы?";
constexpr std::wstring_view Method1Warning =
    L"Внимание! После нажатия на кнопку ''ОК'' Сайты будут разблокированы. Если сайты не "
    L"разблокировались, то попробуйте перезагрузить Ваш компьютер, если не помогло, попробуйте "
    L"остальные 2 способа и помните данная программа НЕ гарантирует разблокировки компьютера!";
constexpr std::wstring_view Method1Done =
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка "
    L"не помогла, попробуйте ''Способ №2''. После нажатия на кнопку ''OK'', программа закроется!";
constexpr std::wstring_view Method2Title = L"Предупреждение!";
constexpr std::wstring_view Method2Warning =
    L"Внимание! Данный способ лучше использовать, ТОЛЬКО в том случае, если 1-й способ не помог!";
constexpr std::wstring_view Method2Question =
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка "
    L"не помогла, попробуйте способ №3! Произвести перезагрузку компьтера сейчас?";
constexpr std::wstring_view Method3Question =
    L"Внимание! После данного способа, Вам придется снова включить Ваше соединения (возможно "
    L"потребуется перезагрузка компьютера)!Продолжить?";

constexpr std::wstring_view RouteFlush = L"route -f";
constexpr int ShowMinimized = 2;  // SW_SHOWMINIMIZED: minimized, with the focus

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
    s_.windows.ShowHostsView(std::move(view));
    if (lineFeeds == ExpectedLineCount) {
        ConfirmUnmodified();
    } else if (s_.ui.MsgBox(ModifiedWarning, vbYesNo + vbCritical, DetectionTitle()) == Answer::Yes) {
        RepairMethod1();
    }
    store_.CloseHosts();
}

void HostsRepair::ConfirmUnmodified() {
    if (s_.ui.MsgBox(UnmodifiedQuestion, vbYesNo + vbInformation, DetectionTitle()) == Answer::No)
        s_.windows.UnloadMainWindow();
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
    s_.processes.Start(std::wstring(RouteFlush), ShowMinimized);
    CloseAllWindows();
}

void HostsRepair::CloseAllWindows() {
    s_.windows.UnloadMainWindow();
    s_.windows.UnloadAboutDialog();
}
