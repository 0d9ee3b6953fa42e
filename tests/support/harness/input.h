// User input for window tests, delivered as the messages the system would deliver.
//
// Mouse and key messages are posted, never sent, so they travel through the thread's queue and
// whatever loop runs it: a modal dialog's IsDialogMessage, a control's own tracking loop, a
// pre-translation hook. Before each mouse message the cursor is put on the point, so that
// GetCursorPos and GetMessagePos agree with the coordinates the message carries.
//
// Every function pumps the calling thread's messages until the input has been handled. When
// handling it opens a modal dialog or a message box, the call returns only after that has been
// closed, so queue its answer first (CMessageBoxResponder).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Handles the messages of the calling thread for the given time, and at least those already
// queued. A posted WM_QUIT is left in the queue and ends the pumping.
void PumpMessages(DWORD nMilliseconds);

// Pumps messages until the predicate holds or the time is up; returns the predicate's last value.
bool WaitFor(std::function<bool()> fnPredicate, DWORD nTimeoutMs);

// How PumpMessages pre-translates, as the program's own message loop would: the filter is offered
// each message first and returns true when it consumed it; what it leaves is translated and
// dispatched. Without a filter a message for a dialog window (or its controls) goes to the
// message filter hooks (MSGF_DIALOGBOX) and IsDialogMessage, as in the system's modal dialog
// loop. An empty function removes the filter; main() removes it after every test case.
void SetMessageFilter(std::function<bool(MSG& msg)> fnFilter);

// A mouse click with the left button at a point of the window's client area: the cursor arrives
// (WM_MOUSEMOVE), then button down and up; a double click adds WM_LBUTTONDBLCLK (a second
// WM_LBUTTONDOWN for a class without CS_DBLCLKS) and a second up. All are posted together, which
// also serves controls that wait in a loop of their own for the button to come up.
void Click(HWND hWnd, POINT ptClient, bool bDouble = false);

// The cursor moves to a point of the window's client area. While a window of this thread holds
// the mouse capture, the message goes to it, in its own client coordinates.
void MouseMove(HWND hWnd, POINT ptClient);

// Left-button drag from one client point of the window to another, in several moves. Each
// message is posted only when the previous one has been handled, and once a window has taken the
// capture the moves and the release go to it, so controls that SetCapture on the press, and the
// system's own size and move loops, follow the mouse as they would a real one. The left button
// reads as pressed (GetKeyState) between press and release.
void Drag(HWND hWnd, POINT ptFrom, POINT ptTo);

// Modifier keys held while a key is pressed; they show in GetKeyState and in TranslateMessage.
enum EKeyModifier : UINT
{
    kModShift = 1,
    kModControl = 2,
    kModAlt = 4,
};

// A key press on the window: WM_KEYDOWN then WM_KEYUP (WM_SYSKEYDOWN/UP with Alt), with repeat
// count, scan code, extended and transition bits set as the system sets them. The WM_CHAR of a
// character key comes from the loop's TranslateMessage, as it does for real input.
void PressKey(HWND hWnd, UINT nVirtualKey, UINT nModifiers = 0);

// Text typed into the window: one WM_CHAR per UTF-16 unit, as an input method delivers it.
// Return ('\r' or '\n'), Tab, Backspace and Escape are pressed as keys, so dialogs navigate.
void TypeText(HWND hWnd, const std::wstring& strText);

// Sets the window's outer size, as a user's resize would end, and handles what follows.
void ResizeWindow(HWND hWnd, int cx, int cy);

// Moves the cursor to the screen's bottom-right corner, out of the way of test windows: a window
// that appears under the cursor gets a real mouse move, which a test may not expect. Done before
// every test case.
void ParkCursor();

// The centre of the window's client area, in client coordinates.
POINT ClientCenter(HWND hWnd);
