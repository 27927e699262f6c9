// The command line: what each switch means, and what each run says, changes, logs and returns.
#include "Fakes.h"
#include "hosts/HostsCommandLine.h"

namespace {

using enum Command::Action;

TEST(CommandLine, SwitchesInWindowsStyle) {
    const struct { std::vector<std::wstring> args; Command::Action action; std::wstring value = {}; } cases[] = {
        {{}, Window},
        {{L"/windir:D:\\Windows"}, Window, L"D:\\Windows"},
        {{L"/CHECK"}, Check},
        {{L"-Repair", L"/log:\\\\srv\\Logs\\Hosts.txt"}, Repair, L"\\\\srv\\Logs\\Hosts.txt"},  // the value as given
        {{L"/restore:C:\\hosts.bak", L"/windir:D:\\W"}, Restore, L"C:\\hosts.bak"},
        {{L"/?"}, Usage},
        {{L"/check", L"/repair"}, Invalid},  // one action at a time
        {{L"/log:x"}, Invalid},              // a log is of an action
        {{L"/restore:"}, Invalid},
        {{L"/checks"}, Invalid},
        {{L"check"}, Invalid},
        {{L"/? ", L"/windir:D:"}, Invalid},
    };
    for (const auto& c : cases) {
        const Command command = ParseCommandLine(c.args);
        EXPECT_EQ(command.action, c.action) << testing::PrintToString(c.args);
        const std::wstring value = c.action == Restore ? command.restoreFrom : c.action == Repair ? command.log
                                                                                                   : command.windowsDir;
        EXPECT_EQ(value, c.value) << testing::PrintToString(c.args);
    }
}

TEST(CommandLine, EachRunSaysChangesAndReturnsWhatItShould) {
    const std::wstring where = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\DataBasePath";
    const std::string infected = Stock + "127.0.0.1 vk.com ok.ru # blocked\r\n::1 localhost\r\n";
    const std::wstring flushed = L"кэш DNS очищен", repaired = L"файл hosts заменён стандартным";
    const struct {
        const char* name;
        std::vector<std::wstring> args;
        std::optional<std::string> hosts;
        std::optional<RegistryText> redirect;
        int code;
        Journal said;
        Files after;
        std::wstring failing = {};
    } cases[] = {
        {"check, stock", {L"/check"}, Stock, {}, 0,
         {L"файл hosts: " + H, L"переводов строк: 19 (в стандартном файле 19)", L"строк с именами, кроме localhost: 0",
          L"файл hosts стандартный"}, {{H, Stock}}},
        {"check, two lines more", {L"/check"}, infected, {}, 1,
         {L"файл hosts: " + H, L"переводов строк: 21 (в стандартном файле 19)", L"строк с именами, кроме localhost: 1",
          L"  127.0.0.1 vk.com ok.ru # blocked", L"файл hosts изменён"}, {{H, infected}}},
        // A technician's check is not fooled by blocking lines in place of stock ones.
        {"check, 19 LFs that block", {L"/check"}, std::string(18, '\n') + "0.0.0.0 kaspersky.ru\n", {}, 1,
         {L"файл hosts: " + H, L"переводов строк: 19 (в стандартном файле 19)", L"строк с именами, кроме localhost: 1",
          L"  0.0.0.0 kaspersky.ru", L"файл hosts изменён"}, {{H, std::string(18, '\n') + "0.0.0.0 kaspersky.ru\n"}}},
        {"check, missing", {L"/check"}, {}, {}, 1, {L"файл hosts: " + H, L"файла hosts нет"}, {}},
        {"check, redirected", {L"/check"}, Stock, RegistryText{2, L"D:\\evil"}, 1,
         {L"файл hosts: " + H, L"DataBasePath: Windows читает hosts из другой папки: D:\\evil",
          L"переводов строк: 19 (в стандартном файле 19)", L"строк с именами, кроме localhost: 0",
          L"файл hosts стандартный", L"папка hosts перенаправлена"}, {{H, Stock}}},
        {"check of another Windows: the registry is not its", {L"/check", L"/windir:D:\\W"}, {}, RegistryText{1, L"x"},
         1, {L"файл hosts: D:\\W\\System32\\drivers\\etc\\hosts",
             L"DataBasePath не проверено: оно относится к запущенной Windows, а не к /windir:", L"файла hosts нет"}, {}},
        {"repair, redirect reset", {L"/repair"}, Old, RegistryText{2, L"D:\\evil"}, 0,
         {L"файл hosts: " + H, L"DataBasePath: Windows читает hosts из другой папки: D:\\evil",
          L"DataBasePath возвращено к стандартному, было: D:\\evil", L"копия старого файла: " + B, repaired, flushed},
         {{H, Stock}, {B, Old}}},
        {"restore a copy", {L"/restore:C:\\old.bak"}, Stock, {}, 0,
         {L"файл hosts: " + H, L"копия старого файла не нужна: его не было или он стандартный",
          L"файл hosts заменён файлом C:\\old.bak", flushed}, {{H, Old}, {L"C:\\old.bak", Old}}},
        {"restore a missing file", {L"/restore:C:\\none"}, Stock, {}, 2,
         {L"файл hosts: " + H, L"ошибка 2: text of 2 (C:\\none)"}, {{H, Stock}}},
        {"repair refused", {L"/repair"}, Old, {}, 5,
         {L"файл hosts: " + H, L"ошибка 5: text of 5 (" + H + L"\nФайл hosts оставлен как был.)"}, {{H, Old}},
         L"probe " + H},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        if (c.hosts) sys.files[H] = *c.hosts;
        if (c.after.count(L"C:\\old.bak")) sys.files[L"C:\\old.bak"] = Old;
        if (c.redirect) sys.settings[where] = *c.redirect;
        if (!c.failing.empty()) sys.fail[c.failing] = 5;
        EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine(c.args)), c.code);
        EXPECT_EQ(sys.out, c.said);
        EXPECT_EQ(sys.files, c.after);
    }
}

TEST(CommandLine, LogsALineARunAndShowsTheUsage) {
    FakeSystem sys;
    sys.files[H] = Stock;
    for (const wchar_t* action : {L"/check", L"/repair"})
        RunCommand(sys.Get(), ParseCommandLine({action, L"/log:L"}));
    sys.fail[L"append L"] = 5;  // a log that cannot be written fails a run that went well
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/check", L"/log:L"})), 5);
    EXPECT_EQ(sys.files[L"L"], Utf8(L"2024-01-02 03:04:05\tPC-7\tcheck\t0 файл hosts стандартный\t-\r\n"
                                    L"2024-01-02 03:04:05\tPC-7\trepair\t0 файл hosts заменён стандартным; "
                                    L"кэш DNS очищен\t-\r\n"));
    // The usage goes to the console, or to a message box where there is none.
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/x"})), 87);
    EXPECT_TRUE(sys.out.back().starts_with(L"Хостовик: проверка и восстановление файла hosts."));
    sys.console = false;
    sys.answers = {Answer::Ok};
    EXPECT_EQ(RunCommand(sys.Get(), ParseCommandLine({L"/?"})), 0);
    EXPECT_TRUE(sys.log.back().starts_with(L"msg 64 [] Хостовик: проверка"));
}

}  // namespace
