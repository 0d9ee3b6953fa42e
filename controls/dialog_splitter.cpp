#include "controls/dialog_splitter.h"

#include <algorithm>
#include <climits>

#include "controls/control_anchor_helper.h"
#include "win/gdi.h"
#include "win/module.h"

namespace
{
// One cache for every splitter of the process; used on the user-interface thread only. Its last
// cursor lives as long as the process.
CSplitCursorCache g_splitCursorCache;

// The window's rectangle on the screen; false when there is no window to measure.
bool GetScreenRect(const CWnd* pWnd, RECT* pRect)
{
    if (!pWnd || !pWnd->m_hWnd)
        return false;
    pWnd->GetWindowRect(pRect);
    return true;
}

// The window's rectangle in its parent's client coordinates.
RECT GetRectInParent(const CWnd& wnd)
{
    RECT rect{};
    wnd.GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, ::GetParent(wnd.m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

bool IsVerticalSplitter(const RECT& rectBarWindow)
{
    return RectWidth(rectBarWindow) <= RectHeight(rectBarWindow);
}

int SplitterKeyStep(int nCentre, int nStep, int nLow, int nHigh)
{
    if (nStep < 0)
        return std::min(0, std::max(nStep, nLow - nCentre));
    return std::max(0, std::min(nStep, nHigh - nCentre));
}

bool IsWithinSplitterLimits(bool bVertical, POINT ptScreen, const RECT* pFirstScreen,
                            const RECT* pSecondScreen)
{
    const int nLimit = CDialogSplitter::kMinControlExtent;
    if (bVertical)
    {
        if (pFirstScreen && ptScreen.x < pFirstScreen->left + nLimit)
            return false;
        if (pSecondScreen && ptScreen.x > pSecondScreen->right - nLimit)
            return false;
    }
    else
    {
        if (pFirstScreen && ptScreen.y < pFirstScreen->top + nLimit)
            return false;
        if (pSecondScreen && ptScreen.y > pSecondScreen->bottom - nLimit)
            return false;
    }
    return true;
}

HCURSOR LoadSplitCursor(UINT nId, bool* pbOwned)
{
    *pbOwned = false;
    const HINSTANCE hModule = ModuleInstance();
    if (::FindResourceW(hModule, MAKEINTRESOURCEW(nId), RT_GROUP_CURSOR))
    {
        // Not shared, so that it can be destroyed when another cursor replaces it.
        const HCURSOR hCursor = static_cast<HCURSOR>(
            ::LoadImageW(hModule, MAKEINTRESOURCEW(nId), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
        *pbOwned = hCursor != nullptr;
        return hCursor;
    }
    // The module has no split cursors of its own: the system's resize cursors stand in. They are
    // shared and never destroyed.
    return ::LoadCursorW(nullptr,
                         nId == CDialogSplitter::kIdSplitCursorWE ? IDC_SIZEWE : IDC_SIZENS);
}

bool ShowSplitCursor(CSplitCursorCache& cache, UINT nId, PfnLoadSplitCursor pfnLoad)
{
    if (cache.nId == nId && cache.hCursor)
    {
        ::SetCursor(cache.hCursor);
        return true;
    }
    bool bOwned = false;
    const HCURSOR hCursor = pfnLoad(nId, &bOwned);
    // A failed load keeps the cursor held: forgetting it would leak it, and the id kept beside
    // empty handles would later show no cursor at all.
    if (!hCursor)
        return false;
    const HCURSOR hOld = cache.hToDestroy;
    cache.nId = nId;
    cache.hCursor = hCursor;
    cache.hToDestroy = bOwned ? hCursor : nullptr;
    ::SetCursor(hCursor);
    if (hOld && hOld != hCursor)
        ::DestroyCursor(hOld);
    return true;
}

void CDialogSplitter::AttachControls(CWnd* pFirstWnd, CWnd* pSecondWnd)
{
    m_pFirstWnd = pFirstWnd;
    m_pSecondWnd = pSecondWnd;
    RECT rect{};
    GetWindowRect(&rect);
    m_bVertical = IsVerticalSplitter(rect);
    // The keyboard reaches the bar too.
    ModifyStyle(0, WS_TABSTOP);
}

BOOL CDialogSplitter::OnSetCursor(HWND hWnd, UINT nHitTest, UINT /*nMsg*/)
{
    if (hWnd != m_hWnd || nHitTest != HTCLIENT)
        return TRUE;
    if (!ShowSplitCursor(g_splitCursorCache, m_bVertical ? kIdSplitCursorWE : kIdSplitCursorNS))
        return static_cast<BOOL>(Default());
    return TRUE;
}

void CDialogSplitter::OnLButtonDown(UINT /*nFlags*/, POINT pt)
{
    Default();
    m_bDragging = true;
    m_ptAnchor = pt;
    ::SetCapture(m_hWnd);
}

void CDialogSplitter::OnMouseMove(UINT /*nFlags*/, POINT pt)
{
    if (!m_bDragging)
    {
        Default();
        return;
    }
    MoveSplitter(pt.x, pt.y, pt.x - m_ptAnchor.x, pt.y - m_ptAnchor.y);
}

void CDialogSplitter::OnLButtonUp(UINT /*nFlags*/, POINT /*pt*/)
{
    if (m_bDragging)
    {
        m_bDragging = false;
        ::ReleaseCapture();
    }
    Default();
}

void CDialogSplitter::OnCaptureChanged(HWND hNew)
{
    // Another window took the mouse (a menu, a message box, a switch of application): the button
    // will come up elsewhere, so the drag ends here instead of following a mouse with no button.
    if (hNew != m_hWnd)
        m_bDragging = false;
    Default();
}

void CDialogSplitter::MoveSplitter(int x, int y, int dx, int dy)
{
    if (m_bVertical)
        dy = 0;
    else
        dx = 0;

    POINT ptScreen{x, y};
    ClientToScreen(&ptScreen);
    RECT rectFirst{};
    RECT rectSecond{};
    const bool bHasFirst = GetScreenRect(m_pFirstWnd, &rectFirst);
    const bool bHasSecond = GetScreenRect(m_pSecondWnd, &rectSecond);
    if (!IsWithinSplitterLimits(m_bVertical, ptScreen, bHasFirst ? &rectFirst : nullptr,
                                bHasSecond ? &rectSecond : nullptr))
        return;

    // The grab point stays under the mouse.
    m_ptAnchor = POINT{x - dx, y - dy};
    MoveBarAndControls(dx, dy);
}

void CDialogSplitter::MoveBarAndControls(int dx, int dy)
{
    // The first control keeps its top-left corner and grows; the second moves and shrinks by as
    // much.
    MoveControl(m_pFirstWnd, 0, 0, dx, dy);
    MoveControl(m_pSecondWnd, dx, dy, -dx, -dy);
    MoveControl(this, dx, dy, 0, 0);
    // The bar's old pixels are carried along, but the parent, which need not clip its children,
    // may then paint its background over them where the controls uncovered it.
    Invalidate();
}

void CDialogSplitter::MoveControl(CWnd* pWnd, int dx, int dy, int dcx, int dcy)
{
    if (!pWnd || !pWnd->m_hWnd)
        return;
    if (m_pAnchorHelper && m_pAnchorHelper->MoveAnchoredControl(pWnd->m_hWnd, dx, dy, dcx, dcy))
        return;
    const RECT rect = GetRectInParent(*pWnd);
    const UINT nFlags = dcx == 0 && dcy == 0 ? SWP_NOSIZE | SWP_NOZORDER : SWP_NOZORDER;
    pWnd->SetWindowPos(nullptr, rect.left + dx, rect.top + dy, RectWidth(rect) + dcx, RectHeight(rect) + dcy,
                       nFlags);
}

UINT CDialogSplitter::OnGetDlgCode()
{
    // The arrow keys move the bar instead of the focus; Tab and the rest stay the dialog's.
    return DLGC_WANTARROWS;
}

void CDialogSplitter::OnKeyDown(UINT nChar, UINT /*nRepeat*/, UINT /*nFlags*/)
{
    const UINT nBack = m_bVertical ? VK_LEFT : VK_UP;
    const UINT nOn = m_bVertical ? VK_RIGHT : VK_DOWN;
    if ((nChar != nBack && nChar != nOn) || m_bDragging)
    {
        Default();
        return;
    }

    // The same limits as for the mouse, as if the bar were held at its centre.
    RECT rectBar{};
    GetWindowRect(&rectBar);
    RECT rectFirst{};
    RECT rectSecond{};
    const bool bHasFirst = GetScreenRect(m_pFirstWnd, &rectFirst);
    const bool bHasSecond = GetScreenRect(m_pSecondWnd, &rectSecond);
    const int nLimit = kMinControlExtent;
    int nCentre = 0;
    int nLow = 0;
    int nHigh = 0;
    if (m_bVertical)
    {
        nCentre = rectBar.left + RectWidth(rectBar) / 2;
        nLow = bHasFirst ? rectFirst.left + nLimit : INT_MIN / 2;
        nHigh = bHasSecond ? rectSecond.right - nLimit : INT_MAX / 2;
    }
    else
    {
        nCentre = rectBar.top + RectHeight(rectBar) / 2;
        nLow = bHasFirst ? rectFirst.top + nLimit : INT_MIN / 2;
        nHigh = bHasSecond ? rectSecond.bottom - nLimit : INT_MAX / 2;
    }
    const int nDelta = SplitterKeyStep(nCentre, nChar == nBack ? -kKeyStep : kKeyStep, nLow, nHigh);
    if (nDelta != 0)
        MoveBarAndControls(m_bVertical ? nDelta : 0, m_bVertical ? 0 : nDelta);
}

void CDialogSplitter::OnSetFocus(HWND /*hOld*/)
{
    Default();
    Invalidate();
}

void CDialogSplitter::OnKillFocus(HWND /*hNew*/)
{
    Default();
    Invalidate();
}

void CDialogSplitter::OnPaint()
{
    CPaintDC dc(m_hWnd);
    RECT rect{};
    GetClientRect(&rect);
    const int w = RectWidth(rect);
    const int h = RectHeight(rect);

    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);

    // A groove: a full-length line down the middle with two shorter ones beside it over the
    // middle third. Each line ends just before its end point.
    CSelectObject pen(dc, ::GetStockObject(DC_PEN));
    const auto line = [&dc](int x0, int y0, int x1, int y1) {
        ::SetDCPenColor(dc, RGB(0, 0, 0));
        ::MoveToEx(dc, x0, y0, nullptr);
        ::LineTo(dc, x1, y1);
    };
    if (m_bVertical)
    {
        const int a = h / 3 + 1;
        line(2, a, 2, 2 * a);
        line(3, 0, 3, h);
        line(4, a, 4, 2 * a);
    }
    else
    {
        const int a = w / 3;
        line(a, 2, 2 * a, 2);
        line(0, 3, w, 3);
        line(a, 4, 2 * a, 4);
    }
    // The keyboard's place, unless the user works with the mouse and the dialog hides focus marks.
    if (::GetFocus() == m_hWnd && !(SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS))
        ::DrawFocusRect(dc, &rect);
}
