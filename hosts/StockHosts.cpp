#include "hosts/StockHosts.h"

#include "app/Codepage.h"

const std::array<std::wstring_view, 19> StockHostsTemplate = {
    L"# (C) Корпорация Майкрософт (Microsoft Corp.), 1993-1999",
    L"#",
    L"# Это образец файла HOSTS, используемый Microsoft TCP/IP для Windows.",
    L"#",
    L"# Этот файл содержит сопоставления IP-адресов именам узлов.",
    L"# Каждый элемент должен располагаться в отдельной строке. IP-адрес должен",
    L"# находиться в первом столбце, за ним должно следовать соответствующее имя.",
    L"# IP-адрес и имя узла должны разделяться хотя бы одним пробелом.",
    L"#",
    L"# Кроме того, в некоторых строках могут быть вставлены комментарии ",
    L"# (такие, как эта строка), они должны следовать за именем узла и отделяться",
    L"# от него символом '#'.",
    L"#",
    L"# Например:",
    L"#",
    L"#      102.54.94.97     rhino.acme.com          # исходный сервер",
    L"#       38.25.63.10     x.acme.com              # узел клиента x",
    L"",
    L"127.0.0.1       localhost",
};

std::string StockHostsBytes() {
    std::string bytes;
    for (std::wstring_view line : StockHostsTemplate) {
        bytes += Windows1251().ToAnsi(line);
        bytes += "\r\n";
    }
    return bytes;
}

namespace {

// The English files of XP, Vista and 7 to 11 differ only in the year and the localhost lines.
std::string English(std::string_view year, std::initializer_list<std::string_view> localhost) {
    std::string bytes = "# Copyright (c) 1993-" + std::string(year) + " Microsoft Corp.\r\n";
    for (std::string_view line : {"#", "# This is a sample HOSTS file used by Microsoft TCP/IP for Windows.", "#",
             "# This file contains the mappings of IP addresses to host names. Each",
             "# entry should be kept on an individual line. The IP address should",
             "# be placed in the first column followed by the corresponding host name.",
             "# The IP address and the host name should be separated by at least one", "# space.", "#",
             "# Additionally, comments (such as these) may be inserted on individual",
             "# lines or following the machine name denoted by a '#' symbol.", "#", "# For example:", "#",
             "#      102.54.94.97     rhino.acme.com          # source server",
             "#       38.25.63.10     x.acme.com              # x client host", ""})
        (bytes += line) += "\r\n";
    for (std::string_view line : localhost) (bytes += line) += "\r\n";
    return bytes;
}

}  // namespace

const std::vector<StockFile>& StockFiles() {
    static const std::vector<StockFile> files = {
        {L"Windows XP, русская", StockHostsBytes()},
        {L"Windows XP", English("1999", {"127.0.0.1       localhost"})},
        {L"Windows Vista", English("2006", {"127.0.0.1       localhost", "::1             localhost"})},
        {L"Windows 7-11", English("2009", {"# localhost name resolution is handled within DNS itself.",
                                              "#\t127.0.0.1       localhost", "#\t::1             localhost"})},
    };
    return files;
}

std::wstring_view StockVersionOf(std::string_view bytes) {
    for (const StockFile& f : StockFiles())
        if (bytes == f.bytes) return f.version;
    return {};
}
