// The command line: what each switch means, how the codes of a run's steps make its exit code,
// and what each run says, changes, logs and returns.
#include "Fakes.h"
#include "console/CommandLine.h"
#include "console/ExitCode.h"
#include "console/ListTrust.h"
#include "console/RunEvent.h"
#include "console/Shares.h"

namespace {

using enum Command::Action;

auto Fields(const Command& c) {
    return std::tuple(c.action, c.restoreFrom, c.windowsDir, c.log, c.allow, c.allowSha256, c.utf8, c.json, c.eventLog);
}
// A list's SHA-256, and the same in capitals.
const std::string Pin = "21e04615cfc4ca2754090043fea2a80b851166ed6c2fb1bf3d60cdad93845ef2";
const std::wstring PinGiven = L"21E04615CFC4CA2754090043FEA2A80B851166ED6C2FB1BF3D60CDAD93845EF2";

TEST(Switches, EachArgumentListReadsAsItsCommandOrAsAMistake) {
    // clang-format off
    const struct { const char* name; std::vector<std::wstring> args; Command command; } cases[] = {
        {"no switch: the window", {}, {}},
        {"/windir: alone: the window on that Windows", {L"/windir:D:\\Windows"}, {.windowsDir = L"D:\\Windows"}},
        {"/windir: on a share", {L"/windir:\\\\pc\\c$\\Windows"}, {.windowsDir = L"\\\\pc\\c$\\Windows"}},
        {"/ or -, the name in any letter case", {L"/CHECK", L"-utf8"}, {.action = Check, .utf8 = true}},
        {"the value as given", {L"-Repair", L"/LOG:\\\\srv\\Logs\\Hosts.txt"}, {.action = Repair,
            .log = L"\\\\srv\\Logs\\Hosts.txt"}},
        {"a restore in another Windows", {L"/restore:C:\\hosts.bak", L"/windir:D:\\W"},
         {.action = Restore, .restoreFrom = L"C:\\hosts.bak", .windowsDir = L"D:\\W"}},
        {"a company's list with a check", {L"/check", L"/allow:a.txt"}, {.action = Check, .allow = L"a.txt"}},
        {"its hash pinned", {L"/check", L"/allow:a#b.txt#" + PinGiven}, {.action = Check, .allow = L"a#b.txt",
            .allowSha256 = Pin}},
        {"a '#' in its name", {L"/check", L"/allow:a.txt#" + PinGiven.substr(1)}, {.action = Check,
            .allow = L"a.txt#" + PinGiven.substr(1)}},
        {"an entry in the event log", {L"-EventLog", L"/restore:x"}, {.action = Restore, .restoreFrom = L"x",
            .eventLog = true}},
        {"/?", {L"/?"}, {.action = Usage}},
        {"-help", {L"-help"}, {.action = Usage}},
        {"--help", {L"--help"}, {.action = Usage}},
        {"the usage in UTF-8", {L"/?", L"/utf8"}, {.action = Usage, .utf8 = true}},
        {"a restore's report in JSON", {L"/restore:x", L"/JSON"}, {.action = Restore, .restoreFrom = L"x", .json = true}},
        {"two actions", {L"/check", L"/repair"}, {.action = Invalid}},
        {"a switch twice", {L"/check", L"/utf8", L"/UTF8"}, {.action = Invalid}},
        {"a company's list with a restore", {L"/restore:x", L"/allow:y"}, {.action = Invalid}},
        {"a company's list with the window", {L"/allow:y"}, {.action = Invalid}},
        {"a log with the window", {L"/log:x"}, {.action = Invalid}},
        {"/utf8 with the window", {L"/utf8"}, {.action = Invalid}},
        {"/json with the usage", {L"/?", L"/json"}, {.action = Invalid}},
        {"the usage with a folder", {L"/?", L"/windir:D:\\"}, {.action = Invalid}},
        {"the event log with the window", {L"/eventlog"}, {.action = Invalid}},
        {"the usage with a log", {L"/help", L"/log:x"}, {.action = Invalid}},
        {"an empty value", {L"/restore:"}, {.action = Invalid}},
        {"a value for a switch without one", {L"/check:x"}, {.action = Invalid}},
        {"/windir: relative to the current folder", {L"/check", L"/windir:Windows"}, {.action = Invalid}},
        {"/windir: relative to a drive's current folder", {L"/check", L"/windir:D:Windows"}, {.action = Invalid}},
        {"a name that only starts like one", {L"/checks"}, {.action = Invalid}},
        {"no / or -", {L"check"}, {.action = Invalid}},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(Fields(ParseCommandLine(c.args)), Fields(c.command)) << c.name;
}

TEST(ExitCodes, TheWorseCodeOfTwoStepsStandsAndOfTwoFailuresTheEarlier) {
    // clang-format off
    const struct { const char* name; std::uint32_t earlier, later, run; } cases[] = {
        {"a finding after nothing", 0, 1, 1},
        {"a change at the restart after nothing", 0, 3010, 3010},
        {"nothing after a change at the restart", 3010, 0, 3010},
        {"a failure after a change at the restart", 3010, 5, 5},
        {"a change at the restart after a failure", 5, 3010, 5},
        {"a failure after a finding", 1, 32, 32},
        {"two failures", 5, 32, 5},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<std::uint32_t>(Combined(ExitCode{c.earlier}, ExitCode{c.later})), c.run) << c.name;
    EXPECT_EQ(static_cast<std::uint32_t>(FailedWith(0)), 1359u);  // a failure without a code is no success
}

const char* const TcpipKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

// What a scan of a file says: its line feeds, the version it is, its entries, what they do, then each.
Journal Scanned(int lineFeeds, const std::wstring& version, int entries, const Journal& listed = {},
    const std::wstring& blocked = L"") {
    return Journal{L"переводов строк: " + std::to_wstring(lineFeeds) + version,
               L"записей, кроме localhost на этом компьютере: " + std::to_wstring(entries)} +
           (blocked.empty() ? Journal{}
                            : Journal{L"заблокированы другие имена (записей: 1, например " + blocked + L")"}) +
           listed;
}

// Another installation's registry file, starting with control set `current`, whose DataBasePath
// is the running Windows' default, not that installation's; what a reset writes.
const std::wstring System = L"D:\\W\\System32\\config\\SYSTEM", OtherHosts = L"D:\\W\\System32\\drivers\\etc\\hosts";
const std::string Tcpip1 = "ControlSet001\\Services\\Tcpip\\Parameters";
const RegistryValue Reset{2, Utf16(L"%SystemRoot%\\System32\\drivers\\etc")};
FakeSystem::Keys SystemFile(char current) {
    return {{"Select", {{"Current", {4, std::string{current, 0, 0, 0}}}}},
        {Tcpip1, {{"DataBasePath", {1, Utf16(L"C:\\WINDOWS\\System32\\drivers\\etc")}}}}};
}

const std::string Infected = Stock + "127.0.0.1 vk.com ok.ru # blocked\r\n::1 localhost\r\n";
const RegistryValue Evil{2, Utf16(L"D:\\evil")};
const Journal StockScanned = Scanned(19, L" (стандартный файл Windows XP, русская)", 0),
              Blocked = Scanned(21, L"", 1, {L"  127.0.0.1 vk.com ok.ru # blocked"}, L"vk.com"),
              Redirected = {L"DataBasePath: Windows читает hosts не из стандартной папки: D:\\evil"},
              Repaired = {L"копия старого файла: " + B, L"файл hosts заменён стандартным", L"кэш DNS очищен"},
              ResetEvil =
                  {L"DataBasePath возвращено к стандартному, было: D:\\evil; Windows прочтёт его после "
                   L"перезагрузки"},
              Missing = {L"файла нет: записей нет", L"файла hosts нет"};

// A run on the fake system: what is there before it, and what it must say, change and return.
// `at`: the hosts file; `others`: other files there before the run; `redirect`: the running
// Windows' DataBasePath; `keys`: the running Windows' registry besides DataBasePath; `hive`: the
// registry file of D:\W; `failing`: a call that fails with error 5; `busy`: calls failing for
// good, another program holding hosts; `waiting`: an earlier run's new file waits for the restart
// to replace hosts; `said`: after the hosts file's path; `last`: the last line, but for its exit
// code; `resetInHive`: DataBasePath's default written in D:\W's registry file.
// clang-format off
struct RunRow {
    const char* name; std::vector<std::wstring> args; std::wstring at = H; std::optional<std::string> hosts = {};
    Files others = {}; std::optional<RegistryValue> redirect = {}; FakeSystem::Keys keys = {}, hive = {};
    std::wstring failing = {}; std::map<std::wstring, std::uint32_t> busy = {}; bool waiting = false;
    int code; Journal said; const wchar_t* last; Files after = {}; bool resetInHive = false;
};
// clang-format on

void ExpectRun(const RunRow& c) {
    SCOPED_TRACE(c.name);
    FakeSystem sys;
    sys.files = c.others;
    if (c.hosts) sys.files[c.at] = *c.hosts;
    if (!c.hive.empty()) sys.hives[System] = c.hive;
    sys.keys = c.keys;
    if (c.redirect) sys.keys[TcpipKey]["DataBasePath"] = *c.redirect;
    if (!c.failing.empty()) sys.fail[c.failing] = 5;
    sys.fail.insert(c.busy.begin(), c.busy.end());
    if (!c.busy.empty()) sys.held = {H}, sys.holders = {{12, L"scan\x1b.exe"}};
    if (c.waiting) sys.files[T] = Stock, sys.pending = {{T, H}};
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine(c.args)), c.code);
    EXPECT_EQ(sys.out, Journal{L"файл hosts: " + c.at} + c.said +
                           Journal{L"RESULT " + std::wstring(c.last) + L" exit=" + std::to_wstring(c.code)});
    EXPECT_EQ(sys.files, c.after);
    if (c.resetInHive) {
        EXPECT_EQ(sys.hives[System][Tcpip1]["DataBasePath"], Reset);
    }
    // Another installation's registry file unloaded whatever happens; the backup semantics and
    // privileges only for the hosts file and its copies.
    const auto count = [&](const std::wstring& call) { return std::count(sys.log.begin(), sys.log.end(), call); };
    EXPECT_LE(count(L"load " + System), count(L"unload " + System));
    for (const std::wstring& call : sys.log)
        EXPECT_TRUE(!call.starts_with(L"read ") || call == L"read " + c.at ||
                    (call.starts_with(L"read " + c.at + L".") && call.ends_with(L".bak")))
            << call;
}

