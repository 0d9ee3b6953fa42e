#include "controls/column_tree_ctrl.h"

#include <shlwapi.h>

#include <algorithm>

#include "win/gdi.h"
#include "win/module.h"

// --- Scrolling and layout ---------------------------------------------------------------------

int ClampScrollPosition(int nPos, int nTotal, int nVisible)
{
    const int nMax = nTotal - nVisible;
    if (nPos > nMax)
        nPos = nMax;
    return nPos < 0 ? 0 : nPos;
}

int ScrollPositionForCode(UINT nCode, int nPos, int nThumbPos, int nTotal, int nVisible)
{
    switch (nCode)
    {
    case SB_LINELEFT:
        nPos -= kColumnTreeLineScroll;
        break;
    case SB_LINERIGHT:
        nPos += kColumnTreeLineScroll;
        break;
    case SB_PAGELEFT:
        nPos -= nVisible;
        break;
    case SB_PAGERIGHT:
        nPos += nVisible;
        break;
    case SB_THUMBTRACK:
        nPos = nThumbPos;
        break;
    case SB_LEFT:
        nPos = 0;
        break;
    case SB_RIGHT:
        nPos = nTotal - nVisible;
        break;
    default:
        break;
    }
    return ClampScrollPosition(nPos, nTotal, nVisible);
}

CColumnTreeLayout ComputeColumnTreeLayout(int cx, int cy, int nTotalWidth, int nScrollX, bool bVerticalScroll,
                                          int nHeaderHeight, const CColumnTreeMetrics& metrics)
{
    const int vs = bVerticalScroll ? metrics.cxVScroll : 0;
    const int nTotal = nTotalWidth + vs;
    // The tree and header are wider than the view by the scrolled-off part and slide left.
    int x = 0;
    int w = cx;
    if (cx < nTotal)
    {
        x = nScrollX;
        w = cx + x;
    }
    CColumnTreeLayout layout{};
    layout.bShowScrollBar = cx < nTotal && cy >= nHeaderHeight + metrics.cyHScroll;
    const int hs = layout.bShowScrollBar ? metrics.cyHScroll : 0;
    layout.rcHeader = {-x, 0, -x + w - vs, nHeaderHeight};
    layout.rcCornerHeader = {cx - metrics.cxVScroll, 0, cx, nHeaderHeight};
    layout.rcTree = {-x, nHeaderHeight, -x + w - 1, cy - hs - 1};
    layout.rcScrollBar = {0, cy - metrics.cyHScroll, cx - vs, cy};
    layout.bShowCornerHeader = vs != 0;
    return layout;
}

// --- Columns ----------------------------------------------------------------------------------

int FindColumnAt(const int* pWidths, int nCount, int x)
{
    int nLeft = 0;
    for (int i = 0; i < nCount; ++i)
    {
        if (x >= nLeft && x <= nLeft + pWidths[i])
            return i;
        nLeft += pWidths[i];
    }
    return -1;
}

int ColumnLeft(const int* pWidths, int nColumn)
{
    int nLeft = 0;
    for (int i = 0; i < nColumn; ++i)
        nLeft += pWidths[i];
    return nLeft;
}

bool IsCommonControls6()
{
    CLibrary library(::LoadLibraryW(L"comctl32.dll"));
    if (!library)
        return false;
    const auto pfnGetVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library, "DllGetVersion")));
    if (!pfnGetVersion)
        return false;
    DLLVERSIONINFO info{};
    info.cbSize = 20;  // the original record, which every version accepts
    return SUCCEEDED(pfnGetVersion(&info)) && info.dwMajorVersion >= 6;
}

namespace
{
// The first column's narrowest width: a header dragged below it is refused.
const int kMinFirstColumnWidth = 0;

HWND CreateChildControl(const wchar_t* pszClass, DWORD dwStyle, const RECT& rect, HWND hParent, UINT nId)
{
    return ::CreateWindowExW(0, pszClass, nullptr, dwStyle, rect.left, rect.top, RectWidth(rect), RectHeight(rect),
                             hParent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)), ModuleInstance(),
                             nullptr);
}

