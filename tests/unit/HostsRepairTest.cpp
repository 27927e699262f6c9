// The main window's start-up check and its three repair methods, driven by scripted answers,
// with faults injected into every step that changes something; each text as the user reads it.
#include "Fakes.h"
#include "forms/Form1/Form1Messages.h"
#include "hosts/HostsText.h"

namespace {

using enum Answer;

const std::wstring Caption = L"Хостовик сайтов| by Kostya_IT", Detection = L"Эвристическое обнаружение | " + Caption;
// Styles: Yes/No 4, critical 16, information 64.
const std::wstring Modified =
    Msg(4 + 16, Detection, L"Внимание! Возможно был изменен файл ''hosts'', заменить его на оригинальный?");
const std::wstring Unmodified =
    Msg(4 + 64, Detection, L"Файл ''hosts'' НЕ был изменен, продолжить загрузку программы?");
const std::wstring M1Warning = Msg(64, Caption,
    L"Внимание! После нажатия на кнопку ''ОК'' Сайты будут разблокированы. Если сайты не разблокировались, то "
    L"попробуйте перезагрузить Ваш компьютер, если не помогло, попробуйте остальные 2 способа и помните данная "
    L"программа НЕ гарантирует разблокировки компьютера!");
const std::wstring M1Done = Msg(64, Caption,
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка не помогла, "
    L"попробуйте ''Способ №2''. После нажатия на кнопку ''OK'', программа закроется!");
const std::wstring M2Warning = Msg(64, L"Предупреждение!",
    L"Внимание! Данный способ лучше использовать, ТОЛЬКО в том случае, если 1-й способ не помог!");
const std::wstring M2Question = Msg(4 + 64, Caption,
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка не помогла, "
    L"попробуйте способ №3! Произвести перезагрузку компьтера сейчас?");
const std::wstring M3Question = Msg(4 + 64, Caption,
    L"Внимание! После данного способа, Вам придется снова включить Ваше соединения (возможно потребуется перезагрузка "
    L"компьютера)!Продолжить?");
const std::wstring Route = L"start C:\\WINDOWS\\system32\\route.exe | \"C:\\WINDOWS\\system32\\route.exe\" -f 2";
const std::wstring Flush =
    L"run C:\\WINDOWS\\system32\\ipconfig.exe | \"C:\\WINDOWS\\system32\\ipconfig.exe\" /flushdns 30";
// DataBasePath read (HKEY_LOCAL_MACHINE, KEY_QUERY_VALUE), and written (KEY_SET_VALUE).
const char* const TcpipKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::wstring Where = L"openW -2147483646 SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters 1";
const Journal Reset{L"openW -2147483646 SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters 2",
    L"set DataBasePath 2 %SystemRoot%\\System32\\drivers\\etc", L"close 101"};
const std::wstring RedirectMsg = Msg(4 + 16, Detection,
    L"Внимание! Windows читает файл ''hosts'' не из стандартной папки, а из папки \"D:\\evil\". Так делают вредоносные "
    L"программы, чтобы блокировать сайты. Вернуть стандартную папку?");

// What the start-up check reads of the rest of the lookup path in a registry without its keys
// (the lookup room's tests read them with values); `tcpip`: with Tcpip's Parameters key, opened and closed.
Journal LookupReads(bool tcpip = false) {
    const std::wstring hklm = L"openW -2147483646 ", set = hklm + L"SYSTEM\\CurrentControlSet\\Services\\",
                       ie = L"Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                       winsock = set + L"WinSock2\\Parameters\\";
    // Each browser's policies, of the whole computer or of the user: its key alone, where it has none.
    const auto policies = [](const std::wstring& root) {
        Journal keys;
        for (const wchar_t* browser : {L"Google\\Chrome", L"Microsoft\\Edge", L"YandexBrowser", L"Chromium",
                 L"BraveSoftware\\Brave", L"Vivaldi", L"Mozilla\\Firefox"})
            keys.push_back(root + L"SOFTWARE\\Policies\\" + browser + L" 257");
        return keys;
    };
    Journal reads =
        Journal{L"ordinary read " + H + L".ics", L"join information",
            hklm + L"SYSTEM\\CurrentControlSet\\Control\\CloudDomainJoin\\JoinInfo 8",
            hklm + L"SOFTWARE\\Microsoft\\Enrollments 264"} +
        policies(hklm) +
        Journal{hklm + L"SOFTWARE\\Mozilla\\Mozilla Firefox 257",
            hklm + L"SOFTWARE\\WOW6432Node\\Mozilla\\Mozilla Firefox 257",
            L"openW -2147483647 Software\\" + ie + L"\\Connections 257",
            L"openW -2147483647 Software\\" + ie + L" 257"} +
        policies(L"openW -2147483647 ") +
        Journal{L"app data", L"ordinary read C:\\Users\\me\\AppData\\Roaming\\Mozilla\\Firefox\\profiles.ini",
            hklm + L"SOFTWARE\\Policies\\" + ie + L" 257", hklm + L"SOFTWARE\\" + ie + L"\\Connections 257",
            hklm + L"SOFTWARE\\WOW6432Node\\" + ie + L"\\Connections 257", set + L"Tcpip\\Parameters 1"};
    if (tcpip) reads.push_back(L"close 101");
    return reads +
           Journal{set + L"Tcpip\\Parameters\\Interfaces 8", set + L"Tcpip6\\Parameters 1",
               set + L"Tcpip6\\Parameters\\Interfaces 8",
               hklm + L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig 264",
               set + L"Dnscache\\Parameters\\DnsPolicyConfig 8", winsock + L"Protocol_Catalog9\\Catalog_Entries 8",
               winsock + L"NameSpace_Catalog5\\Catalog_Entries 8", winsock + L"Protocol_Catalog9\\Catalog_Entries64 8",
               winsock + L"NameSpace_Catalog5\\Catalog_Entries64 8", set + L"Tcpip\\Parameters\\Interfaces 8",
               set + L"Tcpip\\Parameters\\PersistentRoutes 1", set + L"Dnscache\\Parameters\\DohWellKnownServers 8",
               set + L"Dnscache\\InterfaceSpecificParameters 8",
               hklm + L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient 257"};
}
// Where Windows reads hosts from and the rest of the lookup path, then the file. The new content
// first, then the check that hosts can go, the copy, the replace, and the DNS cache cleared.
const Journal Check = Journal{Where} + LookupReads() + Journal{L"read " + H, L"view"};
const Journal NewFile{L"create " + T, L"write " + T, L"close " + T}, Written = NewFile + Journal{L"probe " + H};
const Journal Copied = Journal{L"read " + H, L"create " + B, L"write " + B, L"close " + B};
const Journal Replaced = Written + Copied + Journal{L"replace " + H, Flush};
const Journal Unload{L"unload main", L"unload about"};
const Journal Restart{L"GetVersionExA 148", L"ExitWindowsEx 6 0"};

// Read-only, hidden and system on top of the usual archive bit; the archive bit alone after clearing them.
constexpr std::uint32_t Protected = 0x27;
const Journal Unprotected = Written + Copied + Journal{L"attributes " + H + L" 32", L"replace " + H};

// A call made 20 times, 100 ms apart: a file held for good.
Journal Retried(const std::wstring& call) {
    Journal j{call};
    for (int i = 1; i < 20; ++i) j.insert(j.end(), {L"sleep 100", call});
    return j;
}
const std::wstring AfterRestart =
    L" Сайты будут разблокированы после перезагрузки. Произвести перезагрузку компьютера сейчас?";
const std::wstring AtRestart =
    L" Заменить его сейчас нельзя: стандартный файл займёт его место при следующей перезагрузке компьютера." +
    AfterRestart;
const std::wstring HeldNow =
    Msg(4 + 64, Caption, L"Файл ''hosts'' занят другой программой: scan.exe (процесс 12)." + AtRestart);
const std::wstring HeldBefore = Msg(4 + 64, Caption,
    L"Замена файла ''hosts'' стандартным уже назначена на следующую перезагрузку компьютера." + AfterRestart);

struct Rig {
    FakeSystem sys;
    HostsRepair repair{sys.Get(), sys, L""};
    Rig(const std::optional<std::string>& hosts, std::deque<Answer> answers) {
        if (hosts) sys.files[H] = *hosts;
        sys.answers = std::move(answers);
    }
};

TEST(HostsRepair, EachRunShowsAsksAndChangesOnlyWhatItShould) {
    const auto check = &HostsRepair::RunIntegrityCheck;
    const auto m1 = &HostsRepair::RepairMethod1, m2 = &HostsRepair::RepairMethod2, m3 = &HostsRepair::RepairMethod3;
    const Files kept{{H, Old}}, keptAndCopied{{H, Old}, {B, Old}}, replaced{{H, Stock}, {B, Old}},
        stockOnly{{H, Stock}};
    const std::wstring leftAsItWas = H + L"\nФайл hosts оставлен как был.";
    // `failing`: this call fails with code 5, which the run ends with, its failure naming `subject`;
    // `attributes`: of the hosts file, before and after; `where`: DataBasePath; `busy`: calls failing for
    // good, another program holding hosts; `waiting`: an earlier run's new file, with these bytes, waits for
    // the restart.
    // This run's new file, beside the earlier one, compared with it.
    const std::wstring T2 = H + L".hostovik-7-2.tmp";
    const Journal TakeOver{
        L"create " + T2, L"write " + T2, L"close " + T2, L"open to read " + T2, L"open to read " + T};
    const std::map<std::wstring, std::uint32_t> sharingNothing{{L"probe " + H, 32}, {L"read " + H, 32}};
    const std::wstring HeldSince = Msg(4 + 64, Caption, L"Файл ''hosts'' занят другой программой." + AtRestart);
    // clang-format off
    const struct {
        const char* name; void (HostsRepair::*run)(); std::optional<std::string> hosts; std::deque<Answer> answers;
        Journal expected; Files after; std::wstring failing = {}, subject = {}; std::uint32_t attributes = Plain;
        std::optional<RegistryValue> where = {}; std::map<std::wstring, std::uint32_t> busy = {};
        std::optional<std::string> waiting = {};
    } cases[] = {
        // The check counts LF bytes only.
        {.name = "stock, stop", .run = check, .hosts = Stock, .answers = {No},
         .expected = Check + Journal{Unmodified, L"unload main"}, .after = stockOnly},
        {.name = "stock and one more line", .run = check, .hosts = Stock + "\r\n", .answers = {No},
         .expected = Check + Journal{Modified}, .after = {{H, Stock + "\r\n"}}},
        // Windows reading hosts from elsewhere is told of before the file is read; Yes puts the default back.
        {.name = "redirected, reset", .run = check, .hosts = Stock, .answers = {Yes, Ok, Yes},
         .expected = Journal{Where, L"close 101"} + LookupReads(true) + Journal{RedirectMsg} + Reset +
                     Journal{Msg(64, Caption, L"Стандартная папка файла ''hosts'' возвращена. Прежнее значение "
                     L"DataBasePath в разделе реестра HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters: "
                     L"\"D:\\evil\"")} + Journal{L"read " + H, L"view", Unmodified},
         .after = stockOnly, .where = RegistryValue{2, Utf16(L"D:\\evil")}},
        // Method 1 tells of success only once the stock file is in place.
        {.name = "modified, repaired", .run = check, .hosts = Old, .answers = {Yes, Ok, Ok},
         .expected = Check + Journal{Modified, M1Warning} + Replaced + Journal{M1Done} + Unload, .after = replaced},
        {.name = "missing, created", .run = check, .hosts = std::nullopt, .answers = {Yes, Ok, Ok},
         .expected = Check + Journal{Modified, M1Warning} + Written +
                     Journal{L"read " + H, L"replace " + H, Flush, M1Done} + Unload, .after = stockOnly},
        // Method 2 puts the stock file in place before it asks, and restarts only on Yes.
        {.name = "method 2, restart", .run = m2, .hosts = Old, .answers = {Ok, Yes},
         .expected = Journal{M2Warning} + Replaced + Journal{M2Question} + Restart + Unload, .after = replaced},
        // A failure ends the run at once with the hosts file as it was, nothing of the run's left.
        {.name = "method 1, writing the copy fails: no part of a copy stays", .run = m1, .hosts = Old, .answers = {Ok},
         .expected = Journal{M1Warning} + Written + Journal{L"read " + H, L"create " + B, L"write " + B, L"delete " + B,
         L"delete " + T}, .after = kept, .failing = L"write " + B, .subject = leftAsItWas},
        {.name = "method 1, the replace fails: attributes back, the copy kept", .run = m1, .hosts = Old,
         .answers = {Ok},
         .expected = Journal{M1Warning} + Unprotected + Journal{L"attributes " + H + L" 39", L"delete " + T},
         .after = keptAndCopied, .failing = L"replace " + H, .subject = leftAsItWas, .attributes = Protected},
        {.name = "method 2, the restart is refused", .run = m2, .hosts = Old, .answers = {Ok, Yes},
         .expected = Journal{M2Warning} + Replaced + Journal{M2Question} + Restart, .after = replaced,
         .failing = L"ExitWindowsEx 6 0",
         .subject = L"Файл hosts уже заменён стандартным. Перезагрузите компьютер сами."},
        // Held for good, hosts is replaced at the next start of Windows, never said done before.
        {.name = "method 2, hosts held sharing nothing: it becomes its copy at the restart, then the stock file",
         .run = m2, .hosts = Old, .answers = {Ok, No},
         .expected = Journal{M2Warning} + NewFile + Retried(L"probe " + H) +
                     Journal{L"read " + H, L"at restart " + H + L" " + B, L"at restart " + T + L" " + H, HeldNow} +
                     Unload, .after = {{H, Old}, {T, Stock}}, .busy = sharingNothing},
        {.name = "method 1, the restart's moves refused: the first one undone", .run = m1, .hosts = Old,
         .answers = {Ok}, .expected = Journal{M1Warning} + NewFile + Retried(L"probe " + H) + Journal{L"read " + H,
         L"at restart " + H + L" " + B, L"at restart " + T + L" " + H, L"at restart " + B + L" " + H, L"delete " + T},
         .after = kept, .failing = L"at restart " + T + L" " + H, .subject = leftAsItWas, .busy = sharingNothing},
        // An earlier run's replace waits for the restart: taken as it is when its file holds this run's bytes,
        // else this run's file takes that file's place.
        {.name = "method 1 while an earlier run's replace of the same bytes waits: nothing more", .run = m1,
         .hosts = Old, .answers = {Ok, No}, .expected = Journal{M1Warning, L"create " + T} + TakeOver +
         Journal{L"delete " + T2, HeldBefore} + Unload, .after = {{H, Old}, {T, Stock}}, .waiting = Stock},
        {.name = "method 1 while an earlier run's replace of other bytes waits: the stock file in its place",
         .run = m1, .hosts = Old, .answers = {Ok, No}, .expected = Journal{M1Warning, L"create " + T} + TakeOver +
         Journal{L"replace " + T, HeldSince} + Unload, .after = {{H, Old}, {T, Stock}}, .waiting = Stock + "\r\n"},
        {.name = "method 3, route fails", .run = m3, .hosts = Old, .answers = {Yes}, .expected = {M3Question, Route},
         .after = kept, .failing = Route, .subject = Route},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(c.hosts, c.answers);
        r.sys.attributes[H] = c.attributes;
        if (c.where) r.sys.keys[TcpipKey]["DataBasePath"] = *c.where;
        if (!c.failing.empty()) r.sys.fail[c.failing] = 5;
        r.sys.fail.insert(c.busy.begin(), c.busy.end());
        if (!c.busy.empty()) r.sys.held = {H}, r.sys.holders = {{12, L"scan.exe"}};
        if (c.waiting) r.sys.files[T] = *c.waiting, r.sys.pending = {{T, H}};
        const auto [code, subject] = FailureOf([&] { (r.repair.*c.run)(); });
        EXPECT_EQ(code, c.failing.empty() ? 0u : 5u);
        EXPECT_EQ(subject, c.subject);
        EXPECT_EQ(r.sys.log, c.expected);
        EXPECT_EQ(r.sys.files, c.after);
        EXPECT_EQ(r.sys.Attributes(H).value_or(0), c.after.count(H) && c.after.at(H) == Stock ? Plain : c.attributes);
    }
}

// (/windir:) Its own registry file is loaded, and the question on its DataBasePath waits for the
// user with nothing loaded: a key held open meanwhile by another program could keep the file in
// HKLM. Yes loads it again, for the write alone. This computer's DNS cache is not flushed after method 1.
TEST(HostsRepair, AnotherInstallationsRedirectIsAskedWithItsRegistryUnloadedItsRepairNotFlushed) {
    FakeSystem sys;
    const std::wstring system = L"E:\\W\\System32\\config\\SYSTEM",
                       tcpip = L"ControlSet001\\Services\\Tcpip\\Parameters";
    sys.hives[system] = {{"Select", {{"Current", {4, std::string("\1\0\0\0", 4)}}}},
        {Ascii(tcpip), {{"DataBasePath", {1, Utf16(L"D:\\evil")}}}}};
    sys.appHives = true;
    sys.answers = {Yes, Ok, Yes, Ok, Ok};
    HostsRepair(sys.Get(), sys, L"E:\\W").RunIntegrityCheck();
    const auto asked = std::find(sys.log.begin(), sys.log.end(), RedirectMsg);
    ASSERT_NE(asked, sys.log.end());
    EXPECT_EQ(Journal(asked - 1, asked + 6),
        (Journal{L"unload " + system, RedirectMsg, L"load privately " + system + L" 131099",
            L"openW " + system + L" " + tcpip + L" 2", L"set DataBasePath 2 %SystemRoot%\\System32\\drivers\\etc",
            L"close 101", L"unload " + system}));
    EXPECT_EQ(sys.log.end()[-4], L"replace E:\\W\\System32\\drivers\\etc\\hosts");
}

TEST(HostsRepair, AFolderWithoutSystem32IsNoInstallationTheWindowEnds) {
    FakeSystem none;
    EXPECT_EQ(FailureOf([&] { HostsRepair(none.Get(), none, L"F:\\W").RunIntegrityCheck(); }),
        std::pair(3u, std::wstring(L"F:\\W\nВ этой папке нет Windows: в ней нет папки System32.")));
}

TEST(HostsRepair, AFileThatCannotBeReadIsShownAsSuchAndItsRepairOffered) {
    Rig held(Old, {No});
    held.sys.fail[L"read " + H] = 32;
    held.repair.RunIntegrityCheck();
    EXPECT_EQ(held.sys.view, L"[Файл hosts не прочитан. Ошибка 32: text of 32]\r\n");
    EXPECT_EQ(held.sys.log.back(), Modified);
}

// The view shows its start, says so, and lists the entries past it; the LFs past it still count.
TEST(HostsRepair, APaddedFileShowsItsStartAndTheEntriesPastIt) {
    const std::string entries = "0.0.0.0 vk.com\n" + std::string(2000, 'x') + " ok.ru\n";
    Rig padded(std::string(ViewCap + 2, 'x') + std::string(17, '\n') + entries, {Yes});
    padded.repair.RunIntegrityCheck();
    EXPECT_EQ(padded.sys.log, Check + Journal{Unmodified});  // 19 LFs
    EXPECT_EQ(padded.sys.view, std::wstring(ViewCap, L'x') +
                                   L"\r\n[Файл hosts занимает 4196345 байт; здесь показаны только первые 4194304. "
                                   L"Строки с записями дальше в файле (2):]\r\n0.0.0.0 vk.com\r\n" +
                                   std::wstring(ShownLineCap, L'x') + L"\r\n");
}

// A value malware keeps from being written back is told of, and the check goes on.
TEST(HostsRepair, ARedirectThatCannotBeResetIsToldAndTheCheckGoesOn) {
    Rig kept(Stock, {Yes, Ok, No});
    kept.sys.keys[TcpipKey]["DataBasePath"] = {1, Utf16(L"D:\\evil")};
    kept.sys.fail[L"set DataBasePath 2 %SystemRoot%\\System32\\drivers\\etc"] = 5;
    kept.repair.RunIntegrityCheck();
    EXPECT_EQ(Journal(kept.sys.log.end() - 9, kept.sys.log.end()),
        (Journal{RedirectMsg} + Reset +
            Journal{Msg(16, Caption,
                        L"Ошибка 5: text of 5\n\nHKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\"
                        L"Parameters\\DataBasePath\nDataBasePath оставлено как было."),
                L"read " + H, L"view", Unmodified, L"unload main"}));
}

// After the view, one message lists what else sends sites elsewhere (none when there is nothing:
// every case above); a proxy on this computer is switched off on Yes alone, its old values kept first.
TEST(HostsRepair, OtherPlacesToldAfterTheViewAProxyHereSwitchedOffOnYes) {
    const std::wstring
        reg = H + L".20240102-030405.reg",
        kept = L"Прежние значения сохранены в файле " + reg + L"; вернуть их: reg import \"" + reg + L"\"",
        found =
            L"Кроме файла ''hosts'', сайты могут перенаправлять и эти настройки Windows и браузеров:\n- "
            L"прокси для всех страниц (пользователь): ",
        here = Msg(4 + 16, Detection,
            found +
                L"127.0.0.1:8080 (на этом компьютере: так делают вредоносные программы)\n\nТо, что помечено \"так "
                L"делают вредоносные программы\", программа может отменить. Отменить? Прежние значения будут "
                L"сохранены в файле .reg рядом с файлом ''hosts'', прежние файлы Firefox - рядом с ними; остальное "
                L"программа не меняет.");
    // clang-format off
    const struct {
        const char* name; const wchar_t* server; std::deque<Answer> answers; Journal told; char enabled = 1;
        std::wstring failing = {};
    } cases[] = {
        {.name = "here, Yes: switched off", .server = L"127.0.0.1:8080", .answers = {Yes, Ok, Yes},
            .told = {here, Msg(64, Caption, L"Сделанное вредоносными программами на этом компьютере отменено. " + kept)}, .enabled = 0},
        {.name = "here, No: left", .server = L"127.0.0.1:8080", .answers = {No, Yes}, .told = {here}},
        {.name = "here, the user's key locked against the run: named with its error", .server = L"127.0.0.1:8080",
            .answers = {Yes, Ok, Yes}, .told = {here, Msg(16, Caption, L"Сделанное вредоносными программами отменено не "
                L"всё: отменено 0 из 1. Не удалось изменить:\n- HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                L"Internet Settings: Ошибка 5: text of 5\n\n" + kept)},
            .failing = L"openW -2147483647 Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings 258"},
        {.name = "here, the .reg cannot be written: left", .server = L"127.0.0.1:8080", .answers = {Yes, Ok, Yes},
            .told = {here, Msg(16, Caption, L"Ошибка 5: text of 5\n\ncreate " + reg +
                L"\nНичего не отменено: файл для прежних значений не записан.")}, .failing = L"create " + reg},
        {.name = "elsewhere: told, never asked", .server = L"proxy.corp:3128", .answers = {Ok, Yes},
            .told = {Msg(64, Detection, found + L"proxy.corp:3128 (сброс: inetcpl.cpl, Подключения, Настройка сети)"
                L"\n\nПрограмма их не меняет: как вернуть каждую, сказано в скобках.")}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(Stock, c.answers);
        r.sys.keys = UserProxy(c.server);
        if (!c.failing.empty()) r.sys.fail[c.failing] = 5;
        r.repair.RunIntegrityCheck();
        Journal told;
        std::copy_if(r.sys.log.begin(), r.sys.log.end(), std::back_inserter(told),
            [](const std::wstring& e) { return e.starts_with(L"msg"); });
        EXPECT_EQ(told, c.told + Journal{Unmodified});
        EXPECT_EQ(*(std::find(r.sys.log.begin(), r.sys.log.end(), L"view") + 1), c.told[0]);
        EXPECT_EQ(r.sys.keys[UserSettings]["ProxyEnable"].bytes, std::string({c.enabled, 0, 0, 0}));
    }
}

// The window's text that no run above shows: the cap of the other places' message.
TEST(Form1Messages, TwelveOtherPlacesAtMost) {
    std::wstring twelve = L"Кроме файла ''hosts'', сайты могут перенаправлять и эти настройки Windows и браузеров:";
    for (int i = 0; i < 11; ++i) twelve += L"\n- L";
    EXPECT_EQ(OtherPlacesFound(std::vector<std::wstring>(13, L"L"), false),
        twelve + L"\n- ...и ещё 2\n\nПрограмма их не меняет: как вернуть каждую, сказано в скобках.");
}

TEST(HostsStore, AFileHeldForAMomentIsTriedAgainAndAReplaceThatTookEffectIsNotUndone) {
    // A scanner holds hosts through two probes and the new file through one replace: the repair
    // waits it out, 100 ms at a time. Held for good, in another installation (whose restart
    // this one cannot ask for), it gives up after 20 tries. A read is tried again too.
    FakeSystem sys;
    sys.files[H] = Old;
    sys.fail = {{L"probe " + H, 32}, {L"replace " + H, 33}, {L"read " + H, 32}};
    sys.failTimes = {{L"probe " + H, 2}, {L"replace " + H, 1}, {L"read " + H, 1}};
    HostsStore store(sys, sys, sys, false);
    std::string read;
    EXPECT_TRUE(store.ReadHostsBytes(H, [&](std::string_view chunk) { read += chunk; }));
    EXPECT_EQ(read, Old);
    sys.log.clear();
    store.OpenHostsForOutput(H);
    store.WriteStockHosts();
    EXPECT_EQ(store.CloseHosts().copy, B);
    const Journal probed{L"probe " + H, L"sleep 100", L"probe " + H, L"sleep 100", L"probe " + H};
    EXPECT_EQ(sys.log, NewFile + probed + Copied + (Journal{L"replace " + H, L"sleep 100", L"replace " + H}));
    sys.log.clear();
    sys.failTimes.clear();
    store.OpenHostsForOutput(H);
    EXPECT_EQ(FailureOf([&] { store.CloseHosts(); }).first, 32u);
    EXPECT_EQ(std::count(sys.log.begin(), sys.log.end(), L"probe " + H), 20);
    // The replace moved the file, then reported a failure (a reply lost on the way back from a
    // share): the copy stays, nothing is put back, and the message says the file was replaced.
    FakeSystem lost;
    lost.files[H] = Old;
    lost.attributes[H] = Protected;
    lost.fail[L"replace " + H] = 64;
    lost.replaceTakesEffect = true;
    HostsStore again(lost, lost, lost, true);
    again.OpenHostsForOutput(H);
    again.WriteStockHosts();
    EXPECT_EQ(FailureOf([&] { again.CloseHosts(); }),
        std::pair(64u, H + L"\nФайл hosts всё же заменён новым; прежний сохранён в " + B + L"."));
    EXPECT_TRUE(again.Replaced());
    EXPECT_EQ(lost.files, (Files{{H, Stock}, {B, Old}}));
    EXPECT_EQ(lost.Attributes(H), Plain);
}

// Another installation's tree is reached along plain names only: a link at any name on the way to
// hosts, or a file of two names, is refused before anything is read or written. The running
// Windows' own folder is administrators' alone: a link there is followed, and the repair replaces it.
TEST(HostsStore, AnotherInstallationsLinksAndSecondNamesAreRefusedBeforeAnyCall) {
    const std::wstring W = L"E:\\W", Etc = W + L"\\System32\\drivers\\etc", Other = Etc + L"\\hosts";
    const std::wstring
        link = L"\nЭто ссылка (точка повторной обработки): в другой установке Windows программа по ссылкам не идёт.",
        names =
            L"\nУ файла несколько имён (жёсткие ссылки): в другой установке Windows программа такой файл не "
            L"читает и не меняет.";
    const FileFacts reparse{win::FileAttributeReparsePoint | win::FileAttributeDirectory}, twoNames{Plain, 2};
    // clang-format off
    const struct {
        const char* name; std::wstring at; FileFacts facts; std::uint32_t code; std::wstring why;
    } rows[] = {
        {"the installation's folder a junction", W, reparse, 1920, link},
        {"System32 a junction", W + L"\\System32", reparse, 1920, link},
        {"drivers a junction", W + L"\\System32\\drivers", reparse, 1920, link},
        {"etc a junction", Etc, reparse, 1920, link},
        {"hosts a symbolic link", Other, {win::FileAttributeReparsePoint}, 1920, link},
        {"hosts a second name of another file", Other, twoNames, 1142, names},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem sys;
        sys.files[Other] = Old;
        sys.facts[row.at] = row.facts;
        HostsStore store(sys, sys, sys, false);
        EXPECT_EQ(FailureOf([&] { store.ReadHostsBytes(Other, [](std::string_view) {}); }),
            std::pair(row.code, row.at + row.why));
        EXPECT_EQ(FailureOf([&] { store.PutHosts(Other, [](HostsStore& s) { s.WriteStockHosts(); }); }),
            std::pair(row.code, row.at + row.why + L"\nФайл hosts оставлен как был."));
        EXPECT_EQ(sys.log, Journal{});
        EXPECT_EQ(sys.files, (Files{{Other, Old}}));
    }
    // The new file, its own only while nobody adds a name to it, is checked too.
    FakeSystem added;
    added.files[Other] = Old;
    added.facts[Other + L".hostovik-7-1.tmp"] = twoNames;
    HostsStore store(added, added, added, false);
    EXPECT_EQ(FailureOf([&] { store.PutHosts(Other, [](HostsStore& s) { s.WriteStockHosts(); }); }).first, 1142u);
    EXPECT_EQ(added.files, (Files{{Other, Old}}));
    FakeSystem running;
    running.files[H] = Old;
    running.facts[L"C:\\WINDOWS\\System32\\drivers\\etc"] = reparse;
    EXPECT_TRUE(HostsStore(running, running, running, true).ReadHostsBytes(H, [](std::string_view) {}));
}

// An earlier copy is named instead of another only when its bytes themselves are the same; a file
// that only starts like the stock one is copied.
TEST(HostsStore, AnEarlierCopyIsNamedOnlyForTheSameBytes) {
    const std::wstring Earlier = H + L".20230101-000000.bak";
    std::string other = Old;
    other.back() = 'x';
    // clang-format off
    const struct {
        const char* name; std::string hosts; Files earlier; bool runningWindows; FileFacts facts; std::wstring named;
    } rows[] = {
        {"the same bytes", Old, {{Earlier, Old}}, true, {Plain}, Earlier},
        {"the same size, other bytes", Old, {{Earlier, other}}, true, {Plain}, B},
        {"another installation's copy of them, with two names", Old, {{Earlier, Old}}, false, {Plain, 2}, B},
        {"the stock file's start, no earlier copy", Stock.substr(0, 100), {}, true, {Plain}, B},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSystem sys;
        sys.files = row.earlier;
        sys.files[H] = row.hosts;
        sys.facts[Earlier] = row.facts;
        EXPECT_EQ(HostsStore(sys, sys, sys, row.runningWindows).BackupHosts(H, Stamp), row.named);
        EXPECT_EQ(sys.files.count(B) ? sys.files[B] : "", row.named == B ? row.hosts : "");
    }
}

}  // namespace
