#!/usr/bin/env bash
# Shows that the tests find faults: plants each fault of the table below in the product code,
# one at a time, runs the tests meant to catch it and counts how many were caught.
#   unit        the native unit tests (ctest --preset unit)
#   e2e:TEXT    the end-to-end cases whose name holds TEXT, on the real program under Wine
# In the table, <NL> stands for a line break and (nothing) for an empty replacement. A row whose
# text is not found exactly once in its file, or whose TEXT names no end-to-end case, is
# reported as stale and fails the run.
# First the tests run unmutated: a test that fails then would make every row look caught, so
# the script stops there and names it. Then each row is one of: caught (a test failed), MISSED
# (all passed), TIMEOUT (a test ran out of time: no catch, unless the row's fault ends in
# "[hang]", a fault whose symptom is a hang), ERROR (the run failed in its set-up, the driver
# ended early, or no test ran), STALE or NOBUILD. Only all caught passes.
# --matrix runs every test of the row's tier instead, to see which tests catch what: every unit
# test, or every end-to-end case (a whole run of 2-3 minutes a row). It writes
# build/mutants-matrix.tsv, a line a fault tested: tier, file, fault, then the tests that
# failed; and prints the faults each test caught, the faults only one test caught (checks not
# to cut) and the tests that caught none.
#   bash scripts/mutants.sh [--matrix] [--unit | --e2e] [--only TEXT]
set -uo pipefail
cd "$(dirname "$0")/.."
tiers=unit,e2e only= matrix=
while [ $# -gt 0 ]; do
  case $1 in
    --unit) tiers=unit ;;
    --e2e) tiers=e2e ;;
    --only) only=$2; shift ;;
    --matrix) matrix=build/mutants-matrix.tsv ;;
    *) sed -n '2,/^#   bash /s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
  shift
done

