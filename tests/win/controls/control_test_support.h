// What the control tests share: a host dialog made from one of their templates and shown on the
// screen, and the rectangle and pixel readings their checks are made of.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "controls_test_ids.h"
#include "dialog.h"
#include "harness/input.h"
#include "harness/screenshot.h"

// A modeless dialog of a test template, kept on the screen where its pixels can be read.
class CHostDialog : public CDialog
{
public:
    explicit CHostDialog(UINT nTemplate) : CDialog(nTemplate) {}

    bool Open()
    {
        if (!Create(m_nIdTemplate, nullptr))
            return false;
        SetWindowPos(HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        PumpMessages(50);
        return true;
    }

    HWND Item(int nId) const { return ::GetDlgItem(m_hWnd, nId); }
    CWnd* ItemObject(int nId) const { return GetDlgItem(nId); }
};

// A window's rectangle in its parent's client area.
inline RECT ChildRect(HWND hWnd)
{
    RECT rect{};
    ::GetWindowRect(hWnd, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline std::string Describe(const RECT& rect)
{
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " + std::to_string(rect.right) +
           ", " + std::to_string(rect.bottom) + ")";
}

// Pixels of the window's client rectangle, read back after pending paints, that the predicate
// picks.
inline int CountPixels(HWND hWnd, const RECT& rect, const std::function<bool(COLORREF)>& fnWanted)
{
    int nCount = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            nCount += fnWanted(PixelAt(hWnd, POINT{x, y})) ? 1 : 0;
    return nCount;
}

// Text and lines drawn in black or near it.
inline bool IsDark(COLORREF cr)
{
    return GetRValue(cr) + GetGValue(cr) + GetBValue(cr) < 200;
}
