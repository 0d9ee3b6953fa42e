#include "win/dialog_navigation.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace
{
LONG_PTR Style(HWND hWnd)
{
    return ::GetWindowLongPtrW(hWnd, GWL_STYLE);
}

bool IsTabStop(HWND hWnd)
{
    return (Style(hWnd) & WS_TABSTOP) != 0;
}

bool IsTabControl(HWND hWnd)
{
    wchar_t szClass[32] = L"";
    ::GetClassNameW(hWnd, szClass, 32);
    return _wcsicmp(szClass, WC_TABCONTROLW) == 0;
}

// Every window below hParent that navigation can reach, in the order it meets them: visible and
// enabled ones only, each followed by what it holds when it is a control parent.
void CollectNavigable(HWND hParent, std::vector<HWND>& windows)
{
    for (HWND hChild = ::GetWindow(hParent, GW_CHILD); hChild;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if ((Style(hChild) & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE)
            continue;
        windows.push_back(hChild);
        if (::GetWindowLongPtrW(hChild, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
            CollectNavigable(hChild, windows);
    }
}

// The tab stop after (or before) the given window, wrapping round; the window may be any one
// below the dialog, a tab stop or not. Null when the dialog has no tab stop.
HWND NextDialogTabStop(HWND hDlg, HWND hFrom, bool bPrevious)
{
    std::vector<HWND> windows;
    CollectNavigable(hDlg, windows);
    const std::ptrdiff_t nCount = static_cast<std::ptrdiff_t>(windows.size());

    // The walk starts at the window, or at the nearest of its parents that navigation reaches
    // (a control inside a hidden page starts at the tab control).
    std::ptrdiff_t nFrom = -1;
    for (HWND hWnd = hFrom; hWnd && hWnd != hDlg && nFrom < 0; hWnd = ::GetParent(hWnd))
    {
        const auto found = std::find(windows.begin(), windows.end(), hWnd);
        if (found != windows.end())
            nFrom = found - windows.begin();
    }

    for (std::ptrdiff_t i = 1; i <= nCount; ++i)
    {
        std::ptrdiff_t k = 0;
        if (nFrom < 0)
            k = bPrevious ? nCount - i : i - 1;
        else
            k = bPrevious ? (nFrom - i + nCount) % nCount : (nFrom + i) % nCount;
        if (IsTabStop(windows[static_cast<std::size_t>(k)]))
            return windows[static_cast<std::size_t>(k)];
    }
    return nullptr;
}

// As the dialog manager moves the focus: the default button follows, an edit's text is selected.
void FocusControl(HWND hDlg, HWND hControl)
{
    ::SendMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hControl), TRUE);
}

// The user works with the keyboard: focus rectangles are to be shown from now on.
void ShowFocusCues(HWND hDlg)
{
    ::SendMessageW(hDlg, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

UINT DialogCode(const MSG& msg)
{
    return static_cast<UINT>(
        ::SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
}

bool MoveFocusInTabOrder(HWND hDlg, const MSG& msg, bool bPrevious)
{
    if (DialogCode(msg) & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
        return false;
    // Cues first: the control that gets the focus paints with them.
    ShowFocusCues(hDlg);
    if (const HWND hNext = NextDialogTabStop(hDlg, ::GetFocus(), bPrevious))
        FocusControl(hDlg, hNext);
    return true;
}

// The tab control whose page holds the focus, else the dialog's first one that takes part.
HWND TabControlToSwitch(HWND hDlg, HWND hFocus)
{
    for (HWND hWnd = hFocus; hWnd && hWnd != hDlg; hWnd = ::GetParent(hWnd))
    {
        if (IsTabControl(hWnd))
            return hWnd;
    }
    std::vector<HWND> windows;
    CollectNavigable(hDlg, windows);
    const auto found = std::find_if(windows.begin(), windows.end(), IsTabControl);
    return found == windows.end() ? nullptr : *found;
}

bool SwitchPage(HWND hDlg, bool bPrevious)
{
    const HWND hFocus = ::GetFocus();
    const HWND hTabs = TabControlToSwitch(hDlg, hFocus);
    if (!hTabs)
        return false;
    ShowFocusCues(hDlg);
    const int nCount = TabCtrl_GetItemCount(hTabs);
    if (nCount > 1)
    {
        const bool bFocusOnPage = hFocus && ::IsChild(hTabs, hFocus);
        const int nSelected = TabCtrl_GetCurSel(hTabs);
        const int nNext = nSelected < 0 ? 0 : (nSelected + (bPrevious ? nCount - 1 : 1)) % nCount;
        // Selects the tab with the notifications a click sends, so the pages follow.
        TabCtrl_SetCurFocus(hTabs, nNext);

        // A focus that was on the page goes to the new page's first control (or the tab strip);
        // one on the tab strip or a button of the dialog stays.
        const HWND hNow = ::GetFocus();
        if (bFocusOnPage || !hNow || !::IsWindowVisible(hNow))
        {
            HWND hFirst = NextDialogTabStop(hDlg, hTabs, false);
            if (!hFirst || !::IsChild(hTabs, hFirst))
                hFirst = hTabs;
            FocusControl(hDlg, hFirst);
        }
    }
    return true;
}

// Enter presses the push button that has the focus, wherever it sits: its own parent hears of
// it. Anywhere else it presses the dialog's default button, unless that is disabled.
bool PressEnter(HWND hDlg, const MSG& msg)
{
    const UINT nCode = DialogCode(msg);
    if (nCode & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
        return false;
    if ((nCode & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && ::IsWindowEnabled(msg.hwnd))
    {
        ::SendMessageW(::GetParent(msg.hwnd), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(msg.hwnd), BN_CLICKED),
                       reinterpret_cast<LPARAM>(msg.hwnd));
        return true;
    }
    const LRESULT nDefault = ::SendMessageW(hDlg, DM_GETDEFID, 0, 0);
    const int nId = HIWORD(nDefault) == DC_HASDEFID ? LOWORD(nDefault) : IDOK;
    const HWND hButton = ::GetDlgItem(hDlg, nId);
    if (hButton && !::IsWindowEnabled(hButton))
        return true;
    ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(hButton));
    return true;
}
} // namespace

bool TranslateDialogNavigationKey(HWND hDlg, const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || (msg.hwnd != hDlg && !::IsChild(hDlg, msg.hwnd)))
        return false;
    // Alt with Control is how some keyboards type characters: those are not navigation.
    if (::GetKeyState(VK_MENU) < 0)
        return false;
    const bool bControl = ::GetKeyState(VK_CONTROL) < 0;
    const bool bShift = ::GetKeyState(VK_SHIFT) < 0;
    switch (msg.wParam)
    {
    case VK_TAB:
        return bControl ? SwitchPage(hDlg, bShift) : MoveFocusInTabOrder(hDlg, msg, bShift);
    case VK_NEXT:
    case VK_PRIOR:
        return bControl && SwitchPage(hDlg, msg.wParam == VK_PRIOR);
    case VK_RETURN:
        return !bControl && PressEnter(hDlg, msg);
    default:
        return false;
    }
}
