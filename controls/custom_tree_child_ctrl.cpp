#include "controls/custom_tree_child_ctrl.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "controls/tree_child_accessible.h"
#include "win/gdi.h"
#include "win/module.h"

namespace
{
const COLORREF kTickBoxMask = 0x3A0147;
const COLORREF kButtonMask = RGB(255, 0, 255);
const COLORREF kLineColour = RGB(0x80, 0x80, 0x80);
const int kTickBoxSize = 13;

void ImageSize(HIMAGELIST hList, int& cx, int& cy)
{
    cx = 0;
    cy = 0;
    IMAGEINFO info{};
    if (hList && ::ImageList_GetImageInfo(hList, 0, &info))
    {
        cx = RectWidth(info.rcImage);
        cy = RectHeight(info.rcImage);
    }
}

bool IsMouseButtonDown()
{
    return ::GetKeyState(VK_LBUTTON) < 0 || ::GetKeyState(VK_RBUTTON) < 0 || ::GetKeyState(VK_MBUTTON) < 0;
}
}  // namespace

// --- Text model -------------------------------------------------------------------------------

bool ExtractTabField(const std::wstring& strText, int nField, std::wstring& strField)
{
    strField.clear();
    if (nField < 0)
        return false;
    std::size_t nStart = 0;
    for (int i = 0; i < nField; ++i)
    {
        const std::size_t nTab = strText.find(L'\t', nStart);
        if (nTab == std::wstring::npos)
            return false;
        nStart = nTab + 1;
    }
    const std::size_t nEnd = strText.find(L'\t', nStart);
    strField = strText.substr(nStart, nEnd == std::wstring::npos ? std::wstring::npos : nEnd - nStart);
    return true;
}

std::wstring GetTabField(const std::wstring& strText, int nField)
{
    std::wstring strField;
    ExtractTabField(strText, nField, strField);
    return strField;
}

std::wstring ReplaceTabField(const std::wstring& strText, int nField, const std::wstring& strValue, int nFieldCount)
{
    std::wstring strResult;
    for (int i = 0; i < nFieldCount; ++i)
    {
        if (i == nField)
        {
            std::wstring strClean = strValue;
            std::replace(strClean.begin(), strClean.end(), L'\t', L' ');
            strResult += strClean;
        }
        else
        {
            strResult += GetTabField(strText, i);
        }
        strResult += L'\t';
    }
    return strResult;
}

// --- CCustomTreeChildCtrl ---------------------------------------------------------------------

CCustomTreeChildCtrl::CCustomTreeChildCtrl(const CTreeChildBitmaps& bitmaps)
{
    if (m_imgButtons.Create(9, 9, ILC_COLOR32 | ILC_MASK, 2, 1))
    {
        CBitmap bitmap(::LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(bitmaps.nTreeButtons)));
        if (bitmap)
            m_imgButtons.Add(bitmap, kButtonMask);
    }
    if (m_imgCheckBoxes.Create(kTickBoxSize, kTickBoxSize, ILC_COLOR32, 3, 0))
    {
        // The tick images by check value, in this order.
        for (UINT nId : {bitmaps.nTickBoxTicked, bitmaps.nTickBoxClear, bitmaps.nTickBoxPartly})
        {
            CBitmap bitmap(::LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(nId)));
            if (bitmap)
                m_imgCheckBoxes.Add(bitmap, kTickBoxMask);
            ::ImageList_SetBkColor(m_imgCheckBoxes, RGB(255, 255, 255));
        }
    }
}

CCustomTreeChildCtrl::~CCustomTreeChildCtrl()
{
    // Destroyed while this object still handles its messages; the image lists go after it.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

bool CCustomTreeChildCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nId, ITreeChildOwner* pOwner)
{
    m_pOwner = pOwner;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_TREEVIEW_CLASSES;
    ::InitCommonControlsEx(&controls);
    // The system's class, subclassed as it is created: tools know a tree view by its class name.
    if (!CreateEx(0, WC_TREEVIEWW, L"", dwStyle, rect, pParent ? pParent->m_hWnd : nullptr, nId))
        return false;
    PreSubclassWindow();
    return true;
}

void CCustomTreeChildCtrl::PreSubclassWindow()
{
    CTreeCtrl::PreSubclassWindow();
    m_bToolTipsEnabled = true;
}

