#include "hosts/HostsCommandLine.h"

#include <cstdio>

#include "hosts/HostsStore.h"
#include "hosts/HostsText.h"
#include "hosts/Resolver.h"
#include "hosts/StockHosts.h"

namespace {

constexpr int Modified = 1;

constexpr wchar_t UsageText[] =
    L"Хостовик: проверка и восстановление файла hosts.\n"
    L"  hostovik.exe                окно программы\n"
    L"  hostovik.exe /check         проверить файл hosts и папку, откуда Windows его читает\n"
    L"  hostovik.exe /repair        заменить файл стандартным (копия старого остаётся рядом),\n"
    L"                              вернуть стандартную папку, очистить кэш DNS\n"
    L"  hostovik.exe /restore:ФАЙЛ  вернуть на место hosts ФАЙЛ, например копию .bak\n"
    L"  /windir:ПАПКА  работать с Windows в ПАПКЕ (например D:\\Windows из WinPE); одно оно открывает окно\n"
    L"  /log:ФАЙЛ      дописать в ФАЙЛ (UTF-8, можно на общем ресурсе) строку об этом запуске\n"
    L"Коды выхода: 0 - готово или файл стандартный; 1 - файл изменён, его нет или папка перенаправлена;\n"
    L"87 - неверный ключ; другое число - номер ошибки Windows.";

// One run without a window: it says each result on the console and keeps what the log needs.
struct Run {
    const Platform& s;
    const Command& c;
    std::wstring result, backup;  // for the log: what came of the run, the copy of the old file

    void Say(const std::wstring& line) {
        if (s.console.Available()) s.console.WriteLine(line);
    }
    // The result for the log, said too.
    void Result(const std::wstring& line) {
        result += (result.empty() ? L"" : L"; ") + line;
        Say(line);
    }

    // Whether Windows reads hosts from elsewhere; the check is not for another installation.
    std::optional<std::wstring> Redirect() {
        if (!c.windowsDir.empty()) {
            Say(L"DataBasePath не проверено: оно относится к запущенной Windows, а не к /windir:");
            return std::nullopt;
        }
        const std::optional<std::wstring> folder = HostsRedirect(s);
        if (folder) Say(L"DataBasePath: Windows читает hosts из другой папки: " + *folder);
        return folder;
    }

    int Check(const std::wstring& path) {
        const bool redirected = Redirect().has_value();
        HostsScan scan;
        if (!s.files.ReadChunks(path, [&](std::string_view chunk) { scan.Add(chunk); })) {
            Result(L"файла hosts нет");
            return Modified;
        }
        scan.Finish();
        Say(L"переводов строк: " + std::to_wstring(scan.lineFeeds) + L" (в стандартном файле " +
            std::to_wstring(ExpectedLineCount) + L")");
        Say(L"строк с именами, кроме localhost: " + std::to_wstring(scan.mappingLines));
        for (const std::string& line : scan.firstLines) Say(L"  " + s.cp.ToWide(line));
        const bool stock = scan.lineFeeds == ExpectedLineCount && scan.mappingLines == 0;
        Result(stock ? L"файл hosts стандартный" : L"файл hosts изменён");
        if (redirected) Result(L"папка hosts перенаправлена");
        return stock && !redirected ? 0 : Modified;
    }

    // The repair and the restore: the new content safely in place, then the DNS cache cleared.
    int Replace(const std::wstring& path) {
        HostsStore store(s.files, s.processes, s.clock, s.cp);
        store.OpenHostsForOutput(path);
        if (c.action == Command::Repair) store.WriteStockHosts();
        else store.WriteHostsFrom(c.restoreFrom);
        const std::wstring copy = store.CloseHosts();
        if (!copy.empty()) backup = copy;
        Say(copy.empty() ? L"копия старого файла не нужна: его не было или он стандартный"
                         : L"копия старого файла: " + copy);
        Result(c.action == Command::Repair ? L"файл hosts заменён стандартным"
                                           : L"файл hosts заменён файлом " + c.restoreFrom);
        const std::uint32_t flush = FlushDnsCache(s);
        Result(flush ? L"кэш DNS не очищен (ошибка " + std::to_wstring(flush) + L": " + s.env.ErrorText(flush) +
                           L"); его очистит перезагрузка"
                     : L"кэш DNS очищен");
        return 0;
    }