TEST(ConsoleRuns, ACheckSaysWhatItFindsAndChangesNothing) {
    // clang-format off
    const RunRow rows[] = {
        // Nothing to block with: Windows 7 and later need no hosts file.
        // The file Windows reads is looked at too, with the run's ordinary rights.
        {.name = "redirected", .args = {L"/check"}, .hosts = Stock, .redirect = Evil, .code = 1,
         .said = Redirected + StockScanned + Journal{L"файл, который читает Windows: D:\\evil\\hosts"} +
         Journal{Missing[0], L"файл hosts чистый", L"папка hosts перенаправлена"},
         .last = L"hosts=clean redirected=yes other=none changed=no", .after = {{H, Stock}}},
        // A file that cannot be read is never called clean.
        {.name = "hosts held", .args = {L"/check"}, .hosts = Infected, .busy = {{L"read " + H, 32}}, .code = 32,
         .said = {L"ошибка 32: text of 32 (read " + H + L")"},
         .last = L"hosts=unchecked redirected=no other=none changed=no", .after = {{H, Infected}}},
        // Text that malware controls is shown without control characters: one line stays one.
        {.name = "a line with an escape and a bare CR", .args = {L"/check"}, .hosts = "0.0.0.0 a\x1b[2Jb\x07\rc\r\n",
         .code = 1, .said = Scanned(1, L"", 1, {L"  0.0.0.0 a?[2Jb?"}, L"a?[2Jb?") + Journal{L"файл hosts изменён"},
         .last = L"hosts=modified redirected=no other=none changed=no", .after = {{H, "0.0.0.0 a\x1b[2Jb\x07\rc\r\n"}}},
    };
    // clang-format on
    for (const RunRow& row : rows) ExpectRun(row);
}

