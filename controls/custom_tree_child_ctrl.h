// The tree inside a column tree: a system tree view whose painting is taken over completely. It
// draws every visible row into an off-screen bitmap (background, icons, its own three-state tick
// boxes, dotted lines, expand buttons) and asks its parent, through custom draw, to draw the
// texts of each row's columns. It also keeps the tick of every item, with propagation to the
// item's descendants and ancestors, shows the full text of the cell under the mouse in a tooltip,
// and tells accessibility clients the ticks in the system's terms (CTreeChildAccessible).
#pragma once

#include <string>

#include "controls/tree_child_owner.h"
#include "win/com.h"
#include "win/common_controls.h"

class CTreeChildAccessible;

// --- The text model: an item's text holds the texts of all its columns, each ended by a TAB -----

// Field nField (from 0) of the text; false when the text has fewer fields (no field is empty
// then). The last field need not be followed by a TAB.
bool ExtractTabField(const std::wstring& strText, int nField, std::wstring& strField);
// The field, or empty when there is none.
std::wstring GetTabField(const std::wstring& strText, int nField);
// The text rebuilt with nFieldCount fields, each followed by a TAB: field nField replaced by
// strValue (in which a TAB becomes a space, as it would split the field), the others as they were.
std::wstring ReplaceTabField(const std::wstring& strText, int nField, const std::wstring& strValue,
                             int nFieldCount);

// --- Check values and their propagation ---------------------------------------------------------

// Check value of an item: its state-image index minus one.
enum ECheckValue : int
{
    kCheckNone = -1,     // the item has no state image
    kCheckTicked = 0,
    kCheckClear = 1,
    kCheckPartly = 2,    // its descendants differ
};

// The value a click gives an item: a clear item becomes ticked, a ticked or partly ticked one clear.
inline int ToggledCheckValue(int nValue)
{
    return nValue == kCheckClear ? kCheckTicked : kCheckClear;
}

// The propagation rules over any tree that offers, for an item handle, GetChildItem,
// GetNextSiblingItem, GetParentItem, GetCheckValue and SetCheckValue (the item's own value only).

// Gives every descendant of the item the value, depth first.
template <typename TTree>
void PropagateCheckToChildren(TTree& tree, HTREEITEM hItem, int nValue)
{
    for (HTREEITEM hChild = tree.GetChildItem(hItem); hChild; hChild = tree.GetNextSiblingItem(hChild))
    {
        tree.SetCheckValue(hChild, nValue);
        PropagateCheckToChildren(tree, hChild, nValue);
    }
}

// Walks up from the item's parent: an ancestor takes the item's value while all its children
// share it, and is partly ticked (and so is every ancestor above it) once they differ.
template <typename TTree>
void PropagateCheckToParents(TTree& tree, HTREEITEM hItem, int nValue)
{
    int nAncestorValue = nValue;
    for (HTREEITEM hParent = tree.GetParentItem(hItem); hParent; hParent = tree.GetParentItem(hParent))
    {
        if (nAncestorValue != kCheckPartly)
        {
            for (HTREEITEM hChild = tree.GetChildItem(hParent); hChild; hChild = tree.GetNextSiblingItem(hChild))
            {
                if (tree.GetCheckValue(hChild) != nAncestorValue)
                {
                    nAncestorValue = kCheckPartly;
                    break;
                }
            }
        }
        tree.SetCheckValue(hParent, nAncestorValue);
    }
}

// Sets the item's own value, then its descendants' and its ancestors'. Returns whether the item's
// own value could be set.
template <typename TTree>
BOOL SetCheckAndPropagate(TTree& tree, HTREEITEM hItem, int nValue)
{
    const BOOL bSet = tree.SetCheckValue(hItem, nValue);
    PropagateCheckToChildren(tree, hItem, nValue);
    PropagateCheckToParents(tree, hItem, nValue);
    return bSet;
}

// The notification record of a double click on an item, sent to the parent as NM_DBLCLK.
struct NMTREECHILDITEM
{
    NMHDR hdr;
    HTREEITEM hItem;
};

// The bitmaps the tree child draws with, as resource ids of the module: the expand buttons (9 x 9,
// plus then minus, on a magenta mask) and the tick boxes (13 x 13) by check value.
struct CTreeChildBitmaps
{
    UINT nTreeButtons;
    UINT nTickBoxTicked;
    UINT nTickBoxClear;
    UINT nTickBoxPartly;
};

class CCustomTreeChildCtrl : public CTreeCtrl
{
public:
    static constexpr int kTipTextSize = 2048;

    explicit CCustomTreeChildCtrl(const CTreeChildBitmaps& bitmaps);
    ~CCustomTreeChildCtrl() override;

