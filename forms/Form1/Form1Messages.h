#pragma once
// What the main window's start-up check and its repair methods say to the user.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/Platform.h"

inline constexpr std::wstring_view ModifiedWarning =
    L"Внимание! Возможно был изменен файл ''hosts'', заменить его на оригинальный?";
inline constexpr std::wstring_view UnmodifiedQuestion =
    L"Файл ''hosts'' НЕ был изменен, продолжить загрузку программы?";
inline constexpr std::wstring_view Method1Warning =
    L"Внимание! После нажатия на кнопку ''ОК'' Сайты будут разблокированы. Если сайты не "
    L"разблокировались, то попробуйте перезагрузить Ваш компьютер, если не помогло, попробуйте "
    L"остальные 2 способа и помните данная программа НЕ гарантирует разблокировки компьютера!";
inline constexpr std::wstring_view Method1Done =
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка "
    L"не помогла, попробуйте ''Способ №2''. После нажатия на кнопку ''OK'', программа закроется!";
inline constexpr std::wstring_view Method2Title = L"Предупреждение!";
inline constexpr std::wstring_view Method2Warning =
    L"Внимание! Данный способ лучше использовать, ТОЛЬКО в том случае, если 1-й способ не помог!";
inline constexpr std::wstring_view Method2Question =
    L"Сайты были разблокированы, необходимо произвести перезагрузку компьютера, если перезагрузка "
    L"не помогла, попробуйте способ №3! Произвести перезагрузку компьтера сейчас?";
inline constexpr std::wstring_view Method3Question =
    L"Внимание! После данного способа, Вам придется снова включить Ваше соединения (возможно "
    L"потребуется перезагрузка компьютера)!Продолжить?";

// What the unrecoverable-error message says when the restart that method 2 offers fails after the repair...
inline constexpr std::wstring_view HostsReplacedRestartByHand =
    L"Файл hosts уже заменён стандартным. Перезагрузите компьютер сами.";
// ...or after the replace has been left to the next start of Windows.
inline constexpr std::wstring_view HostsAtRestartByHand =
    L"Файл hosts будет заменён стандартным при следующей перезагрузке. Перезагрузите компьютер сами.";

// Methods 1 and 2 when another program keeps holding the hosts file: the stock file takes its
// place at the next start of Windows, which is offered now; or an earlier run has arranged that.
inline std::wstring HostsWaitsForRestart(const std::wstring& holders, bool earlier) {
    return (earlier ? std::wstring(
                          L"Замена файла ''hosts'' стандартным уже назначена на следующую перезагрузку компьютера.")
                    : L"Файл ''hosts'' занят другой программой" + (holders.empty() ? L"" : L": " + holders) +
                          L". Заменить его сейчас нельзя: стандартный файл займёт его место при следующей "
                          L"перезагрузке компьютера.") +
           L" Сайты будут разблокированы после перезагрузки. Произвести перезагрузку компьютера сейчас?";
}

// The view of a hosts file that could not be read, which the start-up warning then offers to replace.
inline std::wstring HostsNotRead(std::uint32_t code, const std::wstring& errorText) {
    return L"[Файл hosts не прочитан. Ошибка " + std::to_wstring(code) + L": " + errorText + L"]\r\n";
}

// What follows the view of a file too large to show whole: its size, and how many entries the
// rest of the file holds, which follow the note (up to `listed` of them).
inline std::wstring ViewCutNote(unsigned long long fileSize, unsigned long long shown, std::size_t entries) {
    std::wstring note = L"[Файл hosts занимает " + std::to_wstring(fileSize) + L" байт; здесь показаны только первые " +
                        std::to_wstring(shown) + L".";
    if (entries == 0) return note + L" Дальше в файле записей нет.]\r\n";
    note += L" Строки с записями дальше в файле (" + std::to_wstring(entries) + L"):]\r\n";
    return note;
}
inline std::wstring EntriesNotListed(std::size_t entries, std::size_t listed) {
    return L"[...и ещё " + std::to_wstring(entries - listed) + L" таких строк.]\r\n";
}

