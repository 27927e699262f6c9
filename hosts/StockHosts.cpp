#include "hosts/StockHosts.h"

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

std::string StockHostsBytes(const Codepage& cp) {
    std::string bytes;
    for (std::wstring_view line : StockHostsTemplate) {
        bytes += cp.ToAnsi(line);
        bytes += "\r\n";
    }
    return bytes;
}
