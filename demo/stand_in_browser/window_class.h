// The classes of the stand-in's own windows: an arrow cursor, and a system colour behind.
#pragma once

#include <windows.h>

inline bool RegisterStandInClass(const wchar_t* pszName, WNDPROC pfnProc, int nBackgroundColour)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = pfnProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(nBackgroundColour + 1));
    wc.lpszClassName = pszName;
    return RegisterClassExW(&wc) != 0;
}