void AddExStyle(HWND hWnd, DWORD dwExStyle)
{
    if (hWnd)
        ::SetWindowLongPtrW(hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(hWnd, GWL_EXSTYLE) | dwExStyle);
}

void MoveChild(CWnd& child, const RECT& rect)
{
    // An area too small for a child leaves it empty rather than inverted.
    child.MoveWindow(rect.left, rect.top, std::max(0, RectWidth(rect)), std::max(0, RectHeight(rect)), TRUE);
}
}  // namespace

// --- CColumnTreeCtrl --------------------------------------------------------------------------

CColumnTreeCtrl::CColumnTreeCtrl(const CTreeChildBitmaps& bitmaps) : m_treeChild(bitmaps) {}

CColumnTreeCtrl::~CColumnTreeCtrl()
{
    // Teardown while every member is still alive: first the tree child, whose last notifications
    // come here; then the other windows this control made. The placeholder itself belongs to
    // its dialog and is handed back its own procedure by the base class.
    if (m_treeChild.m_hWnd)
        m_treeChild.DestroyWindow();
    for (CWnd* pChild : {static_cast<CWnd*>(&m_header), static_cast<CWnd*>(&m_cornerHeader),
                         static_cast<CWnd*>(&m_horzScrollBar)})
    {
        const HWND hChild = pChild->Detach();
        // Once this window is gone its children are too, and a stale handle may name another.
        if (hChild && m_hWnd && ::IsWindow(hChild) && ::GetParent(hChild) == m_hWnd)
            ::DestroyWindow(hChild);
    }
}

void CColumnTreeCtrl::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    Initialize();
}

void CColumnTreeCtrl::Initialize()
{
    if (m_treeChild.m_hWnd && ::IsWindow(m_treeChild.m_hWnd))
        return;

    RECT rcClient{};
    GetClientRect(&rcClient);
    // Placed by the layout at the end.
    m_treeChild.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_NOHSCROLL | TVS_NOTOOLTIPS, rcClient, this,
                       kIdTreeChild, this);
    m_header.Attach(CreateChildControl(WC_HEADERW, WS_CHILD | WS_VISIBLE | HDS_FULLDRAG | HDS_BUTTONS, rcClient,
                                       m_hWnd, kIdHeader));
    m_cornerHeader.Attach(CreateChildControl(WC_HEADERW, WS_CHILD, rcClient, m_hWnd, kIdCornerHeader));
    m_horzScrollBar.Attach(
        CreateChildControl(WC_SCROLLBARW, WS_CHILD | SBS_HORZ | SBS_BOTTOMALIGN, rcClient, m_hWnd, kIdScrollBar));

    const HFONT hFont = m_treeChild.GetFont();
    m_header.SetFont(hFont, TRUE);
    m_cornerHeader.SetFont(hFont, TRUE);

    // Version 6 draws header texts further in; the columns' texts follow it.
    m_nColumnTextIndent = IsCommonControls6() ? 9 : 6;

    MeasureHeaderHeight();

    m_nScrollX = 0;
    UpdateColumns();

    // Dialog keyboard navigation enters the children.
    for (HWND hWnd : {m_hWnd, m_horzScrollBar.m_hWnd, m_header.m_hWnd, m_cornerHeader.m_hWnd})
        AddExStyle(hWnd, WS_EX_CONTROLPARENT);
}

void CColumnTreeCtrl::MeasureHeaderHeight()
{
    RECT rcClient{};
    GetClientRect(&rcClient);
    WINDOWPOS position{};
    HDLAYOUT layout{&rcClient, &position};
    if (m_header.m_hWnd && m_header.Layout(&layout))
        m_nHeaderHeight = position.cy;
}