TEST(ConsoleRuns, ARepairOrARestoreChangesOnlyWhatNeedsItAndTellsEachStep) {
    const std::wstring reg = H + L".20240102-030405.reg", earlier = H + L".20231231-000000.reg",
                       userSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                       proxied =
                           L"прокси для всех страниц (пользователь): 127.0.0.1:8080 (на этом компьютере: так "
                           L"делают вредоносные программы)",
                       switchedOff = L"сделанное вредоносными программами отменено (1); прежние значения в " + reg +
                                     L", вернуть их: reg import",
                       regText =
                           L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\"
                           L"Microsoft\\Windows\\CurrentVersion\\Internet Settings]\r\n\"ProxyEnable\"="
                           L"dword:00000001\r\n\"ProxyServer\"=\"127.0.0.1:8080\"\r\n\r\n";
    const std::string regFile = Utf16(regText).substr(0, 2 * regText.size());  // no NUL after a file's text
    const FakeSystem::Keys proxy = UserProxy(L"127.0.0.1:8080");  // a user's proxy on this computer
    const Journal noEntries = StockScanned + Journal{L"файл hosts не изменён: записей в нём нет"},
                  refused = {L"ошибка 5: text of 5 (" + H + L" Файл hosts оставлен как был.)"};
    // clang-format off
    const RunRow rows[] = {
        // It takes effect at the next start when it had to put the folder back.
        // A DataBasePath that cannot be read never stops the repair, nor one that cannot be written back:
        // the run ends with its error.
        {.name = "DataBasePath kept from being written", .args = {L"/repair"}, .hosts = Infected, .redirect = Evil,
         .failing = L"set DataBasePath 2 %SystemRoot%\\System32\\drivers\\etc", .code = 5, .said = Redirected +
         Journal{L"DataBasePath не возвращено к стандартному: ошибка 5: text of 5 (HKLM\\SYSTEM\\CurrentControlSet\\"
                 L"Services\\Tcpip\\Parameters\\DataBasePath)"} + Blocked + Repaired,
         .last = L"hosts=modified redirected=yes other=none changed=yes", .after = {{H, Stock}, {B, Infected}}},
        {.name = "DataBasePath reset, hosts refused: the reset still told as a change", .args = {L"/repair"},
         .hosts = Infected, .redirect = Evil, .failing = L"probe " + H, .code = 5,
         .said = Redirected + ResetEvil + Blocked + refused,
         .last = L"hosts=modified redirected=yes other=none changed=yes", .after = {{H, Infected}}},
        // A proxy on this computer, switched off once its old values are kept, else left as it is.
        {.name = "a proxy here", .args = {L"/repair"}, .hosts = Stock, .keys = proxy, .code = 0,
         .said = Journal{proxied, switchedOff} + noEntries,
         .last = L"hosts=clean redirected=no other=proxy changed=yes", .after = {{H, Stock}, {reg, regFile}}},
        {.name = "a proxy here, its old values kept already", .args = {L"/repair"}, .hosts = Stock,
         .others = {{earlier, regFile}}, .keys = proxy, .code = 0, .said = Journal{proxied,
         L"сделанное вредоносными программами отменено (1); прежние значения уже сохранены в " + earlier +
         L", вернуть их: reg import"} + noEntries, .last = L"hosts=clean redirected=no other=proxy changed=yes",
         .after = {{H, Stock}, {earlier, regFile}}},
        {.name = "a proxy here, the browsers not told at once", .args = {L"/repair"}, .hosts = Stock, .keys = proxy,
         .failing = L"internet settings changed", .code = 0, .said = Journal{proxied, switchedOff,
         L"браузеры не извещены сразу (ошибка 5: text of 5 (internet settings changed)): они увидят это, когда их "
         L"запустят снова"} + noEntries, .last = L"hosts=clean redirected=no other=proxy changed=yes",
         .after = {{H, Stock}, {reg, regFile}}},
        // Proxies left on change no exit code: it tells what became of hosts.
        {.name = "a proxy here, its .reg refused", .args = {L"/repair"}, .hosts = Stock, .keys = proxy,
         .failing = L"write " + reg, .code = 0, .said = Journal{proxied, L"сделанное вредоносными программами не отменено: "
         L"не записан файл для прежних значений: ошибка 5: text of 5 (write " + reg + L")"} + noEntries,
         .last = L"hosts=clean redirected=no other=proxy changed=no", .after = {{H, Stock}}},
        {.name = "a proxy here in a user's key locked against the run", .args = {L"/repair"}, .hosts = Infected,
         .keys = proxy, .failing = L"openW -2147483647 " + userSettings + L" 258", .code = 0,
         .said = Journal{proxied, L"сделанное вредоносными программами отменено не всё (0 из 1); прежние значения в " + reg +
                 L", вернуть их: reg import", L"не отключено: ошибка 5: text of 5 (HKCU\\" + userSettings + L")"} +
                 Blocked + Repaired, .last = L"hosts=modified redirected=no other=proxy changed=yes",
         .after = {{H, Stock}, {B, Infected}, {reg, regFile}}},
        // Held for good: a copy now if it can be made, the replace at the next start of Windows.
        {.name = "hosts held by a program sharing all", .args = {L"/repair"}, .hosts = Infected,
         .busy = {{L"replace " + H, 5}}, .code = 3010, .said = Blocked + Journal{
             L"файл hosts занят другой программой: scan?.exe (процесс 12)", L"копия старого файла: " + B,
             L"файл hosts будет заменён стандартным при перезагрузке Windows: его место займёт " + T},
         .last = L"hosts=modified redirected=no other=none changed=pending",
         .after = {{H, Infected}, {B, Infected}, {T, Stock}}},
        {.name = "hosts held sharing nothing", .args = {L"/repair"}, .hosts = Infected,
         .busy = {{L"read " + H, 32}, {L"probe " + H, 32}}, .code = 3010, .said = {
             L"файл не прочитан: ошибка 32: text of 32", L"файл hosts занят другой программой: scan?.exe (процесс 12)",
             L"при перезагрузке Windows старый файл станет копией " + B,
             L"файл hosts будет заменён стандартным при перезагрузке Windows: его место займёт " + T},
         .last = L"hosts=unchecked redirected=no other=none changed=pending", .after = {{H, Infected}, {T, Stock}}},
        // A bare name is looked for beside hosts, where the copies are, then as it is given.
        {.name = "an earlier run's replace waits", .args = {L"/repair"}, .hosts = Infected, .waiting = true,
         .code = 3010, .said = Blocked + Journal{L"замена файла hosts уже назначена на перезагрузку Windows: "
         L"его место займёт " + T}, .last = L"hosts=modified redirected=no other=none changed=pending",
         .after = {{H, Infected}, {T, Stock}}},
        {.name = "a restore of a copy by its bare name", .args = {L"/restore:hosts.20240102-030405.bak"},
         .hosts = Stock, .others = {{B, Old}}, .code = 0, .said = StockScanned + Journal{
             L"копия старого файла не нужна: его не было или он стандартный", L"файл hosts заменён файлом " + B,
             L"кэш DNS очищен"}, .last = L"hosts=clean redirected=unchecked other=unchecked changed=yes",
         .after = {{H, Old}, {B, Old}}},
        {.name = "a restore of a file that is not there: nothing changes", .args = {L"/restore:none.bak"},
         .hosts = Infected, .code = 2, .said = Blocked + Journal{L"ошибка 2: text of 2 (none.bak)"},
         .last = L"hosts=modified redirected=unchecked other=unchecked changed=no", .after = {{H, Infected}}},
    };
    // clang-format on
    for (const RunRow& row : rows) ExpectRun(row);
}

