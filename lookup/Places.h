#pragma once
// Where in the registry the other places of the lookup path are kept, as the reader reads them
// and the undo writes them back.

// Per user (under HKCU, or a user's hive under HKU), or for the whole computer (under HKLM).
inline constexpr wchar_t InternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr wchar_t ProxyPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr wchar_t WinHttpConnections[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
// The copy that 32-bit programs on 64-bit Windows read, named in the 64-bit registry.
inline constexpr wchar_t WinHttp32Connections[] =
    L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
// Each user's profile, signed in or not: its folder, where its NTUSER.DAT is.
inline constexpr wchar_t ProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
inline constexpr wchar_t NrptPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig";
inline constexpr wchar_t DnsClientPolicy[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient";
// Under the control set.
inline constexpr wchar_t NrptLocal[] = L"Services\\Dnscache\\Parameters\\DnsPolicyConfig";
inline constexpr wchar_t DohWellKnown[] = L"Services\\Dnscache\\Parameters\\DohWellKnownServers";
inline constexpr wchar_t DohInterfaces[] = L"Services\\Dnscache\\InterfaceSpecificParameters";
inline constexpr wchar_t TcpipInterfaces[] = L"Services\\Tcpip\\Parameters\\Interfaces";
inline constexpr wchar_t TcpipRoutes[] = L"Services\\Tcpip\\Parameters\\PersistentRoutes";
inline constexpr wchar_t AdapterNames[] = L"Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
inline constexpr wchar_t WinsockProtocols[] = L"Services\\WinSock2\\Parameters\\Protocol_Catalog9\\";
inline constexpr wchar_t WinsockNamespaces[] = L"Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\";

// Under InternetSettings: WinINET's own values, one a connection.
inline constexpr wchar_t Connections[] = L"\\Connections";

inline constexpr wchar_t ProxyEnable[] = L"ProxyEnable", ProxyServer[] = L"ProxyServer",
                         AutoConfigUrl[] = L"AutoConfigURL", WinHttpSettings[] = L"WinHttpSettings";

// Chromium's browsers' policies, per machine and per user: under SOFTWARE\Policies\ each browser's
// key, its lists in subkeys whose values are named 1, 2, 3...
inline constexpr wchar_t PoliciesRoot[] = L"SOFTWARE\\Policies\\";
inline constexpr wchar_t UrlBlocklist[] = L"URLBlocklist", ForcedExtensions[] = L"ExtensionInstallForcelist";
// Where Windows keeps that it is joined to Microsoft Entra ID (under the control set) or enrolled
// in device management.
inline constexpr wchar_t EntraJoin[] = L"Control\\CloudDomainJoin\\JoinInfo";
inline constexpr wchar_t Enrollments[] = L"SOFTWARE\\Microsoft\\Enrollments";
