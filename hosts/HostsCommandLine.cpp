#include "hosts/HostsCommandLine.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "hosts/HostsRepair.h"
#include "hosts/HostsMessages.h"
#include "hosts/HostsStore.h"
#include "hosts/HostsText.h"
#include "hosts/Resolver.h"
#include "hosts/StockHosts.h"

namespace {

constexpr std::size_t ShownEntries = 10;

constexpr wchar_t UsageText[] =
    L"Хостовик: проверка и восстановление файла hosts.\n"
    L"  hostovik-cli.exe /check         проверить файл hosts и папку, откуда Windows его читает\n"
    L"  hostovik-cli.exe /repair        вернуть стандартную папку; заменить файл стандартным, если\n"
    L"                                  в нём есть записи (копия старого остаётся рядом); очистить кэш DNS\n"
    L"  hostovik-cli.exe /restore:ФАЙЛ  вернуть на место hosts ФАЙЛ, например копию .bak\n"
    L"  /windir:ПАПКА  работать с Windows в ПАПКЕ, путь полный (например D:\\Windows из WinPE)\n"
    L"  /log:ФАЙЛ      дописать в ФАЙЛ (UTF-8, можно на общем ресурсе) строку об этом запуске\n"
    L"  /utf8          вывод в канал или файл в UTF-8, а не в кодовой странице консоли\n"
    L"Последняя строка вывода: RESULT hosts=clean|modified|missing|unchecked redirected=yes|no|unchecked\n"
    L"changed=yes|no|pending exit=КОД.\n"
    L"Коды выхода: 0 - файл чистый или готово; 1 - в файле есть записи или папка перенаправлена;\n"
    L"3010 - папка возвращена или файл hosts занят и будет заменён, всё это после перезагрузки;\n"
    L"87 - неверный ключ; другое число - номер ошибки Windows; файл hosts тогда оставлен как был,\n"
    L"если в строке RESULT нет changed=yes.";

enum class Hosts { Unchecked, Clean, Modified, Missing };
enum class Changed { No, Yes, Pending };  // pending: at the next start of Windows

// One run without a window: it says each result on the console and keeps what the log and the
// last line need.
struct Run {
    Run(const Platform& s, const Command& c) : s(s), c(c) {}

    const Platform& s;
    const Command& c;
    std::wstring result, backup = L"-";  // for the log: what came of the run, the copy of the old file
    Hosts hosts = Hosts::Unchecked;
    std::optional<bool> redirected;  // nothing: not looked at
    Changed changed = Changed::No;
    HostsStore store{s.files, s.processes, s.clock, c.windowsDir.empty()};
    std::uint32_t outputLost = 0;  // the error that stopped the console

    // A console that fails is not written to again; the run goes on, and its log tells.
    void Say(const std::wstring& line) {
        if (outputLost || !s.console.Available()) return;
        try {
            s.console.WriteLine(line);
        } catch (const Failure& f) {
            outputLost = f.Code() ? f.Code() : win::ErrorInternalError;
        }
    }
    // The result for the log, said too.
    void Result(const std::wstring& line) {
        result += (result.empty() ? L"" : L"; ") + line;
        Say(line);
    }
    std::wstring ErrorWords(std::uint32_t code) { return L"ошибка " + std::to_wstring(code) + L": " + s.env.ErrorText(code); }

    // Where Windows reads hosts from; another installation's registry is not the running one's.
    std::optional<Redirect> Redirected() {
        if (!c.windowsDir.empty()) {
            Say(L"DataBasePath не проверено: оно относится к запущенной Windows, а не к /windir:");
            return std::nullopt;
        }
        std::optional<Redirect> redirect = HostsRedirect(s);
        redirected = redirect.has_value();
        if (redirect) Say(L"DataBasePath: Windows читает hosts не из стандартной папки: " + redirect->shown);
        return redirect;
    }

    // Reads the file whole and says what it holds: the hosts file itself, or (not `hostsFile`)
    // the one in the folder DataBasePath names, with the run's ordinary rights.
    Hosts Scan(const std::wstring& path, bool hostsFile = true) {
        HostsScan scan(ShownEntries);
        std::string head;  // enough to tell a stock file
        const auto take = [&](std::string_view chunk) {
            scan.Add(chunk);
            head.append(chunk.substr(0, LongestStockFile + 1 - std::min(LongestStockFile + 1, head.size())));
        };
        const bool exists = hostsFile ? store.ReadHostsBytes(path, take) : s.files.ReadOrdinaryFile(path, take);
        if (!exists) {
            Say(L"файла нет: записей нет");
            return Hosts::Missing;
        }
        scan.Finish();
        const std::wstring_view version = StockVersionOf(head);
        Say(L"переводов строк: " + std::to_wstring(scan.lineFeeds) +
            (version.empty() ? L"" : L" (стандартный файл " + std::wstring(version) + L")"));
        Say(L"записей, кроме localhost на этом компьютере: " + std::to_wstring(scan.entries));
        for (const std::string& line : scan.listed) Say(L"  " + Printable(s.cp.ToWide(line)));
        return scan.entries ? Hosts::Modified : Hosts::Clean;
    }