TEST(ConsoleRuns, AnotherInstallationIsWorkedOnInItsOwnRegistryAndNeverGuessed) {
    const std::vector<std::wstring> check = {L"/check", L"/windir:D:\\W"};
    const wchar_t* const unchecked = L"hosts=missing redirected=unchecked other=unread changed=no";
    const std::wstring unread = L"DataBasePath не проверено: реестр Windows в /windir: не прочитан: ",
                       ownHosts = L"c:\\windows\\System32\\drivers\\etc\\hosts";
    const Journal moved = {
        L"DataBasePath: Windows читает hosts не из стандартной папки: C:\\WINDOWS\\System32\\drivers\\etc"};
    const Journal loaded = {
        L"в /windir: проверены только hosts.ics и реестр SYSTEM той Windows (серверы имён, NRPT, "
        L"Winsock, DNS через HTTPS); прокси пользователей, WinHTTP, правила NRPT и политика DNS "
        L"через HTTPS групповой политики (реестр SOFTWARE) не проверены"};
    const Journal notLoaded = {
        L"в /windir: проверен только hosts.ics: реестр той Windows не прочитан, прокси, серверы "
        L"имён, NRPT, Winsock и DNS через HTTPS не проверены"};
    FakeSystem::Keys second = SystemFile(2), noSelect = SystemFile(1), gone = SystemFile(3);
    second["ControlSet002\\Services\\Tcpip\\Parameters"]["DataBasePath"] = {
        2, Utf16(L"%SystemRoot%\\System32\\%D%\\etc")};
    second["ControlSet002\\Control\\Session Manager\\Environment"]["D"] = {1, Utf16(L"drivers")};
    FakeSystem::Keys running = UserProxy(L"127.0.0.1:8080");
    running["SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient"]["DoHPolicy"] = {4, std::string("\3\0\0\0", 4)};
    noSelect.erase("Select");
    gone["ControlSet002"];
    // clang-format off
    const RunRow rows[] = {
        // Its own registry file, at the control set it starts with: the running one's default is not its.
        {.name = "a check", .args = check, .at = OtherHosts, .hive = SystemFile(1), .code = 1, .said = moved + loaded +
         Journal{Missing[0], L"файл, который читает Windows, не проверен: буквы дисков в DataBasePath - той Windows, "
         L"а не этой", Missing[1], L"папка hosts перенаправлена"},
         .last = L"hosts=missing redirected=yes other=unread changed=no"},
        {.name = "a repair: the default written in its file, no flush of this one's cache",
         .args = {L"/repair", L"/windir:D:\\W"}, .at = OtherHosts, .hosts = Infected, .hive = SystemFile(1),
         .code = 3010, .said = moved + Journal{L"DataBasePath возвращено к стандартному, было: "
         L"C:\\WINDOWS\\System32\\drivers\\etc; Windows прочтёт его после перезагрузки"} + loaded + Blocked +
         Journal{L"копия старого файла: " + OtherHosts + L".20240102-030405.bak", L"файл hosts заменён стандартным",
         L"кэш DNS не нужно очищать: это кэш запущенной Windows, а не той, что в /windir:"},
         .last = L"hosts=modified redirected=yes other=unread changed=yes",
         .after = {{OtherHosts, Stock}, {OtherHosts + L".20240102-030405.bak", Infected}}, .resetInHive = true},
        {.name = "at ControlSet002, its variables its own, this computer's proxy and DoH policy not its", .args = check,
         .at = OtherHosts, .keys = running, .hive = second, .code = 0, .said = loaded + Missing,
         .last = L"hosts=missing redirected=no other=unread changed=no"},
        // Never a guess at the control set; and the file unloaded whatever happens, never made.
        {.name = "no Select\\Current", .args = check, .at = OtherHosts, .hive = noSelect, .code = 0,
         .said = Journal{unread + L"ошибка 13: text of 13 (" + System + L"\\Select\\Current)"} + notLoaded + Missing,
         .last = unchecked},
        {.name = "a control set that is not there", .args = check, .at = OtherHosts, .hive = gone, .code = 0,
         .said = Journal{unread + L"ошибка 2: text of 2 (" + System + L"\\ControlSet003; есть ControlSet001, "
         L"ControlSet002)"} + notLoaded + Missing, .last = unchecked},
        {.name = "a registry file that cannot be unloaded", .args = check, .at = OtherHosts, .hive = second,
         .failing = L"unload " + System, .code = 0, .said = Journal{L"реестр Windows в /windir: не выгружен: ошибка 5: "
         L"text of 5 (unload " + System + L")"} + loaded + Missing,
         .last = L"hosts=missing redirected=no other=unread changed=no"},
        {.name = "no registry file", .args = check, .at = OtherHosts, .code = 0,
         .said = Journal{unread + L"ошибка 2: text of 2 (" + System + L")"} + notLoaded + Missing, .last = unchecked},
        // A mistyped /windir: is no installation without a hosts file, which would be clean.
        {.name = "a folder without Windows", .args = {L"/repair", L"/windir:D:\\NoWindows"},
         .at = L"D:\\NoWindows\\System32\\drivers\\etc\\hosts", .code = 3,
         .said = {L"ошибка 3: text of 3 (D:\\NoWindows В этой папке нет Windows: в ней нет папки System32.)"},
         .last = L"hosts=unchecked redirected=unchecked other=unchecked changed=no"},
        // A file named with /windir: waits for no restart, even the running Windows' own, whose registry it is.
        {.name = "the running Windows by /windir:, hosts held", .args = {L"/repair", L"/windir:c:\\windows"},
         .at = ownHosts, .hosts = Infected, .busy = {{L"replace " + ownHosts, 5}}, .code = 5, .said = Blocked +
         Journal{L"ошибка 5: text of 5 (" + ownHosts + L" Файл hosts оставлен как был.)"},
         .last = L"hosts=modified redirected=no other=none changed=no",
         .after = {{ownHosts, Infected}, {ownHosts + L".20240102-030405.bak", Infected}}},
    };
    // clang-format on
    for (const RunRow& row : rows) ExpectRun(row);
}