void CCustomTreeChildCtrl::OnDestroy()
{
    // Clients may keep the object; without its window it answers that it is gone.
    m_pAccessible.Release();
    if (const HWND hToolTip = m_toolTip.Detach())
        ::DestroyWindow(hToolTip);
    m_nLastToolHit = -1;
    m_hLastToolItem = nullptr;
    m_nLastToolColumn = -1;
    Default();
}

// --- Check states -----------------------------------------------------------------------------

int CCustomTreeChildCtrl::GetCheckState(HTREEITEM hItem) const
{
    TVITEMW item{};
    item.mask = TVIF_STATE | TVIF_HANDLE;
    item.hItem = hItem;
    item.stateMask = TVIS_STATEIMAGEMASK;
    if (!hItem || !GetItem(&item))
        return kCheckNone;
    return static_cast<int>((item.state & TVIS_STATEIMAGEMASK) >> 12) - 1;
}

BOOL CCustomTreeChildCtrl::SetCheckValue(HTREEITEM hItem, int nValue)
{
    return SetItemState(hItem, INDEXTOSTATEIMAGEMASK(static_cast<UINT>(nValue + 1) & 0xF), TVIS_STATEIMAGEMASK);
}

BOOL CCustomTreeChildCtrl::SetCheckState(HTREEITEM hItem, int nValue)
{
    return SetCheckAndPropagate(*this, hItem, nValue);
}

void CCustomTreeChildCtrl::ToggleCheckState(HTREEITEM hItem)
{
    if (!hItem)
        return;
    SetCheckState(hItem, ToggledCheckValue(GetCheckState(hItem)));
    Invalidate(TRUE);
    // A screen reader following the tree says the new tick of the item the user toggled.
    if (m_pAccessible)
        ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_hWnd, OBJID_CLIENT, m_pAccessible->ChildIdOf(hItem));
}

LRESULT CCustomTreeChildCtrl::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT)
    {
        if (!m_pAccessible)
        {
            CTreeChildAccessible* pAccessible = CTreeChildAccessible::Create(m_hWnd);
            m_pAccessible = pAccessible;
            if (pAccessible)
                pAccessible->Release();
        }
        if (m_pAccessible)
            return m_pAccessible->AnswerGetObject(wParam);
    }
    return CTreeCtrl::WindowProc(nMsg, wParam, lParam);
}

std::wstring CCustomTreeChildCtrl::GetFullItemText(HTREEITEM hItem) const
{
    // Grown until the text fits: an item holds every column's text, a long address among them.
    std::vector<wchar_t> buffer(256);
    for (;;)
    {
        buffer[0] = L'\0';
        TVITEMW item{};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = hItem;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        if (!hItem || !GetItem(&item) || !item.pszText || item.pszText == LPSTR_TEXTCALLBACKW)
            return std::wstring();
        const std::size_t nLength = wcsnlen(item.pszText, buffer.size());
        if (item.pszText != buffer.data() || nLength + 1 < buffer.size() || buffer.size() >= (1u << 20))
            return std::wstring(item.pszText, nLength);
        buffer.resize(buffer.size() * 4);
    }
}

BOOL CCustomTreeChildCtrl::ItemHasChildren(HTREEITEM hItem) const
{
    TVITEMW item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = hItem;
    return GetItem(&item) && item.cChildren != 0;
}

// --- Painting ---------------------------------------------------------------------------------

void CCustomTreeChildCtrl::OnPaint()
{
    CPaintDC dc(m_hWnd);
    RECT rcClient{};
    GetClientRect(&rcClient);
    CMemoryDC memory(dc);
    CBitmap bitmap(::CreateCompatibleBitmap(dc, rcClient.right, rcClient.bottom));
    if (!memory || !bitmap)
        return;
    CSelectObject selectBitmap(memory, bitmap);
    DrawItems(memory);
    ::BitBlt(dc, 0, 0, rcClient.right, rcClient.bottom, memory, 0, 0, SRCCOPY);
}

BOOL CCustomTreeChildCtrl::OnEraseBkgnd(HDC /*hDC*/)
{
    // Every pixel is painted through the off-screen bitmap.
    return TRUE;
}

