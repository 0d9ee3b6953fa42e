#include "controls/control_anchor_helper.h"

#include "base/throw_if.h"
#include "controls/get_child_windows.h"

namespace
{
// One axis: stretched between both edges, carried along with the far edge alone, or left alone.
void AnchorSpan(int nNear, int nFar, int nDelta, int& nPos, int& nSize)
{
    if (nFar != 1)
        return;
    if (nNear == 1)
        nSize += nDelta;
    else
        nPos += nDelta;
}

// A move copies the control's old picture and leaves the parent to paint what it uncovered. A
// parent without WS_CLIPCHILDREN then paints over a control that moved into the part the resize
// uncovered, and a control that does not fill its rectangle (a group box) keeps the old picture
// inside it. Both places are painted again, the parent first and the controls over it.
void RedrawMovedControl(HWND hWnd, const RECT& rectBefore)
{
    const HWND hParent = ::GetParent(hWnd);
    if (!hParent)
        return;
    RECT rectAfter{};
    ::GetWindowRect(hWnd, &rectAfter);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rectAfter), 2);
    if (::EqualRect(&rectBefore, &rectAfter))
        return;
    RECT rectDirty{};
    ::UnionRect(&rectDirty, &rectBefore, &rectAfter);
    ::RedrawWindow(hParent, &rectDirty, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

CControlBounds BoundsInParent(HWND hWnd)
{
    const POINT pt = GetPositionInParent(CWnd::FromHandle(hWnd));
    RECT rect{};
    ::GetWindowRect(hWnd, &rect);
    return CControlBounds{pt.x, pt.y, RectWidth(rect), RectHeight(rect)};
}

// Puts the control there (moved all the same when it is there already) and remembers where the
// window system put it.
void PlaceControl(CControlAnchor& anchor, const CControlBounds& current, const CControlBounds& target)
{
    ::MoveWindow(anchor.hWndControl, target.x, target.y, target.nWidth, target.nHeight, TRUE);
    RedrawMovedControl(anchor.hWndControl,
                       RECT{current.x, current.y, current.x + current.nWidth, current.y + current.nHeight});
    anchor.placed = BoundsInParent(anchor.hWndControl);
    anchor.bPlaced = true;
}
}  // namespace

CControlBounds AnchorControl(const CControlAnchor& anchor, const CControlBounds& bounds, int dx, int dy)
{
    CControlBounds result = bounds;
    if (anchor.fixed == 1)
        return result;
    AnchorSpan(anchor.left, anchor.right, dx, result.x, result.nWidth);
    AnchorSpan(anchor.top, anchor.bottom, dy, result.y, result.nHeight);
    return result;
}

CControlBounds AnchoredBounds(const CControlAnchor& anchor, int nWidth, int nHeight)
{
    return AnchorControl(anchor, anchor.base, nWidth - anchor.nBaseWidth, nHeight - anchor.nBaseHeight);
}

void SetAnchorBase(CControlAnchor& anchor, const CControlBounds& bounds, int nWidth, int nHeight)
{
    anchor.base = bounds;
    anchor.nBaseWidth = nWidth;
    anchor.nBaseHeight = nHeight;
}

CControlBounds FollowParentSize(CControlAnchor& anchor, const CControlBounds& current, int nLastWidth,
                                int nLastHeight, int nWidth, int nHeight)
{
    if (!anchor.bPlaced || current != anchor.placed)
        SetAnchorBase(anchor, current, nLastWidth, nLastHeight);
    return AnchoredBounds(anchor, nWidth, nHeight);
}

POINT GetPositionInParent(const CWnd* pWnd)
{
    POINT pt{0, 0};
    const HWND hWnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
    const HWND hParent = hWnd ? ::GetParent(hWnd) : nullptr;
    if (!hParent)
        return pt;
    RECT rect{};
    ::GetWindowRect(hWnd, &rect);
    pt = {rect.left, rect.top};
    ::ScreenToClient(hParent, &pt);
    return pt;
}

