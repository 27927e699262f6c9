#pragma once
// The main window's two link labels open web pages through the system shell.
#include <cstdint>

#include "app/Platform.h"

// Stored without a scheme: the "www." prefix is what makes the shell take them as web addresses.
inline constexpr char HostsArticle[] = "www.ru.wikipedia.org/wiki/Hosts";
inline constexpr char ForumPage[] = "www.example.com/forum/3-22-1";

// Opens the address with its default handler; what the shell answers is not looked at.
void OpenWebPage(ShellCalls& shell, std::intptr_t mainWindow, const char* address);
