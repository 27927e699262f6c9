#pragma once
// What the lookup room says to people: each finding's line, the notes on what was not looked at,
// and the values of DataBasePath that cannot be shown as they are. The facts come from the
// reader; only the words live here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What a finding that the program switches off itself ends with...
inline constexpr wchar_t OnThisComputer[] = L" (на этом компьютере: так делают вредоносные программы)";
// ...or the command or advice that resets it by hand.
inline std::wstring ResetWords(const std::wstring& how) { return L" (сброс: " + how + L")"; }
inline constexpr wchar_t InternetOptionsReset[] = L"inetcpl.cpl, Подключения, Настройка сети";
inline const std::wstring ResetByHand = ResetWords(InternetOptionsReset);
inline constexpr wchar_t AdapterPropertiesReset[] = L"в свойствах адаптера: получать адрес DNS-сервера автоматически";

// Whose proxy: the current user's, a loaded user's hive, the whole computer's.
inline constexpr wchar_t CurrentUser[] = L"пользователь";
inline std::wstring UserOf(const std::wstring& sid) { return L"пользователь " + sid; }
inline constexpr wchar_t WholeComputer[] = L"весь компьютер";
// A user who is not signed in, whose registry file in their profile's folder is read.
inline std::wstring SignedOutUserOf(const std::wstring& sid, const std::wstring& folder) {
    return L"пользователь " + sid + L" вне системы, " + folder;
}
// Their registry file that could not be loaded: why, as the Windows error tells it.
inline std::wstring ProfileUnread(const std::wstring& who, std::uint32_t code, const std::wstring& errorText) {
    const std::wstring why = code == 32               ? L"NTUSER.DAT занят другой программой"
                             : code == 2 || code == 3 ? L"нет файла NTUSER.DAT"
                             : code == 1009 || code == 1015 || code == 1017 ? L"NTUSER.DAT повреждён"
                                                                            : L"NTUSER.DAT не загружен";
    return L"прокси не проверены (" + who + L"): " + why + L": ошибка " + std::to_wstring(code) + L": " + errorText;
}
// Which of WinINET's connection values: the local network's, its saved copy, a dial-up, VPN or
// PPPoE entry's; and one that could not be decoded.
inline std::wstring ConnectionOf(const std::wstring& who, const std::wstring& value) {
    if (value == L"DefaultConnectionSettings") return who + L", локальная сеть";
    if (value == L"SavedLegacySettings") return who + L", сохранённая копия настроек локальной сети";
    return who + L", подключение \"" + value + L"\"";
}
inline std::wstring ConnectionDamaged(const std::wstring& value) {
    return L"значение " + value + L" в Connections повреждено";
}
// Name servers set for every adapter.
inline constexpr wchar_t AllAdapters[] = L"все адаптеры";