// The start-up warning when Windows reads hosts from a folder of malware's choosing, and what
// follows the reset, with the old value for whoever wants it back.
inline std::wstring RedirectWarning(const std::wstring& folder) {
    return L"Внимание! Windows читает файл ''hosts'' не из стандартной папки, а из папки \"" + folder +
           L"\". Так делают вредоносные программы, чтобы блокировать сайты. Вернуть стандартную папку?";
}
// ...or the value could not be written: the Windows error, as in the unrecoverable-error message.
inline std::wstring RedirectNotReset(std::uint32_t code, const std::wstring& errorText, const std::wstring& value) {
    return L"Ошибка " + std::to_wstring(code) + L": " + errorText + L"\n\n" + value +
           L"\nDataBasePath оставлено как было.";
}
inline std::wstring RedirectReset(const std::wstring& folder) {
    return L"Стандартная папка файла ''hosts'' возвращена. Прежнее значение DataBasePath в разделе реестра "
           L"HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters: \"" +
           folder + L"\"";
}

// After the start-up check: the other places that send a site elsewhere, a line each, at most
// OtherPlacesShown of them; and, for what is plainly malware's, whether to undo it.
inline constexpr std::size_t OtherPlacesShown = 12;
inline std::wstring OtherPlacesFound(const std::vector<std::wstring>& lines, bool ask) {
    std::wstring text = L"Кроме файла ''hosts'', сайты могут перенаправлять и эти настройки Windows и браузеров:";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines.size() > OtherPlacesShown && i + 1 == OtherPlacesShown) {
            text += L"\n- ...и ещё " + std::to_wstring(lines.size() - i);
            break;
        }
        text += L"\n- " + lines[i];
    }
    return text +
           (ask ? L"\n\nТо, что помечено \"так делают вредоносные программы\", программа может отменить. Отменить? "
                  L"Прежние значения будут сохранены в файле .reg рядом с файлом ''hosts'', прежние файлы Firefox - "
                  L"рядом с ними; остальное программа не меняет."
                : L"\n\nПрограмма их не меняет: как вернуть каждую, сказано в скобках.");
}
// ...and what came of switching it off: done, with the file that brings it back; or the Windows
// error, and whether the old values were kept (then some may be switched off).
// Said after a switch-off when the browsers could not be told of it at once.
inline std::wstring BrowsersNotToldNote(std::uint32_t code, const std::wstring& text) {
    return L"\n\nБраузеры не извещены сразу (Ошибка " + std::to_wstring(code) + L": " + text +
           L"): они увидят это, когда их запустят снова.";
}
// Where what was changed comes back from, after `before` (nothing when nothing was kept): the
// registry's old values, Firefox's old files, a line each.
inline std::wstring KeptAt(
    const wchar_t* before, const std::wstring& regFile, const std::vector<std::wstring>& copies) {
    std::wstring text = regFile.empty() ? L""
                                        : L"Прежние значения сохранены в файле " + regFile +
                                              L"; вернуть их: reg import \"" + regFile + L"\"";
    for (const std::wstring& copy : copies)
        text += (text.empty() ? L"" : L"\n") + (L"Прежний файл Firefox сохранён: " + copy);
    return text.empty() ? text : before + text;
}
inline std::wstring ProxiesSwitchedOff(const std::wstring& regFile, const std::vector<std::wstring>& copies) {
    return L"Сделанное вредоносными программами на этом компьютере отменено." + KeptAt(L" ", regFile, copies);
}
// `notUndone`: each key or file that could not be written, as "key: Ошибка N: text".
inline std::wstring ProxiesNotSwitchedOff(const std::vector<std::wstring>& notUndone, std::size_t done,
    const std::wstring& regFile, const std::vector<std::wstring>& copies) {
    std::wstring text = L"Сделанное вредоносными программами отменено не всё: отменено " + std::to_wstring(done) +
                        L" из " + std::to_wstring(done + notUndone.size()) + L". Не удалось изменить:";
    for (const std::wstring& key : notUndone) text += L"\n- " + key;
    return text + KeptAt(L"\n\n", regFile, copies);
}
// ...or the file for the old values could not be written: nothing is switched off.
inline std::wstring RegFileNotWritten(std::uint32_t code, const std::wstring& errorText, const std::wstring& subject) {
    return L"Ошибка " + std::to_wstring(code) + L": " + errorText + L"\n\n" + subject +
           L"\nНичего не отменено: файл для прежних значений не записан.";
}
