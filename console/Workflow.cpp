#include "console/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/AppInfo.h"
#include "hosts/HostsRepair.h"
#include "hosts/HostsMessages.h"
#include "hosts/HostsStore.h"
#include "hosts/Inspection.h"
#include "hosts/HostsText.h"
#include "hosts/LookupPath.h"
#include "hosts/Resolver.h"
#include "hosts/StockHosts.h"

namespace {

constexpr std::size_t ShownEntries = 10;
constexpr std::size_t ShownCopies = 10;

constexpr wchar_t UsageText[] =
    L"Хостовик: проверка и восстановление файла hosts.\n"
    L"  hostovik-cli.exe /check         проверить файл hosts и папку, откуда Windows его читает\n"
    L"  hostovik-cli.exe /repair        вернуть стандартную папку; заменить файл стандартным, если\n"
    L"                                  в нём есть записи (копия старого остаётся рядом); очистить кэш DNS\n"
    L"  hostovik-cli.exe /restore:ФАЙЛ  вернуть на место hosts ФАЙЛ, например копию .bak (имя без папки\n"
    L"                                  ищется сначала рядом с hosts)\n"
    L"  /windir:ПАПКА  работать с Windows в ПАПКЕ и с её реестром, путь полный (например D:\\Windows из WinPE)\n"
    L"  /allow:ФАЙЛ    записи компании (файл в формате hosts): для /check они не находка, /repair\n"
    L"                 пишет их после стандартного файла\n"
    L"  /log:ФАЙЛ      дописать в ФАЙЛ (UTF-8, можно на общем ресурсе) строку об этом запуске\n"
    L"  /utf8          вывод в канал или файл в UTF-8, а не в кодовой странице консоли\n"
    L"Проверяются и другие места, откуда Windows берёт адреса сайтов: hosts.ics, прокси, WinHTTP, серверы имён,\n"
    L"NRPT, Winsock; /repair отключает только прокси на этом компьютере (прежние значения - в файле .reg рядом с hosts).\n"
    L"Последняя строка вывода: RESULT hosts=clean|modified|missing|unchecked redirected=yes|no|unchecked\n"
    L"other=none|unchecked|ics,proxy,pac,winhttp,dns,nrpt,winsock changed=yes|no|pending exit=КОД; читайте поля по имени.\n"
    L"/check и /? работают с любыми правами, /repair и /restore: - только с правами администратора.\n"
    L"Коды выхода: 0 - файл чистый или готово; 1 - в файле есть записи или папка перенаправлена;\n"
    L"3010 - папка возвращена или файл hosts занят и будет заменён, всё это после перезагрузки;\n"
    L"740 - нужны права администратора; 87 - неверный ключ; другое число - номер ошибки Windows; файл hosts тогда оставлен как был,\n"
    L"если в строке RESULT нет changed=yes.";

enum class Hosts { Unchecked, Clean, Modified, Missing };
enum class Changed { No, Yes, Pending };  // pending: at the next start of Windows

// Vista and later tell by the token's elevation: an administrator's filtered token is no
// administrator's. XP has no elevation, only the membership.
bool MayChangeWindows(const TokenRights& rights) {
    return rights.elevated ? *rights.elevated : rights.administrator;
}

// One run without a window: it says each result on the console and keeps what the log and the
// last line need.
struct Run {
    Run(const Platform& s, const Command& c) : s(s), c(c) {}

    const Platform& s;
    const Command& c;
    const bool other = IsOtherInstallation(s, c.windowsDir);  // /windir: names another installation
    std::wstring result, backup = L"-";  // for the log: what came of the run, the copy of the old file
    std::wstring hostsPath;
    std::optional<std::uint64_t> entries;  // of the hosts file, once read
    Hosts hosts = Hosts::Unchecked;
    std::optional<bool> redirected;  // nothing: not looked at
    std::optional<LookupReport> lookup;  // the rest of the lookup path; nothing: not looked at
    Changed changed = Changed::No;
    HostsStore store{s.files, s.processes, s.clock, c.windowsDir.empty()};
    std::wstring restoreFrom;  // /restore:'s file, found
    std::optional<AllowList> allowed;  // /allow:'s list
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
    // The error, and in brackets what it was about, on one line.
    std::wstring FailureWords(const Failure& f) {
        std::wstring subject = f.Subject();
        std::replace(subject.begin(), subject.end(), L'\n', L' ');
        return ErrorWords(f.Code()) + (subject.empty() ? L"" : L" (" + Printable(subject) + L")");
    }