    int Check(const std::wstring& path, const std::optional<Redirect>& redirect) {
        hosts = Scan(path);
        if (redirect && !redirect->folder.empty()) {
            const std::wstring read = redirect->folder + L"\\hosts";
            Say(L"файл, который читает Windows: " + Printable(read));
            Scan(read, false);
        } else if (redirect) {
            Say(L"файл, который читает Windows, не проверен: DataBasePath не называет папку на локальном диске");
        }
        Result(hosts == Hosts::Missing ? L"файла hosts нет"
               : hosts == Hosts::Clean ? L"файл hosts чистый"
                                       : L"файл hosts изменён");
        if (redirect) Result(L"папка hosts перенаправлена");
        return hosts == Hosts::Modified || redirect ? ExitFound : 0;
    }

    // A repair and a restore go on when the file cannot be read: what keeps it from being read
    // may well be what blocks the sites.
    Hosts ScanToReplace(const std::wstring& path) {
        try {
            return Scan(path);
        } catch (const Failure& f) {
            Say(L"файл не прочитан: " + ErrorWords(f.Code()));
            return Hosts::Unchecked;
        }
    }

    // The repair and the restore: the new content safely in place, then the DNS cache cleared;
    // or, while another program keeps holding the file, at the next start of Windows: true then.
    bool Replace(const std::wstring& path) {
        std::optional<HostsChange> change = store.PendingChange(path);
        try {
            if (!change) {
                store.OpenHostsForOutput(path);
                if (c.action == Command::Repair) store.WriteStockHosts();
                else store.WriteHostsFrom(c.restoreFrom);
                change = store.CloseHosts();
            }
        } catch (const Failure&) {
            changed = store.Replaced() ? Changed::Yes : Changed::No;
            throw;
        }
        if (!change->copy.empty()) backup = change->copy;
        const std::wstring what = c.action == Command::Repair ? L"стандартным" : L"файлом " + Printable(c.restoreFrom);
        if (change->state == HostsChange::Pending) {
            changed = Changed::Pending;
            Result(L"замена файла hosts уже назначена на перезагрузку Windows: его место займёт " + change->newFile +
                   (change->copyAtRestart ? L", а сам он станет копией " + change->copy : L""));
            return true;
        }
        if (change->state == HostsChange::AtRestart) {
            const std::wstring holders = HolderNames(change->holders);
            Say(L"файл hosts занят другой программой: " + (holders.empty() ? L"Windows не называет какой" : holders));
        }
        Say(change->copyAtRestart ? L"при перезагрузке Windows старый файл станет копией " + change->copy
            : change->copy.empty() ? L"копия старого файла не нужна: его не было или он стандартный"
                                   : L"копия старого файла: " + change->copy);
        if (change->state == HostsChange::AtRestart) {
            changed = Changed::Pending;
            Result(L"файл hosts будет заменён " + what + L" при перезагрузке Windows: его место займёт " + change->newFile);
            return true;
        }
        changed = Changed::Yes;
        Result(L"файл hosts заменён " + what);
        const std::uint32_t flush = FlushDnsCache(s);
        Result(flush ? L"кэш DNS не очищен (" + ErrorWords(flush) + L"); его очистит перезагрузка" : L"кэш DNS очищен");
        return false;
    }

    // A repair changes only what needs it: a clean file stays as it is, with no copy.
    int Repair(const std::wstring& path, const std::optional<Redirect>& redirect) {
        int code = 0;
        if (redirect) {
            // A value malware keeps from being written (by its permissions, say) must not cost the
            // hosts file its repair: the run goes on, and ends with the error.
            try {
                ResetHostsRedirect(s);
                changed = Changed::Yes;
                code = static_cast<int>(win::ErrorSuccessRebootRequired);
                Result(L"DataBasePath возвращено к стандартному, было: " + redirect->shown +
                       L"; Windows прочтёт его после перезагрузки");
            } catch (const Failure& f) {
                code = static_cast<int>(f.Code());
                Result(L"DataBasePath не возвращено к стандартному: " + ErrorWords(f.Code()) + L" (" +
                       Printable(f.Subject()) + L")");
            }
        }
        hosts = ScanToReplace(path);
        if (hosts != Hosts::Modified && hosts != Hosts::Unchecked) Result(L"файл hosts не изменён: записей в нём нет");
        else if (Replace(path)) code = static_cast<int>(win::ErrorSuccessRebootRequired);
        return code;
    }

    int Act() {
        const std::wstring path = HostsPathFor(c.windowsDir.empty() ? s.env.WindowsDirectory() : c.windowsDir);
        Say(L"файл hosts: " + Printable(path));
        if (!c.windowsDir.empty()) RequireWindowsFolder(s.files, c.windowsDir);
        if (c.action == Command::Restore) {
            hosts = ScanToReplace(path);
            return Replace(path) ? static_cast<int>(win::ErrorSuccessRebootRequired) : 0;
        }
        const std::optional<Redirect> redirect = Redirected();
        return c.action == Command::Check ? Check(path, redirect) : Repair(path, redirect);
    }

