#pragma once
// What the command line says, on the console and in its log line: every text of it in one place,
// as the window's are in hosts/HostsMessages.h. A format takes its parts ready to show (made
// printable by the caller, where they come from a file or the registry).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr wchar_t UsageText[] =
    L"Хостовик: проверка и восстановление файла hosts.\n"
    L"  hostovik-cli.exe /check         проверить файл hosts и папку, откуда Windows его читает\n"
    L"  hostovik-cli.exe /repair        вернуть стандартную папку; заменить файл стандартным, если\n"
    L"                                  в нём есть записи (копия старого остаётся рядом); очистить кэш DNS\n"
    L"  hostovik-cli.exe /restore:ФАЙЛ  вернуть на место hosts ФАЙЛ, например копию .bak (имя без папки\n"
    L"                                  ищется сначала рядом с hosts)\n"
    L"  /windir:ПАПКА  работать с Windows в ПАПКЕ и с её реестром, путь полный "
    L"(например D:\\Windows из WinPE)\n"
    L"  /allow:ФАЙЛ    записи компании (файл в формате hosts): для /check они не находка, /repair\n"
    L"                 пишет их после стандартного файла; изменять список должны мочь только администраторы\n"
    L"                 и SYSTEM, а на общем ресурсе - никто из компьютеров; ФАЙЛ#SHA256 - только с этим хэшем\n"
    L"  /log:ФАЙЛ      дописать в ФАЙЛ (UTF-8, можно на общем ресурсе) строку об этом запуске\n"
    L"  /utf8          вывод в канал или файл в UTF-8, а не в кодовой странице консоли\n"
    L"  /json          вместо строк - один объект JSON со всем, что найдено и сделано; ключи английские\n"
    L"  /eventlog      оставить в журнале Windows \"Приложение\" запись источника Hostovik с кодом события:\n"
    L"                 1000 - чисто, 1001 - найдено, 1002 - исправлено, 1003 - после перезагрузки, 1004 - ошибка\n"
    L"Проверяются и другие места, откуда Windows берёт адреса сайтов: "
    L"hosts.ics, прокси всех пользователей, WinHTTP, серверы имён,\n"
    L"NRPT, Winsock, постоянные маршруты, DNS через HTTPS, политики браузеров, прокси Firefox; /repair отменяет "
    L"только прокси на этом компьютере\nи, если компьютером никто не управляет, политики прокси и DNS браузеров и "
    L"блокировку сайтов защиты (прежние значения - в файле .reg\nрядом с hosts, прежние файлы Firefox - рядом с "
    L"ними).\n"
    L"Последняя строка вывода: RESULT hosts=clean|modified|missing|unchecked redirected=yes|no|unchecked\n"
    L"other=none|unchecked|ics,proxy,pac,proxylock,winhttp,dns,nrpt,winsock,route,doh,browser,firefox,unread "
    L"changed=yes|no|pending "
    L"exit=КОД; "
    L"читайте поля по имени.\n"
    L"/check и /? работают с любыми правами, /repair и /restore: - только с правами администратора.\n"
    L"Коды выхода: 0 - файл чистый или готово; 1 - в файле есть записи или папка перенаправлена;\n"
    L"3010 - папка возвращена или файл hosts занят и будет заменён, всё это после перезагрузки;\n"
    L"740 - нужны права администратора; 87 - неверный ключ; другое число - номер ошибки Windows; "
    L"файл hosts тогда оставлен как был,\n"
    L"если в строке RESULT нет changed=yes.";

// A Windows error with its text; and with what it was about, in brackets.
inline std::wstring ErrorSaid(std::uint32_t code, std::wstring_view text) {
    return L"ошибка " + std::to_wstring(code) + L": " + std::wstring(text);
}
inline std::wstring FailureSaid(const std::wstring& error, const std::wstring& subject) {
    return error + (subject.empty() ? L"" : L" (" + subject + L")");
}

// The start of every run that works on a hosts file, and what stops a change without the rights.
inline std::wstring HostsFileSaid(const std::wstring& path) { return L"файл hosts: " + path; }
inline constexpr wchar_t AdministratorNeeded[] =
    L"нужны права администратора: запустите из командной строки от имени администратора; ничего не изменено";

// The company's list (/allow:): read, or holding no entry (said after its path, as its failure's subject).
inline std::wstring AllowListRead(const std::wstring& path, std::size_t lines) {
    return L"список /allow: " + path + L", строк с записями: " + std::to_wstring(lines);
}
inline constexpr wchar_t AllowListEmpty[] = L"в этом списке нет ни одной записи";
// A list that others than administrators and SYSTEM may change, or whose bytes are not the ones
// /allow: pins (said after its path).
inline constexpr wchar_t ListOnWritableShare[] =
    L"список на общем ресурсе, который этот запуск сам может изменить, а значит, может и SYSTEM любого "
    L"компьютера сети: дайте компьютерам право только читать его, а журнал ведите в другой папке";