LRESULT CCustomTreeChildCtrl::SendCustomDraw(NMTVCUSTOMDRAW& record, DWORD dwStage)
{
    record.nmcd.dwDrawStage = dwStage;
    const HWND hParent = ::GetParent(m_hWnd);
    return hParent ? ::SendMessageW(hParent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&record)) : 0;
}

void CCustomTreeChildCtrl::DrawItems(HDC hDC)
{
    RECT rcClient{};
    GetClientRect(&rcClient);

    NMTVCUSTOMDRAW record{};
    record.nmcd.hdr.hwndFrom = m_hWnd;
    record.nmcd.hdr.idFrom = static_cast<UINT_PTR>(::GetWindowLongPtrW(m_hWnd, GWL_ID));
    record.nmcd.hdr.code = NM_CUSTOMDRAW;
    record.nmcd.hdc = hDC;
    record.nmcd.rc = rcClient;
    const LRESULT nPaintResult = SendCustomDraw(record, CDDS_PREPAINT);

    const bool bEnabled = IsWindowEnabled() != FALSE;
    // The system's window colours, so that a high-contrast scheme reaches the rows too.
    const COLORREF crBack = ::GetSysColor(bEnabled ? COLOR_WINDOW : COLOR_BTNFACE);
    {
        CBrush brush(::CreateSolidBrush(crBack));
        ::FillRect(hDC, &rcClient, brush);
    }
    if (nPaintResult & CDRF_NOTIFYPOSTERASE)
        SendCustomDraw(record, CDDS_POSTERASE);

    CSelectObject selectFont(hDC, GetFont());

    const HIMAGELIST hNormalImages = reinterpret_cast<HIMAGELIST>(SendMessage(TVM_GETIMAGELIST, TVSIL_NORMAL));
    const HIMAGELIST hStateImages = reinterpret_cast<HIMAGELIST>(SendMessage(TVM_GETIMAGELIST, TVSIL_STATE));
    int cxIcon = 0;
    int cyIcon = 0;
    int cxState = 0;
    int cyState = 0;
    ImageSize(hNormalImages, cxIcon, cyIcon);
    ImageSize(hStateImages, cxState, cyState);

    const bool bFocused = ::GetFocus() == m_hWnd;
    const bool bShowSelAlways = (GetStyle() & TVS_SHOWSELALWAYS) != 0;

    for (HTREEITEM hItem = GetFirstVisibleItem(); hItem; hItem = GetNextVisibleItem(hItem))
    {
        RECT rcRow{};
        if (!GetItemRect(hItem, &rcRow, FALSE))
            continue;
        // Rows below the client area show nothing; a tree of thousands of rows is not walked.
        if (rcRow.top >= rcClient.bottom)
            break;

        TVITEMW item{};
        item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
        item.hItem = hItem;
        item.stateMask = static_cast<UINT>(-1);
        GetItem(&item);

        const int nOldMode = ::SetBkMode(hDC, TRANSPARENT);
        const bool bSelected = (item.state & TVIS_SELECTED) != 0;
        if (!bEnabled)
        {
            record.clrTextBk = bSelected ? ::GetSysColor(COLOR_BTNSHADOW) : crBack;
            record.clrText = ::GetSysColor(COLOR_GRAYTEXT);
        }
        else if (bFocused)
        {
            record.clrTextBk = bSelected ? ::GetSysColor(COLOR_HIGHLIGHT) : crBack;
            record.clrText = ::GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        }
        else if (bSelected && bShowSelAlways)
        {
            // As the system's tree view shows a selection without the focus: a pair of colours
            // that every scheme keeps apart.
            record.clrTextBk = ::GetSysColor(COLOR_BTNFACE);
            record.clrText = ::GetSysColor(COLOR_BTNTEXT);
        }
        else
        {
            record.clrTextBk = crBack;
            record.clrText = ::GetSysColor(COLOR_WINDOWTEXT);
        }
        record.nmcd.uItemState = bEnabled && bFocused ? item.state | (bSelected ? CDIS_FOCUS : 0) : 0;
        record.nmcd.rc = rcRow;
        record.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(hItem);
        record.nmcd.lItemlParam = item.lParam;

        // The tree's own parts stay within the first column.
        {
            CRgn clip(::CreateRectRgn(rcRow.left, rcRow.top, rcRow.left + m_nFirstColumnWidth, rcRow.bottom));
            ::SelectClipRgn(hDC, clip);
        }
        const LRESULT nItemResult = (nPaintResult & CDRF_NOTIFYITEMDRAW) ? SendCustomDraw(record, CDDS_ITEMPREPAINT) : 0;
        if (!(nPaintResult & CDRF_SKIPDEFAULT))
            DrawRowParts(hDC, hItem, item, cxIcon, cyIcon, cxState, hNormalImages, hStateImages != nullptr);
        ::SelectClipRgn(hDC, nullptr);

        if (nItemResult & CDRF_NOTIFYPOSTPAINT)
            SendCustomDraw(record, CDDS_ITEMPOSTPAINT);
        ::SetBkMode(hDC, nOldMode);
    }
}

