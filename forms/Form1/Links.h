#pragma once
// The main window's two link labels open web pages, never from this elevated process: a browser
// started here would run, and whatever it downloads, with the administrator's rights.
#include <functional>
#include <string>

#include "app/Platform.h"

// Full addresses with their scheme: a bare name would be looked up as a file first.
inline constexpr wchar_t HostsArticle[] = L"http://www.ru.wikipedia.org/wiki/Hosts";
inline constexpr wchar_t ForumPage[] = L"http://www.example.com/forum/3-22-1";

// Opens the address as the desktop's user; where that cannot be done, calls `unopened`. The
// desktop shell can take its time to answer: the window calls this on a thread of its own, and
// `unopened` has it show the address (below) on its own thread.
void OpenWebPage(Shell& shell, const wchar_t* address, const std::function<void()>& unopened);
// Shows the address to be opened by hand.
void ShowOpenByHand(const Platform& s, const wchar_t* address);
inline std::wstring OpenByHand(const wchar_t* address) {
    return L"Откройте этот адрес в браузере:\n" + std::wstring(address);
}