int CColumnTreeCtrl::InsertColumn(int nCol, const std::wstring& strHeading, int nFormat, int nWidth)
{
    // Both column arrays hold kMaxColumns entries.
    if (nCol < 0 || nCol >= kMaxColumns || !m_header.m_hWnd || m_header.GetItemCount() >= kMaxColumns)
        return -1;

    HDITEMW item{};
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
    item.cxy = nWidth;
    item.pszText = const_cast<wchar_t*>(strHeading.c_str());
    item.fmt = nFormat;
    const int nIndex = m_header.InsertItem(nCol, item);
    if (nIndex >= 0 && nIndex < kMaxColumns)
    {
        // The header moved the columns after it up by one; their formats follow them.
        std::copy_backward(m_columnFormats + nIndex, m_columnFormats + kMaxColumns - 1, m_columnFormats + kMaxColumns);
        m_columnFormats[nIndex] = nFormat;
    }

    if (m_header.GetItemCount() > 0)
    {
        HDITEMW corner{};
        corner.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
        corner.cxy = ::GetSystemMetrics(SM_CXVSCROLL) + 5;
        corner.pszText = const_cast<wchar_t*>(L"");
        corner.fmt = HDF_LEFT | HDF_STRING;
        m_cornerHeader.InsertItem(0, corner);
    }

    UpdateColumns();
    return nIndex;
}

int CColumnTreeCtrl::GetColumnCount() const
{
    return m_header.m_hWnd ? std::min(m_header.GetItemCount(), kMaxColumns) : 0;
}

int CColumnTreeCtrl::GetColumnWidth(int nColumn) const
{
    return nColumn >= 0 && nColumn < kMaxColumns ? m_columnWidths[nColumn] : 0;
}

int CColumnTreeCtrl::GetColumnFormat(int nColumn) const
{
    return nColumn >= 0 && nColumn < kMaxColumns ? m_columnFormats[nColumn] : 0;
}

void CColumnTreeCtrl::UpdateColumns()
{
    m_nTotalWidth = 0;
    const int nCount = GetColumnCount();
    for (int i = 0; i < nCount; ++i)
    {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        if (!m_header.GetItem(i, &item))
            continue;
        m_columnWidths[i] = item.cxy;
        m_nTotalWidth += item.cxy;
        if (i == 0)
            m_treeChild.SetFirstColumnWidth(item.cxy);
    }
    RepositionControls();
}

bool CColumnTreeCtrl::TreeHasVerticalScrollBar() const
{
    // The tree view hides its scroll bar without emptying the range, so the style tells whether
    // it is there at all.
    if (!(m_treeChild.GetStyle() & WS_VSCROLL))
        return false;
    int nMin = 0;
    int nMax = 0;
    ::GetScrollRange(m_treeChild.m_hWnd, SB_VERT, &nMin, &nMax);
    return nMin != nMax;
}

