#include "controls/size_grip.h"

#include "win/gdi.h"
#include "win/module.h"

BOOL CSizeGrip::PreCreateWindow(CREATESTRUCTW& cs)
{
    m_cxGrip = ::GetSystemMetrics(SM_CXVSCROLL);
    m_cyGrip = ::GetSystemMetrics(SM_CYHSCROLL);
    cs.cx = m_cxGrip;
    cs.cy = m_cyGrip;
    return TRUE;
}

BOOL CSizeGrip::Create(CWnd* pParent)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTW cs{};
    cs.lpszClass = L"SCROLLBAR";
    cs.style = WS_CHILD | WS_CLIPSIBLINGS | SBS_SIZEGRIP;
    cs.cx = m_cxGrip;
    cs.cy = m_cyGrip;
    cs.hwndParent = pParent ? pParent->m_hWnd : nullptr;
    cs.hInstance = ModuleInstance();
    if (!PreCreateWindow(cs))
        return FALSE;
    const HWND hWnd =
        ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx,
                          cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, nullptr);
    if (!hWnd)
        return FALSE;
    // The system's class owns the procedure; the grip's own answers come through subclassing.
    // The window is ours all the same and goes with the object.
    SubclassWindow(hWnd);
    m_bOwnsWindow = true;
    ApplyTriangularRegion();
    Reposition();
    return TRUE;
}

void CSizeGrip::Reposition()
{
    if (!m_hWnd)
        return;
    RECT rect{};
    ::GetClientRect(::GetParent(m_hWnd), &rect);
    SetWindowPos(HWND_BOTTOM, rect.right - m_cxGrip, rect.bottom - m_cyGrip, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    // Painted afresh: its old pixels may be carried into an area the parent is about to paint
    // over, when it grows and does not clip its children.
    Invalidate();
}

void CSizeGrip::ApplyTriangularRegion()
{
    if (!m_hWnd)
        return;
    RECT rect{};
    GetWindowRect(&rect);
    const int w = RectWidth(rect);
    const int h = RectHeight(rect);
    const POINT points[] = {{0, h}, {w, h}, {w, 0}};
    CRgn region(::CreatePolygonRgn(points, ARRAYSIZE(points), WINDING));
    if (region && ::SetWindowRgn(m_hWnd, region, IsWindowVisible()))
        region.Release(); // the window owns it now
}

void CSizeGrip::OnGripSettingChange()
{
    const int cxOld = m_cxGrip;
    const int cyOld = m_cyGrip;
    m_cxGrip = ::GetSystemMetrics(SM_CXVSCROLL);
    m_cyGrip = ::GetSystemMetrics(SM_CYHSCROLL);

    // The bottom-right corner stays where it is; the grip grows or shrinks towards the top left.
    RECT rect{};
    GetWindowRect(&rect);
    rect.left += cxOld - m_cxGrip;
    rect.top += cyOld - m_cyGrip;
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
    MoveWindow(rect, TRUE);
    // Shaped after the move, from the new size: a triangle cut for the old square would leave
    // part of a larger grip without its corner.
    ApplyTriangularRegion();
}

void CSizeGrip::SizeParent(UINT nHitTest, LPARAM lScreenPoint)
{
    // The window's own sizing of a sizing border would size the grip itself (Wine does), so the
    // drag is handed to the dialog as the size command of its corner.
    const HWND hParent = ::GetParent(m_hWnd);
    if (!(::GetWindowLongW(hParent, GWL_STYLE) & WS_THICKFRAME) || ::IsZoomed(hParent))
        return;
    const WPARAM nCorner = nHitTest == HTBOTTOMLEFT ? WMSZ_BOTTOMLEFT : WMSZ_BOTTOMRIGHT;
    ::SendMessageW(hParent, WM_SYSCOMMAND, SC_SIZE + nCorner, lScreenPoint);
}

void CSizeGrip::RefuseFocus(HWND hOld)
{
    const HWND hParent = ::GetParent(m_hWnd);
    HWND hNext = (hOld && hOld != m_hWnd && ::IsChild(hParent, hOld)) ? hOld : nullptr;
    if (!hNext)
        hNext = ::GetNextDlgTabItem(hParent, nullptr, FALSE);
    if (hNext && hNext != m_hWnd)
        ::SetFocus(hNext);
}

LRESULT CSizeGrip::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg)
    {
    case WM_SETTINGCHANGE:
        OnGripSettingChange();
        return CScrollBar::WindowProc(nMsg, wParam, lParam);
    case WM_NCHITTEST:
        // A sizing border: the diagonal cursor, and a drag sizes the dialog from this corner.
        return (GetExStyle() & WS_EX_LAYOUTRTL) ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
    case WM_NCLBUTTONDOWN:
        if (wParam == HTBOTTOMRIGHT || wParam == HTBOTTOMLEFT)
        {
            SizeParent(static_cast<UINT>(wParam), lParam);
            return 0;
        }
        return CScrollBar::WindowProc(nMsg, wParam, lParam);
    case WM_GETDLGCODE:
        // Keyboard navigation passes over a static.
        return DLGC_STATIC;
    case WM_SETFOCUS:
        // Some dialog managers (Wine's) move the arrow keys' focus onto statics all the same: the
        // grip hands the focus straight back.
        RefuseFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    default:
        return CScrollBar::WindowProc(nMsg, wParam, lParam);
    }
}
