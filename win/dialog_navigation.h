// Keyboard navigation of a dialog whose controls sit in nested windows (pages of a tab control,
// containers of compound controls): the dialog that runs the loop walks every control parent
// below it as one tab order, so that Tab reaches the page's controls, the tab strip and the
// dialog's own buttons alike. The system's dialog manager does the rest (Escape, arrows,
// mnemonics), which it already does across control parents.
#pragma once

#include <windows.h>

// Handles the dialog's own keys for a key message meant for it or one of its windows:
//  - Tab and Shift+Tab: the next or previous tab stop, in the children's z-order, each child
//    followed by what it holds when it is a control parent; hidden and disabled windows, and
//    whatever they hold, take no part;
//  - Control with Tab, Shift+Tab, Page Down or Page Up: the next or previous page of the tab
//    control that holds the focus, else of the dialog's first;
//  - Enter: the focused push button, else the dialog's default button.
// False for every other message, and where the focused control asks for the key itself.
bool TranslateDialogNavigationKey(HWND hDlg, const MSG& msg);