void CColumnTreeCtrl::RepositionControls()
{
    if (!m_treeChild.m_hWnd)
        return;

    const CColumnTreeMetrics metrics{::GetSystemMetrics(SM_CXVSCROLL), ::GetSystemMetrics(SM_CYHSCROLL)};
    // Moving the tree can make it show or hide its vertical scroll bar, which changes the layout:
    // one more pass then settles it.
    for (int nPass = 0; nPass < 2; ++nPass)
    {
        RECT rcClient{};
        GetClientRect(&rcClient);
        const int cx = RectWidth(rcClient);
        const int cy = RectHeight(rcClient);
        const bool bVerticalScroll = TreeHasVerticalScrollBar();
        const int nTotal = m_nTotalWidth + (bVerticalScroll ? metrics.cxVScroll : 0);

        m_nScrollX = ClampScrollPosition(m_nScrollX, nTotal, cx);
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = nTotal;
        info.nPage = static_cast<UINT>(std::max(0, cx));
        info.nPos = m_nScrollX;
        m_horzScrollBar.SetScrollInfo(info, TRUE);

        const int nPosition = cx < nTotal ? m_horzScrollBar.GetScrollPos() : 0;
        const CColumnTreeLayout layout = ComputeColumnTreeLayout(cx, cy, m_nTotalWidth, nPosition, bVerticalScroll,
                                                                 m_nHeaderHeight, metrics);
        m_horzScrollBar.ShowWindow(layout.bShowScrollBar ? SW_SHOW : SW_HIDE);
        MoveChild(m_header, layout.rcHeader);
        MoveChild(m_cornerHeader, layout.rcCornerHeader);
        MoveChild(m_treeChild, layout.rcTree);
        MoveChild(m_horzScrollBar, layout.rcScrollBar);
        m_cornerHeader.ShowWindow(layout.bShowCornerHeader ? SW_SHOW : SW_HIDE);

        if (TreeHasVerticalScrollBar() == bVerticalScroll)
            break;
    }
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

std::wstring CColumnTreeCtrl::GetItemText(HTREEITEM hItem, int nColumn) const
{
    return GetTabField(m_treeChild.GetFullItemText(hItem), nColumn);
}

void CColumnTreeCtrl::SetItemText(HTREEITEM hItem, int nColumn, const std::wstring& strText)
{
    const int nFieldCount = m_header.m_hWnd ? m_header.GetItemCount() : 0;
    m_treeChild.SetItemText(hItem, ReplaceTabField(m_treeChild.GetFullItemText(hItem), nColumn, strText, nFieldCount));
}

HTREEITEM CColumnTreeCtrl::HitTest(COLUMNTREEHITINFO* pInfo) const
{
    // The tree's client coordinates are content coordinates: it starts at the header's foot and
    // is slid left by the scroll position.
    TVHITTESTINFO treeHit{};
    treeHit.pt = {pInfo->pt.x + m_nScrollX, pInfo->pt.y - m_nHeaderHeight};
    const HTREEITEM hItem = m_treeChild.HitTest(&treeHit);
    pInfo->hItem = hItem;
    pInfo->flags = treeHit.flags;
    pInfo->iSubItem = 0;
    if (!(treeHit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMRIGHT)))
        return hItem;

    const int nColumn = FindColumnAt(m_columnWidths, GetColumnCount(), treeHit.pt.x);
    if (nColumn < 0)
    {
        pInfo->hItem = nullptr;
        pInfo->flags = TVHT_NOWHERE;
        return nullptr;
    }
    pInfo->flags = TVHT_ONITEMLABEL;
    pInfo->iSubItem = nColumn;
    return hItem;
}

HTREEITEM CColumnTreeCtrl::HitTestAtCursor(COLUMNTREEHITINFO* pInfo) const
{
    POINT pt{};
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    pInfo->pt = pt;
    return HitTest(pInfo);
}

LRESULT CColumnTreeCtrl::OnNotify(NMHDR* pNmhdr)
{
    const UINT nCode = pNmhdr->code;
    if (pNmhdr->idFrom == kIdTreeChild && nCode == NM_CUSTOMDRAW)
        return OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(pNmhdr));

    if (pNmhdr->idFrom == kIdHeader)
    {
        if (nCode == HDN_ITEMCHANGINGW)
        {
            // The first column may not become narrower than its minimum.
            const NMHEADERW* pHeader = reinterpret_cast<NMHEADERW*>(pNmhdr);
            HDITEMW* pItem = pHeader->pitem;
            if (pHeader->iItem == 0 && pItem && (pItem->mask & HDI_WIDTH) && pItem->cxy < kMinFirstColumnWidth)
            {
                pItem->cxy = kMinFirstColumnWidth + 1;
                return TRUE;
            }
            return FALSE;
        }
        if (nCode == HDN_ITEMCHANGEDW)
        {
            UpdateColumns();
            m_treeChild.Invalidate(TRUE);
            return 0;
        }
    }

    if (pNmhdr->idFrom == kIdTreeChild)
    {
        if (nCode == TVN_ITEMEXPANDINGW)
            Invalidate(TRUE);
        else if (nCode == TVN_ITEMEXPANDEDW)
            RepositionControls();
    }

    // Everything else reaches the parent as if this control had sent it.
    const HWND hParent = ::GetParent(m_hWnd);
    if (!hParent)
        return 0;
    const HWND hFrom = pNmhdr->hwndFrom;
    const UINT_PTR nFromId = pNmhdr->idFrom;
    pNmhdr->hwndFrom = m_hWnd;
    pNmhdr->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    ::SendMessageW(hParent, WM_NOTIFY, pNmhdr->idFrom, reinterpret_cast<LPARAM>(pNmhdr));
    pNmhdr->hwndFrom = hFrom;
    pNmhdr->idFrom = nFromId;
    return 0;
}

