// A tree whose rows have columns: a resizable header above the tree, a horizontal scroll bar below
// it. It takes the place of a static control of a dialog template (subclassing it builds the
// control) and holds four children: the tree child, which draws the tree's structure, the header,
// a small corner header over the tree's vertical scroll bar, and the scroll bar. The column tree
// draws the texts of every column, lays the children out, scrolls header and tree together, and
// passes the children's other notifications on to its own parent as its own.
//
// An item's text holds the texts of all its columns, each followed by one TAB.
#pragma once

#include <string>

#include "controls/custom_tree_child_ctrl.h"
#include "win/common_controls.h"

// --- Horizontal scrolling -----------------------------------------------------------------------

// Pixels per line of the horizontal scroll bar's arrows.
constexpr int kColumnTreeLineScroll = 15;

// The scroll position kept within 0 .. nTotal - nVisible (0 when everything fits).
int ClampScrollPosition(int nPos, int nTotal, int nVisible);
// The position a WM_HSCROLL code leads to from nPos, clamped; nThumbPos is the position the
// message carries.
int ScrollPositionForCode(UINT nCode, int nPos, int nThumbPos, int nTotal, int nVisible);

// --- Layout -------------------------------------------------------------------------------------

struct CColumnTreeMetrics
{
    int cxVScroll;   // SM_CXVSCROLL
    int cyHScroll;   // SM_CYHSCROLL
};

struct CColumnTreeLayout
{
    RECT rcHeader;
    RECT rcCornerHeader;
    RECT rcTree;
    RECT rcScrollBar;
    bool bShowScrollBar;
    bool bShowCornerHeader;
};

// Where the children go in a client area of cx by cy: nScrollX is the scroll bar's position,
// bVerticalScroll whether the tree shows its vertical scroll bar.
CColumnTreeLayout ComputeColumnTreeLayout(int cx, int cy, int nTotalWidth, int nScrollX, bool bVerticalScroll,
                                          int nHeaderHeight, const CColumnTreeMetrics& metrics);

// --- Columns ------------------------------------------------------------------------------------

// The column whose range [left, left + width] holds x (both ends count, the first match wins),
// or -1.
int FindColumnAt(const int* pWidths, int nCount, int x);
// Left edge of column nColumn: the sum of the widths before it.
int ColumnLeft(const int* pWidths, int nColumn);

// Whether the common-controls library in use is version 6 or later.
bool IsCommonControls6();

class CColumnTreeCtrl : public CStatic, public ITreeChildOwner
{
public:
    static constexpr int kMaxColumns = 16;
    static constexpr UINT kIdHeader = 1;
    static constexpr UINT kIdTreeChild = 2;
    static constexpr UINT kIdScrollBar = 3;
    static constexpr UINT kIdCornerHeader = 4;

    // The tree child draws with the module's bitmaps of those ids.
    explicit CColumnTreeCtrl(const CTreeChildBitmaps& bitmaps);
    ~CColumnTreeCtrl() override;

    // Builds the children; does nothing once they exist. Runs when the placeholder is subclassed.
    virtual void Initialize();

    // Inserts a header item. Returns its index, or -1 when refused (an index outside 0..15, or 16
    // columns already) or when the header refused it.
    int InsertColumn(int nCol, const std::wstring& strHeading, int nFormat = HDF_LEFT, int nWidth = 100);
    // Reads the widths back from the header, then lays the children out.
    void UpdateColumns();
    void RepositionControls();

    std::wstring GetItemText(HTREEITEM hItem, int nColumn) const override;
    void SetItemText(HTREEITEM hItem, int nColumn, const std::wstring& strText);

    // The item, flags and column at pInfo->pt; returns the item, also stored in the record.
    HTREEITEM HitTest(COLUMNTREEHITINFO* pInfo) const;
    // The same at the cursor's position, which is stored in the record.
    HTREEITEM HitTestAtCursor(COLUMNTREEHITINFO* pInfo) const override;

    CCustomTreeChildCtrl& GetTreeCtrl() { return m_treeChild; }
    int GetColumnCount() const;
    int GetColumnWidth(int nColumn) const override;
    int GetColumnFormat(int nColumn) const;

protected:
    void PreSubclassWindow() override;
    LRESULT OnNotify(NMHDR* pNmhdr) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC hDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnHScroll(UINT nCode, int nPos, HWND hScrollBar) override;
    void OnSettingChange(UINT nFlags, const wchar_t* pszSection) override;
    void OnEnable(BOOL bEnable) override;

    HWND GetOwnerWindow() const override { return m_hWnd; }

    LRESULT OnCustomDraw(NMTVCUSTOMDRAW* pCustomDraw);
    void DrawItemTexts(NMTVCUSTOMDRAW* pCustomDraw);
    void MeasureHeaderHeight();
    bool TreeHasVerticalScrollBar() const;

    // Children, and the columns as the header last gave them.
    CCustomTreeChildCtrl m_treeChild;
    CScrollBar m_horzScrollBar;
    CHeaderCtrl m_header;
    CHeaderCtrl m_cornerHeader;
    int m_nHeaderHeight = 0;
    int m_nTotalWidth = 0;
    int m_nScrollX = 0;
    int m_nColumnTextIndent = 6;
    int m_columnWidths[kMaxColumns] = {};
    int m_columnFormats[kMaxColumns] = {};
};
