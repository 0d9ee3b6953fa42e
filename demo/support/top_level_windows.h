// The search of top-level windows that the programs driving the session manager window share.
#pragma once

#include <windows.h>

#include <functional>

// The first top-level window that fnMatch accepts: among the windows of the thread dwThreadId, or
// among all of them when it is 0. Null when none does.
HWND FindTopLevelWindow(const std::function<bool(HWND)>& fnMatch, DWORD dwThreadId = 0);

// Whether the window is a dialog of the system's dialog class (#32770), as message boxes and the
// product's dialogs are.
bool IsDialogClass(HWND hWnd);