// The lines of the findings, a kind each; `tail` is OnThisComputer or ResetWords(...).
inline std::wstring IcsEntryLine(const std::wstring& line) { return L"hosts.ics: " + line; }
inline std::wstring IcsMoreLine(std::size_t more) { return L"hosts.ics: и ещё " + std::to_wstring(more) + L" записей"; }
inline std::wstring ProxyLine(const std::wstring& who, const std::wstring& servers, const std::wstring& tail) {
    return L"прокси для всех страниц (" + who + L"): " + servers + tail;
}
inline std::wstring ScriptLine(const std::wstring& who, const std::wstring& url, const std::wstring& tail) {
    return L"сценарий настройки прокси (" + who + L"): " + url + tail;
}
// The policy that makes the proxy the whole computer's, which no user can then change: a company's
// way, malware's on a computer in no domain.
inline std::wstring ProxyLockLine(const std::wstring& tail) {
    return L"прокси закреплён за всем компьютером (ProxySettingsPerUser = 0), а компьютер не в домене: так "
           L"вредоносные программы не дают сменить прокси" +
           tail;
}
// WinHTTP's proxy, its own or its copy for 32-bit programs; `damaged`: WinHttpSettings could not be
// decoded, the servers and bypass are empty.
inline constexpr wchar_t WinHttpOwn[] = L"службы Windows, обновления", WinHttp32[] = L"32-разрядные программы";
inline std::wstring WinHttpLine(const std::wstring& who, bool damaged, const std::wstring& servers,
    const std::wstring& bypass, const std::wstring& tail) {
    return L"прокси WinHTTP (" + who + L"): " +
           (damaged ? L"значение WinHttpSettings повреждено"
                    : servers + (bypass.empty() ? L"" : L", кроме " + bypass)) +
           tail;
}
inline std::wstring NameServersLine(const std::wstring& where, const std::wstring& servers, const std::wstring& tail) {
    return L"серверы имён заданы вручную (" + where + L"): " + servers + tail;
}
// An NRPT rule is removed, not reset: by Group Policy where it came from there, or by `command`.
// `inactive`: a local rule, which Windows does not use while Group Policy holds rules.
inline std::wstring NrptLine(const std::wstring& rule, bool inactive, const std::wstring& names,
    const std::wstring& servers, const std::wstring& command) {
    return L"правило NRPT \"" + rule + L"\"" + (inactive ? L" (не действует: есть правила групповой политики)" : L"") +
           L": " + names + L" -> " + (servers.empty() ? L"серверы имён не заданы" : servers) +
           L" (удалить: групповой политикой или " + command + L")";
}
// A Winsock provider's DLL: `where` says the 64-bit programs' catalog, `verdict` what the file is.
inline std::wstring WinsockLine(
    const std::wstring& where, const std::wstring& dll, const std::wstring& verdict, const std::wstring& tail) {
    return L"поставщик Winsock" + (where.empty() ? L"" : L" (" + where + L")") + L": " + dll + L": " + verdict + tail;
}
inline constexpr wchar_t Provider64[] = L"64-разрядный";
inline constexpr wchar_t ProviderMissing[] = L"файла нет";
// One outside the system folder, and what Windows says of the signature it carries, if asked.
inline constexpr wchar_t OutsideSystemFolder[] = L"не из системной папки";
inline std::wstring SignedBy(const std::wstring& signer) { return L", подпись: " + signer; }
inline constexpr wchar_t NoOwnSignature[] = L", подписи в файле нет";
// HRESULTs, as Windows' own tools show them, in hex; the others in decimal.
inline std::wstring ErrorNumber(std::uint32_t code) {
    if (code < 0x80000000u) return std::to_wstring(code);
    std::wstring hex = L"0x";
    for (int shift = 28; shift >= 0; shift -= 4) hex += L"0123456789ABCDEF"[code >> shift & 0xF];
    return hex;
}
inline std::wstring SignatureNotVerified(std::uint32_t code, const std::wstring& errorText) {
    return L", подпись не подтверждена: ошибка " + ErrorNumber(code) + L": " + errorText;
}
inline std::wstring SignatureUnchecked(std::uint32_t code, const std::wstring& errorText) {
    return L", подпись не проверена: ошибка " + ErrorNumber(code) + L": " + errorText;
}
// A path this run cannot look at: a bare name, a share, another installation's other drives.
inline constexpr wchar_t FileUnchecked[] = L", файл не проверен";
// A namespace provider stays through `netsh winsock reset`: it goes with the program that put it
// there, or is switched off in its entry (`entry`: its key; empty for another installation's).
inline std::wstring NamespaceRemoval(const std::wstring& entry) {
    return L"удалить программу, которая его поставила (appwiz.cpl)" +
           (entry.empty() ? L"" : L", или отключить: reg add \"" + entry + L"\" /v Enabled /t REG_DWORD /d 0 /f");
}
// The running Windows' system folder of `bits`-bit programs, which this process cannot reach.
inline std::wstring SystemFolderUnreached(int bits) {
    return L"не проверены: файлы " + std::to_wstring(bits) +
           L"-разрядных поставщиков Winsock в системной папке (Windows не даёт этой программе ту папку: Sysnative, "
           L"SysWOW64)";
}

// A persistent route as Windows keeps it: "address,mask,gateway,metric".
inline std::wstring RouteLine(const std::wstring& route, const std::wstring& tail) {
    return L"постоянный маршрут мимо сети: через этот компьютер, в никуда или через шлюз не из сетей компьютера "
           L"(адрес, маска, шлюз, метрика): " +
           route + tail;
}

// DNS over HTTPS (Windows 11): a server and its template, from the list of the servers Windows
// knows or from an adapter's own (`where`); or the policy, its value in `server`, no template.
inline std::wstring DohLine(
    const std::wstring& where, const std::wstring& server, const std::wstring& uri, const std::wstring& tail) {
    return L"DNS через HTTPS (" + where + L"): " + server + (uri.empty() ? L"" : L" -> " + uri) + tail;
}
inline constexpr wchar_t DohKnownServers[] = L"известные Windows серверы";
inline constexpr wchar_t DohAdapterReset[] =
    L"Параметры, Сеть и Интернет, адаптер, Назначение DNS-сервера: Изменить, без шифрования";
inline constexpr wchar_t DohPolicyWhere[] = L"групповая политика";
inline std::wstring DohPolicyWords(std::uint32_t policy) {
    if (policy == 1) return L"запрещено";
    if (policy == 2) return L"разрешено";
    if (policy == 3) return L"обязательно";
    return L"значение " + std::to_wstring(policy);
}
inline constexpr wchar_t DohPolicyReset[] =
    L"групповой политикой или reg delete \"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\" /v "
    L"DoHPolicy /f";

