// Thin wrappers over the standard and common controls: one method per message the product sends.
// Each is a CWnd, so it can be subclassed from a dialog template or merely attached.
#pragma once

#include "win/wnd.h"

#include <string>
#include <utility>

// The product sends buttons and static controls nothing of their own: the types name what a
// template holds.
class CButton : public CWnd
{
};

class CStatic : public CWnd
{
};

class CEdit : public CWnd
{
public:
    void SetLimitText(UINT nMax) { SendMessage(EM_LIMITTEXT, nMax); }
    void GetSel(int& nStart, int& nEnd) const
    {
        DWORD dwStart = 0, dwEnd = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
        nStart = static_cast<int>(dwStart);
        nEnd = static_cast<int>(dwEnd);
    }
    void SetSel(int nStart, int nEnd) { SendMessage(EM_SETSEL, static_cast<WPARAM>(nStart), nEnd); }
};

class CListCtrl : public CWnd
{
public:
    int InsertColumn(int nCol, const std::wstring& strHeading, int nFormat, int nWidth)
    {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = nFormat;
        column.cx = nWidth;
        column.pszText = const_cast<wchar_t*>(strHeading.c_str());
        column.iSubItem = nCol;
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
    }
    int InsertItem(int nItem, const std::wstring& strText, LPARAM lParam = 0)
    {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = nItem;
        item.pszText = const_cast<wchar_t*>(strText.c_str());
        item.lParam = lParam;
        return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    LPARAM GetItemData(int nItem) const
    {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = nItem;
        return SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
    }
    // The row whose data is lParam, or -1.
    int FindItemByData(LPARAM lParam) const
    {
        LVFINDINFOW find{};
        find.flags = LVFI_PARAM;
        find.lParam = lParam;
        return static_cast<int>(SendMessage(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    }
    BOOL SetItemText(int nItem, int nSubItem, const std::wstring& strText)
    {
        LVITEMW item{};
        item.iSubItem = nSubItem;
        item.pszText = const_cast<wchar_t*>(strText.c_str());
        return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
    }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL DeleteItem(int nItem) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem))); }
    BOOL EnsureVisible(int nItem) { return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), FALSE)); }
    int GetNextItem(int nStart, UINT nFlags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nStart), MAKELPARAM(nFlags, 0)));
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask)
    {
        LVITEMW item{};
        item.state = nState;
        item.stateMask = nMask;
        return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    DWORD SetExtendedStyle(DWORD dwStyle)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwStyle)));
    }
};

class CTreeCtrl : public CWnd
{
public:
    HTREEITEM InsertItem(const TVINSERTSTRUCTW& insert)
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    HTREEITEM InsertItem(const std::wstring& strText, int nImage, int nSelectedImage, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hAfter = TVI_LAST)
    {
        TVINSERTSTRUCTW insert{};
        insert.hParent = hParent;
        insert.hInsertAfter = hAfter;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = const_cast<wchar_t*>(strText.c_str());
        insert.item.iImage = nImage;
        insert.item.iSelectedImage = nSelectedImage;
        return InsertItem(insert);
    }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT))); }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetFirstVisibleItem() const { return GetNextItem(nullptr, TVGN_FIRSTVISIBLE); }
    HTREEITEM GetNextVisibleItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXTVISIBLE); }
    BOOL SelectItem(HTREEITEM hItem) { return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem))); }
    BOOL Expand(HTREEITEM hItem, UINT nCode) { return static_cast<BOOL>(SendMessage(TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem))); }
    BOOL EnsureVisible(HTREEITEM hItem) { return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem))); }
    UINT GetItemState(HTREEITEM hItem, UINT nMask) const
    {
        return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), nMask));
    }
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nMask)
    {
        TVITEMW item{};
        item.mask = TVIF_STATE | TVIF_HANDLE;
        item.hItem = hItem;
        item.state = nState;
        item.stateMask = nMask;
        return SetItem(&item);
    }
    BOOL GetItem(TVITEMW* pItem) const { return static_cast<BOOL>(SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(pItem))); }
    BOOL SetItem(TVITEMW* pItem) { return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(pItem))); }
    BOOL SetItemText(HTREEITEM hItem, const std::wstring& strText)
    {
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = const_cast<wchar_t*>(strText.c_str());
        return SetItem(&item);
    }
    BOOL GetItemRect(HTREEITEM hItem, RECT* pRect, BOOL bTextOnly) const
    {
        *reinterpret_cast<HTREEITEM*>(pRect) = hItem;
        return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, bTextOnly, reinterpret_cast<LPARAM>(pRect)));
    }
    HTREEITEM HitTest(TVHITTESTINFO* pInfo) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(pInfo)));
    }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    HIMAGELIST SetImageList(HIMAGELIST hList, int nType)
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(nType), reinterpret_cast<LPARAM>(hList)));
    }
};