CControlAnchorHelper::CControlAnchorHelper(CWnd* pParentWnd) : m_pParentWnd(pParentWnd)
{
    ThrowIfNull(pParentWnd, "CControlAnchorHelper::ctor() - pParentWnd is NULL");
}

CControlAnchorHelper::~CControlAnchorHelper()
{
    Clear();
}

void CControlAnchorHelper::InitializeAnchors()
{
    GetChildWindows childWindows(m_pParentWnd);
    const std::list<CWnd*>& children = childWindows.GetList();
    ThrowIf(children.empty(), "CControlAnchorHelper::InitializeAnchors() - childWindows.size() is invalid");
    for (CWnd* pChild : children)
        m_anchors.push_back(CControlAnchor{pChild, 0, 1, 0, 1, 0, pChild->GetSafeHwnd()});
}

void CControlAnchorHelper::SetAnchor(CWnd* pWndControl, int fixed, int left, int right, int top, int bottom)
{
    ThrowIfNull(pWndControl, "CControlAnchorHelper::SetAnchor() - pWndControl is NULL");
    const HWND hWnd = pWndControl->GetSafeHwnd();
    for (CControlAnchor& anchor : m_anchors)
    {
        if (anchor.pWndControl != pWndControl && !(hWnd && anchor.hWndControl == hWnd))
            continue;
        anchor.pWndControl = pWndControl;
        anchor.fixed = fixed;
        anchor.left = left;
        anchor.right = right;
        anchor.top = top;
        anchor.bottom = bottom;
        return;
    }
    ThrowIf(true, "CControlAnchorHelper::SetAnchor() - target control was never found");
}

void CControlAnchorHelper::OnParentSize(int nWidth, int nHeight)
{
    if (m_anchors.empty())
        return;
    if (!m_bInitialized)
    {
        m_bInitialized = true;
        m_nLastWidth = nWidth;
        m_nLastHeight = nHeight;
        for (CControlAnchor& anchor : m_anchors)
        {
            if (!::IsWindow(anchor.hWndControl))
                continue;
            anchor.placed = BoundsInParent(anchor.hWndControl);
            anchor.bPlaced = true;
            SetAnchorBase(anchor, anchor.placed, nWidth, nHeight);
        }
        return;
    }

    for (CControlAnchor& anchor : m_anchors)
    {
        if (anchor.fixed == 1)
            continue;
        // A child destroyed since initialisation has nothing left to move.
        if (!::IsWindow(anchor.hWndControl))
            continue;
        anchor.pWndControl = CWnd::FromHandle(anchor.hWndControl);
        const CControlBounds current = BoundsInParent(anchor.hWndControl);
        PlaceControl(anchor, current,
                     FollowParentSize(anchor, current, m_nLastWidth, m_nLastHeight, nWidth, nHeight));
    }
    m_nLastWidth = nWidth;
    m_nLastHeight = nHeight;
}

bool CControlAnchorHelper::MoveAnchoredControl(HWND hWnd, int dx, int dy, int dcx, int dcy)
{
    if (!m_bInitialized || !hWnd || !::IsWindow(hWnd))
        return false;
    for (CControlAnchor& anchor : m_anchors)
    {
        if (anchor.hWndControl != hWnd)
            continue;
        if (anchor.fixed == 1)
            return false;
        const CControlBounds current = BoundsInParent(hWnd);
        // Rebased at the present size when someone else moved it, so no later size undoes that.
        FollowParentSize(anchor, current, m_nLastWidth, m_nLastHeight, m_nLastWidth, m_nLastHeight);
        anchor.base.x += dx;
        anchor.base.y += dy;
        anchor.base.nWidth += dcx;
        anchor.base.nHeight += dcy;
        PlaceControl(anchor, current, AnchoredBounds(anchor, m_nLastWidth, m_nLastHeight));
        return true;
    }
    return false;
}

void CControlAnchorHelper::Clear()
{
    m_anchors.clear();
    m_bInitialized = false;
    m_nLastWidth = 0;
    m_nLastHeight = 0;
}