TEST(Shares, TheServerOfAPath) {
    // clang-format off
    const struct { const char* name; std::wstring path, server; } rows[] = {
        {"a share", L"\\\\srv\\it$\\allow.txt", L"srv"},
        {"forward slashes", L"//srv.corp/it$/a", L"srv.corp"},
        {"the long form", L"\\\\?\\unc\\srv\\x", L"srv"},
        {"a drive in the long form", L"\\\\?\\C:\\x", L""},
        {"a device", L"\\\\.\\nul\\x", L""},
        {"a drive", L"C:\\x", L""},
        {"a bare name", L"allow.txt", L""},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(ServerOf(row.path), row.server) << row.name;
}

// A path on a server that a hosts file the running Windows reads maps, or a path on any server
// when such a file cannot be read, is refused before anything is read or changed; the log too.
TEST(ConsoleRuns, APathOnAServerThatHostsMapsIsRefusedBeforeAnythingChanges) {
    const std::wstring list = L"\\\\srv\\it$\\allow.txt", log = L"\\\\?\\UNC\\srv\\logs\\h.log",
                       backup = L"\\\\files\\x\\hosts";
    const std::string mapped = Infected + "6.6.6.6 SRV.corp.local # ours\r\n";
    const std::wstring refused = L"не открыт: адрес сервера srv задан в файле hosts строкой \"6.6.6.6 SRV.corp.local "
                                 L"# ours\"; восстановите hosts без этого пути или укажите сервер по IP-адресу";
    const std::wstring unread = L" не открыт: не прочитан файл hosts, который мог бы задать адрес сервера srv: ";
    const wchar_t* const untouched = L"hosts=unchecked redirected=unchecked other=unchecked changed=no";
    // clang-format off
    const RunRow rows[] = {
        {.name = "a company's list", .args = {L"/repair", L"/allow:" + list}, .hosts = mapped,
         .others = {{list, "10.0.0.5 intranet\r\n"}}, .code = 65, .said = {L"ошибка 65: text of 65 (" + list + L" " +
         refused + L")"}, .last = untouched, .after = {{H, mapped}, {list, "10.0.0.5 intranet\r\n"}}},
        {.name = "a log, not written either", .args = {L"/check", L"/log:" + log}, .hosts = mapped, .code = 65,
         .said = {L"ошибка 65: text of 65 (" + log + L" " + refused + L")",
                  L"строка журнала не записана: " + refused + L" (" + log + L")"},
         .last = untouched, .after = {{H, mapped}}},
        {.name = "a file to restore, mapped in the folder Windows reads hosts from instead",
         .args = {L"/restore:" + backup}, .hosts = Stock,
         .others = {{L"D:\\evil\\hosts", "6.6.6.6 files\n"}, {backup, Old}}, .redirect = Evil, .code = 65,
         .said = {L"ошибка 65: text of 65 (" + backup + L" не открыт: адрес сервера files задан в файле hosts строкой "
                  L"\"6.6.6.6 files\"; восстановите hosts без этого пути или укажите сервер по IP-адресу)"},
         .last = untouched, .after = {{H, Stock}, {L"D:\\evil\\hosts", "6.6.6.6 files\n"}, {backup, Old}}},
        {.name = "Windows reads hosts from a share", .args = {L"/check", L"/allow:" + list}, .hosts = Stock,
         .redirect = RegistryValue{1, Utf16(L"\\\\evil\\etc")}, .code = 65,
         .said = {L"ошибка 65: text of 65 (" + list + unread +
                  L"DataBasePath: Windows читает hosts не из стандартной папки: \\\\evil\\etc)"},
         .last = untouched, .after = {{H, Stock}}},
        {.name = "hosts unread", .args = {L"/check", L"/allow:" + list}, .hosts = Stock, .busy = {{L"read " + H, 32}},
         .code = 65, .said = {L"ошибка 65: text of 65 (" + list + unread + L"ошибка 32: text of 32 (read " + H + L"))"},
         .last = untouched, .after = {{H, Stock}}},
    };
    // clang-format on
    for (const RunRow& row : rows) ExpectRun(row);
}

// Only a check runs without administrator rights: Vista's filtered token of an administrator
// has none, XP's member of Administrators has them (XP has no elevation).
TEST(ConsoleRuns, ChangesOnlyWithAdministratorRights) {
    // clang-format off
    const struct { const char* name; TokenRights rights; const wchar_t* action; int code; } cases[] = {
        {"Vista, an administrator's filtered token", {false, true}, L"/repair", 740},
        {"XP, a user", {std::nullopt, false}, L"/repair", 740},
        {"XP, an administrator", {std::nullopt, true}, L"/repair", 0},
        {"a restore, filtered", {false, true}, L"/restore:x", 740},
        {"a check, filtered", {false, false}, L"/check", 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        FakeSystem sys;
        sys.files[H] = Old;
        sys.rights = c.rights;
        EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({c.action})), c.code) << c.name;
        EXPECT_EQ(sys.files[H] == Old, c.code != 0) << c.name;
    }
}

