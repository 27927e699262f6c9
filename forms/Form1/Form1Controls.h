#pragma once
// The main window's control ids, by which the end-to-end driver finds its controls too.
// From 101, clear of IDOK and IDCANCEL, which the keyboard handling sends for Enter and Esc.
// Each control's click handler keeps the control's old name, given after it.
enum Form1Control {
    Method1Button = 101,  // Command1
    HostsView,            // Text1
    FileLabel,            // Label1: "Файл"
    Method2Button,        // Command2
    AboutButton,          // Command3
    Method3Button,        // Command4
    AdvertLink,           // Label3: the advertising label
    HostsLink,            // Label2: "hosts:"
};
