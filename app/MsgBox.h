#pragma once
// The one modal message operation every message of the program goes through.
#include <string_view>

// Style values are those of the Windows message-box call, summed: buttons + icon.
enum MsgStyle : unsigned {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbCritical = 16,
    vbInformation = 64,
};

enum class Answer { Ok = 1, Yes = 6, No = 7 };

class MessageBoxUi {
public:
    virtual ~MessageBoxUi() = default;
    // An empty title shows the application title.
    virtual Answer MsgBox(std::wstring_view prompt, unsigned style, std::wstring_view title) = 0;
};