const std::wstring LogFields = L"2024-01-02T03:04:05-03:30\tPC-7\t1.0.6\t";

TEST(ConsoleLog, ALineARunWithItsActionFileEntriesCodeResultsAndCopy) {
    FakeSystem sys;
    sys.files[H] = "0.0.0.0 a.ru";  // an entry on a last line without its line break
    RunCommand(sys.Get(), ParseCommandLine({L"/check", L"/log:L"}));
    RunCommand(sys.Get(), ParseCommandLine({L"/repair", L"/log:L"}));
    sys.rights = {false, true};
    RunCommand(sys.Get(), ParseCommandLine({L"/restore:x", L"/log:L"}));
    EXPECT_EQ(sys.files[L"L"],
        Utf8(LogFields + L"check\t" + H + L"\t1\t1\tфайл hosts изменён\t-\r\n" + LogFields + L"repair\t" + H +
             L"\t1\t0\tфайл hosts заменён стандартным; кэш DNS очищен\t" + B + L"\r\n" + LogFields + L"restore\t" + H +
             L"\t-\t740\tнужны права администратора: запустите из командной строки от имени администратора; "
             L"ничего не изменено\t-\r\n"));
}

// A log that cannot be written is told of and changes no code: an error, or a log that is no
// plain disk file (another file's second name, win.ini's say, a link, a folder, a device).
TEST(ConsoleLog, ALogNotWrittenIsToldOfAndChangesNoCode) {
    // clang-format off
    const struct { const char* name; FileFacts facts; std::uint32_t error; const wchar_t* why; } cases[] = {
        {"an error", {}, 5, L"ошибка 5: text of 5"},
        {"a second name", {0x20, 2}, 0, L"у файла несколько имён (жёсткие ссылки)"},
        {"a link", {0x420}, 0, L"это ссылка, а не файл"},
        {"a folder", {0x10}, 0, L"это папка"},
        {"a device", {0, 1, false}, 0, L"это не файл на диске"},
    };
    // clang-format on
    for (const auto& c : cases) {
        FakeSystem sys;
        sys.files[H] = Stock;
        sys.appended = c.facts;
        if (c.error) sys.fail[L"append L"] = c.error;
        EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/check", L"/log:L"})), 0) << c.name;
        EXPECT_EQ(sys.out.end()[-2], L"строка журнала не записана: " + std::wstring(c.why) + L" (L)") << c.name;
        EXPECT_EQ(sys.files[L"L"], "") << c.name;
    }
}