    // Creates the tree view window as a child of pParent; pOwner, normally that same parent, is
    // asked for the cells (null: no cell tooltips, and the tree's own label names it).
    bool Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nId, ITreeChildOwner* pOwner);

    // Check values (ECheckValue) of items.
    int GetCheckState(HTREEITEM hItem) const;
    // Sets the item's value, gives it to every descendant and updates the ancestors. Returns
    // whether the item's own value could be set.
    BOOL SetCheckState(HTREEITEM hItem, int nValue);
    // Ticks a clear item, clears a ticked or partly ticked one; null is ignored.
    void ToggleCheckState(HTREEITEM hItem);

    // The whole text of the item, however long.
    std::wstring GetFullItemText(HTREEITEM hItem) const;
    BOOL ItemHasChildren(HTREEITEM hItem) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUS); }

    // Width of the first column, kept by the column tree: it bounds the drawing of the tree's
    // lines and icons and the part of a row that takes clicks.
    void SetFirstColumnWidth(int nWidth) { m_nFirstColumnWidth = nWidth; }

    ITreeChildOwner* GetTreeOwner() const { return m_pOwner; }

    // Whether a click at the point (client coordinates) is on an item rather than on empty space.
    bool IsPointOnItem(POINT pt) const;

    // The tooltip cell under the cursor (the point is not used): fills the tool record and returns
    // the item handle as the tool's id, or -1 for no tool.
    INT_PTR OnToolHitTest(POINT pt, TTTOOLINFOW* pToolInfo);

    // Space toggles the selected item's tick and never reaches the tree view; mouse messages
    // also drive the cell tooltips.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Adapter for the propagation rules: an item's own value, without propagation.
    int GetCheckValue(HTREEITEM hItem) const { return GetCheckState(hItem); }
    BOOL SetCheckValue(HTREEITEM hItem, int nValue);

protected:
    // Answers accessibility clients (WM_GETOBJECT) with the tree's own accessible object.
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;
    void OnDestroy() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC hDC) override;
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT ptScreen) override;
    void OnKeyDown(UINT nChar, UINT nRepeat, UINT nFlags) override;
    void OnVScroll(UINT nCode, int nPos, HWND hScrollBar) override;
    void OnTimer(UINT_PTR nId) override;
    void OnMouseMove(UINT nFlags, POINT pt) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnLButtonDblClk(UINT nFlags, POINT pt) override;
    LRESULT OnNotify(NMHDR* pNmhdr) override;

    // Paints every visible row into the context, sending the custom-draw stages to the parent.
    void DrawItems(HDC hDC);

private:
    bool OnToolTipText(NMHDR* pNmhdr, LRESULT* pResult);
    void RelayToolTipMessage(MSG* pMsg);
    void DrawRowParts(HDC hDC, HTREEITEM hItem, const TVITEMW& item, int cxIcon, int cyIcon, int cxState,
                      HIMAGELIST hNormalImages, bool bHasStateImages);
    void DrawDottedLines(HDC hDC, HTREEITEM hItem, const RECT& rcLabel, int lx, int yc, int cxIcon);
    LRESULT SendCustomDraw(NMTVCUSTOMDRAW& record, DWORD dwStage);
    bool IsRowBelowClient(HTREEITEM hItem) const;
    enum class EClickPlace
    {
        kOffRows,    // off every row: the click only takes the focus
        kCutOffRow,  // on a row cut off at the bottom, which is repainted
        kOnRow,
    };
    // Where a click at pt lands, with the item and the flags in hit.
    EClickPlace HitTestClick(POINT pt, TVHITTESTINFO& hit);

    int m_nFirstColumnWidth = 0;
    CImageList m_imgButtons;       // 0 plus (collapsed), 1 minus (expanded)
    CImageList m_imgCheckBoxes;    // by check value: 0 ticked, 1 clear, 2 partly ticked
    ITreeChildOwner* m_pOwner = nullptr;  // asked for the cells; null when there is no owner
    HTREEITEM m_hLastToolItem = nullptr;
    int m_nLastToolColumn = -1;
    char m_szTipTextA[kTipTextSize] = "";
    wchar_t m_szTipTextW[kTipTextSize] = L"";

    // Cell tooltips: one tooltip window per tree, made on the first mouse message.
    bool m_bToolTipsEnabled = false;
    CToolTipCtrl m_toolTip;        // attached; destroyed with this window
    INT_PTR m_nLastToolHit = -1;   // id of the tool currently registered with it
    RECT m_rcLastTool{};

    // Made when a client first asks for it; let go with the window.
    CComPtr<CTreeChildAccessible> m_pAccessible;
};
