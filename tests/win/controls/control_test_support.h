// What the control tests share: a host dialog made from one of their templates and shown on the
// screen, and the rectangle and pixel readings their checks are made of.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "demo/support/screenshot.h"
#include "tests/support/harness/input.h"
#include "tests/support/harness/pre_translate_chain.h"
#include "tests/win/controls/controls_test_ids.h"
#include "win/dialog.h"

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
    CWnd* ItemObject(int nId) const { return CWnd::FromHandle(Item(nId)); }
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

// Pixels of a rectangle of the window's client area that the predicate picks, read from one
// picture taken after pending paints.
inline int CountPixels(HWND hWnd, RECT rect, const std::function<bool(COLORREF)>& fnWanted)
{
    CRgbImage image;
    if (!CaptureWindow(hWnd, image))
    {
        ADD_FAILURE() << "no picture of the window";
        return 0;
    }
    RECT rcWindow{};
    ::GetWindowRect(hWnd, &rcWindow);
    POINT ptClient{0, 0};
    ::ClientToScreen(hWnd, &ptClient);
    ::OffsetRect(&rect, ptClient.x - rcWindow.left, ptClient.y - rcWindow.top);
    int nCount = 0;
    for (int y = std::max(0, static_cast<int>(rect.top)); y < std::min(image.nHeight, static_cast<int>(rect.bottom)); ++y)
        for (int x = std::max(0, static_cast<int>(rect.left)); x < std::min(image.nWidth, static_cast<int>(rect.right)); ++x)
            nCount += fnWanted(image.At(x, y)) ? 1 : 0;
    return nCount;
}

inline std::function<bool(COLORREF)> Is(COLORREF crWanted)
{
    return [crWanted](COLORREF cr) { return cr == crWanted; };
}

// Text and lines drawn in black or near it.
inline bool IsDark(COLORREF cr)
{
    return GetRValue(cr) + GetGValue(cr) + GetBValue(cr) < 200;
}