void CCustomTreeChildCtrl::DrawRowParts(HDC hDC, HTREEITEM hItem, const TVITEMW& item, int cxIcon, int cyIcon,
                                        int cxState, HIMAGELIST hNormalImages, bool bHasStateImages)
{
    const DWORD dwStyle = GetStyle();
    RECT rcLabel{};
    GetItemRect(hItem, &rcLabel, TRUE);
    const int yc = rcLabel.top + (rcLabel.bottom - rcLabel.top) / 2;
    int x = rcLabel.left - 3;

    if (hNormalImages)
    {
        x -= cxIcon + 1;
        const int nImage = (item.state & TVIS_SELECTED) ? item.iSelectedImage : item.iImage;
        ::ImageList_Draw(hNormalImages, nImage, hDC, x, yc - cyIcon / 2, ILD_TRANSPARENT);
    }

    if ((dwStyle & TVS_CHECKBOXES) && bHasStateImages)
    {
        x -= cxState;
        // An item without a state image (index 0) or beyond the three has no tick box. The box is
        // centred in the tree's state-image cell: one pixel in and two up from its corner when
        // that cell is 16 x 16, and still whole when the system's state images are 13 x 13.
        const int nImage = static_cast<int>((item.state & TVIS_STATEIMAGEMASK) >> 12) - 1;
        const POINT ptBox = {x + (cxState - kTickBoxSize) / 2, yc - kTickBoxSize / 2};
        m_imgCheckBoxes.Draw(hDC, nImage, ptBox, ILD_TRANSPARENT);
    }

    if (dwStyle & TVS_HASLINES)
        DrawDottedLines(hDC, hItem, rcLabel, x - cxIcon / 2 - 2, yc, cxIcon);

    if ((dwStyle & TVS_HASBUTTONS) && item.cChildren)
    {
        const int nImage = (item.state & TVIS_EXPANDED) ? 1 : 0;
        m_imgButtons.Draw(hDC, nImage, POINT{x - cxIcon / 2 - 6, yc - 4}, ILD_TRANSPARENT);
    }
}

void CCustomTreeChildCtrl::DrawDottedLines(HDC hDC, HTREEITEM hItem, const RECT& rcLabel, int lx, int yc, int cxIcon)
{
    CPen pen(::CreatePen(PS_DOT, 1, static_cast<COLORREF>(SendMessage(TVM_GETLINECOLOR))));
    CSelectObject selectPen(hDC, pen);
    // Dots on one checkerboard, so that runs of neighbouring rows and levels line up.
    const auto dot = [hDC](int px, int py) {
        if (((px + py) & 1) == 0)
            ::SetPixel(hDC, px, py, kLineColour);
    };
    const auto vertical = [&dot](int px, int nTop, int nBottom) {
        for (int py = nTop; py < nBottom; ++py)
            dot(px, py);
    };

    const HTREEITEM hParent = GetParentItem(hItem);
    if (hParent || (GetStyle() & TVS_LINESATROOT))
    {
        for (int i = 0; i < cxIcon / 2 + 2; ++i)
            dot(lx + i, yc);
        if (hParent || GetPrevSiblingItem(hItem))
            vertical(lx, rcLabel.top, yc);
    }
    if (GetNextSiblingItem(hItem))
        vertical(lx, yc, rcLabel.bottom);

    int nColumn = lx;
    for (HTREEITEM hAncestor = hParent; hAncestor; hAncestor = GetParentItem(hAncestor))
    {
        nColumn -= cxIcon + 3;
        if (GetNextSiblingItem(hAncestor))
            vertical(nColumn, rcLabel.top, rcLabel.bottom);
    }
}