    // The log, opened as it is at its path: a program that holds it for a moment is waited for.
    std::unique_ptr<OutputFile> OpenLog(FileFacts& facts) {
        for (int attempt = 1;; ++attempt) {
            try {
                return s.files.OpenToAppend(c.log, facts);
            } catch (const Failure& f) {
                if (!HeldByAnother(f) || attempt == HeldAttempts) throw;
            }
            s.clock.Sleep(HeldPauseMs);
        }
    }

    // Adds the run's line to the log; returns why it was not written, or nothing.
    std::wstring Log(int code) {
        const LocalTime t = s.clock.Now();
        wchar_t stamp[32];
        std::swprintf(stamp, 32, L"%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
        const wchar_t* action = c.action == Command::Check ? L"check" : c.action == Command::Repair ? L"repair" : L"restore";
        if (outputLost) result += L"; вывод не записан: " + ErrorWords(outputLost);
        try {
            FileFacts facts;
            const std::unique_ptr<OutputFile> log = OpenLog(facts);
            // The elevated run appends only to the plain file that the name seems to be: a link,
            // or a second name of another file, would have it write wherever its maker chose.
            if (!facts.disk) return L"это не файл на диске";
            if (facts.attributes & win::FileAttributeReparsePoint) return L"это ссылка, а не файл";
            if (facts.attributes & win::FileAttributeDirectory) return L"это папка";
            if (facts.links > 1) return L"у файла несколько имён (жёсткие ссылки)";
            log->Write(Utf8(std::wstring(stamp) + L"\t" + Printable(s.env.ComputerName()) + L"\t" + action + L"\t" +
                            std::to_wstring(code) + L" " + Printable(result) + L"\t" + Printable(backup) + L"\r\n"));
            log->Close();
        } catch (const Failure& f) {
            return ErrorWords(f.Code());
        }
        return L"";
    }

    // The last line, in ASCII, for scripts in any language.
    std::wstring Summary(int code) const {
        static constexpr const wchar_t* HostsWords[] = {L"unchecked", L"clean", L"modified", L"missing"};
        static constexpr const wchar_t* ChangedWords[] = {L"no", L"yes", L"pending"};
        return std::wstring(L"RESULT hosts=") + HostsWords[static_cast<int>(hosts)] +
               L" redirected=" + (redirected ? (*redirected ? L"yes" : L"no") : L"unchecked") +
               L" changed=" + ChangedWords[static_cast<int>(changed)] + L" exit=" + std::to_wstring(code);
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

// A drive's folder (X:\...) or a share's (\\server\share...): never one relative to whatever
// the current folder or drive happens to be.
bool IsAbsolute(const std::wstring& path) {
    const bool drive = path.size() >= 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') &&
                       path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    return drive || path.starts_with(L"\\\\");
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
        else if (name == L"utf8" && !c.utf8) c.utf8 = true;
        else if (TakeValue(name, L"restore", value)) act(Command::Restore), c.restoreFrom = value;
        else if (TakeValue(name, L"windir", value) && c.windowsDir.empty() && IsAbsolute(value)) c.windowsDir = value;
        else if (TakeValue(name, L"log", value) && c.log.empty()) c.log = value;
        else return Invalid();
    }
    // A log and an output's code page are of an action; the usage takes no folder and no log.
    if ((c.action == Command::Window && (!c.log.empty() || c.utf8)) ||
        (c.action == Command::Usage && (!c.log.empty() || !c.windowsDir.empty())))
        return Invalid();
    return c;
}

int RunCommand(const Platform& s, const Command& c) {
    Run run{s, c};
    int code = 0;
    if (c.action == Command::Usage || c.action == Command::Invalid) {
        code = c.action == Command::Usage ? 0 : static_cast<int>(win::ErrorInvalidParameter);
        // A message box only when it was asked for: a mistyped switch in a script nobody watches
        // must not wait for an answer.
        if (!s.console.Available()) {
            if (c.action == Command::Usage) s.ui.MsgBox(UsageText, vbOKOnly + vbInformation, L"");
            return code;
        }
        run.Say(UsageText);
        run.Say(run.Summary(code));
        return code;
    }
    try {
        code = run.Act();
    } catch (const Failure& f) {
        code = static_cast<int>(f.Code());
        std::wstring subject = f.Subject();  // the file, and on a line of its own what became of it
        std::replace(subject.begin(), subject.end(), L'\n', L' ');
        run.Result(run.ErrorWords(f.Code()) + (subject.empty() ? L"" : L" (" + Printable(subject) + L")"));
    }
    if (!c.log.empty()) {
        const std::wstring notLogged = run.Log(code);
        if (!notLogged.empty()) run.Say(L"строка журнала не записана: " + notLogged + L" (" + Printable(c.log) + L")");
    }
    run.Say(run.Summary(code));
    return code;
}