    // Where Windows reads hosts from, and for a repair the default put back there: in the
    // registry of the installation the run works on, another's loaded for this alone. `code`
    // becomes the reset's: 3010, or its error.
    std::optional<Redirect> CheckRegistry(int& code) {
        Inspection found = Inspect(s, c.windowsDir, hostsPath, [&](WindowsRegistry& registry, const Redirect& redirect) {
            Say(L"DataBasePath: Windows читает hosts не из стандартной папки: " + redirect.shown);
            if (c.action == Command::Repair) code = ResetRedirect(registry, redirect.shown);
        });
        if (found.registryUnread)
            Say(L"DataBasePath не проверено: реестр Windows в /windir: не прочитан: " + FailureWords(*found.registryUnread));
        else
            redirected = found.redirect.has_value();
        if (found.notUnloaded) Say(L"реестр Windows в /windir: не выгружен: " + FailureWords(*found.notUnloaded));
        lookup = std::move(found.lookup);
        return found.redirect;
    }

    // A value malware keeps from being written (by its permissions, say) must not cost the hosts
    // file its repair: the run goes on, and ends with the error.
    int ResetRedirect(WindowsRegistry& registry, const std::wstring& shown) {
        try {
            registry.ResetHostsRedirect();
        } catch (const Failure& f) {
            Result(L"DataBasePath не возвращено к стандартному: " + FailureWords(f));
            return static_cast<int>(f.Code());
        }
        changed = Changed::Yes;
        Result(L"DataBasePath возвращено к стандартному, было: " + shown + L"; Windows прочтёт его после перезагрузки");
        return static_cast<int>(win::ErrorSuccessRebootRequired);
    }

    // The other places that send a site elsewhere, a line each; a repair switches off a proxy on
    // this computer, its old values kept first. A failure to do so ends the run with its error,
    // unless an earlier one does.
    void OtherPlaces(int& code) {
        for (const std::wstring& note : lookup->notes) Say(note);
        for (const Finding& finding : lookup->findings) Say(finding.line);
        if (c.action != Command::Repair || !AnyUndo(lookup->findings)) return;
        const Undone undone = UndoFindings(s, lookup->findings, hostsPath);
        const auto total = std::count_if(lookup->findings.begin(), lookup->findings.end(),
                                         [](const Finding& f) { return f.undo.has_value(); });
        if (undone.done) changed = Changed::Yes;
        if (undone.regFile.empty())
            Result(L"прокси на этом компьютере не отключены: не записан файл для прежних значений: " +
                   FailureWords(*undone.failure));
        else
            Result(L"прокси на этом компьютере отключены" +
                   (undone.failure ? L" не все (" + std::to_wstring(undone.done) + L" из " + std::to_wstring(total) +
                                         L"): " + FailureWords(*undone.failure)
                                   : L" (" + std::to_wstring(total) + L")") +
                   L"; прежние значения в " + undone.regFile + L", вернуть их: reg import");
        if (undone.failure && (code == 0 || code == static_cast<int>(win::ErrorSuccessRebootRequired)))
            code = static_cast<int>(undone.failure->Code());
    }

    // Reads the file whole and says what it holds: the hosts file itself, or (not `hostsFile`)
    // the one in the folder DataBasePath names, with the run's ordinary rights.
    Hosts Scan(const std::wstring& path, bool hostsFile = true) {
        HostsScan scan(ShownEntries, 0, allowed ? &*allowed : nullptr);
        std::string head;  // enough to tell a stock file
        const auto take = [&](std::string_view chunk) {
            scan.Add(chunk);
            head.append(chunk.substr(0, LongestStockFile + 1 - std::min(LongestStockFile + 1, head.size())));
        };
        const bool exists = hostsFile ? store.ReadHostsBytes(path, take) : s.files.ReadOrdinaryFile(path, take);
        if (hostsFile) entries = scan.entries;  // none in a missing file
        if (!exists) {
            Say(L"файла нет: записей нет");
            return Hosts::Missing;
        }
        scan.Finish();
        const std::wstring_view version = StockVersionOf(head);
        Say(L"переводов строк: " + std::to_wstring(scan.lineFeeds) +
            (version.empty() ? L"" : L" (стандартный файл " + std::wstring(version) + L")"));
        Say(L"записей, кроме localhost на этом компьютере: " + std::to_wstring(scan.entries));
        if (allowed) Say(L"записей из списка /allow:, они не в счёт: " + std::to_wstring(scan.allowedLines));
        for (const std::string& line : scan.listed) Say(L"  " + Printable(s.cp.ToWide(line)));
        return scan.entries ? Hosts::Modified : Hosts::Clean;
    }

