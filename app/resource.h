#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDI_APP 1
#define IDI_BUTTON_P 2
#define IDI_QUESTION_MARK 3
#define IDC_HAND_H 4