LRESULT CColumnTreeCtrl::OnCustomDraw(NMTVCUSTOMDRAW* pCustomDraw)
{
    switch (pCustomDraw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
        DrawItemTexts(pCustomDraw);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void CColumnTreeCtrl::DrawItemTexts(NMTVCUSTOMDRAW* pCustomDraw)
{
    const RECT& rcRow = pCustomDraw->nmcd.rc;
    if (::IsRectEmpty(&rcRow))
        return;

    const HTREEITEM hItem = reinterpret_cast<HTREEITEM>(pCustomDraw->nmcd.dwItemSpec);
    const HDC hDC = pCustomDraw->nmcd.hdc;
    // Before the saved state, so that the font is deselected before it goes.
    CFont boldFont;
    CSaveDC savedState(hDC);
    // A bold row is bold in every column, as the system's tree shows its label.
    if (m_treeChild.GetItemState(hItem, TVIS_BOLD) & TVIS_BOLD)
    {
        boldFont.Reset(CreateBoldFont(static_cast<HFONT>(::GetCurrentObject(hDC, OBJ_FONT))));
        if (boldFont)
            ::SelectObject(hDC, boldFont);
    }

    RECT rcLabel{};
    m_treeChild.GetItemRect(hItem, &rcLabel, TRUE);
    const bool bEnabled = IsWindowEnabled() != FALSE;
    const COLORREF crBack = pCustomDraw->clrTextBk;
    const COLORREF crWnd = ::GetSysColor(bEnabled ? COLOR_WINDOW : COLOR_BTNFACE);
    const bool bFullRowSelect = (m_treeChild.GetStyle() & TVS_FULLROWSELECT) != 0;
    const std::wstring strText = m_treeChild.GetFullItemText(hItem);
    const std::wstring strFirst = GetTabField(strText, 0);

    // The tree measured the whole text with its TABs; the first column's label is its own text,
    // within the first column.
    RECT rcMeasure{};
    ::DrawTextW(hDC, strFirst.c_str(), static_cast<int>(strFirst.size()), &rcMeasure, DT_NOPREFIX | DT_CALCRECT);
    rcLabel.right = std::min<LONG>(rcLabel.left + RectWidth(rcMeasure) + 4, m_columnWidths[0] - 4);

    if (rcLabel.right >= rcLabel.left && crBack != crWnd)
    {
        RECT rcFill = rcLabel;
        if (bFullRowSelect)
            rcFill.right = rcRow.right;
        CBrush brush(::CreateSolidBrush(crBack));
        ::FillRect(hDC, &rcFill, brush);
        if (pCustomDraw->nmcd.uItemState & CDIS_FOCUS)
            ::DrawFocusRect(hDC, &rcFill);
    }

    const UINT nTextFormat = DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
    RECT rcText = {rcLabel.left + 2, rcLabel.top + 1, rcLabel.right - 2, rcLabel.bottom - 1};
    ::SetTextColor(hDC, pCustomDraw->clrText);
    ::DrawTextW(hDC, strFirst.c_str(), static_cast<int>(strFirst.size()), &rcText, nTextFormat);

    ::SetBkMode(hDC, TRANSPARENT);
    // Without full-row selection the other columns stand on the window's background.
    if (bEnabled && !bFullRowSelect)
        ::SetTextColor(hDC, ::GetSysColor(COLOR_WINDOWTEXT));

    const int nCount = GetColumnCount();
    for (int n = 1; n < nCount; ++n)
    {
        std::wstring strField;
        if (!ExtractTabField(strText, n, strField))
            continue;
        const int nLeft = ColumnLeft(m_columnWidths, n);
        RECT rcField = {nLeft + 1 + m_nColumnTextIndent, rcLabel.top + 1, nLeft + m_columnWidths[n] - 3,
                        rcLabel.bottom - 1};
        if (rcField.left < 0 || rcField.right < 0 || rcField.left >= rcField.right)
            continue;
        UINT nFormat = nTextFormat;
        const int nColumnFormat = GetColumnFormat(n);
        if (nColumnFormat & HDF_RIGHT)
            nFormat |= DT_RIGHT;
        else if (nColumnFormat & HDF_CENTER)
            nFormat |= DT_CENTER;
        ::DrawTextW(hDC, strField.c_str(), static_cast<int>(strField.size()), &rcField, nFormat);
    }
}

void CColumnTreeCtrl::OnPaint()
{
    // The children cover nearly everything. What they leave, the square between the two scroll
    // bars and the pixel strips right of and below the tree, gets the face colour; left alone
    // it would keep whatever an earlier, larger layout drew there.
    CPaintDC dc(m_hWnd);
    RECT rcClient{};
    GetClientRect(&rcClient);
    for (const CWnd* pChild : {static_cast<const CWnd*>(&m_treeChild), static_cast<const CWnd*>(&m_header),
                               static_cast<const CWnd*>(&m_cornerHeader), static_cast<const CWnd*>(&m_horzScrollBar)})
    {
        if (!pChild->m_hWnd || !pChild->IsWindowVisible())
            continue;
        RECT rcChild{};
        pChild->GetWindowRect(&rcChild);
        ScreenToClient(&rcChild);
        ::ExcludeClipRect(dc, rcChild.left, rcChild.top, rcChild.right, rcChild.bottom);
    }
    CBrush brush(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
    ::FillRect(dc, &rcClient, brush);
}

BOOL CColumnTreeCtrl::OnEraseBkgnd(HDC /*hDC*/)
{
    // The children cover the area; erasing it first would only flicker.
    return FALSE;
}

void CColumnTreeCtrl::OnSize(UINT /*nType*/, int /*cx*/, int /*cy*/)
{
    RepositionControls();
}

void CColumnTreeCtrl::OnHScroll(UINT nCode, int nPos, HWND /*hScrollBar*/)
{
    RECT rcClient{};
    GetClientRect(&rcClient);
    const int nTotal = m_nTotalWidth + (TreeHasVerticalScrollBar() ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
    // The message carries the thumb position in 16 unsigned bits.
    const int nThumb = nPos & 0xFFFF;
    const int nNew = ScrollPositionForCode(nCode, m_nScrollX, nThumb, nTotal, RectWidth(rcClient));
    if (nNew == m_nScrollX)
        return;
    m_nScrollX = nNew;
    Default();
    RepositionControls();
}

void CColumnTreeCtrl::OnSettingChange(UINT /*nFlags*/, const wchar_t* /*pszSection*/)
{
    if (!m_treeChild.m_hWnd)
        return;
    for (HWND hChild : {m_treeChild.m_hWnd, m_horzScrollBar.m_hWnd, m_header.m_hWnd, m_cornerHeader.m_hWnd})
        ::SendMessageW(hChild, WM_SETTINGCHANGE, 0, 0);
    const HFONT hFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    m_header.SetFont(hFont, TRUE);
    m_cornerHeader.SetFont(hFont, TRUE);
    MeasureHeaderHeight();
    RepositionControls();
}

void CColumnTreeCtrl::OnEnable(BOOL bEnable)
{
    // The placeholder's own behaviour would paint a static over the children.
    for (HWND hChild : {m_header.m_hWnd, m_cornerHeader.m_hWnd, m_treeChild.m_hWnd, m_horzScrollBar.m_hWnd})
    {
        if (hChild)
            ::EnableWindow(hChild, bEnable);
    }
    // The rows are drawn in other colours when disabled; not every tree view repaints by itself.
    if (m_treeChild.m_hWnd)
        m_treeChild.Invalidate(TRUE);
}