TEST(ConsoleLog, ALogHeldForAMomentIsWaitedFor) {
    FakeSystem sys;
    sys.files[H] = Stock;
    sys.fail[L"append L"] = 32;
    sys.failTimes[L"append L"] = 19;
    RunCommand(sys.Get(), ParseCommandLine({L"/check", L"/log:L"}));
    EXPECT_TRUE(sys.files[L"L"].ends_with(Utf8(L"\tфайл hosts чистый\t-\r\n")));
}

// A console that fails stops being written to; the run goes on, and its log tells.
TEST(ConsoleLog, AConsoleThatFailsIsToldOfInTheLog) {
    FakeSystem sys;
    sys.files[H] = Old;
    sys.consoleLines = 1;
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/repair", L"/log:L"})), 0);
    EXPECT_EQ(sys.files[H], Stock);
    EXPECT_TRUE(
        sys.files[L"L"].ends_with(Utf8(L"кэш DNS очищен; вывод не записан: ошибка 232: text of 232\t" + B + L"\r\n")));
}

TEST(ConsoleEventLog, EachOutcomeHasItsEventIdAndType) {
    // clang-format off
    const struct { const char* name; std::uint32_t code; Changed changed; std::uint32_t id; std::uint16_t type; } rows[] = {
        {"clean", 0, Changed::No, 1000, 4},
        {"found", 1, Changed::No, 1001, 2},
        {"repaired", 0, Changed::Yes, 1002, 4},
        {"replaced at the restart", 3010, Changed::Pending, 1003, 2},
        {"DataBasePath put back: read at the restart", 3010, Changed::Yes, 1003, 2},
        {"failed after a change", 5, Changed::Yes, 1004, 1},
        {"without administrator rights", 740, Changed::No, 1004, 1},
    };
    // clang-format on
    for (const auto& row : rows) {
        const RunEvent event = EventOf({.changed = row.changed}, ExitCode{row.code});
        EXPECT_EQ(std::pair(static_cast<std::uint32_t>(event.id), event.type), std::pair(row.id, row.type)) << row.name;
    }
}

// The entry: the RESULT line, then what the run counted. One not written, or whose source is not
// registered, is said before the RESULT line, and changes no exit code.
TEST(ConsoleEventLog, AnEntryARunItsFailureToldOnTheConsole) {
    const std::wstring repaired =
        L"event 4 1002 RESULT hosts=modified redirected=no other=none changed=yes exit=0\r\nentries=1 findings=0";
    // clang-format off
    const struct { const char* name; TokenRights rights; std::uint32_t fails, unregistered; int code;
                   std::wstring entry, said; } rows[] = {
        {"repaired", {true, true}, 0, 0, 0, repaired, L"кэш DNS очищен"},
        {"no rights: nothing read", {false, true}, 0, 0, 740, L"event 1 1004 RESULT hosts=unchecked "
         L"redirected=unchecked other=unchecked changed=no exit=740\r\nentries=- findings=-", L"нужны права "
         L"администратора: запустите из командной строки от имени администратора; ничего не изменено"},
        {"not written", {true, true}, 1502, 0, 0, repaired,
         L"запись в журнал событий не сделана: ошибка 1502: text of 1502 (event 4 1002 RESULT hosts=modified "
         L"redirected=no other=none changed=yes exit=0? entries=1 findings=0)"},
        {"its source not registered", {true, true}, 0, 5, 0, repaired, L"источник Hostovik не зарегистрирован в "
         L"журнале событий: ошибка 5: text of 5; запись сделана, но без описания, пока его не зарегистрирует запуск "
         L"с правами администратора"},
    };
    // clang-format on
    for (const auto& row : rows) {
        FakeSystem sys;
        sys.files[H] = Old;
        sys.rights = row.rights;
        sys.unregistered = row.unregistered;
        if (row.fails) sys.fail[row.entry] = row.fails;
        EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/repair", L"/eventlog"})), row.code) << row.name;
        EXPECT_EQ(std::count(sys.log.begin(), sys.log.end(), row.entry), 1) << row.name;
        EXPECT_EQ(sys.out.end()[-2], row.said) << row.name;
    }
}

// The usage goes to the console; where there is none, a box only for /?, never for a mistake.
TEST(ConsoleUsage, ShownOnTheConsoleElseInABoxOnlyWhenAskedFor) {
    FakeSystem sys;
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/x"})), 87);
    EXPECT_EQ(sys.out.size(), 2u);
    EXPECT_TRUE(sys.out[0].starts_with(L"Хостовик: проверка и восстановление файла hosts.\n"));
    EXPECT_EQ(sys.out[1], L"RESULT hosts=unchecked redirected=unchecked other=unchecked changed=no exit=87");
    sys.console = false;
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/x"})), 87);
    EXPECT_EQ(sys.log, Journal{});
    sys.answers = {Answer::Ok};
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/?"})), 0);
    EXPECT_TRUE(sys.log.back().starts_with(L"msg 64 [] Хостовик: проверка"));
}

