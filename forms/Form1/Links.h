#pragma once
// The main window's two link labels open web pages through the system shell.
#include <cstdint>

class ShellCalls {
public:
    virtual ~ShellCalls() = default;
    virtual std::intptr_t ShellExecuteA(std::intptr_t parent, const char* operation, const char* file,
                                        const char* parameters, const char* directory, int showCommand) = 0;
};

// Stored without a scheme: the "www." prefix is what makes the shell take them as web addresses.
inline constexpr char HostsArticle[] = "www.ru.wikipedia.org/wiki/Hosts";
inline constexpr char ForumPage[] = "www.example.com/forum/3-22-1";

// Opens the address with its default handler; what the shell answers is not looked at.
void OpenWebPage(ShellCalls& shell, std::intptr_t mainWindow, const char* address);