class CTabCtrl : public CWnd
{
public:
    int InsertItem(int nItem, const std::wstring& strText, int nImage = -1)
    {
        TCITEMW item{};
        item.mask = TCIF_TEXT | (nImage >= 0 ? TCIF_IMAGE : 0);
        item.pszText = const_cast<wchar_t*>(strText.c_str());
        item.iImage = nImage;
        return static_cast<int>(SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
    }
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int nItem) { return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(nItem))); }
    void AdjustRect(BOOL bLarger, RECT* pRect) { SendMessage(TCM_ADJUSTRECT, bLarger, reinterpret_cast<LPARAM>(pRect)); }
};

class CHeaderCtrl : public CWnd
{
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    int InsertItem(int nPos, const HDITEMW& item)
    {
        return static_cast<int>(SendMessage(HDM_INSERTITEMW, static_cast<WPARAM>(nPos), reinterpret_cast<LPARAM>(&item)));
    }
    BOOL GetItem(int nPos, HDITEMW* pItem) const
    {
        return static_cast<BOOL>(SendMessage(HDM_GETITEMW, static_cast<WPARAM>(nPos), reinterpret_cast<LPARAM>(pItem)));
    }
    BOOL Layout(HDLAYOUT* pLayout) { return static_cast<BOOL>(SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(pLayout))); }
};

class CScrollBar : public CWnd
{
public:
    int SetScrollInfo(const SCROLLINFO& info, BOOL bRedraw = TRUE) { return ::SetScrollInfo(m_hWnd, SB_CTL, &info, bRedraw); }
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
};

class CToolTipCtrl : public CWnd
{
public:
    // A tooltip window for the tools of pParent's window, owned by its top-level window and
    // destroyed with this object.
    bool Create(CWnd* pParent, DWORD dwStyle = 0)
    {
        const HWND hWnd = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT,
                                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                            pParent ? pParent->m_hWnd : nullptr, nullptr, nullptr, nullptr);
        if (!hWnd)
            return false;
        if (!SubclassWindow(hWnd))
        {
            ::DestroyWindow(hWnd);
            return false;
        }
        m_bOwnsWindow = true;
        return true;
    }
    BOOL AddTool(const TTTOOLINFOW& info) { return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info))); }
    void UpdateTipText(const TTTOOLINFOW& info) { SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info)); }
    void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
    void Pop() { SendMessage(TTM_POP); }
};

// An owned image list.
class CImageList
{
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    bool Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
    {
        DeleteImageList();
        m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
        return m_hImageList != nullptr;
    }
    int Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
    int Add(HBITMAP hBitmap, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, hBitmap, crMask); }
    BOOL Draw(HDC hDC, int nImage, POINT pt, UINT nStyle) const
    {
        return ImageList_Draw(m_hImageList, nImage, hDC, pt.x, pt.y, nStyle);
    }
    void DeleteImageList()
    {
        if (m_hImageList)
            ImageList_Destroy(std::exchange(m_hImageList, nullptr));
    }
    operator HIMAGELIST() const { return m_hImageList; }

private:
    HIMAGELIST m_hImageList = nullptr;
};