// Who may change a list, by its permissions and its folder's: anyone who may write it, change
// its permissions or owner, or add and delete files in its folder; never administrators, SYSTEM
// and Windows' installer, nor an entry that denies, or is for what a folder holds.
TEST(ListTrust, OthersWhoMayChangeAListOrReplaceIt) {
    const AccessEntry admins{L"S-1-5-32-544", L"BUILTIN\\Administrators", win::GenericAll},
        system{L"S-1-5-18", L"NT AUTHORITY\\SYSTEM", win::GenericAll},
        installer{L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", L"TrustedInstaller", 0x1F01FF},
        usersRead{L"S-1-5-32-545", L"BUILTIN\\Users", 0x1200A9};
    const std::vector<AccessEntry> onlyThem = {admins, system, installer, usersRead};
    const auto plus = [&](AccessEntry e) {
        std::vector<AccessEntry> all = onlyThem;
        all.push_back(std::move(e));
        return all;
    };
    const std::wstring users = L"BUILTIN\\Users", everyone = L"Everyone";
    const auto byUsers = [&](std::uint32_t rights) { return plus({L"S-1-5-32-545", users, rights}); };
    // clang-format off
    const struct { const char* name; Permissions file, folder; std::vector<std::wstring> who; } rows[] = {
        {"administrators, SYSTEM and the installer; users read", onlyThem, onlyThem, {}},
        {"users write it", byUsers(win::FileWriteData), onlyThem, {users}},
        {"everyone appends, may delete it, change its permissions, its owner; generic writing",
         plus({L"S-1-1-0", everyone, win::FileAppendData}), plus({L"S-1-5-11", L"Authenticated Users", win::WriteDac}),
         {everyone, L"Authenticated Users"}},
        {"one account for each right on the file",
         std::vector<AccessEntry>{{L"S-1-5-21-1", L"PC\\a", win::Delete}, {L"S-1-5-21-2", L"PC\\b", win::WriteOwner},
         {L"S-1-5-21-3", L"PC\\c", win::GenericWrite}, {L"S-1-5-21-4", L"PC\\d", win::GenericAll}}, onlyThem,
         {L"PC\\a", L"PC\\b", L"PC\\c", L"PC\\d"}},
        {"a deny, an entry for what a folder holds, CREATOR OWNER",
         plus({L"S-1-1-0", everyone, win::GenericAll, false}),
         plus({L"S-1-5-32-545", users, win::GenericAll, true, true}), {}},
        {"users add files to its folder but delete none", onlyThem, byUsers(win::FileWriteData), {}},
        {"users add and delete files in its folder", onlyThem, byUsers(win::FileWriteData | win::FileDeleteChild),
         {users}},
        {"users change the folder's owner; named once for both", byUsers(win::FileWriteData), byUsers(win::WriteOwner),
         {users}},
        {"no permissions on the file", std::nullopt, onlyThem, {L"все (у файла или папки нет списка разрешений)"}},
        {"CREATOR OWNER's pattern", plus({L"S-1-3-0", L"CREATOR OWNER", win::GenericAll}), onlyThem, {}},
    };
    // clang-format on
    for (const auto& row : rows) EXPECT_EQ(OthersWhoMayChange(row.file, row.folder), row.who) << row.name;
}

// A company's list: a repair writes its lines after the stock file. A list that cannot be read,
// holds nothing, or that others than administrators and SYSTEM may change, stops the run before
// anything changes; unless its hash is pinned: then its bytes must be those.
TEST(ConsoleRuns, ACompanysListIsKeptAndNeverGuessed) {
    FakeSystem sys;
    const std::wstring local = L"C:\\lists\\allow.txt", share = L"\\\\srv\\it$\\allow.txt";
    const std::string list = "# ours\r\n10.0.0.5 intranet.corp\n";
    sys.files = {{local, list}, {share, list}, {H, Old}};
    const auto run = [&](const wchar_t* action, const std::wstring& allow) {
        sys.out.clear();
        return RunCommand(sys.Get(), ParseCommandLine({action, L"/allow:" + allow}));
    };
    EXPECT_EQ(run(L"/repair", share), 0);
    EXPECT_EQ(sys.files[H], Stock + "10.0.0.5 intranet.corp\r\n");
    sys.files[local] = "10.0.0.9\r\n";  // no name: no entry
    EXPECT_EQ(run(L"/repair", local), 87);
    sys.fail[L"ordinary read " + share] = 5;
    EXPECT_EQ(run(L"/repair", share), 5);
    EXPECT_EQ(run(L"/repair", L"C:\\none.txt"), 2);
    sys.permissions[L"C:\\lists\\"] = std::vector{AccessEntry{L"S-1-5-32-545", L"BUILTIN\\Users", 0x1F01FF}};
    EXPECT_EQ(run(L"/repair", local), 5);
    EXPECT_EQ(sys.out.at(1), L"ошибка 5: text of 5 (" + local + L" этот список могут изменить не только администраторы "
                             L"и SYSTEM: BUILTIN\\Users; оставьте право изменять его и его папку только им)");
    sys.fail.clear();
    sys.writable = {L"\\\\srv\\it$\\"};
    EXPECT_EQ(run(L"/check", share), 5);
    EXPECT_EQ(sys.out.at(1), L"ошибка 5: text of 5 (" + share + L" список на общем ресурсе, который этот запуск сам "
                             L"может изменить, а значит, может и SYSTEM любого компьютера сети: дайте компьютерам "
                             L"право только читать его, а журнал ведите в другой папке)");
    sys.files[H] = Old;
    EXPECT_EQ(run(L"/check", share + L"#" + PinGiven), 1);  // read, and vk.com in hosts found
    sys.files[share] += "10.0.0.6 evil.corp\n";
    EXPECT_EQ(run(L"/repair", share + L"#" + PinGiven), 13);
    EXPECT_EQ(sys.out.at(1), L"ошибка 13: text of 13 (" + share + L" SHA-256 списка не тот, что задан в /allow:; у "
                             L"этого файла ba6701a7cd9622d832fbb84cacec4ae4a5123096304516b382c1e6753f3bf9b7)");
    EXPECT_EQ(sys.files[H], Old);
}

// Ten at most, by the time in their names: a copy of the same second with its number after the
// one before it, a name of another form last.
TEST(ConsoleRuns, ACheckListsTheCopiesBesideHostsNewestFirst) {
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
