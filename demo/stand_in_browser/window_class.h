// The classes of the stand-in's own windows: an arrow cursor, and a system colour behind; and the
// object each window belongs to, given as the creation parameter.
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

// The object the window belongs to, kept in its user data from WM_NCCREATE on; null before.
template <typename T> T* WindowObject(HWND hWnd, UINT nMsg, LPARAM lParam)
{
    if (nMsg == WM_NCCREATE)
    {
        const auto* pCreate = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}
