// The command line: what each switch means, and what each run says, changes, logs and returns.
#include "Fakes.h"
#include "console/CommandLine.h"
#include "hosts/HostsMessages.h"
#include "hosts/LookupPath.h"
#include "hosts/Resolver.h"

namespace {

using enum Command::Action;

TEST(CommandLine, SwitchesInWindowsStyle) {
    const struct { std::vector<std::wstring> args; Command::Action action; std::wstring value = {}; } cases[] = {
        {{}, Window},
        {{L"/windir:D:\\Windows"}, Window, L"D:\\Windows"},
        {{L"/windir:\\\\pc\\c$\\Windows"}, Window, L"\\\\pc\\c$\\Windows"},
        {{L"/CHECK", L"-utf8"}, Check},
        {{L"-Repair", L"/log:\\\\srv\\Logs\\Hosts.txt"}, Repair, L"\\\\srv\\Logs\\Hosts.txt"},  // the value as given
        {{L"/restore:C:\\hosts.bak", L"/windir:D:\\W"}, Restore, L"C:\\hosts.bak"},
        {{L"/?"}, Usage},
        {{L"-help"}, Usage},
        {{L"--help"}, Usage},
        {{L"/check", L"/repair"}, Invalid},  // one action at a time
        {{L"/restore:x", L"/allow:y"}, Invalid},  // a company's list is for a check or a repair
        {{L"/allow:y"}, Invalid},
        {{L"/log:x"}, Invalid},              // a log is of an action
        {{L"/utf8"}, Invalid},
        {{L"/restore:"}, Invalid},
        {{L"/check", L"/windir:Windows"}, Invalid},  // relative to whatever the current folder is
        {{L"/check", L"/windir:D:Windows"}, Invalid},
        {{L"/checks"}, Invalid},
        {{L"check"}, Invalid},
        {{L"/? ", L"/windir:D:\\"}, Invalid},
    };
    for (const auto& c : cases) {
        const Command command = ParseCommandLine(c.args);
        EXPECT_EQ(command.action, c.action) << testing::PrintToString(c.args);
        const std::wstring value = c.action == Restore ? command.restoreFrom : c.action == Repair ? command.log
                                                                                                   : command.windowsDir;
        EXPECT_EQ(value, c.value) << testing::PrintToString(c.args);
        EXPECT_EQ(command.utf8, c.args.size() == 2 && c.args[1] == L"-utf8");
    }
}

const char* const TcpipKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::wstring Where = L"openW -2147483646 SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters 1";

// What a scan of a file says: its line feeds, the version it is, its entries.
Journal Scanned(int lineFeeds, const std::wstring& version, int entries, const Journal& listed = {}) {
    return Journal{L"переводов строк: " + std::to_wstring(lineFeeds) + version,
                   L"записей, кроме localhost на этом компьютере: " + std::to_wstring(entries)} + listed;
}

// Another installation's registry file, starting with control set `current`, whose DataBasePath
// is the running Windows' default, not that installation's; what a reset writes.
const std::wstring System = L"D:\\W\\System32\\config\\SYSTEM", OtherHosts = HostsPathFor(L"D:\\W");
const std::string Tcpip1 = "ControlSet001\\Services\\Tcpip\\Parameters";
const RegistryValue Reset{2, Utf16(L"%SystemRoot%\\System32\\drivers\\etc")};
FakeSystem::Keys SystemFile(char current) {
    return {{"Select", {{"Current", {4, std::string{current, 0, 0, 0}}}}},
            {Tcpip1, {{"DataBasePath", {1, Utf16(L"C:\\WINDOWS\\System32\\drivers\\etc")}}}}};
}

TEST(CommandLine, EachRunSaysChangesAndReturnsWhatItShould) {
    const std::string infected = Stock + "127.0.0.1 vk.com ok.ru # blocked\r\n::1 localhost\r\n";
    const std::string windows10 = StockFiles()[3].bytes;
    const Journal stock = Scanned(19, L" (стандартный файл Windows XP, русская)", 0),
                  blocked = Scanned(21, L"", 1, {L"  127.0.0.1 vk.com ok.ru # blocked"}),
                  redirected = {L"DataBasePath: Windows читает hosts не из стандартной папки: D:\\evil"},
                  repaired = {L"копия старого файла: " + B, L"файл hosts заменён стандартным", L"кэш DNS очищен"},
                  reset = {L"DataBasePath возвращено к стандартному, было: D:\\evil; Windows прочтёт его после "
                           L"перезагрузки"};
    const std::wstring unchanged = L"файл hosts не изменён: записей в нём нет";
    const RegistryValue evil{2, Utf16(L"D:\\evil")};
    const std::wstring unread = L"DataBasePath не проверено: реестр Windows в /windir: не прочитан: ";
    const Journal missing = {L"файла нет: записей нет", L"файла hosts нет"},
                  movedThere = {L"DataBasePath: Windows читает hosts не из стандартной папки: C:\\WINDOWS\\System32\\drivers\\etc"};
    const std::vector<std::wstring> other = {L"/check", L"/windir:D:\\W"};
    const wchar_t* const unchecked = L"hosts=missing redirected=unchecked other=none changed=no";
    const Journal loaded{OtherUnread}, notLoaded{OtherSystemUnread};
    // A user's proxy on this computer, switched off by /repair once its .reg is written, else left as it is.
    const FakeSystem::Keys proxy = UserProxy(L"127.0.0.1:8080");
    const std::wstring proxied = L"прокси для всех страниц (пользователь): 127.0.0.1:8080" + std::wstring(OnThisComputer),
                       reg = H + L".20240102-030405.reg";
    const Journal noEntries = stock + Journal{unchanged};
    FakeSystem::Keys second = SystemFile(2), noSelect = SystemFile(1), gone = SystemFile(3);
    second["ControlSet002\\Services\\Tcpip\\Parameters"]["DataBasePath"] = {2, Utf16(L"%SystemRoot%\\System32\\%D%\\etc")};
    second["ControlSet002\\Control\\Session Manager\\Environment"]["D"] = {1, Utf16(L"drivers")};
    noSelect.erase("Select");
    gone["ControlSet002"];
    const struct {
        const char* name;
        std::vector<std::wstring> args;
        std::optional<std::string> hosts = {};
        std::optional<RegistryValue> redirect = {};
        int code;
        Journal said;         // after the hosts file's path
        const wchar_t* last;  // the last line, but for its exit code
        Files after = {};
        std::wstring failing = {};
        bool tookEffect = false;  // the failing call is a replace that moved the file all the same
        std::map<std::wstring, std::uint32_t> busy = {};  // calls failing for good: another program holds hosts
        bool waiting = false;  // an earlier run's new file waits for the restart to replace hosts
        FakeSystem::Keys hive = {};  // the registry file of D:\\W
        FakeSystem::Keys keys = {};  // the running Windows' registry besides DataBasePath
    } cases[] = {
        {"check, stock", {L"/check"}, Stock, {}, 0, stock + Journal{L"файл hosts чистый"},
         L"hosts=clean redirected=no other=none changed=no", {{H, Stock}}},
        // Nothing to block with: Windows 7 and later need no hosts file.
        {"check, missing", {L"/check"}, {}, {}, 0, {L"файла нет: записей нет", L"файла hosts нет"},
         L"hosts=missing redirected=no other=none changed=no", {}},
        // The file Windows reads is looked at too.
        {"check, redirected", {L"/check"}, Stock, evil, 1, redirected + stock +
         Journal{L"файл, который читает Windows: D:\\evil\\hosts", L"файла нет: записей нет", L"файл hosts чистый",
                 L"папка hosts перенаправлена"}, L"hosts=clean redirected=yes other=none changed=no", {{H, Stock}}},
        // Another installation's own registry file, at the control set it starts with.
        {.name = "check of another Windows: the running one's default is not its", .args = other, .code = 1, .said = movedThere + loaded + Journal{missing[0], L"файл, который читает Windows, не проверен: буквы дисков в "
         L"DataBasePath - той Windows, а не этой", missing[1], L"папка hosts перенаправлена"},
         .last = L"hosts=missing redirected=yes other=none changed=no", .hive = SystemFile(1)},
        {.name = "repair of another Windows: the default written in its file, no flush of this one's cache",
         .args = {L"/repair", L"/windir:D:\\W"}, .hosts = infected, .code = 3010, .said = movedThere +
         Journal{L"DataBasePath возвращено к стандартному, было: C:\\WINDOWS\\System32\\drivers\\etc; Windows прочтёт его "
                 L"после перезагрузки"} + loaded + blocked + Journal{L"копия старого файла: " + OtherHosts + L".20240102-030405.bak",
         L"файл hosts заменён стандартным", L"кэш DNS не нужно очищать: это кэш запущенной Windows, а не той, что в /windir:"},
         .last = L"hosts=modified redirected=yes other=none changed=yes",
         .after = {{OtherHosts, Stock}, {OtherHosts + L".20240102-030405.bak", infected}}, .hive = SystemFile(1)},
        {.name = "check of another Windows at ControlSet002, its variables its own", .args = other, .code = 0,
         .said = loaded + missing, .last = L"hosts=missing redirected=no other=none changed=no", .hive = second, .keys = proxy},
        // Never a guess at the control set; and the file unloaded whatever happens, never made.
        {.name = "no Select\\Current", .args = other, .code = 0, .said = Journal{unread + L"ошибка 13: text of 13 (" + System +
         L"\\Select\\Current)"} + notLoaded + missing, .last = unchecked, .hive = noSelect},
        {.name = "a control set that is not there", .args = other, .code = 0, .said = Journal{unread + L"ошибка 2: text of 2 (" +
         System + L"\\ControlSet003; есть ControlSet001, ControlSet002)"} + notLoaded + missing, .last = unchecked, .hive = gone},
        {.name = "Select unreadable", .args = other, .code = 0, .said = Journal{unread + L"ошибка 5: text of 5 (" + System +
         L"\\Select)"} + notLoaded + missing, .last = unchecked, .failing = L"openW " + System + L" Select 1", .hive = SystemFile(1)},
        {.name = "a registry file that cannot be unloaded", .args = other, .code = 0, .said = Journal{L"реестр Windows в "
         L"/windir: не выгружен: ошибка 5: text of 5 (unload " + System + L")"} + loaded + missing,
         .last = L"hosts=missing redirected=no other=none changed=no", .failing = L"unload " + System, .hive = second},
        {.name = "check of another Windows without its registry file", .args = other, .code = 0,
         .said = Journal{unread + L"ошибка 2: text of 2 (" + System + L")"} + notLoaded + missing, .last = unchecked},
        {.name = "repair, a proxy here", .args = {L"/repair"}, .hosts = Stock, .code = 0, .said = Journal{proxied,
         L"прокси на этом компьютере отключены (1); прежние значения в " + reg + L", вернуть их: reg import"} + noEntries,
         .last = L"hosts=clean redirected=no other=proxy changed=yes", .after = {{H, Stock}, {reg, RegFile({{Undo::ProxyOff,
         {win::HKeyCurrentUser, Wide(UserSettings.substr(5))}, {{L"ProxyEnable", proxy.at(UserSettings).at("ProxyEnable")},
         {L"ProxyServer", proxy.at(UserSettings).at("ProxyServer")}}}})}}, .keys = proxy},
        {.name = "repair, a proxy here, its .reg refused", .args = {L"/repair"}, .hosts = Stock, .code = 5, .said = Journal{
         proxied, L"прокси на этом компьютере не отключены: не записан файл для прежних значений: ошибка 5: text of 5 (write " +
         reg + L")"} + noEntries, .last = L"hosts=clean redirected=no other=proxy changed=no", .after = {{H, Stock}},
         .failing = L"write " + reg, .keys = proxy},
        // A repair takes effect at the next start when it had to put the folder back.
        {"repair, redirected and blocking", {L"/repair"}, infected, evil, 3010, redirected + reset + blocked + repaired,
         L"hosts=modified redirected=yes other=none changed=yes", {{H, Stock}, {B, infected}}},
        {"repair of a clean file: nothing changes, no copy", {L"/repair"}, windows10, {}, 0,
         Scanned(21, L" (стандартный файл Windows 7-11)", 0) + Journal{unchanged},
         L"hosts=clean redirected=no other=none changed=no", {{H, windows10}}},
        // A DataBasePath that cannot be read never stops the repair.
        {"repair, DataBasePath denied", {L"/repair"}, infected, RegistryValue{}, 3010,
         Journal{L"DataBasePath: Windows читает hosts не из стандартной папки: <не прочитано: ошибка 5: text of 5>",
                 L"DataBasePath возвращено к стандартному, было: <не прочитано: ошибка 5: text of 5>; Windows "
                 L"прочтёт его после перезагрузки", L"не прочитано: HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters: ошибка 5: text of 5"} +
             blocked + repaired,
         L"hosts=modified redirected=yes other=none changed=yes", {{H, Stock}, {B, infected}}, Where},
        // A bare name is looked for beside hosts, where the copies are, then as it is given.
        {"restore of a copy by its bare name", {L"/restore:hosts.20240102-030405.bak"}, Stock, {}, 0, stock +
         Journal{L"копия старого файла не нужна: его не было или он стандартный", L"файл hosts заменён файлом " + B,
                 L"кэш DNS очищен"}, L"hosts=clean redirected=unchecked other=unchecked changed=yes", {{H, Old}, {B, Old}}},
        {"restore of a file that is not there: nothing changes", {L"/restore:none.bak"}, infected, {}, 2,
         blocked + Journal{L"ошибка 2: text of 2 (none.bak)"}, L"hosts=modified redirected=unchecked other=unchecked changed=no",
         {{H, infected}}},
        {"repair whose replace took effect though Windows said it failed", {L"/repair"}, infected, {}, 5, blocked +
         Journal{L"ошибка 5: text of 5 (" + H + L" " + HostsReplacedAnyway(B) + L")"},
         L"hosts=modified redirected=no other=none changed=yes", {{H, Stock}, {B, infected}}, L"replace " + H, true},
        // Nor does one that cannot be written back: the repair goes on, and the run ends with its error.
        {"repair, DataBasePath kept from being written", {L"/repair"}, infected, evil, 5, redirected +
         Journal{L"DataBasePath не возвращено к стандартному: ошибка 5: text of 5 (HKLM\\SYSTEM\\CurrentControlSet\\"
                 L"Services\\Tcpip\\Parameters\\DataBasePath)"} + blocked + repaired, L"hosts=modified redirected=yes other=none changed=yes",
         {{H, Stock}, {B, infected}}, L"set DataBasePath 2 %SystemRoot%\\System32\\drivers\\etc"},
        // A mistyped /windir: is no installation without a hosts file, which would be clean.
        {"repair of a folder without Windows", {L"/repair", L"/windir:D:\\NoWindows"}, {}, {}, 3,
         {L"ошибка 3: text of 3 (D:\\NoWindows В этой папке нет Windows: в ней нет папки System32.)"},
         L"hosts=unchecked redirected=unchecked other=unchecked changed=no", {}},
        {"repair, DataBasePath reset, hosts refused: the reset still told as a change", {L"/repair"}, infected, evil, 5,
         redirected + reset + blocked + Journal{L"ошибка 5: text of 5 (" + H + L" Файл hosts оставлен как был.)"},
         L"hosts=modified redirected=yes other=none changed=yes", {{H, infected}}, L"probe " + H},
        {"repair refused", {L"/repair"}, infected, {}, 5, blocked +
         Journal{L"ошибка 5: text of 5 (" + H + L" Файл hosts оставлен как был.)"},
         L"hosts=modified redirected=no other=none changed=no", {{H, infected}}, L"probe " + H},
        // Held for good: a copy now if it can be made, the replace at the next start of Windows.
        {.name = "repair, hosts held by a program sharing all", .args = {L"/repair"}, .hosts = infected, .code = 3010,
         .said = blocked + Journal{L"файл hosts занят другой программой: scan?.exe (процесс 12)", L"копия старого файла: " + B,
                                  L"файл hosts будет заменён стандартным при перезагрузке Windows: его место займёт " + T},
         .last = L"hosts=modified redirected=no other=none changed=pending", .after = {{H, infected}, {B, infected}, {T, Stock}},
         .busy = {{L"replace " + H, 5}}},
        {.name = "repair, hosts held sharing nothing", .args = {L"/repair"}, .hosts = infected, .code = 3010,
         .said = {L"файл не прочитан: ошибка 32: text of 32", L"файл hosts занят другой программой: scan?.exe (процесс 12)",
                  L"при перезагрузке Windows старый файл станет копией " + B,
                  L"файл hosts будет заменён стандартным при перезагрузке Windows: его место займёт " + T},
         .last = L"hosts=unchecked redirected=no other=none changed=pending", .after = {{H, infected}, {T, Stock}},
         .busy = {{L"read " + H, 32}, {L"probe " + H, 32}}},
        {.name = "repair while an earlier run's replace waits", .args = {L"/repair"}, .hosts = infected, .code = 3010,
         .said = blocked + Journal{L"замена файла hosts уже назначена на перезагрузку Windows: его место займёт " + T},
         .last = L"hosts=modified redirected=no other=none changed=pending", .after = {{H, infected}, {T, Stock}}, .waiting = true},
        // A file named with /windir: waits for no restart, even the running Windows' own, whose registry it is.
        {.name = "repair with /windir: of the running Windows, hosts held", .args = {L"/repair", L"/windir:c:\\windows"},
         .hosts = infected, .code = 5, .said = blocked + Journal{L"ошибка 5: text of 5 (" + HostsPathFor(L"c:\\windows") +
         L" Файл hosts оставлен как был.)"}, .last = L"hosts=modified redirected=no other=none changed=no",
         .after = {{HostsPathFor(L"c:\\windows"), infected}, {HostsPathFor(L"c:\\windows") + L".20240102-030405.bak", infected}},
         .busy = {{L"replace " + HostsPathFor(L"c:\\windows"), 5}}},
        // A file that cannot be read is never called clean.
        {.name = "check, hosts held", .args = {L"/check"}, .hosts = infected, .code = 32,
         .said = {L"ошибка 32: text of 32 (read " + H + L")"}, .last = L"hosts=unchecked redirected=no other=none changed=no",
         .after = {{H, infected}}, .busy = {{L"read " + H, 32}}},
        // Text that malware controls is shown without control characters: one line stays one.
        {"check, a line with an escape and a bare CR", {L"/check"}, "0.0.0.0 a\x1b[2Jb\x07\rc\r\n", {}, 1,
         Scanned(1, L"", 1, {L"  0.0.0.0 a?[2Jb?"}) + Journal{L"файл hosts изменён"},
         L"hosts=modified redirected=no other=none changed=no", {{H, "0.0.0.0 a\x1b[2Jb\x07\rc\r\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        const Command command = ParseCommandLine(c.args);
        const std::wstring windows = command.windowsDir.empty() ? sys.windowsDir : command.windowsDir;
        if (c.hosts) sys.files[HostsPathFor(windows)] = *c.hosts;
        if (c.args[0].starts_with(L"/restore:"))  // what it restores from
            for (const auto& [path, bytes] : c.after) sys.files.emplace(path, bytes);
        if (!c.hive.empty()) sys.hives[System] = c.hive;
        sys.keys = c.keys;
        if (c.redirect) sys.keys[TcpipKey]["DataBasePath"] = *c.redirect;
        if (!c.failing.empty()) sys.fail[c.failing] = 5;
        sys.replaceTakesEffect = c.tookEffect;
        sys.fail.insert(c.busy.begin(), c.busy.end());
        if (!c.busy.empty()) sys.held = {H}, sys.holders = {{12, L"scan\x1b.exe"}};
        if (c.waiting) sys.files[T] = Stock, sys.pending = {{T, H}};
        EXPECT_EQ(RunCommand(sys.Get(), command), c.code);
        EXPECT_EQ(sys.out, Journal{L"файл hosts: " + HostsPathFor(windows)} + c.said +
                               Journal{L"RESULT " + std::wstring(c.last) + L" exit=" + std::to_wstring(c.code)});
        EXPECT_EQ(sys.files, c.after);
        const auto count = [&](const std::wstring& call) { return std::count(sys.log.begin(), sys.log.end(), call + System); };
        EXPECT_LE(count(L"load "), count(L"unload "));
        EXPECT_TRUE(c.code != 3010 || c.hive.empty() || sys.hives[System][Tcpip1]["DataBasePath"] == Reset);
        // The backup semantics and privileges only for the hosts file and its copies.
        for (const std::wstring& call : sys.log) EXPECT_FALSE(call.starts_with(L"read ") && !call.ends_with(L"hosts") && !call.ends_with(L".bak"));
    }
}

TEST(CommandLine, LogsALineARunWhateverTheConsoleAndShowsTheUsageOnlyWhenAskedFor) {
    FakeSystem sys;
    sys.files[H] = Old;
    for (const wchar_t* action : {L"/check", L"/repair"}) RunCommand(sys.Get(), ParseCommandLine({action, L"/log:L"}));
    sys.rights = {false, true};
    RunCommand(sys.Get(), ParseCommandLine({L"/restore:x", L"/log:L"}));
    const std::wstring fields = L"2024-01-02T03:04:05-03:30\tPC-7\t1.0.6\t";
    EXPECT_EQ(sys.files[L"L"], Utf8(fields + L"check\t" + H + L"\t1\t1\tфайл hosts изменён\t-\r\n" + fields + L"repair\t" +
                                    H + L"\t1\t0\tфайл hosts заменён стандартным; кэш DNS очищен\t" + B + L"\r\n" +
                                    fields + L"restore\t" + H + L"\t-\t740\tнужны права администратора: запустите из "
                                    L"командной строки от имени администратора; ничего не изменено\t-\r\n"));
    sys.rights = {true, true};
    // A log that cannot be written is told of and changes no code; a console that fails stops
    // being written to, and the log tells.
    sys.files[H] = Old;
    sys.fail[L"append L"] = 5;
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/repair", L"/log:L"})), 0);
    EXPECT_EQ(sys.out.end()[-2], L"строка журнала не записана: ошибка 5: text of 5 (L)");
    EXPECT_EQ(sys.out.back(), L"RESULT hosts=modified redirected=no other=none changed=yes exit=0");
    sys.fail.clear();
    // Nor does a log refused for being no plain disk file: another file's second name (win.ini's,
    // say), a link, a folder, a device. One held for a moment is waited for.
    const std::string logged = sys.files[L"L"];
    for (const auto& [facts, said] : {std::pair<FileFacts, const wchar_t*>{{0x20, 2}, L"у файла несколько имён (жёсткие ссылки)"},
             {{0x420}, L"это ссылка, а не файл"}, {{0x10}, L"это папка"}, {{0, 1, false}, L"это не файл на диске"}}) {
        sys.appended = facts;
        RunCommand(sys.Get(), ParseCommandLine({L"/check", L"/log:L"}));
        EXPECT_EQ(sys.out.end()[-2], L"строка журнала не записана: " + std::wstring(said) + L" (L)");
    }
    EXPECT_EQ(sys.files[L"L"], logged);
    sys.appended = {};
    sys.fail[L"append L"] = 32;
    sys.failTimes[L"append L"] = 19;
    RunCommand(sys.Get(), ParseCommandLine({L"/check", L"/log:L"}));
    EXPECT_NE(sys.files[L"L"], logged);
    sys.fail.clear();
    sys.files[H] = Old;
    sys.out.clear();
    sys.consoleLines = 1;
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/repair", L"/log:L"})), 0);
    EXPECT_EQ(sys.files[H], Stock);
    // The same bytes repaired again: the copy of the first repair is named, no other made.
    EXPECT_TRUE(sys.files[L"L"].ends_with(Utf8(L"кэш DNS очищен; вывод не записан: ошибка 232: text of 232\t" + B + L"\r\n")));
    EXPECT_FALSE(sys.files.count(H + L".20240102-030405-2.bak"));
    sys.consoleLines = SIZE_MAX;
    sys.files[H] = Old + "x";  // other bytes in the same second: the next free name
    RunCommand(sys.Get(), ParseCommandLine({L"/repair"}));
    EXPECT_EQ(sys.files[H + L".20240102-030405-2.bak"], Old + "x");
    // The usage goes to the console; where there is none, a box only for /?, never for a mistake.
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/x"})), 87);
    EXPECT_TRUE(sys.out.end()[-2].starts_with(L"Хостовик: проверка и восстановление файла hosts."));
    EXPECT_EQ(sys.out.back(), L"RESULT hosts=unchecked redirected=unchecked other=unchecked changed=no exit=87");
    sys.console = false;
    sys.log.clear();
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/x"})), 87);
    EXPECT_EQ(sys.log, Journal{});
    sys.answers = {Answer::Ok};
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/?"})), 0);
    EXPECT_TRUE(sys.log.back().starts_with(L"msg 64 [] Хостовик: проверка"));
}

// Only a check runs without administrator rights: Vista's filtered token of an administrator
// has none, XP's member of Administrators has them (XP has no elevation).
TEST(CommandLine, ChangesOnlyWithAdministratorRights) {
    for (const auto& [rights, action, code] : {std::tuple{TokenRights{false, true}, L"/repair", 740},
                                               {TokenRights{std::nullopt, false}, L"/repair", 740},
                                               {TokenRights{std::nullopt, true}, L"/repair", 0},
                                               {TokenRights{false, false}, L"/check", 1}}) {
        FakeSystem sys;
        sys.files[H] = Old;
        sys.rights = rights;
        EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({action})), code) << action;
        EXPECT_EQ(sys.files[H] == Old, code != 0) << action;
    }
}

// A company's list: a repair writes its lines after the stock file; a list that cannot be read,
// or holds nothing, stops the run before anything changes.
TEST(CommandLine, ACompanysListIsKeptAndNeverGuessed) {
    FakeSystem sys;
    const std::wstring list = L"\\\\srv\\allow.txt";
    const auto run = [&](const wchar_t* action) { return RunCommand(sys.Get(), ParseCommandLine({action, L"/allow:" + list})); };
    sys.files = {{list, "# ours\r\n10.0.0.5 intranet.corp\n"}, {H, Old}};
    EXPECT_EQ(run(L"/repair"), 0);
    EXPECT_EQ(sys.files[H], Stock + "10.0.0.5 intranet.corp\r\n");
    sys.files[list] = "10.0.0.9\r\n";  // no name: no entry
    EXPECT_EQ(run(L"/repair"), 87);
    sys.fail[L"ordinary read " + list] = 5;
    EXPECT_EQ(run(L"/repair"), 5);
    sys.fail.clear();
    sys.files.erase(list);
    EXPECT_EQ(run(L"/repair"), 2);
    EXPECT_EQ(sys.files[H], Stock + "10.0.0.5 intranet.corp\r\n");
}

// Ten at most, by the time in their names: a copy of the same second with its number after the
// one before it, a name of another form last.
TEST(CommandLine, ChecksListTheCopiesBesideHostsNewestFirst) {
    FakeSystem sys;
    sys.files[H] = Stock;
    for (const wchar_t* name : {L"old", L"20240102-030405", L"20240102-030405-2", L"20240102-030405-3",
                                L"20240102-030405-10", L"20231231-235959"})
        sys.files[H + L"." + name + L".bak"] = "12";
    for (int day = 1; day <= 7; ++day) sys.files[H + L".2022010" + std::to_wstring(day) + L"-000000.bak"] = "1";
    RunCommand(sys.Get(), ParseCommandLine({L"/check"}));
    EXPECT_EQ(Journal(sys.out.begin() + 3, sys.out.begin() + 9),
              (Journal{L"копии рядом с hosts, новые первыми: 13", L"  hosts.20240102-030405-10.bak (2 байт)",
                       L"  hosts.20240102-030405-3.bak (2 байт)", L"  hosts.20240102-030405-2.bak (2 байт)",
                       L"  hosts.20240102-030405.bak (2 байт)", L"  hosts.20231231-235959.bak (2 байт)"}));
    EXPECT_EQ(sys.out[14], L"  и ещё 3");  // the last two days and the name of another form
}

}  // namespace