    int Act() {
        const std::wstring path =
            HostsPathFor(c.windowsDir.empty() ? s.env.Get(L"windir").value_or(L"") : c.windowsDir);
        Say(L"файл hosts: " + path);
        if (c.action == Command::Check) return Check(path);
        if (c.action == Command::Repair) {
            if (const std::optional<std::wstring> folder = Redirect()) {
                ResetHostsRedirect(s);
                Result(L"DataBasePath возвращено к стандартному, было: " + *folder);
            }
        }
        return Replace(path);
    }

    void Log(int code) {
        const LocalTime t = s.clock.Now();
        wchar_t stamp[32];
        std::swprintf(stamp, 32, L"%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
        const wchar_t* action = c.action == Command::Check ? L"check" : c.action == Command::Repair ? L"repair" : L"restore";
        s.files.Append(c.log, Utf8(std::wstring(stamp) + L"\t" + s.env.ComputerName() + L"\t" + action + L"\t" +
                                   std::to_wstring(code) + L" " + result + L"\t" + backup + L"\r\n"));
    }
};

Command Invalid() {
    Command c;
    c.action = Command::Invalid;
    return c;
}

// A value switch: its name with ':' and the value, which must not be empty.
bool TakeValue(const std::wstring& arg, const wchar_t* name, std::wstring& value) {
    const std::wstring prefix = std::wstring(name) + L":";
    if (arg.size() <= prefix.size() || arg.compare(0, prefix.size(), prefix) != 0) return false;
    value = arg.substr(prefix.size());
    return true;
}

}  // namespace

Command ParseCommandLine(const std::vector<std::wstring>& args) {
    Command c;
    const auto act = [&c](Command::Action a) { c.action = c.action == Command::Window ? a : Command::Invalid; };
    for (const std::wstring& arg : args) {
        if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) return Invalid();
        std::wstring name = arg.substr(1);
        // Only the switch's name is case-blind: a file's name is kept as given.
        const std::size_t colon = name.find(L':');
        for (std::size_t i = 0; i < std::min(colon, name.size()); ++i)
            if (name[i] >= L'A' && name[i] <= L'Z') name[i] = static_cast<wchar_t>(name[i] - L'A' + L'a');
        std::wstring value;
        if (name == L"check") act(Command::Check);
        else if (name == L"repair") act(Command::Repair);
        else if (name == L"?") act(Command::Usage);
        else if (TakeValue(name, L"restore", value)) act(Command::Restore), c.restoreFrom = value;
        else if (TakeValue(name, L"windir", value) && c.windowsDir.empty()) c.windowsDir = value;
        else if (TakeValue(name, L"log", value) && c.log.empty()) c.log = value;
        else return Invalid();
    }
    // A log is of an action; the usage takes nothing else.
    if ((c.action == Command::Window && !c.log.empty()) ||
        (c.action == Command::Usage && (!c.log.empty() || !c.windowsDir.empty())))
        return Invalid();
    return c;
}

int RunCommand(const Platform& s, const Command& c) {
    if (c.action == Command::Usage || c.action == Command::Invalid) {
        if (s.console.Available()) s.console.WriteLine(UsageText);
        else s.ui.MsgBox(UsageText, vbOKOnly + (c.action == Command::Usage ? vbInformation : vbCritical), L"");
        return c.action == Command::Usage ? 0 : static_cast<int>(win::ErrorInvalidParameter);
    }
    Run run{s, c, L"", L"-"};
    int code = 0;
    try {
        code = run.Act();
    } catch (const Failure& f) {
        code = static_cast<int>(f.Code());
        run.Result(L"ошибка " + std::to_wstring(f.Code()) + L": " + s.env.ErrorText(f.Code()) +
                   (f.Subject().empty() ? L"" : L" (" + f.Subject() + L")"));
    }
    if (c.log.empty()) return code;
    try {
        run.Log(code);
    } catch (const Failure& f) {
        run.Say(L"строка журнала не записана: ошибка " + std::to_wstring(f.Code()) + L": " + s.env.ErrorText(f.Code()) +
                L" (" + c.log + L")");
        if (code == 0) code = static_cast<int>(f.Code());
    }
    return code;
}
