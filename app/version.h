#pragma once
// The application's metadata, in one place. It feeds both the .exe's version resource and the
// code (app/AppInfo.h), whose About dialog shows it.
#define APP_VERSION_MAJOR 1
#define APP_VERSION_MINOR 0
#define APP_VERSION_REVISION 6
#define APP_FILE_VERSION "1.00.0006"
#define APP_TITLE "Хостовик"
#define APP_DESCRIPTION \
    "Хостовик сайтов поможет Вам разблокировать сайты, которые были заблокированы вирусами, или интернет мошениками."
#ifdef HOSTOVIK_CONSOLE
#define APP_EXE_NAME "hostovik-cli.exe"
#else
#define APP_EXE_NAME "hostovik.exe"
#endif