// --- Mouse and keyboard -----------------------------------------------------------------------

bool CCustomTreeChildCtrl::IsPointOnItem(POINT pt) const
{
    TVHITTESTINFO hit{};
    hit.pt = pt;
    const HTREEITEM hItem = HitTest(&hit);
    if (!hItem)
        return false;
    if (hit.flags & (TVHT_ONITEMBUTTON | TVHT_ONITEMSTATEICON | TVHT_ONITEMICON))
        return true;

    RECT rcLabel{};
    GetItemRect(hItem, &rcLabel, TRUE);
    if (GetStyle() & TVS_FULLROWSELECT)
    {
        RECT rcClient{};
        GetClientRect(&rcClient);
        rcLabel.right = rcClient.right;
        return ::PtInRect(&rcLabel, pt) != FALSE;
    }
    if (!(hit.flags & TVHT_ONITEMLABEL))
        return false;
    rcLabel.right = m_nFirstColumnWidth;
    if (!::PtInRect(&rcLabel, pt))
        return false;

    // The tree's label spans every column's text; only the first column's text counts.
    const std::wstring strFirst = GetTabField(GetFullItemText(hItem), 0);
    CFont boldFont((GetItemState(hItem, TVIS_BOLD) & TVIS_BOLD) ? CreateBoldFont(GetFont()) : nullptr);
    CClientDC screen(nullptr);
    CSelectObject selectFont(screen, boldFont ? static_cast<HFONT>(boldFont) : GetFont());
    SIZE size{};
    ::GetTextExtentPoint32W(screen, strFirst.c_str(), static_cast<int>(strFirst.size()), &size);
    rcLabel.right = rcLabel.left + size.cx + 6;
    return ::PtInRect(&rcLabel, pt) != FALSE;
}

bool CCustomTreeChildCtrl::IsRowBelowClient(HTREEITEM hItem) const
{
    RECT rcRow{};
    RECT rcClient{};
    GetItemRect(hItem, &rcRow, FALSE);
    GetClientRect(&rcClient);
    return rcRow.bottom > rcClient.bottom;
}

void CCustomTreeChildCtrl::OnMouseMove(UINT /*nFlags*/, POINT pt)
{
    // Empty space gets no hover handling from the tree view.
    if (IsPointOnItem(pt))
        Default();
}

CCustomTreeChildCtrl::EClickPlace CCustomTreeChildCtrl::HitTestClick(POINT pt, TVHITTESTINFO& hit)
{
    if (!IsPointOnItem(pt))
    {
        SetFocus();
        return EClickPlace::kOffRows;
    }
    hit = TVHITTESTINFO{};
    hit.pt = pt;
    hit.hItem = HitTest(&hit);
    if (hit.hItem && IsRowBelowClient(hit.hItem))
    {
        Invalidate(TRUE);
        return EClickPlace::kCutOffRow;
    }
    return EClickPlace::kOnRow;
}

void CCustomTreeChildCtrl::OnLButtonDown(UINT /*nFlags*/, POINT pt)
{
    TVHITTESTINFO hit;
    switch (HitTestClick(pt, hit))
    {
    case EClickPlace::kOffRows:
        return;
    case EClickPlace::kCutOffRow:
        // The row is brought into view first; the click does nothing else.
        EnsureVisible(hit.hItem);
        SelectItem(hit.hItem);
        return;
    case EClickPlace::kOnRow:
        break;
    }
    if (const HTREEITEM hItem = hit.hItem)
    {
        if (hit.flags & TVHT_ONITEMSTATEICON)
        {
            ToggleCheckState(hItem);
            return;
        }
        SelectItem(hItem);
    }
    Default();
}

