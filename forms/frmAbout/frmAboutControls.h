#pragma once
// The About dialog's control ids, by which the end-to-end driver finds its controls too. Its OK
// button has Windows' own IDOK, so that Enter reaches it.
enum AboutControl {
    IconPicture = 201,  // picIcon
    SysInfoButton,      // cmdSysInfo
    DescriptionLabel,   // lblDescription
    DisclaimerLabel,    // lblDisclaimer
    TitleLabel,         // lblTitle
    VersionLabel,       // lblVersion
    CreditLabel,        // Label1
};