# tier @@ file @@ text @@ replacement @@ the fault
faults=$(cat <<'TABLE'
unit @@ hosts/HostsText.cpp @@ lane[j] += p[i + j] == '\n' @@ lane[j] += p[i + j] == '\r' @@ counts CR instead of LF in blocks
unit @@ hosts/HostsText.cpp @@ Block = Lanes * 255 @@ Block = Lanes * 256 @@ per-lane counters overflow
unit @@ hosts/HostsText.cpp @@ std::count(p, p + left, '\n') @@ std::count(p, p + left, '\r') @@ counts CR in the tail
unit @@ hosts/StockHosts.h @@ ExpectedLineCount = 19 @@ ExpectedLineCount = 20 @@ off-by-one in the stock LF count
unit @@ hosts/HostsRepair.cpp @@ lineFeeds == ExpectedLineCount @@ lineFeeds >= ExpectedLineCount @@ more LFs count as stock
unit @@ hosts/HostsText.cpp @@ b == '\0' ? NulPlaceholder @@ b == '\1' ? NulPlaceholder @@ NUL ends the view
unit @@ hosts/HostsText.cpp @@ bytes[n - 1] != '\r' && @@ bytes[n - 1] != '\n' && @@ last line's terminator misread
unit @@ hosts/HostsText.cpp @@ else if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) ++size; @@ (nothing) @@ view size ignores lone LFs
unit @@ app/Codepage.cpp @@ at == toWide.end() ? '?' @@ at == toWide.end() ? ' ' @@ unknown character not '?'
unit @@ app/Codepage.cpp @@ 0x0410 + (b - 0xC0) @@ 0x0410 + (b - 0xC1) @@ Cyrillic letters shifted
unit @@ hosts/StockHosts.cpp @@ L"# Например:", @@ L"# Например", @@ a stock line changed
unit @@ hosts/StockHosts.cpp @@ bytes += "\r\n"; @@ bytes += "\n"; @@ stock lines end in LF alone
unit @@ hosts/HostsStore.h @@ \\System32\\drivers\\etc\\hosts" @@ \\System32\\drivers\\etc\\host" @@ wrong hosts path
unit @@ hosts/HostsRepair.cpp @@ otherWindows_.empty() ? s_.env.WindowsDirectory() : otherWindows_ @@ otherWindows_.empty() ? s_.env.SystemDirectory() : otherWindows_ @@ the system folder taken for the Windows folder
unit @@ hosts/HostsRepair.cpp @@ windows_.ShowHostsView(std::move(view)); @@ (nothing) @@ view never filled
unit @@ hosts/HostsRepair.cpp @@ DetectionTitle()) == Answer::Yes) { @@ DetectionTitle()) == Answer::No) { @@ warning's answer inverted
unit @@ hosts/HostsRepair.cpp @@ vbInformation, DetectionTitle()) == Answer::No) @@ vbInformation, DetectionTitle()) == Answer::Yes) @@ unmodified answer inverted
unit @@ hosts/HostsRepair.cpp @@ ModifiedWarning, vbYesNo + vbCritical @@ ModifiedWarning, vbYesNo + vbInformation @@ warning with the wrong icon
unit @@ hosts/HostsRepair.cpp @@ vbYesNo + vbInformation, DetectionTitle @@ vbOKOnly + vbInformation, DetectionTitle @@ unmodified question with OK only
unit @@ hosts/HostsStore.cpp @@ Through([&] { change.copy = BackupHosts(hostsPath_, clock_.Now()); }) @@ true @@ the repair skips the backup
unit @@ hosts/HostsRepair.cpp @@ Method2Title);<NL>    if (PutStockHosts(path) && @@ Method2Title);<NL>    if (true && @@ method 2 does not replace
unit @@ hosts/HostsRepair.cpp @@ + vbInformation, Method2Title) @@ + vbInformation, MainCaption) @@ method 2's warning with the wrong title
unit @@ hosts/HostsStore.cpp @@ out_->Close(); @@ (nothing) @@ new content never flushed and closed
unit @@ hosts/HostsRepair.cpp @@ RebootMachine(s_.reboot, true) @@ RebootMachine(s_.reboot, false) @@ restart not forced
unit @@ hosts/HostsRepair.cpp @@     if (PutStockHosts(path)) s_.ui.MsgBox(Method1Done, vbOKOnly + vbInformation, MainCaption); @@     s_.ui.MsgBox(Method1Done, vbOKOnly + vbInformation, MainCaption);<NL>    PutStockHosts(path); @@ success told before the replace
unit @@ hosts/HostsRepair.cpp @@     if (PutStockHosts(path)) s_.ui.MsgBox(Method1Done, vbOKOnly + vbInformation, MainCaption); @@     PutStockHosts(path);<NL>    s_.ui.MsgBox(Method1Done, vbOKOnly + vbInformation, MainCaption); @@ success told while the replace waits for the restart
unit @@ hosts/HostsRepair.cpp @@ L"\" -f" @@ L"\" -F" @@ wrong routing command
unit @@ hosts/HostsRepair.cpp @@ win::ShowMinimized) @@ win::ShowNormal) @@ route shown normally
unit @@ hosts/HostsRepair.cpp @@ MainCaption) == Answer::No) return; @@ MainCaption) == Answer::Yes) return; @@ method 3's answer inverted
unit @@ hosts/HostsRepair.cpp @@     windows_.UnloadAboutDialog(); @@ (nothing) @@ About dialog left open
unit @@ hosts/HostsStore.cpp @@ fs_.ProbeReplaceable(hostsPath_); @@ (nothing) @@ an unreplaceable file found after the copy
unit @@ hosts/HostsStore.cpp @@ if (!copy && head != stock) startCopy(); @@ if (!copy && head == stock) startCopy(); @@ backup of the wrong files
unit @@ hosts/HostsStore.cpp @@ f.Code() != win::ErrorFileExists || @@ true || @@ a taken name ends the repair
unit @@ hosts/HostsStore.cpp @@ %04d%02d%02d-%02d%02d%02d @@ %04d%02d%02d-%02d%02d%02d0 @@ wrong backup name
unit @@ hosts/HostsStore.cpp @@     Quietly([this] { fs_.Delete(newPath_); }); @@ (nothing) @@ new file left after a failure
unit @@ Module1/Module1.cpp @@ force ? win::ExitReboot | win::ExitForce @@ force ? win::ExitReboot @@ forced restart flags
unit @@ Module1/Module1.cpp @@ info.platformId == win::PlatformIdNt @@ info.platformId != win::PlatformIdNt @@ NT test inverted
unit @@ Module1/Module1.cpp @@ LookupPrivilegeValueA("", @@ LookupPrivilegeValueA(nullptr, @@ null system name
unit @@ Module1/Module1.cpp @@ 4 + 12 * @@ 4 + 16 * @@ wrong privilege buffer length
unit @@ Module1/Module1.cpp @@ win::TokenAdjustPrivileges | win::TokenQuery @@ win::TokenQuery @@ wrong token access
unit @@ Module1/Module1.cpp @@ attributes = win::PrivilegeEnabled @@ attributes = 0 @@ privilege not enabled
unit @@ forms/frmAbout/SysInfo.cpp @@ win::KeyAllButDelete @@ 0x20019 @@ wrong registry access mask
unit @@ forms/frmAbout/SysInfo.cpp @@ ValueBufferSize = 1024 @@ ValueBufferSize = 1023 @@ registry buffer one byte short
unit @@ forms/frmAbout/SysInfo.cpp @@ type == win::RegSz @@ type == win::RegExpandSz @@ wrong registry value type
unit @@ forms/frmAbout/SysInfo.cpp @@ if (kept.back() == '\0') kept.remove_suffix(1); @@ kept.remove_suffix(1); @@ last character of a value without NUL lost
unit @@ forms/frmAbout/SysInfo.cpp @@ if (value->bytes.empty()) throw Failure(win::ErrorInvalidParameter, KeyName); @@ if (value->bytes.empty()) return true; @@ a value without data counts as read
unit @@ forms/frmAbout/SysInfo.cpp @@ L"\\MSINFO32.EXE" @@ L"MSINFO32.EXE" @@ tool path without separator
unit @@ forms/frmAbout/SysInfo.cpp @@ s_.processes.Start(ToolPath, L"\"" + ToolPath + L"\"", @@ s_.processes.Start(ToolPath, ToolPath, @@ tool path unquoted
unit @@ forms/frmAbout/SysInfo.cpp @@ if (!GetKeyValue(win::HKeyLocalMachine, FolderKey @@ if (GetKeyValue(win::HKeyLocalMachine, FolderKey @@ folder lookup inverted
unit @@ hosts/HostsStore.cpp @@ fs.SetAttributes(path, rest ? rest : win::FileAttributeNormal); @@ (nothing) @@ protecting attributes not cleared
unit @@ hosts/HostsStore.cpp @@ if (attributes) Quietly([&] { fs.SetAttributes(store.hostsPath_, *attributes); }); @@ (nothing) @@ attributes not put back after a failure
unit @@ hosts/HostsStore.cpp @@ if (!replaced_) throw LeftAsItWas(f); @@ if (!replaced_) { Quietly([&] { fs_.Delete(change.copy); }); throw LeftAsItWas(f); } @@ a failed repair deletes the complete copy of the old file
unit @@ hosts/HostsStore.cpp @@ return Failure(f.Code(), hostsPath_ + L"\n" + std::wstring(HostsLeftAsItWas)); @@ return Failure(f.Code(), newPath_); @@ the error names the new file, not hosts
unit @@ Module1/Module1.cpp @@ if (!calls.ExitWindowsEx(flags, 0)) Refused(calls, L"ExitWindowsEx"); @@ calls.ExitWindowsEx(flags, 0); @@ a refused restart is silent
unit @@ Module1/Module1.cpp @@  ||<NL>        calls.GetLastError() == win::ErrorNotAllAssigned) @@ ) @@ a privilege the token lacks is taken as enabled
unit @@ hosts/HostsRepair.cpp @@ s_.processes.Start(route, @@ s_.processes.Start(L"route.exe", @@ route found by search
unit @@ hosts/HostsRepair.cpp @@ head.append(chunk.substr(0, ViewCap - std::min(ViewCap, head.size()))); @@ head.append(chunk); @@ padded file shown whole
unit @@ hosts/Resolver.cpp @@ while (!folder.empty() && folder.back() == L'\\') folder.pop_back(); @@ (nothing) @@ a trailing backslash taken for a redirect
unit @@ hosts/Resolver.cpp @@ {win::RegExpandSz, RegistryBytes(DefaultHostsFolder)} @@ {win::RegSz, RegistryBytes(DefaultHostsFolder)} @@ the default folder written as REG_SZ
unit @@ hosts/HostsRepair.cpp @@ if (!IsOtherInstallation(s_, otherWindows_)) FlushDnsCache(s_); @@ ; @@ no DNS flush after a repair
unit @@ hosts/Resolver.cpp @@ L"\" /flushdns" @@ L"\" /displaydns" @@ the wrong flush
unit @@ hosts/HostsText.cpp @@ entry_ |= !toThisComputer_ || !IsLocalhost(word_) @@ entry_ |= !IsLocalhost(word_) @@ localhost hijacked to another address passes
unit @@ hosts/HostsCommandLine.cpp @@ return hosts == Hosts::Modified || redirect ? ExitFound : 0; @@ return hosts == Hosts::Modified ? ExitFound : 0; @@ a redirect passes the check
unit @@ hosts/HostsText.cpp @@ entry_ |= !toThisComputer_ || !IsLocalhost(word_) @@ entry_ |= !toThisComputer_ || IsLocalhost(word_) @@ localhost counted as blocking
unit @@ hosts/HostsCommandLine.cpp @@ if (name[i] >= L'A' && name[i] <= L'Z') name[i] = static_cast<wchar_t>(name[i] - L'A' + L'a'); @@ ; @@ switches in capitals not understood
unit @@ hosts/HostsCommandLine.cpp @@ code = c.action == Command::Usage ? 0 : static_cast<int>(win::ErrorInvalidParameter); @@ code = 0; @@ an unknown switch exits 0
unit @@ hosts/HostsCommandLine.cpp @@                                           backup}) @@                                           std::wstring(L"-")}) @@ the log lacks the copy's name
unit @@ forms/Form1/Links.h @@ L"http://www.ru.wikipedia.org/wiki/Hosts" @@ L"www.ru.wikipedia.org/wiki/Hosts" @@ an address without its scheme, looked up as a file first
unit @@ hosts/HostsMessages.h @@ заменить его на оригинальный? @@ заменить его на оригинальный! @@ warning's wording
unit @@ hosts/HostsMessages.h @@ После нажатия на кнопку ''OK'', программа закроется! @@ После нажатия на кнопку ''ОК'', программа закроется! @@ method 1's Latin OK made Cyrillic
e2e:at 96 DPI @@ forms/Form1/Form1.cpp @@ {3000, 120, 3015, 375} @@ {3000, 180, 3015, 375} @@ wrong twips for the advertising label
e2e:at 96 DPI @@ forms/Form1/Form1.cpp @@ Method2Tip[] = L"Разблокировать способ №2" @@ Method2Tip[] = L"Разблокировать способ №3" @@ wrong tool tip
e2e:at 96 DPI @@ forms/Form1/Form1.cpp @@ RGB(0, 0, 255) @@ RGB(0, 0, 128) @@ links not blue
e2e:method 3, No @@ forms/Form1/Form1.cpp @@ case Method3Button: Command4_Click() @@ case Method3Button: Command2_Click() @@ swapped buttons
e2e:at 96 DPI @@ forms/Form1/Form1Controls.h @@     AdvertLink, @@     AdvertLink = HostsView, @@ a link label shares the view's id
e2e:About: texts @@ forms/frmAbout/frmAboutControls.h @@     DescriptionLabel, @@     DescriptionLabel = SysInfoButton, @@ the description shares the system information button's id
unit @@ forms/Form1/Links.h @@ /wiki/Hosts" @@ /wiki/Host" @@ wrong article address
e2e:About: texts @@ forms/frmAbout/frmAbout.cpp @@ {2340, 1935, 5730, 4725} @@ {2340, 1935, 5730, 4800} @@ About dialog's size
e2e:About: texts @@ forms/frmAbout/frmAbout.cpp @@ L"О программе " @@ L"О программе: " @@ About caption
e2e:held open without delete sharing @@ app/Fatal.cpp @@ ExitProcess(failure.Code() ? failure.Code() : 1) @@ ExitProcess(1) @@ exit code not the error
e2e:route -f starts @@ app/Win32Processes.cpp @@ si.wShowWindow = show; @@ si.wShowWindow = SW_SHOWNORMAL; @@ show command ignored
e2e:else the message @@ app/Win32Shell.cpp @@ title.empty() ? ThisApp.title : title @@ title.empty() ? L"Hostovik" : title @@ untitled messages without the application title
e2e:closed during method 1 @@ forms/Form1/Form1.cpp @@ if (busy_) closeRequested_ = true;<NL>        else Form_Unload(); @@ Form_Unload(); @@ closing tears a method down
e2e:Tab and Shift+Tab @@ forms/Form1/Form1.cpp @@ result &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE); @@ (nothing) @@ Tab trapped in the view
e2e:held open without delete sharing @@ app/Win32Files.cpp @@ CreateFileW(path.c_str(), DELETE, ShareAll @@ CreateFileW(path.c_str(), GENERIC_READ, ShareAll @@ the probe misses a holder that denies deletion
e2e:cli: /check @@ app/Win32Console.cpp @@ out_ = GetStdHandle(STD_OUTPUT_HANDLE); @@ out_ = nullptr; @@ piped output lost
e2e:modified file, No @@ app/main.cpp @@ Form1 form(system.Get(), otherWindows); @@ Form1 form(system.Get(), L""); @@ the window ignores /windir:
unit @@ hosts/HostsText.cpp @@ if (!lineEnd && !comment_) TakeEntryCharacter(c); @@ if (!lineEnd && !comment_ && line_.size() < ShownLineCap) TakeEntryCharacter(c); @@ a name past the first 1,024 bytes of a line missed
unit @@ hosts/HostsText.cpp @@ if (address == "::1") return true; @@ (nothing) @@ ::1 not taken for this computer
unit @@ hosts/HostsCommandLine.cpp @@ return hosts == Hosts::Modified || redirect ? ExitFound : 0; @@ return hosts != Hosts::Clean || redirect ? ExitFound : 0; @@ a missing file fails the check
unit @@ hosts/HostsCommandLine.cpp @@ if (hosts != Hosts::Modified && hosts != Hosts::Unchecked) Result( @@ if (false) Result( @@ a clean file replaced all the same
unit @@ hosts/HostsCommandLine.cpp @@ if (hosts != Hosts::Modified && hosts != Hosts::Unchecked) Result( @@ if (hosts != Hosts::Modified) Result( @@ a hosts file that cannot be read left unrepaired
unit @@ hosts/HostsCommandLine.cpp @@ после перезагрузки");<NL>        return static_cast<int>(win::ErrorSuccessRebootRequired); @@ после перезагрузки");<NL>        return 0; @@ a redirect put back without asking for a restart
unit @@ hosts/HostsCommandLine.cpp @@             Scan(read, false); @@ (nothing) @@ the file Windows reads is not looked at
unit @@ hosts/HostsCommandLine.cpp @@ ChangedWords[] = {L"no", L"yes", L"pending"} @@ ChangedWords[] = {L"yes", L"no", L"pending"} @@ the last line tells changes wrongly
unit @@ hosts/HostsCommandLine.cpp @@ ChangedWords[] = {L"no", L"yes", L"pending"} @@ ChangedWords[] = {L"no", L"yes", L"yes"} @@ a replace waiting for the restart reported as done
unit @@ hosts/HostsCommandLine.cpp @@ const std::wstring notLogged = run.Log(code); @@ const std::wstring notLogged = run.Log(code);<NL>        if (!notLogged.empty()) code = static_cast<int>(win::ErrorAccessDenied); @@ a log that cannot be written changes the exit code
unit @@ hosts/HostsCommandLine.cpp @@ outputLost = f.Code() ? f.Code() : win::ErrorInternalError; @@ throw; @@ a console that fails ends the run half way
unit @@ hosts/HostsCommandLine.cpp @@ if (c.action == Command::Usage) s.ui.MsgBox( @@ s.ui.MsgBox( @@ a mistyped switch waits in a message box nobody sees
unit @@ hosts/HostsCommandLine.cpp @@ Say(L"  " + Printable(s.cp.ToWide(line))); @@ Say(L"  " + s.cp.ToWide(line)); @@ a hosts line's control characters reach the console
unit @@ hosts/HostsCommandLine.cpp @@ && IsAbsolute(value) @@ (nothing) @@ /windir: relative to the current folder
unit @@ app/Codepage.cpp @@ if (c < 0x20 || (c >= 0x7F && c < 0xA0) || Unseen(c)) c = L'?'; @@ if (c < 0x1B || Unseen(c)) c = L'?'; @@ escapes and DEL kept in shown text
unit @@ hosts/Resolver.cpp @@ return Redirect{L"<не прочитано: ошибка " @@ throw;<NL>        return Redirect{L"<не прочитано: ошибка " @@ an unreadable DataBasePath stops the program
e2e:DataBasePath of 40,000 @@ app/Win32Registry.cpp @@ if (status == ERROR_MORE_DATA && attempt < ReadAttempts) { @@ if (false) { @@ a registry value larger than the first read's buffer is not read again
unit @@ hosts/Resolver.cpp @@ constexpr std::size_t ShownChars = 300; @@ constexpr std::size_t ShownChars = 100000; @@ a hostile value shown whole
unit @@ hosts/HostsStore.h @@ constexpr int HeldAttempts = 20; @@ constexpr int HeldAttempts = 1; @@ a file held for a moment fails the repair
unit @@ hosts/HostsStore.cpp @@ if (!store.NewFileStays()) { @@ if (false) { @@ a replace that took effect is undone and called left as it was
unit @@ hosts/HostsRepair.cpp @@ for (const std::string& line : scan.listed) view += BuildViewText(line, s_.cp); @@ (nothing) @@ entries past the view's cap hidden
unit @@ forms/Form1/Links.cpp @@ if (!shell.OpenAsDesktopUser(address)) @@ if (true) @@ links never tried through the desktop shell
e2e:links open @@ app/Win32Shell.cpp @@ CLSCTX_LOCAL_SERVER @@ CLSCTX_INPROC_SERVER @@ links never reach the desktop shell
e2e:route -f starts @@ app/Win32Processes.cpp @@ folder.c_str(), &si, &pi)) @@ nullptr, &si, &pi)) @@ programs started in the current folder
e2e:DataBasePath moved, Yes, windir a decoy @@ app/Win32Environment.cpp @@ return SystemFolder(GetSystemWindowsDirectoryW, L"GetSystemWindowsDirectoryW"); @@ return _wgetenv(L"windir"); @@ the Windows folder taken from windir
e2e:cli: /check @@ app/Win32Console.cpp @@ consoleCodepage ? consoleCodepage : GetOEMCP() @@ CP_ACP @@ piped output in the ANSI code page, not the console's
e2e:at 96 DPI @@ forms/Form1/Form1.cpp @@ return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)); @@ return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)); @@ labels paint over the view's border
e2e:at 96 DPI @@ forms/Form1/Form1.cpp @@     CreateToolTips();<NL>} @@ }<NL> @@ no tool tips on the buttons
e2e:at 144 DPI @@ app/Window.cpp @@ return MulDiv(twips, dpi, 1440); @@ return MulDiv(twips, 96, 1440); @@ twips converted at 96 DPI whatever the screen
e2e:protected file (read-only, hidden, system), method 1 @@ app/Win32Files.cpp @@ CreateFileW(path.c_str(), DELETE, ShareAll @@ CreateFileW(path.c_str(), DELETE | FILE_WRITE_ATTRIBUTES, ShareAll @@ the probe asks for more than deletion, which a read-only file refuses
e2e:DataBasePath moved, Yes @@ app/Win32Registry.cpp @@ RegSetValueExW(key_, name.c_str(), 0, value.type, @@ RegSetValueExW(key_, name.c_str(), 0, REG_SZ, @@ the registry written with another type than asked
unit @@ hosts/HostsRepair.cpp @@     } catch (const Failure& f) {<NL>        s_.ui.MsgBox(RedirectNotReset( @@     } catch (const Failure& f) {<NL>        throw;<NL>        s_.ui.MsgBox(RedirectNotReset( @@ a DataBasePath that cannot be written back stops the window
unit @@ hosts/HostsText.cpp @@ stop[b] = IsLineEnd(c) || @@ stop[b] = c == '\r' || @@ a line after a long comment taken for the comment
unit @@ hosts/HostsStore.cpp @@ throw Failure(win::ErrorFileNotFound, source); @@ {} @@ a restore of a missing file empties hosts
unit @@ hosts/HostsText.cpp @@ else entry_ |= !toThisComputer_ @@ else entry_ = !toThisComputer_ @@ a blocked name before localhost forgotten
unit @@ hosts/HostsCommandLine.cpp @@ if (store.Replaced()) changed = Changed::Yes; @@ changed = Changed::No; @@ a replace that took effect though it failed reported as no change
unit @@ hosts/HostsCommandLine.cpp @@ if (store.Replaced()) changed = Changed::Yes; @@ changed = store.Replaced() ? Changed::Yes : Changed::No; @@ a registry value put back reported as no change when the hosts replace fails
unit @@ hosts/HostsStore.cpp @@ if (copy) Quietly([&] { copy.reset(); fs_.Delete(copyPath); }); @@ if (copy) copy.reset(); @@ a partial copy left when writing it fails
unit @@ hosts/StockHosts.cpp @@ "# space.", "#", @@ "# Space.", "#", @@ a byte of an English stock file changed
unit @@ app/Codepage.cpp @@ (c >= 0x2066 && c <= 0x2069) @@ (c >= 0x2066 && c <= 0x2068) @@ a bidirectional isolate shown
unit @@ app/Codepage.cpp @@ || Unseen(c)) c = L'?'; @@ ) c = L'?'; @@ right-to-left overrides and zero-width characters shown
unit @@ app/Codepage.cpp @@ else if (IsSurrogate(c)) c = 0xFFFD;<NL>    } @@ <NL>    } @@ half a surrogate pair shown
unit @@ app/Codepage.cpp @@ else if (IsSurrogate(c)) c = 0xFFFD;  // half @@ // half @@ invalid UTF-8 in the log from half a surrogate pair
unit @@ hosts/Resolver.cpp @@ if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n; @@ (nothing) @@ the cut of a shown value splits a surrogate pair
unit @@ app/DllSearch.cpp @@ calls.SetDllDirectoryW(L"") @@ calls.SetDllDirectoryW(nullptr) @@ the current folder put back in the DLL search where SetDefaultDllDirectories is missing
unit @@ app/DllSearch.cpp @@ if (done && !*done) throw @@ if (false) throw @@ a refused DLL search call goes unreported
e2e:without the desktop shell @@ forms/Form1/Form1.cpp @@         ShowOpenByHand(s_, reinterpret_cast<const wchar_t*>(lp)); @@ (nothing) @@ a page the desktop shell could not open is never shown by hand
unit @@ hosts/Resolver.cpp @@ !hive_ && IsLocalFolder(folder) ? folder : L"" @@ !hive_ ? folder : L"" @@ a DataBasePath on a share opened by the elevated process
unit @@ hosts/Resolver.cpp @@ else if (!name.empty()) value = MachineVariable(name); @@ else if (!name.empty()) value = std::nullopt; @@ DataBasePath's variables not expanded from the machine's environment
unit @@ hosts/HostsCommandLine.cpp @@             Result(L"DataBasePath не возвращено к стандартному: " + FailureWords(f)); @@             throw; @@ a DataBasePath that cannot be written back stops the hosts repair of /repair
unit @@ hosts/HostsCommandLine.cpp @@ if (!c.windowsDir.empty()) RequireWindowsFolder(s.files, c.windowsDir); @@ (nothing) @@ /windir: of a folder without Windows reads as clean
unit @@ hosts/HostsRepair.cpp @@ if (!otherWindows_.empty()) RequireWindowsFolder(s_.files, otherWindows_); @@ (nothing) @@ the window takes a folder without Windows for an installation
unit @@ hosts/HostsCommandLine.cpp @@ if (facts.links > 1) return @@ if (facts.links > 2) return @@ a log with a second name (a hard link) written to
unit @@ hosts/HostsCommandLine.cpp @@ if (facts.attributes & win::FileAttributeReparsePoint) return @@ if (false) return @@ a log that is a link written to
unit @@ hosts/HostsCommandLine.cpp @@ if (!facts.disk) return @@ if (false) return @@ a log that is a device or a pipe written to
unit @@ hosts/HostsCommandLine.cpp @@ if (!HeldByAnother(f) || attempt == HeldAttempts) throw; @@ throw; @@ a log held for a moment loses the line
e2e:hard-linked log refused @@ app/Win32Files.cpp @@ facts.links = info.nNumberOfLinks; @@ facts.links = 1; @@ the log's hard links not counted
e2e:hosts held for a moment @@ app/Win32Platform.h @@ ~BackupRights() { SetBackupAndRestorePrivileges(false); } @@ ~BackupRights() {} @@ the backup and restore privileges left enabled for the programs started after a hosts call
unit @@ hosts/HostsStore.cpp @@         HeldAttempts);<NL>} @@         1);<NL>} @@ a hosts file held for a moment fails its reading at once
unit @@ hosts/HostsStore.cpp @@ (f.Code() == win::ErrorAccessDenied && fs_.InUse(hostsPath_)) @@ false @@ an access denied from a program holding hosts taken for its permissions
unit @@ hosts/HostsStore.cpp @@ (f.Code() == win::ErrorAccessDenied && fs_.InUse(hostsPath_)) @@ f.Code() == win::ErrorAccessDenied @@ an access denied from permissions taken for a program holding hosts
unit @@ hosts/HostsStore.cpp @@ if (!mayWait_ || !Held(f)) throw; @@ if (!Held(f)) throw; @@ another installation's held hosts file left to a restart of this one
unit @@ hosts/HostsStore.cpp @@         else ScheduleAtRestart(change, copied, rollback); @@         else throw Failure(win::ErrorSharingViolation, hostsPath_); @@ a hosts file held for good fails the repair instead of waiting for the restart
unit @@ hosts/HostsStore.cpp @@         fs_.MoveAtRestart(hostsPath_, change.copy, false); @@ (nothing) @@ with no copy made now, the old file not kept at the restart
unit @@ hosts/HostsStore.cpp @@ fs_.MoveAtRestart(newPath_, hostsPath_, copied); @@ fs_.MoveAtRestart(newPath_, hostsPath_, true); @@ at the restart the new file replaces hosts even when the old one could not become its copy
unit @@ hosts/HostsStore.cpp @@ if (!renamedTo.empty()) Quietly([&] { fs.MoveAtRestart(renamedTo, store.hostsPath_, false); }); @@ (nothing) @@ a refused restart move leaves the old file's move to its copy
unit @@ hosts/HostsRepair.cpp @@ std::optional<HostsChange> change = store_.PendingChange(path); @@ std::optional<HostsChange> change; @@ the window schedules a replace again while one waits for the restart
unit @@ hosts/HostsCommandLine.cpp @@ std::optional<HostsChange> change = store.PendingChange(path); @@ std::optional<HostsChange> change; @@ the command line schedules a replace again while one waits for the restart
unit @@ hosts/HostsRepair.cpp @@ MainCaption) == Answer::Yes) Restart(HostsAtRestartByHand); @@ MainCaption) == Answer::No) Restart(HostsAtRestartByHand); @@ the restart offered for a held hosts file answered the wrong way
unit @@ hosts/HostsRepair.cpp @@         view = HostsNotRead(f.Code(), s_.env.ErrorText(f.Code())); @@         throw; @@ a hosts file that cannot be read keeps the window from opening
unit @@ hosts/HostsCommandLine.cpp @@ else if (Replace(path)) code = static_cast<int>(win::ErrorSuccessRebootRequired); @@ else Replace(path); @@ a replace waiting for the restart exits 0
unit @@ hosts/HostsCommandLine.cpp @@         hosts = Scan(path);<NL>        ListCopies(path); @@         hosts = ScanToReplace(path);<NL>        ListCopies(path); @@ /check goes on past a hosts file it cannot read
unit @@ hosts/HostsStore.cpp @@             if (copy == file) return folder + found.name; @@ (nothing) @@ the same bytes copied again beside an earlier copy of them
unit @@ hosts/HostsStore.cpp @@ if (found.size != file.size) continue; @@ if (found.size == file.size) continue; @@ an earlier copy of the same size never compared
unit @@ hosts/HostsStore.cpp @@ fs_.ReadOrdinaryFile(source, @@ fs_.ReadChunks(source, @@ the /restore: source read with the hosts file's privileges
unit @@ hosts/HostsCommandLine.cpp @@ : s.files.ReadOrdinaryFile(path, take) @@ : s.files.ReadChunks(path, take) @@ the file in DataBasePath's folder read with the hosts file's privileges
e2e:of a pipe refused @@ app/Win32Files.cpp @@     if (GetFileType(file.Get()) != FILE_TYPE_DISK) throw Failure(ERROR_NOT_SUPPORTED, path); @@ (nothing) @@ a pipe read as a /restore: source
e2e:one copy @@ app/Win32Files.cpp @@ if (!(found.dwFileAttributes & (NotNormal | FILE_ATTRIBUTE_REPARSE_POINT))) @@ if (false) @@ earlier copies beside hosts never found
e2e:held by a program sharing all @@ app/Win32Files.cpp @@ CreateFileW(path.c_str(), DELETE, 0, @@ CreateFileW(path.c_str(), DELETE, ShareAll, @@ a holder that shares deletion taken for a permission
e2e:held by a program sharing all @@ app/Win32Files.cpp @@ MOVEFILE_DELAY_UNTIL_REBOOT | (replace ? MOVEFILE_REPLACE_EXISTING : 0) @@ MOVEFILE_DELAY_UNTIL_REBOOT @@ the new file scheduled beside hosts, not over it
e2e:held by a program sharing all @@ app/Win32Files.cpp @@             if (n.starts_with(L"\\??\\")) n.erase(0, 4); @@ (nothing) @@ the moves Windows makes at its start read with their NT prefix, so a waiting replace is missed
unit @@ hosts/HostsCommandLine.cpp @@ return rights.elevated ? *rights.elevated : rights.administrator; @@ return rights.administrator; @@ an administrator's filtered token taken for an elevated one
unit @@ hosts/HostsCommandLine.cpp @@ return rights.elevated ? *rights.elevated : rights.administrator; @@ return rights.elevated.value_or(false); @@ no repair on XP, which has no elevation
unit @@ hosts/HostsCommandLine.cpp @@ if (c.action != Command::Check && !MayChangeWindows @@ if (c.action == Command::Repair && !MayChangeWindows @@ a restore without administrator rights
unit @@ hosts/HostsCommandLine.cpp @@ name == L"help" || name == L"-help" @@ name == L"help" @@ --help is a mistake
unit @@ hosts/HostsCommandLine.cpp @@ return s.files.Attributes(beside) ? beside : given; @@ return given; @@ a copy's bare name looked for in the current folder only
unit @@ hosts/HostsCommandLine.cpp @@ return s.files.Attributes(beside) ? beside : given; @@ return beside; @@ a bare name not beside hosts never looked for as given
unit @@ hosts/HostsCommandLine.cpp @@ t.utcOffsetMinutes < 0 ? L'-' : L'+' @@ L'+' @@ a time west of Greenwich logged east of it
unit @@ hosts/HostsCommandLine.cpp @@ if (hostsFile) entries = scan.entries; @@ (nothing) @@ the log never counts the entries
unit @@ hosts/HostsCommandLine.cpp @@ if (copies.size() > ShownCopies) Say @@ if (false) Say @@ copies past the tenth not counted
unit @@ hosts/HostsStore.cpp @@ middle.size() > 16 ? std::wcstol(middle.c_str() + 16, nullptr, 10) : 1 @@ 1 @@ copies of one second in any order
unit @@ hosts/HostsStore.cpp @@ if (!ours) return {false, name, 0}; @@ if (!ours) return {true, name, 0}; @@ a copy of another name taken for the newest
unit @@ hosts/LookupPath.cpp @@ if (value.size() - at < 4) return false; @@ if (value.size() < at) return false; @@ a value cut in a number read past its end
unit @@ hosts/LookupPath.cpp @@ if (!number(length) || value.size() - at < length) return false; @@ if (!number(length)) return false; @@ a length past the value's end trusted
unit @@ hosts/LookupPath.cpp @@ else if (flags & NamedProxyFlag) @@ else if (flags) @@ a direct setting taken for a proxy
unit @@ hosts/LookupPath.cpp @@ if (const std::size_t equals = server.find(L'='); equals != server.npos) server.remove_prefix(equals + 1); @@ (nothing) @@ a proxy per scheme never judged
unit @@ hosts/LookupPath.cpp @@ if (host.ends_with(L'.')) host.remove_suffix(1); @@ (nothing) @@ localhost with its root dot passes
unit @@ hosts/LookupPath.cpp @@ if (server.starts_with(L'[')) return server.substr(1, server.find(L']') - 1); @@ (nothing) @@ a bracketed IPv6 proxy passes
unit @@ hosts/LookupPath.cpp @@ return lower.starts_with(L"file:") || IsLoopback(HostOf(lower)); @@ return IsLoopback(HostOf(lower)); @@ a file: script passes
unit @@ hosts/LookupPath.cpp @@ packed = packed.substr(0, MaxPath); @@ (nothing) @@ a catalog path read past MAX_PATH
unit @@ hosts/LookupPath.cpp @@ !Lower(name).ends_with(L"_classes") @@ true @@ a user's classes taken for a user
unit @@ hosts/LookupPath.cpp @@ field += (field.empty() ? L"" : L",") @@ field += (L",") @@ other= starts with a comma
unit @@ hosts/Resolver.cpp @@ return !windowsDir.empty() && Folded(windowsDir) != Folded(s.env.WindowsDirectory()); @@ return !windowsDir.empty() && windowsDir != s.env.WindowsDirectory(); @@ the running Windows' folder named in other letters taken for another installation
unit @@ hosts/Resolver.cpp @@     if (!s.files.Attributes(place_)) throw Failure(win::ErrorFileNotFound, place_); @@ (nothing) @@ a registry file that is not there made in another installation by its load
unit @@ hosts/Resolver.cpp @@     std::optional<std::uint32_t> current; @@     std::optional<std::uint32_t> current = 1; @@ a missing Select\Current guessed as control set 1
unit @@ hosts/Resolver.cpp @@ std::wstring(3 - std::min<std::size_t>(3, number.size()), L'0') + number @@ number @@ the control set's number not in three digits
unit @@ hosts/Resolver.cpp @@     if (hive.Open(name, win::KeyQueryValue)) return name; @@     return name; @@ a control set that is not there read all the same
unit @@ hosts/Resolver.cpp @@ if (set.starts_with(L"ControlSet")) present += @@ if (false) present += @@ the control sets a registry file holds not named when its current one is missing
unit @@ hosts/Resolver.cpp @@ return hive_ ? hive_->Open(under, access) : s_.registry.Open(win::HKeyLocalMachine, under, access); @@ return s_.registry.Open(win::HKeyLocalMachine, under, access); @@ another installation's DataBasePath read in the running Windows' registry
unit @@ hosts/Resolver.cpp @@ Folded(name) == L"windir") value = windowsDir_; @@ Folded(name) == L"windir") value = s_.env.WindowsDirectory(); @@ another installation's %SystemRoot% taken as the running Windows' folder
unit @@ hosts/Resolver.cpp @@ !hive_ && IsLocalFolder(folder) ? folder : L"" @@ IsLocalFolder(folder) ? folder : L"" @@ the hosts file in another installation's DataBasePath folder read by this Windows' drive letters
unit @@ hosts/Resolver.cpp @@         if (f.Code() == win::ErrorInsufficientBuffer) @@         if (false) @@ a DataBasePath longer than the cap shown as a read error
unit @@ hosts/Resolver.cpp @@     if (hive_) hive_->Unload(); @@ (nothing) @@ a registry file that cannot be unloaded goes untold
unit @@ app/Platform.h @@ for (auto at = value->bytes.rbegin(); at != value->bytes.rend(); ++at) @@ for (auto at = value->bytes.begin(); at != value->bytes.end(); ++at) @@ a registry number read with its bytes the wrong way
unit @@ app/Platform.h @@ if (!value || value->type != win::RegDword || @@ if (!value || @@ a registry value of another type read as a number
unit @@ hosts/HostsCommandLine.cpp @@         if (other) { @@         if (false) { @@ this computer's DNS cache flushed after a repair of another installation
unit @@ hosts/HostsCommandLine.cpp @@             Say(other ? L"файл, который читает Windows, не проверен: буквы @@             Say(false ? L"файл, который читает Windows, не проверен: буквы @@ another installation's DataBasePath said to name no local folder
unit @@ hosts/HostsRepair.cpp @@ if (!IsOtherInstallation(s_, otherWindows_)) FlushDnsCache(s_); @@ FlushDnsCache(s_); @@ the window flushes this computer's DNS cache after repairing another installation
unit @@ hosts/HostsRepair.cpp @@         registry.emplace(s_, otherWindows_); @@         registry.emplace(s_, L""); @@ the window checks the running Windows' registry for another installation
e2e:own registry file @@ app/Win32Registry.cpp @@ const LSTATUS status = AsBackupOperator([&] { return RegLoadKeyW(HKEY_LOCAL_MACHINE, name.c_str(), file.c_str()); }); @@ const LSTATUS status = RegLoadKeyW(HKEY_LOCAL_MACHINE, name.c_str(), file.c_str()); @@ another installation's registry file loaded without the backup and restore privileges
e2e:own registry file @@ app/Win32Registry.cpp @@ AsBackupOperator([this] { return RegUnLoadKeyW(HKEY_LOCAL_MACHINE, name_.c_str()); }) @@ RegUnLoadKeyW(HKEY_LOCAL_MACHINE, name_.c_str()) @@ another installation's registry file unloaded without the privileges, so left loaded
e2e:own registry file @@ app/Win32Registry.cpp @@ return OpenKey(HKEY_LOCAL_MACHINE, Under(name_, path), access, false, Under(file_, path)); @@ return OpenKey(HKEY_LOCAL_MACHINE, path, access, false, Under(file_, path)); @@ a key of a loaded registry file looked for outside it
unit @@ hosts/LookupPath.cpp @@ if (!s_.processes.Rights().localSystem) return; @@ if (false) return; @@ other places: every user's proxy read in a run that is not SYSTEM's
unit @@ hosts/LookupPath.cpp @@ if (!s_.processes.Rights().localSystem) return; @@ if (s_.processes.Rights().localSystem) return; @@ other places: SYSTEM's run misses the users' proxies
unit @@ hosts/LookupPath.cpp @@                 if (IsUserHive(user)) @@                 if (true) @@ other places: a service's hive or a user's classes read as a user's
unit @@ hosts/LookupPath.cpp @@ policy->ReadNumber(L"ProxySettingsPerUser") == 0u @@ policy->ReadNumber(L"ProxySettingsPerUser") != 0u @@ other places: the machine's proxy read against its policy
unit @@ hosts/LookupPath.cpp @@ if (RegistryKey::NumberValue(enable).value_or(0) != 0 && !proxy.empty()) @@ if (!proxy.empty()) @@ other places: a proxy switched off reported
unit @@ hosts/LookupPath.cpp @@ const bool undo = perUser && ProxyToThisComputer(proxy); @@ const bool undo = ProxyToThisComputer(proxy); @@ other places: the machine's proxy set by a policy switched off
unit @@ hosts/LookupPath.cpp @@ const bool undo = perUser && ScriptOnThisComputer(url); @@ const bool undo = ScriptOnThisComputer(url); @@ other places: the machine's script set by a policy deleted
unit @@ hosts/LookupPath.cpp @@             if (proxy.state == WinHttpProxy::Direct) return; @@ (nothing) @@ other places: a direct WinHTTP setting reported
unit @@ hosts/LookupPath.cpp @@         if (servers.find_first_not_of(L" ,") == servers.npos) return; @@ (nothing) @@ other places: an adapter without name servers of its own reported
unit @@ hosts/LookupPath.cpp @@                 if (!adapter.empty()) command.replace(command.find(L'%'), 1, adapter); @@ (nothing) @@ other places: the reset command without the adapter's name
unit @@ hosts/LookupPath.cpp @@ InSystemFolder(dll, system) || @@ (nothing) @@ other places: a Winsock DLL of the system folder reported
unit @@ hosts/LookupPath.cpp @@ !seen.insert(Lower(dll)).second @@ !seen.insert(dll).second @@ other places: one Winsock DLL reported twice
unit @@ hosts/LookupPath.cpp @@ const std::wstring dll = windows_->Expanded(path); @@ const std::wstring dll = path; @@ other places: Winsock paths judged unexpanded
unit @@ hosts/LookupPath.cpp @@         if (policyToo) EachSubKey(Machine(), NrptPolicy, rule); @@ (nothing) @@ other places: Group Policy's NRPT rules not read
unit @@ hosts/LookupPath.cpp @@         if (!item.empty()) list += @@         list += @@ other places: an NRPT rule's names with empty items
unit @@ hosts/LookupPath.cpp @@     else reader.Proxies(), reader.WinHttp(); @@     reader.Proxies(), reader.WinHttp(); @@ other places: this computer's proxies told of for another installation
unit @@ hosts/LookupPath.cpp @@ RegistryBytes(text) == value.bytes && @@ (nothing) @@ other places: a text without its NUL put in quotes in the .reg
unit @@ hosts/LookupPath.cpp @@ c == L'\\' || c == L'"' @@ c == L'"' @@ other places: a backslash not escaped in the .reg
unit @@ hosts/LookupPath.cpp @@ return "\xFF\xFE" + bytes.substr @@ return bytes.substr @@ other places: a .reg without its byte order mark
unit @@ hosts/LookupPath.cpp @@ header + LittleEndian(DirectFlag) @@ header + LittleEndian(NamedProxyFlag) @@ other places: WinHTTP left on its proxy
unit @@ hosts/LookupPath.cpp @@         return key->Delete(AutoConfigUrl); @@         return; @@ other places: the script on this computer left
unit @@ hosts/LookupPath.cpp @@         undone.regFile = WriteStamped(s.files, hostsPath, s.clock.Now(), L".reg", RegFile(undos));<NL>        for (const Undo& undo : undos) {<NL>            SwitchOff(s.registry, undo);<NL>            ++undone.done;<NL>        } @@         for (const Undo& undo : undos) {<NL>            SwitchOff(s.registry, undo);<NL>            ++undone.done;<NL>        }<NL>        undone.regFile = WriteStamped(s.files, hostsPath, s.clock.Now(), L".reg", RegFile(undos)); @@ other places: switched off before the old values are kept
unit @@ hosts/LookupPath.cpp @@ access | win::KeyWow64_64Key @@ access @@ other places: HKLM\SOFTWARE read in the copy 32-bit programs see
unit @@ hosts/HostsCommandLine.cpp @@         OtherPlaces(code); @@ (nothing) @@ other places: /repair neither tells nor switches off
e2e:other places @@ hosts/HostsCommandLine.cpp @@ if (c.action != Command::Repair || !AnyUndo(lookup->findings)) return; @@ if (!AnyUndo(lookup->findings)) return; @@ other places: /check switches a proxy off
unit @@ hosts/HostsCommandLine.cpp @@         if (undone.done) changed = Changed::Yes; @@ (nothing) @@ other places: a proxy switched off reported as no change
unit @@ hosts/HostsCommandLine.cpp @@             code = static_cast<int>(undone.failure->Code()); @@             code += 0; @@ other places: a switch-off that failed exits 0
unit @@ hosts/HostsCommandLine.cpp @@ (lookup ? OtherField(lookup->findings) : L"unchecked") @@ (lookup ? OtherField(lookup->findings) : L"none") @@ other places: other=none where nothing was looked at
unit @@ hosts/HostsRepair.cpp @@     TellOtherPlaces(lookup, path); @@ (nothing) @@ other places: the window tells nothing
unit @@ hosts/HostsRepair.cpp @@ if (!ask || answer != Answer::Yes) return; @@ if (!ask) return; @@ other places: the window switches off on No
unit @@ hosts/HostsRepair.cpp @@ (ask ? vbYesNo + vbCritical : vbOKOnly + vbInformation) @@ (vbYesNo + vbCritical) @@ other places: the window asks about what it never changes
unit @@ hosts/HostsRepair.cpp @@     if (lookup.findings.empty()) return; @@ (nothing) @@ other places: the window's message shown with nothing found
unit @@ hosts/HostsRepair.cpp @@     if (undone.failure)<NL> @@     if (false)<NL> @@ other places: a failed switch-off told as done
unit @@ hosts/HostsStore.cpp @@         Quietly([&] { file.reset(); fs.Delete(made); }); @@ (nothing) @@ other places: a .reg written in part left beside hosts
unit @@ hosts/HostsMessages.h @@ OtherPlacesShown = 12 @@ OtherPlacesShown = 13 @@ other places: thirteen lines in the window's message
unit @@ hosts/HostsText.cpp @@ const bool allowed = allowed_ && word_.size() <= WordCap && allowed_->Allows(address_, word_); @@ const bool allowed = allowed_ && word_.size() <= WordCap; @@ a company's list allows any mapping
unit @@ hosts/HostsText.cpp @@     if (!entry_ && allowedMapping_) ++allowedLines; @@     if (allowedMapping_) ++allowedLines; @@ a line with a foreign name counted as the company's
unit @@ hosts/HostsText.cpp @@ mappings_.count(Lower(address) + ' ' + Lower(name)) @@ mappings_.count(std::string(address) + ' ' + std::string(name)) @@ a company's names compared in their letter case
unit @@ hosts/HostsText.cpp @@         if (words.size() < 2) continue; @@         if (words.empty()) continue; @@ an address without a name taken for a company's line
unit @@ hosts/HostsText.cpp @@ std::string_view rest = line.substr(0, line.find('#')); @@ std::string_view rest = line; @@ a company's comments taken for names
unit @@ hosts/HostsCommandLine.cpp @@ store.WriteStockHosts(AllowedLines()); @@ store.WriteStockHosts(); @@ a repair wipes the company's entries
unit @@ hosts/HostsCommandLine.cpp @@         if (allowed->lines.empty()) @@         if (false) @@ an empty list taken for a wish to keep nothing
unit @@ hosts/HostsCommandLine.cpp @@         if (!exists) throw Failure(win::ErrorFileNotFound, c.allow); @@ (nothing) @@ a missing list taken for an empty one
unit @@ hosts/HostsCommandLine.cpp @@ if (!c.allow.empty() && c.action != Command::Check && c.action != Command::Repair) return Invalid(); @@ (nothing) @@ a list with a restore or the window silently ignored
TABLE
)

# plant FILE TEXT REPLACEMENT: exactly one occurrence, or status 3 (stale row).
plant() {
  python3 - "$@" <<'PY'
import sys
path = sys.argv[1]
old, new = (a.replace("<NL>", "\n") for a in sys.argv[2:4])
new = "" if new == "(nothing)" else new
src = open(path, encoding="utf-8").read()
if src.count(old) != 1:
    sys.exit(3)
open(path, "w", encoding="utf-8").write(src.replace(old, new))
PY
}

# limited SECONDS COMMAND...: COMMAND with a time limit, in the background so that Ctrl-C stops
# it: timeout puts it in a process group of its own, which the terminal's Ctrl-C misses, and a
# script waiting in the foreground takes no signal until its child ends. Status 124: out of time.
tested=
limited() { timeout "$@" & tested=$!; wait "$tested"; }
stop_tests() { [ -z "$tested" ] || { kill -TERM "$tested"; wait "$tested"; } 2>/dev/null; }

# What a run of the tests came to.
MISSED=0 CAUGHT=1 NOBUILD=2 NOCASE=3 TIMEOUT=4 ERROR=5
log=build/mutant.log
# unit_outcome STATUS: the unit tests' run, from ctest's status and its log.
unit_outcome() {
  grep -q 'No tests were found' "$log" && return $ERROR
  [ "$1" -eq 0 ] && return $MISSED
  [ "$1" -eq 124 ] || grep -q '\*\*\*Timeout' "$log" && return $TIMEOUT
  grep -qE '^[0-9]+% tests passed, [1-9][0-9]* tests failed' "$log" && return $CAUGHT
  return $ERROR
}
# e2e_outcome STATUS: an end-to-end run. Caught only when a case failed; a run that failed before
# or around its cases (building, Wine, the driver ending early, its time limit) is no catch.
e2e_outcome() {
  [ "$1" -eq 124 ] && return $TIMEOUT
  grep -q '^E2E: 0 passed, 1 failed (build)' "$log" && return $NOBUILD
  grep -qaE '^E2E: 0 passed, 1 failed \(|: the driver ended early|^FAIL  prefix for ' "$log" && return $ERROR
  grep -q '^E2E: 0 passed, 0 failed' "$log" && return $NOCASE
  [ "$1" -eq 0 ] && return $MISSED
  [ -n "$(e2e_results "$log" | grep '^FAIL')" ] && return $CAUGHT
  return $ERROR
}

# Runs the tests of TIER (unit, e2e:TEXT, or e2e for every case); returns its outcome.
run_tests() {
  local rc
  case $1 in
    unit)
      cmake --build --preset native >"$log" 2>&1 || return $NOBUILD
      limited 600 ctest --preset unit --timeout 60 >"$log" 2>&1
      rc=$?; unit_outcome $rc ;;
    e2e*)
      local text=${1#e2e}
      limited 1800 bash scripts/e2e.sh --only "${text#:}" >"$log" 2>&1
      rc=$?; e2e_outcome $rc ;;
  esac
}

# The matrix's runs. Each writes the names of the tests that failed to build/mutant.failed.
failed_list=build/mutant.failed
last_failed=build/native/Testing/Temporary/LastTestsFailed.log
# CTest runs each unit test in a process of its own, so a crash or a hang (--timeout) is put on
# the test that had it.
run_unit_tests() {
  : >"$failed_list"
  rm -f "$last_failed"
  run_tests unit
  local outcome=$?
  [ $outcome -ne $CAUGHT ] || cut -d: -f2- "$last_failed" | unit_rows >"$failed_list"
  return $outcome
}
# The rows of table-driven tests, which name themselves with SCOPED_TRACE: each failed test is
# run again alone, and a failing row is given as "Suite.Test [row]"; a test without rows as itself.
unit_rows() {
  local test
  while IFS= read -r test; do
    limited 60 build/native/tests/unit/hostovik_unit_tests --gtest_filter="$test" 2>&1 | python3 -c '
import re, sys
test, caught = sys.argv[1], []
pending = tracing = False  # pending: a failure whose row is not known yet
for line in sys.stdin:
    m = re.match(r"^\S+:\d+: (.*)$", line.rstrip("\n"))
    if m and m.group(1) == "Failure":
        if pending:
            caught.append(test)
        pending, tracing = True, False
    elif line.startswith("Google Test trace:"):
        tracing = True
    elif tracing and m:
        if pending:
            caught.append(f"{test} [{m.group(1)}]")
        pending = False
    else:
        tracing = False
if pending:
    caught.append(test)
print("\n".join(dict.fromkeys(caught)) or test)' "$test"
  done
}
unit_tests() { ctest --preset unit -N | sed -n 's/^ *Test *#[0-9]*: //p'; }

# Every end-to-end case; an empty --only still runs them all, and leaves build/e2e.log, the
# last real run's log, alone.
run_e2e_cases() {
  run_tests e2e
  local outcome=$?
  e2e_results "$log" | sed -n 's/^FAIL  //p' >"$failed_list"
  return $outcome
}
# e2e_results LOG: "PASS  case" or "FAIL  case" a case, its time and the reason cut off. The
# first " (N s)" ends the name: names hold parentheses, reasons may hold anything. The driver's
# lines end in CR LF.
e2e_results() { grep -aE '^(PASS|FAIL)  ' "$1" | sed -E 's/\r$//; s/ \([0-9.]+ s\)(: .*)?$//' | awk '!seen[$0]++'; }

# report MATRIX [TIER<TAB>TEST]...: the tests with the faults they caught, the faults one test
# alone caught, and the tests given that caught nothing.
report() {
  python3 - "$@" <<'PY'
import sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1], encoding="utf-8")]
known = [tuple(t.split("\t", 1)) for t in dict.fromkeys(sys.argv[2:])]
by_test = {}
for tier, file, what, *tests in rows:
    for test in tests:
        by_test.setdefault((tier.split(":")[0], test), []).append(f"{file}: {what}")
print("faults caught, by test:")
for (tier, test), faults in sorted(by_test.items(), key=lambda t: (-len(t[1]), t[0])):
    print(f"  [{tier}] {test}: {len(faults)}")
    for fault in faults:
        print(f"      {fault}")
print("caught by one test only:")
for tier, file, what, *tests in rows:
    if len(tests) == 1:
        print(f"  [{tier.split(':')[0]}] {file}: {what}\n      {tests[0]}")
print("tests that caught no fault:")
caught = {(tier, test.split(" [")[0]) for tier, test in by_test}  # a row's catch is its test's
for tier, test in known:
    if (tier, test) not in caught:
        print(f"  [{tier}] {test}")
PY
}

# Puts the file back, newer than anything built from the fault, so that the next build takes it.
restore() { mv -f "$file.unmutated" "$file" && touch "$file"; }

cmake --preset native >/dev/null || exit 1
# The baseline: every test of the tiers asked for passes unmutated.
baseline=
case ",$tiers," in *,unit,*) run_tests unit || baseline="unit tests: $(grep -E 'Failed|Timeout|No tests' "$log" | head -5)" ;; esac
if [ -z "$baseline" ] && [[ ",$tiers," == *,e2e,* ]]; then
  run_tests e2e || baseline="end-to-end cases: $(grep -aE '^(FAIL|E2E:)' "$log" | head -5)"
fi
if [ -n "$baseline" ]; then
  echo "The tests fail unmutated, so no row could be told caught; fix them first. Failing:"
  echo "$baseline"
  echo "(the run's output: $log)"
  exit 1
fi
echo "Baseline: every test passes unmutated."

caught=0 missed=0 timeouts=0 errors=0 stale=0 total=0
# The tests seen, as TIER<TAB>TEST, for the ones that caught nothing.
known=() unit_ran=
[ -z "$matrix" ] || : >"$matrix"
while IFS= read -r row; do
  [ -n "$row" ] || continue
  tier=${row%% @@ *}; rest=${row#* @@ }
  file=${rest%% @@ *}; rest=${rest#* @@ }
  old=${rest%% @@ *}; rest=${rest#* @@ }
  new=${rest%% @@ *}; what=${rest#* @@ }
  case ",$tiers," in *",${tier%%:*},"*) ;; *) continue ;; esac
  [ -z "$only" ] || [[ "$what" == *"$only"* ]] || continue
  total=$((total + 1))
  cp "$file" "$file.unmutated"
  trap 'stop_tests; restore; exit 130' INT TERM
  if ! plant "$file" "$old" "$new"; then
    outcome=$NOCASE
  elif [ -n "$matrix" ]; then
    if [ "$tier" = unit ]; then unit_ran=1; run_unit_tests; else run_e2e_cases; fi
    outcome=$?
    if [ "$tier" != unit ] && [ $outcome -ne $NOBUILD ]; then
      while IFS= read -r name; do known+=("e2e"$'\t'"$name"); done < <(e2e_results "$log" | cut -c7-)
    fi
  else
    run_tests "$tier"
    outcome=$?
  fi
  # A hang is the symptom of some faults: a test's time limit then catches it.
  [ $outcome -eq $TIMEOUT ] && [[ "$what" == *"[hang]" ]] && outcome=$CAUGHT
  case $outcome in
    "$MISSED") missed=$((missed + 1)); echo "MISSED  [$tier] $file: $what" ;;
    "$TIMEOUT") timeouts=$((timeouts + 1)); echo "TIMEOUT [$tier] $file: $what" ;;
    "$ERROR") errors=$((errors + 1)); echo "ERROR   [$tier] $file: $what (the run failed around its tests: $log)" ;;
    "$NOBUILD") stale=$((stale + 1)); echo "NOBUILD [$tier] $file: $what" ;;
    "$NOCASE") stale=$((stale + 1)); echo "STALE   [$tier] $file: $what (text not found once, or no case has that name)" ;;
    *)
      note=
      if [ -n "$matrix" ]; then
        { printf '%s\n' "$tier" "$file" "$what"; cat "$failed_list"; } | paste -sd '\t' >>"$matrix"
        note=" (tests failed: $(wc -l <"$failed_list"))"
        # Caught, but not by the cases the row names: the fast mode would miss it.
        [ "$tier" = unit ] || grep -qF -- "${tier#e2e:}" "$failed_list" || note=" (tests failed, none of them $tier)"
      fi
      caught=$((caught + 1)); echo "caught  [$tier] $file: $what$note" ;;
  esac
  if [ -n "$matrix" ] && [ $outcome -ne $CAUGHT ] && [ $outcome -ne $NOBUILD ] && [ $outcome -ne $NOCASE ]; then
    printf '%s\t%s\t%s\n' "$tier" "$file" "$what" >>"$matrix"
  fi
  restore
  trap - INT TERM
done <<<"$faults"
cmake --build --preset native >/dev/null 2>&1

if [ -n "$matrix" ]; then
  [ -z "$unit_ran" ] || while IFS= read -r test; do known+=("unit"$'\t'"$test"); done < <(unit_tests)
  report "$matrix" "${known[@]}"
fi
echo "Mutants: $caught of $total caught, $missed missed, $timeouts timed out, $errors errors, $stale stale or not building"
[ "$caught" -eq "$total" ]