inline constexpr wchar_t EveryoneForNoPermissions[] = L"все (у файла или папки нет списка разрешений)";
inline std::wstring ListChangeableBy(const std::vector<std::wstring>& names) {
    std::wstring joined;
    for (const std::wstring& name : names) joined += (joined.empty() ? L"" : L", ") + name;
    return L"этот список могут изменить не только администраторы и SYSTEM: " + joined +
           L"; оставьте право изменять его и его папку только им";
}
inline std::wstring ListHashDiffers(const std::string& actual) {
    return L"SHA-256 списка не тот, что задан в /allow:; у этого файла " + std::wstring(actual.begin(), actual.end());
}

// A path on a server that the hosts file under repair could send elsewhere (said after the path).
inline std::wstring ShareMapped(const std::wstring& server, const std::wstring& line) {
    return L"не открыт: адрес сервера " + server + L" задан в файле hosts строкой \"" + line +
           L"\"; восстановите hosts без этого пути или укажите сервер по IP-адресу";
}
inline std::wstring ShareUnchecked(const std::wstring& server, const std::wstring& why) {
    return L"не открыт: не прочитан файл hosts, который мог бы задать адрес сервера " + server + L": " + why;
}

// DataBasePath, the folder Windows reads hosts from: another one, not read, put back or not.
inline std::wstring RedirectSaid(const std::wstring& shown) {
    return L"DataBasePath: Windows читает hosts не из стандартной папки: " + shown;
}
inline std::wstring RedirectUnchecked(const std::wstring& failure) {
    return L"DataBasePath не проверено: реестр Windows в /windir: не прочитан: " + failure;
}
inline std::wstring RegistryNotUnloaded(const std::wstring& failure) {
    return L"реестр Windows в /windir: не выгружен: " + failure;
}
inline std::wstring RedirectPutBack(const std::wstring& shown) {
    return L"DataBasePath возвращено к стандартному, было: " + shown + L"; Windows прочтёт его после перезагрузки";
}
inline std::wstring RedirectNotPutBack(const std::wstring& failure) {
    return L"DataBasePath не возвращено к стандартному: " + failure;
}

// What a repair undoes of malware's (a proxy on this computer, a browser's policy, Firefox's
// proxy): nothing when the old values could not be kept; else `done` of `total`, the registry's old
// values in a new .reg or an `earlier` one with the same bytes (none when only Firefox's files
// changed); then each old file of Firefox kept, and each thing that could not be changed.
inline std::wstring ProxiesLeftOn(const std::wstring& failure) {
    return L"сделанное вредоносными программами не отменено: не записан файл для прежних значений: " + failure;
}
inline std::wstring ProxiesOff(std::size_t done, std::size_t total, bool earlier, const std::wstring& regFile) {
    return L"сделанное вредоносными программами отменено" +
           (done < total ? L" не всё (" + std::to_wstring(done) + L" из " + std::to_wstring(total) + L")"
                         : L" (" + std::to_wstring(total) + L")") +
           (regFile.empty() ? L""
                            : (earlier ? L"; прежние значения уже сохранены в " : L"; прежние значения в ") + regFile +
                                  L", вернуть их: reg import");
}
inline std::wstring FirefoxFileKept(const std::wstring& copy) { return L"прежний файл Firefox сохранён: " + copy; }
inline std::wstring ProxyLeftOn(const std::wstring& failure) { return L"не отключено: " + failure; }
// When the browsers see a switch-off: SYSTEM's run tells no user's session; a notice that failed.
inline constexpr wchar_t BrowsersWhenStarted[] = L"браузеры пользователей увидят это, когда их запустят снова";
inline std::wstring BrowsersNotTold(const std::wstring& failure) {
    return L"браузеры не извещены сразу (" + failure + L"): они увидят это, когда их запустят снова";
}

// What a file holds: its line feeds (and which stock file it is), its entries, the company's
// lines, then the first entries, indented.
inline constexpr wchar_t NoSuchFile[] = L"файла нет: записей нет";
inline std::wstring LineFeedsSaid(std::size_t lineFeeds, std::wstring_view stockVersion) {
    return L"переводов строк: " + std::to_wstring(lineFeeds) +
           (stockVersion.empty() ? L"" : L" (стандартный файл " + std::wstring(stockVersion) + L")");
}
inline std::wstring EntriesSaid(std::size_t entries) {
    return L"записей, кроме localhost на этом компьютере: " + std::to_wstring(entries);
}
inline std::wstring AllowedLinesSaid(std::size_t lines) {
    return L"записей из списка /allow:, они не в счёт: " + std::to_wstring(lines);
}
inline std::wstring ListedLine(const std::wstring& line) { return L"  " + line; }
inline std::wstring FileNotRead(const std::wstring& error) { return L"файл не прочитан: " + error; }