    // The copies beside hosts that /restore: takes by their bare names.
    void ListCopies(const std::wstring& path) {
        const std::vector<FoundFile> copies = HostsCopies(s.files, path);
        if (copies.empty()) return;
        Say(L"копии рядом с hosts, новые первыми: " + std::to_wstring(copies.size()));
        for (std::size_t i = 0; i < std::min(copies.size(), ShownCopies); ++i)
            Say(L"  " + Printable(copies[i].name) + L" (" + std::to_wstring(copies[i].size) + L" байт)");
        if (copies.size() > ShownCopies) Say(L"  и ещё " + std::to_wstring(copies.size() - ShownCopies));
    }

    int Check(const std::wstring& path, const std::optional<Redirect>& redirect) {
        hosts = Scan(path);
        ListCopies(path);
        if (redirect && !redirect->folder.empty()) {
            const std::wstring read = redirect->folder + L"\\hosts";
            Say(L"файл, который читает Windows: " + Printable(read));
            Scan(read, false);
        } else if (redirect) {
            Say(other ? L"файл, который читает Windows, не проверен: буквы дисков в DataBasePath - той Windows, а не этой"
                      : L"файл, который читает Windows, не проверен: DataBasePath не называет папку на локальном диске");
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
        std::optional<HostsChange> change;
        try {
            change = store.PutHosts(path, [this](HostsStore& store) {
                if (c.action == Command::Repair) store.WriteStockHosts(AllowedLines());
                else store.WriteHostsFrom(restoreFrom);
            });
        } catch (const Failure&) {
            if (store.Replaced()) changed = Changed::Yes;  // a registry value put back stays changed too
            throw;
        }
        if (!change->copy.empty()) backup = change->copy;
        const std::wstring what = c.action == Command::Restore ? L"файлом " + Printable(restoreFrom)
                                  : allowed                    ? L"стандартным и записями из списка /allow:"
                                                               : L"стандартным";
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
        if (other) {
            Say(L"кэш DNS не нужно очищать: это кэш запущенной Windows, а не той, что в /windir:");
            return false;
        }
        const std::uint32_t flush = FlushDnsCache(s);
        Result(flush ? L"кэш DNS не очищен (" + ErrorWords(flush) + L"); его очистит перезагрузка" : L"кэш DNS очищен");
        return false;
    }

    // A repair changes only what needs it: a clean file stays as it is, with no copy. `code`:
    // the registry's reset's.
    int Repair(const std::wstring& path, int code) {
        hosts = ScanToReplace(path);
        if (hosts != Hosts::Modified && hosts != Hosts::Unchecked) Result(L"файл hosts не изменён: записей в нём нет");
        else if (Replace(path)) code = static_cast<int>(win::ErrorSuccessRebootRequired);
        return code;
    }

    // A bare file name is first looked for beside hosts, where the copies are.
    std::wstring RestoreSource(const std::wstring& path) {
        const std::wstring& given = c.restoreFrom;
        if (given.find_first_of(L"\\/:") != given.npos) return given;
        const std::wstring beside = path.substr(0, path.rfind(L'\\') + 1) + given;
        return s.files.Attributes(beside) ? beside : given;
    }

    // The company's list, read whole before anything changes: without it a repair would wipe what
    // the company needs. A list of nothing is a mistake, not a wish to keep nothing.
    void ReadAllowList() {
        std::string bytes;
        const bool exists = s.files.ReadOrdinaryFile(c.allow, [&](std::string_view chunk) {
            if (bytes.size() + chunk.size() > ViewCap) throw Failure(win::ErrorFileTooLarge, c.allow);
            bytes += chunk;
        });
        if (!exists) throw Failure(win::ErrorFileNotFound, c.allow);
        allowed.emplace(bytes);
        if (allowed->lines.empty())
            throw Failure(win::ErrorInvalidParameter, c.allow + L"\nв этом списке нет ни одной записи");
        Say(L"список /allow: " + Printable(c.allow) + L", строк с записями: " + std::to_wstring(allowed->lines.size()));
    }
    std::string AllowedLines() const {
        std::string lines;
        if (allowed)
            for (const std::string& line : allowed->lines) lines += line + "\r\n";
        return lines;
    }

    int Act() {
        const std::wstring& path = hostsPath =
            HostsPathFor(c.windowsDir.empty() ? s.env.WindowsDirectory() : c.windowsDir);
        Say(L"файл hosts: " + Printable(path));
        // Without administrator rights a change would be refused half-way, or on Vista and later,
        // for a program without a manifest, made in a per-user copy that Windows never reads.
        if (c.action != Command::Check && !MayChangeWindows(s.processes.Rights())) {
            Result(L"нужны права администратора: запустите из командной строки от имени администратора; ничего не изменено");
            return static_cast<int>(win::ErrorElevationRequired);
        }
        if (!c.windowsDir.empty()) RequireWindowsFolder(s.files, c.windowsDir);
        if (!c.allow.empty()) ReadAllowList();
        if (c.action == Command::Restore) {
            restoreFrom = RestoreSource(path);
            hosts = ScanToReplace(path);
            return Replace(path) ? static_cast<int>(win::ErrorSuccessRebootRequired) : 0;
        }
        int code = 0;
        const std::optional<Redirect> redirect = CheckRegistry(code);
        OtherPlaces(code);
        return c.action == Command::Check ? Check(path, redirect) : Repair(path, code);
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

    // The run's line: tab-separated fields, none of which holds a tab or a line break: the time
    // with its offset from UTC, the computer, the program's version, the action, the hosts file,
    // its entries ("-": not read), the exit code, the result, the copy of the old file ("-": none).
    std::wstring LogLine(int code) const {
        const LocalTime t = s.clock.Now();
        const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
        wchar_t stamp[40];
        std::swprintf(stamp, 40, L"%04d-%02d-%02dT%02d:%02d:%02d%lc%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second, t.utcOffsetMinutes < 0 ? L'-' : L'+', offset / 60, offset % 60);
        wchar_t version[32];
        std::swprintf(version, 32, L"%u.%u.%u", ThisApp.major, ThisApp.minor, ThisApp.revision);
        const wchar_t* action = c.action == Command::Check ? L"check" : c.action == Command::Repair ? L"repair" : L"restore";
        std::wstring line;
        for (const std::wstring& field : {std::wstring(stamp), s.env.ComputerName(), std::wstring(version),
                                          std::wstring(action), hostsPath.empty() ? L"-" : hostsPath,
                                          entries ? std::to_wstring(*entries) : L"-", std::to_wstring(code), result,
                                          backup})
            line += (line.empty() ? L"" : L"\t") + Printable(field);
        return line + L"\r\n";
    }

    // Adds the run's line to the log; returns why it was not written, or nothing.
    std::wstring Log(int code) {
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
            log->Write(Utf8(LogLine(code)));
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
               L" other=" + (lookup ? OtherField(lookup->findings) : L"unchecked") + L" changed=" + ChangedWords[static_cast<int>(changed)] + L" exit=" + std::to_wstring(code);
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
        else if (name == L"?" || name == L"help" || name == L"-help") act(Command::Usage);
        else if (name == L"utf8" && !c.utf8) c.utf8 = true;
        else if (TakeValue(name, L"restore", value)) act(Command::Restore), c.restoreFrom = value;
        else if (TakeValue(name, L"windir", value) && c.windowsDir.empty() && IsAbsolute(value)) c.windowsDir = value;
        else if (TakeValue(name, L"log", value) && c.log.empty()) c.log = value;
        else if (TakeValue(name, L"allow", value) && c.allow.empty()) c.allow = value;
        else return Invalid();
    }
    // A log and an output's code page are of an action; the usage takes no folder and no log;
    // a company's list is for a check and a repair.
    if (!c.allow.empty() && c.action != Command::Check && c.action != Command::Repair) return Invalid();
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
        run.Result(run.FailureWords(f));  // the file, and what became of it
    }
    if (!c.log.empty()) {
        const std::wstring notLogged = run.Log(code);
        if (!notLogged.empty()) run.Say(L"строка журнала не записана: " + notLogged + L" (" + Printable(c.log) + L")");
    }
    run.Say(run.Summary(code));
    return code;
}