// A browser's policy: `where` the browser and whose, `name` the policy (a list's with its entry's
// number), `tail` UnmanagedPolicy or why it stays and how to remove it.
inline std::wstring BrowserPolicyLine(
    const std::wstring& where, const std::wstring& name, const std::wstring& value, const std::wstring& tail) {
    return L"политика браузера (" + where + L"): " + name + L" = " + value + tail;
}
inline constexpr wchar_t UnmanagedPolicy[] =
    L" (компьютер не в домене и не под управлением организации: так делают вредоносные программы)";
inline std::wstring ManagedPolicy(const std::wstring& command) {
    return L"компьютер под управлением организации, политика может быть её; удалить: " + command;
}
inline std::wstring OtherSiteBlocked(const std::wstring& command) {
    return L"может быть задано родителями или организацией; удалить весь список: " + command;
}
inline std::wstring ForcedExtension(const std::wstring& command) {
    return L"принудительно установленное расширение может менять любую страницу; удалить: " + command;
}

// Firefox's own settings: `where` whose profile or which file of the installation, `what` the
// setting (FirefoxProxy...), `tail` OnThisComputer, FirefoxRunning or ResetWords(...).
inline std::wstring FirefoxLine(
    const std::wstring& where, const std::wstring& what, const std::wstring& value, const std::wstring& tail) {
    return L"Firefox (" + where + L"): " + what + L" " + value + tail;
}
inline constexpr wchar_t FirefoxProxy[] = L"прокси";
inline constexpr wchar_t FirefoxScript[] = L"сценарий ", FirefoxDetect[] = L"автоопределение в сети (WPAD)";
inline constexpr wchar_t FirefoxRunning[] =
    L" (на этом компьютере: так делают вредоносные программы; Firefox запущен: закройте его и запустите проверку "
    L"снова)";
inline constexpr wchar_t FirefoxProxyReset[] =
    L"Firefox: Настройки, Параметры сети: Использовать системные настройки прокси";
inline std::wstring FirefoxDoh(int mode) { return mode == 3 ? L"DNS через HTTPS, только он:" : L"DNS через HTTPS:"; }
inline constexpr wchar_t FirefoxDohReset[] = L"Firefox: Настройки, Приватность и защита, DNS через HTTPS: По умолчанию";
inline constexpr wchar_t FirefoxPolicy[] = L"политика";
inline constexpr wchar_t FirefoxPolicyReset[] = L"удалить эту политику из файла, если её задали не вы";
inline constexpr wchar_t FirefoxAutoconfig[] = L"автонастройка (general.config.filename):";
inline std::wstring FirefoxAutoconfigReset(const std::wstring& file) {
    return L"удалить " + file + L" и файл автонастройки, если их поставили не вы";
}
// A line of prefs.js or user.js that could not be read, which Firefox may read otherwise.
inline std::wstring PrefsLineUnread(const std::wstring& file, std::size_t line) {
    return L"не прочитано: " + file + L", строка " + std::to_wstring(line);
}

// A place that could not be read: what it was, and the Windows error.
inline std::wstring NotReadNote(const std::wstring& subject, std::uint32_t code, const std::wstring& errorText) {
    return L"не прочитано: " + subject + L": ошибка " + std::to_wstring(code) + L": " + errorText;
}
// The note on another installation: what of it was not looked at, its registry file loaded or not.
inline constexpr wchar_t OtherUnread[] =
    L"в /windir: проверены только hosts.ics и реестр SYSTEM той Windows (серверы имён, NRPT, Winsock, DNS через "
    L"HTTPS); прокси пользователей, WinHTTP, правила NRPT и политика DNS через HTTPS групповой политики (реестр "
    L"SOFTWARE) не проверены";
inline constexpr wchar_t OtherSystemUnread[] =
    L"в /windir: проверен только hosts.ics: реестр той Windows не прочитан, прокси, серверы имён, NRPT, Winsock и DNS "
    L"через HTTPS не проверены";

// DataBasePath shown in place of a value that is no folder's name.
inline std::wstring ValueTooLong(std::uint32_t cap) { return L"<значение длиннее " + std::to_wstring(cap) + L" байт>"; }
inline std::wstring ValueUnread(std::uint32_t code, const std::wstring& errorText) {
    return L"<не прочитано: ошибка " + std::to_wstring(code) + L": " + errorText + L">";
}
inline std::wstring ValueNotText(std::uint32_t type) {
    return L"<значение типа " + std::to_wstring(type) + L", не текст>";
}
// Another installation's registry file whose current control set is missing: the ones it holds.
inline std::wstring ControlSetsPresent(const std::wstring& sets) { return L"; есть " + sets; }

// Another installation's registry file that is a link, or has a second name, is not loaded.
inline constexpr std::wstring_view HiveNotPlain = L"это ссылка или у файла есть второе имя: файл реестра не загружен";

// The folder named with /windir: is no Windows folder.
inline constexpr std::wstring_view NoWindowsThere = L"В этой папке нет Windows: в ней нет папки System32.";
