// What each hosts entry does, and how the run tells it: redirects first, each kind with its advice.
#include <gtest/gtest.h>

#include "hosts/EntryKinds.h"
#include "hosts/HostsText.h"

namespace {

std::vector<std::wstring> Told(const std::string& file) {
    HostsScan scan(0);
    scan.Add(file);
    scan.Finish();
    return EntrySummary(scan.tally, Windows1251());
}

TEST(EntryKinds, EachEntryJudgedByWhereItSendsItsNames) {
    const std::wstring bank = L"подменены адреса сайтов банков, платежей, почты, соцсетей или госуслуг (записей: ",
                       advice =
                           L"): если вы вводили там пароль или номер карты, смените пароль с другого, чистого "
                           L"устройства и позвоните в банк",
                       security = L"заблокированы сайты защиты или обновлений Windows (записей: ",
                       stops = L"): так вредоносные программы мешают себя удалить";
    // clang-format off
    const struct { const char* name; std::string file; std::vector<std::wstring> told; } cases[] = {
        {"a bank's subdomain sent elsewhere; the bank itself over IPv6", "91.200.1.2 online.sberbank.ru\n"
            "2a00::1 SBERBANK.RU\n", {bank + L"2, например online.sberbank.ru" + advice}},
        {"a look-alike and another name sent elsewhere: may be fake", "91.200.1.2 sberbank.ru.evil.com x.ru\n",
            {L"подменены адреса сайтов (записей: 1, например sberbank.ru.evil.com): сайт может быть поддельным"}},
        {"security sites sent nowhere, with and without a subdomain, IPv4 and IPv6", "127.0.0.2 kaspersky.ru\n"
            "0.0.0.0 update.microsoft.com\n:: www.drweb.com\n::1 eset.com\n0:0:0:0:0:0:0:1 avast.com\n",
            {security + L"5, например kaspersky.ru" + stops}},
        {"redirects told first, then the blocks", "0.0.0.0 ads.doubleclick.net\n127.0.0.1 kaspersky.ru\n"
            "6.6.6.6 vk.com\n", {bank + L"1, например vk.com" + advice, security + L"1, например kaspersky.ru" + stops,
            L"заблокированы другие имена (записей: 1, например ads.doubleclick.net)"}},
        {"localhost to this computer is no entry", "127.0.0.1 localhost\n::1 localhost\n", {}},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(Told(c.file), c.told) << c.name;
}

TEST(EntryKinds, AnAdListOfFiftyThousandNamesIsToldAsOne) {
    std::string list;
    for (int i = 0; i < 50000; ++i) list += "0.0.0.0 ad" + std::to_string(i) + ".example\r\n";
    EXPECT_EQ(Told(list), (std::vector<std::wstring>{L"заблокировано имён: 50000: похоже на список блокировки "
                                                     L"рекламы, возможно ваш; при восстановлении hosts его копия "
                                                     L"сохранится рядом"}));
}

}  // namespace