void CCustomTreeChildCtrl::OnLButtonDblClk(UINT /*nFlags*/, POINT pt)
{
    TVHITTESTINFO hit;
    const EClickPlace place = HitTestClick(pt, hit);
    // A row cut off at the bottom gets the tree view's own double click alone.
    if (place == EClickPlace::kCutOffRow)
        Default();
    if (place != EClickPlace::kOnRow)
        return;
    if (const HTREEITEM hItem = hit.hItem)
    {
        SelectItem(hItem);

        const int nId = GetDlgCtrlID();
        NMTREECHILDITEM notify{};
        notify.hdr.hwndFrom = m_hWnd;
        notify.hdr.idFrom = static_cast<UINT_PTR>(nId);
        notify.hdr.code = NM_DBLCLK;
        notify.hItem = hItem;
        if (const HWND hParent = ::GetParent(m_hWnd))
            ::SendMessageW(hParent, WM_NOTIFY, static_cast<WPARAM>(nId), reinterpret_cast<LPARAM>(&notify));

        // The second click on a tick box toggles it again, with propagation; the tree view's own
        // toggle would change the item alone and leave its ancestors and descendants behind.
        if (hit.flags & TVHT_ONITEMSTATEICON)
        {
            ToggleCheckState(hItem);
            return;
        }
        if ((hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)) && !ItemHasChildren(hItem))
            ToggleCheckState(hItem);
    }
    Default();
}

BOOL CCustomTreeChildCtrl::OnMouseWheel(UINT /*nFlags*/, short /*zDelta*/, POINT /*ptScreen*/)
{
    Invalidate(TRUE);
    return static_cast<BOOL>(Default());
}

void CCustomTreeChildCtrl::OnKeyDown(UINT /*nChar*/, UINT /*nRepeat*/, UINT /*nFlags*/)
{
    Invalidate(TRUE);
    Default();
}

void CCustomTreeChildCtrl::OnVScroll(UINT /*nCode*/, int /*nPos*/, HWND /*hScrollBar*/)
{
    Invalidate(TRUE);
    Default();
}

void CCustomTreeChildCtrl::OnTimer(UINT_PTR nId)
{
    // The tree view's timers would start label editing; they are stopped and never reach it.
    KillTimer(nId);
}

BOOL CCustomTreeChildCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_SPACE && pMsg->hwnd == m_hWnd)
    {
        // The tree view would flip the item's own image, leaving the three states inconsistent.
        ToggleCheckState(GetSelectedItem());
        return TRUE;
    }
    RelayToolTipMessage(pMsg);
    return CTreeCtrl::PreTranslateMessage(pMsg);
}

// --- Cell tooltips ----------------------------------------------------------------------------

INT_PTR CCustomTreeChildCtrl::OnToolHitTest(POINT /*pt*/, TTTOOLINFOW* pToolInfo)
{
    COLUMNTREEHITINFO hit{};
    const HTREEITEM hItem = m_pOwner ? m_pOwner->HitTestAtCursor(&hit) : nullptr;
    if (!hItem)
    {
        m_hLastToolItem = nullptr;
        m_nLastToolColumn = -1;
        return -1;
    }
    if (hItem == m_hLastToolItem && hit.iSubItem != m_nLastToolColumn)
    {
        // Another cell of the same row: the old tip closes before the new one may open.
        m_nLastToolColumn = hit.iSubItem;
        return -1;
    }

    int nLeft = 0;
    for (int i = 0; i < hit.iSubItem; ++i)
        nLeft += m_pOwner->GetColumnWidth(i);
    RECT rcLabel{};
    GetItemRect(hItem, &rcLabel, TRUE);
    pToolInfo->hwnd = m_hWnd;
    pToolInfo->uId = reinterpret_cast<UINT_PTR>(hItem);
    pToolInfo->rect = {nLeft, rcLabel.top, nLeft + m_pOwner->GetColumnWidth(hit.iSubItem), rcLabel.bottom};
    pToolInfo->lpszText = LPSTR_TEXTCALLBACKW;
    m_hLastToolItem = hItem;
    m_nLastToolColumn = hit.iSubItem;
    return reinterpret_cast<INT_PTR>(hItem);
}