// The copies beside hosts, newest first: how many, then each with its size, then how many more.
inline std::wstring CopiesSaid(std::size_t count) {
    return L"копии рядом с hosts, новые первыми: " + std::to_wstring(count);
}
inline std::wstring CopySaid(const std::wstring& name, std::uint64_t size) {
    return L"  " + name + L" (" + std::to_wstring(size) + L" байт)";
}
inline std::wstring MoreCopies(std::size_t count) { return L"  и ещё " + std::to_wstring(count); }

// The file in the folder DataBasePath names, and why it is not looked at.
inline std::wstring FileWindowsReads(const std::wstring& path) { return L"файл, который читает Windows: " + path; }
inline constexpr wchar_t OtherWindowsDrives[] =
    L"файл, который читает Windows, не проверен: буквы дисков в DataBasePath - той Windows, а не этой";
inline constexpr wchar_t NoLocalFolder[] =
    L"файл, который читает Windows, не проверен: DataBasePath не называет папку на локальном диске";

// What a check found.
inline constexpr wchar_t HostsMissing[] = L"файла hosts нет";
inline constexpr wchar_t HostsClean[] = L"файл hosts чистый";
inline constexpr wchar_t HostsModified[] = L"файл hosts изменён";
inline constexpr wchar_t HostsRedirected[] = L"папка hosts перенаправлена";
// What a repair leaves, and with what a replace fills the file.
inline constexpr wchar_t HostsUnchanged[] = L"файл hosts не изменён: записей в нём нет";
inline std::wstring WithFile(const std::wstring& path) { return L"файлом " + path; }
inline constexpr wchar_t WithStockAndList[] = L"стандартным и записями из списка /allow:";
inline constexpr wchar_t WithStock[] = L"стандартным";

// The replace: waiting already, held by a program, the old file's copy, then done now or at the restart.
inline std::wstring ReplaceWaitsAlready(const std::wstring& newFile, const std::optional<std::wstring>& copyAtRestart) {
    return L"замена файла hosts уже назначена на перезагрузку Windows: его место займёт " + newFile +
           (copyAtRestart ? L", а сам он станет копией " + *copyAtRestart : L"");
}
inline std::wstring HostsHeldBy(const std::wstring& holders) {
    return L"файл hosts занят другой программой: " + (holders.empty() ? L"Windows не называет какой" : holders);
}
inline std::wstring CopyAtRestart(const std::wstring& copy) {
    return L"при перезагрузке Windows старый файл станет копией " + copy;
}
inline constexpr wchar_t NoCopyNeeded[] = L"копия старого файла не нужна: его не было или он стандартный";
inline std::wstring CopyMade(const std::wstring& copy) { return L"копия старого файла: " + copy; }
inline std::wstring ReplacedAtRestart(const std::wstring& with, const std::wstring& newFile) {
    return L"файл hosts будет заменён " + with + L" при перезагрузке Windows: его место займёт " + newFile;
}
inline std::wstring Replaced(const std::wstring& with) { return L"файл hosts заменён " + with; }

// The DNS cache after a replace: not this Windows' to clear, cleared, or not (`error`).
inline constexpr wchar_t NoFlushForOther[] =
    L"кэш DNS не нужно очищать: это кэш запущенной Windows, а не той, что в /windir:";
inline std::wstring FlushSaid(const std::optional<std::wstring>& error) {
    return error ? L"кэш DNS не очищен (" + *error + L"); его очистит перезагрузка" : L"кэш DNS очищен";
}

// The log: what its line adds when the console failed, and why the line was not written.
inline std::wstring OutputLostNote(const std::wstring& error) { return L"; вывод не записан: " + error; }
inline constexpr wchar_t LogNotOnDisk[] = L"это не файл на диске";
inline constexpr wchar_t LogIsLink[] = L"это ссылка, а не файл";
inline constexpr wchar_t LogIsFolder[] = L"это папка";
inline constexpr wchar_t LogHasNames[] = L"у файла несколько имён (жёсткие ссылки)";
inline std::wstring LogNotWritten(const std::wstring& why, const std::wstring& path) {
    return L"строка журнала не записана: " + why + L" (" + path + L")";
}

// The event log's entry (/eventlog): after its RESULT line, in ASCII as that line is, the hosts
// file's entries and the other places' findings ("-": not looked at); why it was not written; why
// the Event Viewer shows it without its description.
inline std::wstring EventCounts(std::optional<std::uint64_t> entries, std::optional<std::size_t> findings) {
    return L"entries=" + (entries ? std::to_wstring(*entries) : L"-") + L" findings=" +
           (findings ? std::to_wstring(*findings) : L"-");
}
inline std::wstring EventNotWritten(const std::wstring& error) {
    return L"запись в журнал событий не сделана: " + error;
}
inline std::wstring SourceNotRegistered(const std::wstring& error) {
    return L"источник Hostovik не зарегистрирован в журнале событий: " + error +
           L"; запись сделана, но без описания, пока его не зарегистрирует запуск с правами администратора";
}