void CCustomTreeChildCtrl::RelayToolTipMessage(MSG* pMsg)
{
    if (!m_bToolTipsEnabled || pMsg->hwnd != m_hWnd)
        return;
    const UINT nMsg = pMsg->message;
    const bool bMove = nMsg == WM_MOUSEMOVE || nMsg == WM_LBUTTONUP || nMsg == WM_RBUTTONUP || nMsg == WM_MBUTTONUP;
    if (!bMove || IsMouseButtonDown())
    {
        // Keys and presses put the tip away.
        const bool bKey = nMsg >= WM_KEYFIRST && nMsg <= WM_KEYLAST;
        const bool bPress = nMsg == WM_LBUTTONDOWN || nMsg == WM_LBUTTONDBLCLK || nMsg == WM_RBUTTONDOWN ||
                            nMsg == WM_RBUTTONDBLCLK || nMsg == WM_MBUTTONDOWN || nMsg == WM_MBUTTONDBLCLK;
        if (m_toolTip.m_hWnd && (bKey || bPress))
            m_toolTip.Pop();
        return;
    }

    if (!m_toolTip.m_hWnd)
    {
        const HWND hToolTip =
            ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                              ModuleInstance(), nullptr);
        if (!hToolTip)
            return;
        m_toolTip.Attach(hToolTip);
    }

    POINT pt = pMsg->pt;
    ScreenToClient(&pt);
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    const INT_PTR nHit = OnToolHitTest(pt, &info);
    if (nHit != m_nLastToolHit || (nHit != -1 && !::EqualRect(&info.rect, &m_rcLastTool)))
    {
        if (m_nLastToolHit != -1)
        {
            TTTOOLINFOW old{};
            old.cbSize = sizeof(old);
            old.hwnd = m_hWnd;
            old.uId = static_cast<UINT_PTR>(m_nLastToolHit);
            m_toolTip.SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&old));
        }
        if (nHit != -1)
        {
            m_toolTip.AddTool(info);
            m_toolTip.Activate(TRUE);
            ::SetWindowPos(m_toolTip, HWND_TOP, 0, 0, 0, 0,
                           SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOMOVE | SWP_NOOWNERZORDER);
        }
        m_nLastToolHit = nHit;
        m_rcLastTool = info.rect;
    }
    if (nHit != -1)
        m_toolTip.SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
}

LRESULT CCustomTreeChildCtrl::OnNotify(NMHDR* pNmhdr)
{
    if (pNmhdr->code == TTN_NEEDTEXTW || pNmhdr->code == TTN_NEEDTEXTA)
    {
        LRESULT lResult = 0;
        if (OnToolTipText(pNmhdr, &lResult))
            return lResult;
    }
    return Default();
}

bool CCustomTreeChildCtrl::OnToolTipText(NMHDR* pNmhdr, LRESULT* pResult)
{
    const bool bWide = pNmhdr->code == TTN_NEEDTEXTW;
    const UINT uFlags = bWide ? reinterpret_cast<NMTTDISPINFOW*>(pNmhdr)->uFlags
                              : reinterpret_cast<NMTTDISPINFOA*>(pNmhdr)->uFlags;
    // A tool that is this whole window is someone else's.
    if ((uFlags & TTF_IDISHWND) && reinterpret_cast<HWND>(pNmhdr->idFrom) == m_hWnd)
        return false;
    if (!m_pOwner)
        return false;
    COLUMNTREEHITINFO hit{};
    const HTREEITEM hItem = m_pOwner->HitTestAtCursor(&hit);
    if (!hItem)
        return false;

    const std::wstring strText = m_pOwner->GetItemText(hItem, hit.iSubItem);
    if (bWide)
    {
        const std::size_t nLength = std::min<std::size_t>(strText.size(), kTipTextSize - 1);
        std::wmemcpy(m_szTipTextW, strText.data(), nLength);
        m_szTipTextW[nLength] = L'\0';
        reinterpret_cast<NMTTDISPINFOW*>(pNmhdr)->lpszText = m_szTipTextW;
    }
    else
    {
        // As much of the text as fits, never cutting a character in two.
        int nChars = static_cast<int>(std::min<std::size_t>(strText.size(), kTipTextSize - 1));
        int nBytes = 0;
        while (nChars > 0)
        {
            nBytes = ::WideCharToMultiByte(CP_ACP, 0, strText.data(), nChars, m_szTipTextA, kTipTextSize - 1,
                                           nullptr, nullptr);
            if (nBytes > 0)
                break;
            nChars = nChars * 3 / 4;
            if (nChars > 0 && IS_HIGH_SURROGATE(strText[static_cast<std::size_t>(nChars) - 1]))
                --nChars;
        }
        m_szTipTextA[nChars > 0 ? nBytes : 0] = '\0';
        reinterpret_cast<NMTTDISPINFOA*>(pNmhdr)->lpszText = m_szTipTextA;
    }
    *pResult = 0;
    return true;
}
