// The column tree in a dialog, subclassing its placeholder as the Sessions page does, driven by
// posted mouse and key messages that pass the same pre-translation chain as the modal loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <oleacc.h>

#include "controls/column_tree_ctrl.h"
#include "demo/support/sys_colors.h"
#include "resources/resource.h"
#include "tests/support/harness/com_variant.h"
#include "tests/win/controls/control_test_support.h"
#include "win/com.h"
#include "win/gdi.h"

namespace
{
const CTreeChildBitmaps kTreeBitmaps = {IDB_TREE_BUTTONS, IDB_TICK_BOX_TICKED, IDB_TICK_BOX_CLEAR, IDB_TICK_BOX_PARTLY};

struct CNotification
{
    UINT nCode;
    UINT_PTR nIdFrom;
    HWND hFrom;
    WPARAM wParam;
    HTREEITEM hItem;  // NM_DBLCLK records of the tree child
    WORD wVKey;       // TVN_KEYDOWN
};

class CTreeHostDialog : public CHostDialog
{
public:
    CTreeHostDialog() : CHostDialog(IDD_COLUMN_TREE_HOST) {}

    CColumnTreeCtrl m_tree{kTreeBitmaps};
    std::vector<CNotification> m_notifications;

    size_t Count(UINT nCode, WORD wVKey = 0) const
    {
        return static_cast<size_t>(std::count_if(m_notifications.begin(), m_notifications.end(),
                                                 [=](const CNotification& n) { return n.nCode == nCode && n.wVKey == wVKey; }));
    }

protected:
    void DoDataExchange(CDataExchange& dx) override { DDX_Control(dx, IDC_COLUMN_TREE, m_tree); }

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == WM_NOTIFY)
        {
            const NMHDR* pNmhdr = reinterpret_cast<const NMHDR*>(lParam);
            CNotification record{pNmhdr->code, pNmhdr->idFrom, pNmhdr->hwndFrom, wParam, nullptr, 0};
            if (pNmhdr->code == NM_DBLCLK)
                record.hItem = reinterpret_cast<const NMTREECHILDITEM*>(pNmhdr)->hItem;
            if (pNmhdr->code == TVN_KEYDOWN)
                record.wVKey = reinterpret_cast<const NMTVKEYDOWN*>(pNmhdr)->wVKey;
            m_notifications.push_back(record);
        }
        return CDialog::WindowProc(nMsg, wParam, lParam);
    }
};

std::wstring Text(const CComBSTR& bstr)
{
    return std::wstring(bstr.Get(), SysStringLen(bstr));
}

// The visible tooltip of the thread, if one shows.
HWND FindShownToolTip()
{
    HWND hFound = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) {
            wchar_t szClass[64] = L"";
            ::GetClassNameW(hWnd, szClass, 64);
            if (std::wstring(szClass) == TOOLTIPS_CLASSW && ::IsWindowVisible(hWnd))
            {
                *reinterpret_cast<HWND*>(lParam) = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

// The column tree built the way the session tree is: two columns, styles and two blank icons
// (a window's and a page's, which move the labels right as the real ones do).
class ColumnTree : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dialog.Open());
        ::SetForegroundWindow(m_dialog);
        SetMessageFilter(PreTranslateChain);
        PumpMessages(0);
    }

    void TearDown() override
    {
        SetMessageFilter({});
        m_dialog.DestroyWindow();
        PumpMessages(0);
    }

    CColumnTreeCtrl& Tree() { return m_dialog.m_tree; }
    CCustomTreeChildCtrl& Child() { return m_dialog.m_tree.GetTreeCtrl(); }
    HWND Part(UINT nId) { return ::GetDlgItem(Tree(), static_cast<int>(nId)); }
    HWND Header() { return Part(CColumnTreeCtrl::kIdHeader); }
    int HeaderHeight() { return RectHeight(ChildRect(Header())); }
    int ScrollX() { return ::GetScrollPos(Part(CColumnTreeCtrl::kIdScrollBar), SB_CTL); }
    // The scroll bar's range: the columns' width, and the tree's scroll bar when it shows.
    int ScrollRange()
    {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE;
        ::GetScrollInfo(Part(CColumnTreeCtrl::kIdScrollBar), SB_CTL, &info);
        return info.nMax;
    }
    BOOL SetHeaderWidth(int nColumn, int nWidth)
    {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        item.cxy = nWidth;
        return static_cast<BOOL>(::SendMessageW(Header(), HDM_SETITEMW, static_cast<WPARAM>(nColumn),
                                                reinterpret_cast<LPARAM>(&item)));
    }
    int HeaderWidth(int nColumn)
    {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        ::SendMessageW(Header(), HDM_GETITEMW, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&item));
        return item.cxy;
    }
    int ColumnCount() { return static_cast<int>(::SendMessageW(Header(), HDM_GETITEMCOUNT, 0, 0)); }
    int Check(HTREEITEM hItem) { return Child().GetCheckState(hItem); }

    // Columns of those widths, or the session tree's; then the session tree's styles and icons.
    void Prepare(std::initializer_list<int> widths = {216, 209}, DWORD dwExtraStyles = TVS_FULLROWSELECT)
    {
        for (const int nWidth : widths)
        {
            const int nColumn = ColumnCount();
            Tree().InsertColumn(nColumn, L"C" + std::to_wstring(nColumn), HDF_LEFT, nWidth);
        }
        Child().ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_CHECKBOXES |
                                   dwExtraStyles);
        m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1);
        ImageList_SetImageCount(m_images, 2);
        Child().SetImageList(m_images, TVSIL_NORMAL);
    }

    HTREEITEM AddNode(HTREEITEM hParent, const std::wstring& strName, int nImage = 0)
    {
        return Child().InsertItem(strName, nImage, nImage, hParent);
    }

    // Windows "Instance i" holding tabs "Page i.j" at http://example.com/i/j, expanded.
    std::vector<HTREEITEM> AddWindows(int nWindows, int nTabs)
    {
        std::vector<HTREEITEM> windows;
        for (int i = 1; i <= nWindows; ++i)
        {
            const HTREEITEM hWindow = AddNode(TVI_ROOT, L"Instance " + std::to_wstring(i), 0);
            for (int j = 1; j <= nTabs; ++j)
            {
                const HTREEITEM hTab = AddNode(hWindow, L"Page " + std::to_wstring(i) + L"." + std::to_wstring(j), 1);
                Tree().SetItemText(hTab, 1, L"http://example.com/" + std::to_wstring(i) + L"/" + std::to_wstring(j));
            }
            Child().Expand(hWindow, TVE_EXPAND);
            windows.push_back(hWindow);
        }
        return windows;
    }

    // Gives the column tree a client area of cx x cy.
    void SizeTree(int cx, int cy)
    {
        RECT rcWindow{};
        RECT rcClient{};
        ::GetWindowRect(Tree(), &rcWindow);
        Tree().GetClientRect(&rcClient);
        const RECT rcPlace = ChildRect(Tree());
        Tree().MoveWindow(rcPlace.left, rcPlace.top, cx + RectWidth(rcWindow) - rcClient.right,
                          cy + RectHeight(rcWindow) - rcClient.bottom);
        PumpMessages(0);
    }

    RECT Row(HTREEITEM hItem, BOOL bTextOnly = FALSE)
    {
        RECT rcRow{};
        Child().GetItemRect(hItem, &rcRow, bTextOnly);
        return rcRow;
    }

    // The middle of the range of x where the tree view puts the item's state icon.
    POINT StateIconPoint(HTREEITEM hItem)
    {
        const RECT rcRow = Row(hItem);
        const int y = (rcRow.top + rcRow.bottom) / 2;
        int nFirst = -1;
        int nLast = -1;
        for (int x = 0; x < rcRow.right; ++x)
        {
            TVHITTESTINFO hit{};
            hit.pt = {x, y};
            if (Child().HitTest(&hit) == hItem && (hit.flags & TVHT_ONITEMSTATEICON))
            {
                nFirst = nFirst < 0 ? x : nFirst;
                nLast = x;
            }
        }
        EXPECT_GE(nFirst, 0) << "no state icon on the row";
        return {(nFirst + nLast) / 2, y};
    }

    POINT LabelPoint(HTREEITEM hItem)
    {
        const RECT rcLabel = Row(hItem, TRUE);
        return {rcLabel.left + 6, (rcLabel.top + rcLabel.bottom) / 2};
    }

    // Pixels of the tick box drawn around the state icon's place.
    int AroundTickBox(HTREEITEM hItem, const std::function<bool(COLORREF)>& fnWanted)
    {
        const POINT pt = StateIconPoint(hItem);
        return CountPixels(Child(), RECT{pt.x - 10, pt.y - 8, pt.x + 11, pt.y + 9}, fnWanted);
    }
    // A tick has some green, the partly ticked square more, a clear box none.
    int GreenAround(HTREEITEM hItem)
    {
        return AroundTickBox(hItem, [](COLORREF cr) { return GetGValue(cr) > 120 && GetRValue(cr) < 100 && GetBValue(cr) < 100; });
    }

    CTreeHostDialog m_dialog;
    CImageList m_images;
};

TEST_F(ColumnTree, SubclassingThePlaceholderBuildsTheFourChildrenOnce)
{
    const HWND hTree = Part(CColumnTreeCtrl::kIdTreeChild);
    const HWND hHeader = Part(CColumnTreeCtrl::kIdHeader);
    const HWND hCorner = Part(CColumnTreeCtrl::kIdCornerHeader);
    const HWND hScroll = Part(CColumnTreeCtrl::kIdScrollBar);
    ASSERT_EQ(Child().m_hWnd, hTree);
    ASSERT_TRUE(hHeader && hCorner && hScroll);
    // The system's tree view, and the object's from its first message on.
    wchar_t szClass[32] = L"";
    ::GetClassNameW(hTree, szClass, 32);
    EXPECT_STREQ(L"SysTreeView32", szClass);
    EXPECT_EQ(Child().GetTreeOwner(), &Tree());

    const DWORD dwTreeStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_NOHSCROLL | TVS_NOTOOLTIPS;
    EXPECT_EQ(dwTreeStyle, Child().GetStyle() & dwTreeStyle);
    EXPECT_TRUE(::IsWindowVisible(hHeader));
    EXPECT_FALSE(::IsWindowVisible(hCorner));
    EXPECT_FALSE(::IsWindowVisible(hScroll));
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(hHeader, WM_GETFONT, 0, 0)), Child().GetFont());
    for (HWND hWnd : {Tree().m_hWnd, hHeader, hCorner, hScroll})
        EXPECT_TRUE(::GetWindowLongPtrW(hWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    // The tree starts at the header's foot and spans the control.
    RECT rcClient{};
    Tree().GetClientRect(&rcClient);
    EXPECT_GT(HeaderHeight(), 0);
    EXPECT_EQ(ChildRect(hTree).top, HeaderHeight());
    EXPECT_EQ(ChildRect(hTree).right, rcClient.right - 1);
    EXPECT_EQ(ChildRect(hTree).bottom, rcClient.bottom - 1);

    Tree().Initialize();
    int nTreeChildren = 0;
    for (HWND hChild = ::GetWindow(Tree(), GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        ++nTreeChildren;
    EXPECT_EQ(4, nTreeChildren);
}

TEST_F(ColumnTree, InsertColumnKeepsFormatsWithTheirColumnsAndRefusesASeventeenth)
{
    EXPECT_EQ(0, Tree().InsertColumn(0, L"Name", HDF_LEFT, 120));
    EXPECT_EQ(1, Tree().InsertColumn(1, L"Size", HDF_RIGHT, 60));
    // Inserted between them: the right-aligned column moves to 2 with its format.
    EXPECT_EQ(1, Tree().InsertColumn(1, L"Type", HDF_CENTER, 70));
    EXPECT_EQ(HDF_LEFT, Tree().GetColumnFormat(0));
    EXPECT_EQ(HDF_CENTER, Tree().GetColumnFormat(1));
    EXPECT_EQ(HDF_RIGHT, Tree().GetColumnFormat(2));
    EXPECT_EQ(250, ScrollRange());
    EXPECT_GT(::SendMessageW(Part(CColumnTreeCtrl::kIdCornerHeader), HDM_GETITEMCOUNT, 0, 0), 0);

    EXPECT_EQ(-1, Tree().InsertColumn(16, L"Beyond", HDF_LEFT, 10));
    EXPECT_EQ(-1, Tree().InsertColumn(-1, L"Before", HDF_LEFT, 10));
    for (int i = 3; i < CColumnTreeCtrl::kMaxColumns; ++i)
        EXPECT_EQ(i, Tree().InsertColumn(i, L"C" + std::to_wstring(i), HDF_LEFT, 10));
    EXPECT_EQ(-1, Tree().InsertColumn(3, L"Seventeenth", HDF_LEFT, 10));
    EXPECT_EQ(CColumnTreeCtrl::kMaxColumns, ColumnCount());
    EXPECT_EQ(HDF_RIGHT, Tree().GetColumnFormat(2));
}

TEST_F(ColumnTree, SetItemTextClosesEveryFieldWithATab)
{
    Prepare({100, 100, 100});
    const HTREEITEM hItem = AddNode(TVI_ROOT, L"a\t");
    Tree().SetItemText(hItem, 1, L"new");
    EXPECT_EQ(L"a\tnew\t\t", Child().GetFullItemText(hItem));
    EXPECT_EQ(L"new", Tree().GetItemText(hItem, 1));
    EXPECT_EQ(L"", Tree().GetItemText(hItem, 2));

    // Texts longer than any fixed buffer survive a rewrite of another column.
    const std::wstring strLong = L"http://example.com/" + std::wstring(5000, L'x');
    Tree().SetItemText(hItem, 2, strLong);
    Tree().SetItemText(hItem, 0, L"b");
    EXPECT_EQ(strLong, Tree().GetItemText(hItem, 2));
    EXPECT_EQ(L"b\tnew\t" + strLong + L"\t", Child().GetFullItemText(hItem));
}

TEST_F(ColumnTree, ClicksOnTickBoxesPropagateToDescendantsAndAncestors)
{
    Prepare();
    // a / b1 (c1, c2), b2 (c3)
    const HTREEITEM a = AddNode(TVI_ROOT, L"a");
    const HTREEITEM b1 = AddNode(a, L"b1");
    const HTREEITEM c1 = AddNode(b1, L"c1", 1);
    const HTREEITEM c2 = AddNode(b1, L"c2", 1);
    const HTREEITEM b2 = AddNode(a, L"b2");
    const HTREEITEM c3 = AddNode(b2, L"c3", 1);
    for (HTREEITEM hItem : {a, b1, b2})
        Child().Expand(hItem, TVE_EXPAND);
    EXPECT_EQ(kCheckTicked, Check(c3)) << "a new node of a tree with tick boxes starts ticked";
    Child().SetCheckState(a, kCheckClear);
    PumpMessages(0);
    ASSERT_EQ(kCheckClear, Check(c3));
    EXPECT_EQ(0, GreenAround(c1));

    Click(Child(), StateIconPoint(c1));
    EXPECT_EQ(kCheckTicked, Check(c1));
    EXPECT_EQ(kCheckPartly, Check(b1));
    EXPECT_EQ(kCheckPartly, Check(a));
    EXPECT_EQ(kCheckClear, Check(c2));
    EXPECT_GT(GreenAround(c1), 10);
    // The box's frame, 13 x 13, drawn whole.
    EXPECT_EQ(48, AroundTickBox(c1, Is(RGB(74, 105, 132))));
    EXPECT_EQ(48, AroundTickBox(a, Is(RGB(74, 105, 132))));
    EXPECT_GT(GreenAround(b1), GreenAround(c1));  // the partly ticked square is the larger mark

    // The rules themselves are the check model's; here the real tree carries them both ways.
    Click(Child(), StateIconPoint(b2));
    EXPECT_EQ(kCheckTicked, Check(c3));
    EXPECT_EQ(kCheckPartly, Check(a));

    // A partly ticked item is cleared with everything below it.
    Click(Child(), StateIconPoint(a));
    for (HTREEITEM hItem : {a, b1, c1, c2, b2, c3})
        EXPECT_EQ(kCheckClear, Check(hItem));
}

TEST_F(ColumnTree, SpaceTogglesTheSelectionAndNeverReachesTheTreeView)
{
    Prepare();
    const std::vector<HTREEITEM> windows = AddWindows(2, 2);
    const HTREEITEM hTab = Child().GetChildItem(windows[0]);

    // No selection: nothing happens.
    Child().SelectItem(nullptr);
    PressKey(Child(), VK_SPACE);
    for (HTREEITEM hWindow : windows)
        EXPECT_EQ(kCheckTicked, Check(hWindow));

    Child().SetFocus();
    Child().SelectItem(hTab);
    PressKey(Child(), VK_SPACE);
    EXPECT_EQ(kCheckClear, Check(hTab));
    EXPECT_EQ(kCheckPartly, Check(windows[0]));  // propagated, which the tree view would not do
    PressKey(Child(), VK_SPACE);
    EXPECT_EQ(kCheckTicked, Check(windows[0]));

    // Space of a selected window clears its tabs too.
    Child().SelectItem(windows[1]);
    PressKey(Child(), VK_SPACE);
    EXPECT_EQ(kCheckClear, Check(Child().GetChildItem(windows[1])));

    // The tree view never heard of Space; other keys do reach it, and the dialog.
    EXPECT_EQ(0u, m_dialog.Count(TVN_KEYDOWN, VK_SPACE));
    PressKey(Child(), VK_DOWN);
    EXPECT_EQ(1u, m_dialog.Count(TVN_KEYDOWN, VK_DOWN));
}

TEST_F(ColumnTree, DoubleClickTogglesALeafOnceNeverAParentAndOnATickBoxTwice)
{
    Prepare();
    const std::vector<HTREEITEM> windows = AddWindows(2, 3);
    const HTREEITEM hLeaf = Child().GetChildItem(windows[0]);
    PumpMessages(0);

    Click(Child(), LabelPoint(hLeaf), true);
    EXPECT_EQ(kCheckClear, Check(hLeaf));
    EXPECT_EQ(kCheckPartly, Check(windows[0]));
    EXPECT_EQ(hLeaf, Child().GetSelectedItem());
    // The record with the item reached the dialog as the column tree's.
    const auto itemRecord =
        std::find_if(m_dialog.m_notifications.begin(), m_dialog.m_notifications.end(),
                     [hLeaf](const CNotification& n) { return n.nCode == NM_DBLCLK && n.hItem == hLeaf; });
    ASSERT_NE(m_dialog.m_notifications.end(), itemRecord);
    EXPECT_EQ(static_cast<UINT_PTR>(IDC_COLUMN_TREE), itemRecord->nIdFrom);
    EXPECT_EQ(Tree().m_hWnd, itemRecord->hFrom);

    Click(Child(), LabelPoint(hLeaf), true);
    EXPECT_EQ(kCheckTicked, Check(hLeaf));

    // A parent's label: the tick stays; the tree view still expands and collapses it.
    const HTREEITEM hParent = windows[1];
    Click(Child(), LabelPoint(hParent), true);
    EXPECT_EQ(kCheckTicked, Check(hParent));
    EXPECT_FALSE(TreeView_GetItemState(Child(), hParent, TVIS_EXPANDED) & TVIS_EXPANDED);
    Click(Child(), LabelPoint(hParent), true);
    EXPECT_EQ(kCheckTicked, Check(hParent));

    // On a tick box: two toggles, each propagated.
    const HTREEITEM hTab = Child().GetChildItem(hParent);
    Click(Child(), StateIconPoint(hParent), true);
    EXPECT_EQ(kCheckTicked, Check(hParent));
    EXPECT_EQ(kCheckTicked, Check(hTab));
    Click(Child(), StateIconPoint(hTab), true);
    EXPECT_EQ(kCheckTicked, Check(hTab));
    EXPECT_EQ(kCheckTicked, Check(hParent));
}

TEST_F(ColumnTree, AClickOnThePartlyVisibleBottomRowScrollsAndSelectsWithoutToggling)
{
    Prepare();
    const std::vector<HTREEITEM> windows = AddWindows(1, 20);
    Child().EnsureVisible(windows[0]);
    // Five and a half rows.
    const int nItemHeight = TreeView_GetItemHeight(Child());
    RECT rcClient{};
    Tree().GetClientRect(&rcClient);
    RECT rcTreeClient{};
    Child().GetClientRect(&rcTreeClient);
    SizeTree(rcClient.right, rcClient.bottom - rcTreeClient.bottom + nItemHeight * 5 + nItemHeight / 2);
    Child().GetClientRect(&rcTreeClient);
    ASSERT_EQ(nItemHeight * 5 + nItemHeight / 2, rcTreeClient.bottom);

    HTREEITEM hCut = Child().GetFirstVisibleItem();
    while (hCut && Row(hCut).bottom <= rcTreeClient.bottom)
        hCut = Child().GetNextVisibleItem(hCut);
    ASSERT_NE(nullptr, hCut);
    const HTREEITEM hFirstBefore = Child().GetFirstVisibleItem();
    const int nBefore = Check(hCut);
    POINT ptTickBox = StateIconPoint(hCut);
    ptTickBox.y = (Row(hCut).top + rcTreeClient.bottom) / 2;  // on its visible part

    Click(Child(), ptTickBox);
    EXPECT_EQ(nBefore, Check(hCut));
    EXPECT_EQ(hCut, Child().GetSelectedItem());
    EXPECT_NE(hFirstBefore, Child().GetFirstVisibleItem());
    EXPECT_LE(Row(hCut).bottom, rcTreeClient.bottom);

    // Now whole, the same row's tick box toggles.
    Click(Child(), StateIconPoint(hCut));
    EXPECT_NE(nBefore, Check(hCut));
}

TEST_F(ColumnTree, HitTestFindsTheColumnAndNothingRightOfTheLast)
{
    Prepare({150, 100, 90});
    const HTREEITEM hTab = Child().GetChildItem(AddWindows(1, 2)[0]);
    const RECT rcRow = Row(hTab);
    const int y = HeaderHeight() + (rcRow.top + rcRow.bottom) / 2;
    const auto hitAt = [&](int x, int nSubItem, UINT nFlags, HTREEITEM hItem) {
        SCOPED_TRACE(testing::Message() << "x " << x);
        COLUMNTREEHITINFO hit{};
        hit.pt = {x, y};
        EXPECT_EQ(hItem, Tree().HitTest(&hit));
        EXPECT_EQ(hItem, hit.hItem);
        EXPECT_EQ(hItem ? nSubItem : hit.iSubItem, hit.iSubItem);
        EXPECT_TRUE(hit.flags & nFlags);
    };
    hitAt(150 + 100 + 30, 2, TVHT_ONITEMLABEL, hTab);
    hitAt(150 + 100 + 90 + 20, 0, TVHT_NOWHERE, nullptr);
    // Left of the label the tree view's answer stands, in column 0.
    hitAt(StateIconPoint(hTab).x, 0, TVHT_ONITEMSTATEICON, hTab);

    // At the cursor, in the column tree's own coordinates.
    POINT ptScreen = {150 + 50, y};
    Tree().ClientToScreen(&ptScreen);
    ::SetCursorPos(ptScreen.x, ptScreen.y);
    COLUMNTREEHITINFO hit{};
    EXPECT_EQ(hTab, Tree().HitTestAtCursor(&hit));
    EXPECT_EQ(1, hit.iSubItem);
    EXPECT_EQ(150 + 50, hit.pt.x);

    // Scrolled: the same point of the view lies further right in the columns.
    SizeTree(200, 200);
    Tree().SendMessage(WM_HSCROLL, SB_PAGERIGHT, reinterpret_cast<LPARAM>(Part(CColumnTreeCtrl::kIdScrollBar)));
    ASSERT_EQ(340 - 200, ScrollX());
    hitAt(130, 2, TVHT_ONITEMLABEL, hTab);
}

TEST_F(ColumnTree, HorizontalScrollingMovesHeaderAndTreeTogetherWithinTheColumns)
{
    Prepare();  // 425 pixels of columns
    AddWindows(1, 2);
    SizeTree(300, 200);
    const HWND hScroll = Part(CColumnTreeCtrl::kIdScrollBar);
    const HWND hHeader = Part(CColumnTreeCtrl::kIdHeader);
    ASSERT_TRUE(::IsWindowVisible(hScroll));
    EXPECT_EQ(200 - ::GetSystemMetrics(SM_CYHSCROLL), ChildRect(hScroll).top);
    const int nMax = 425 - 300;

    // The right arrow, clicked: one line.
    RECT rcScroll{};
    ::GetClientRect(hScroll, &rcScroll);
    Click(hScroll, POINT{rcScroll.right - 4, rcScroll.bottom / 2});
    EXPECT_EQ(15, ScrollX());
    EXPECT_EQ(-15, ChildRect(hHeader).left);
    EXPECT_EQ(-15, ChildRect(Child()).left);
    EXPECT_EQ(15, ::GetScrollPos(hScroll, SB_CTL));

    const auto scroll = [this, hScroll](UINT nCode, int nPos = 0) {
        Tree().SendMessage(WM_HSCROLL, MAKEWPARAM(nCode, nPos), reinterpret_cast<LPARAM>(hScroll));
        return ScrollX();
    };
    EXPECT_EQ(0, scroll(SB_LINELEFT));
    EXPECT_EQ(0, scroll(SB_LINELEFT));
    EXPECT_EQ(nMax, scroll(SB_PAGERIGHT));  // a page is the visible width, clamped at the end
    EXPECT_EQ(-nMax, ChildRect(Child()).left);
    EXPECT_EQ(nMax, scroll(SB_LINERIGHT));
    EXPECT_EQ(nMax - 15, scroll(SB_LINELEFT));
    EXPECT_EQ(0, scroll(SB_PAGELEFT));
    EXPECT_EQ(42, scroll(SB_THUMBTRACK, 42));
    EXPECT_EQ(42, scroll(SB_THUMBPOSITION, 99));
    EXPECT_EQ(nMax, scroll(SB_RIGHT));
    EXPECT_EQ(0, scroll(SB_LEFT));

    // A page of the visible width, in a wider set of columns.
    Tree().InsertColumn(2, L"More", HDF_LEFT, 400);
    EXPECT_EQ(300, scroll(SB_PAGERIGHT));
    EXPECT_EQ(-300, ChildRect(hHeader).left);

    // Everything fits once the control is wide enough: back to the start, no scroll bar.
    SizeTree(900, 200);
    EXPECT_EQ(0, ScrollX());
    EXPECT_FALSE(::IsWindowVisible(hScroll));
    EXPECT_EQ(0, ChildRect(Child()).left);

    // Too short for a header and a scroll bar: none, even though the columns do not fit.
    SizeTree(300, HeaderHeight() + ::GetSystemMetrics(SM_CYHSCROLL) - 1);
    EXPECT_FALSE(::IsWindowVisible(hScroll));
    SizeTree(300, HeaderHeight() + ::GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_TRUE(::IsWindowVisible(hScroll));
}

TEST_F(ColumnTree, TheCornerHeaderFollowsTheTreesVerticalScrollBar)
{
    Prepare();
    const std::vector<HTREEITEM> windows = AddWindows(3, 10);
    SizeTree(500, 200);
    const HWND hCorner = Part(CColumnTreeCtrl::kIdCornerHeader);
    const HWND hHeader = Part(CColumnTreeCtrl::kIdHeader);
    const int cxVScroll = ::GetSystemMetrics(SM_CXVSCROLL);
    ASSERT_TRUE(Child().GetStyle() & WS_VSCROLL);
    EXPECT_TRUE(::IsWindowVisible(hCorner));
    EXPECT_EQ(500 - cxVScroll, ChildRect(hHeader).right);
    EXPECT_EQ(500 - cxVScroll, ChildRect(hCorner).left);

    // Repainting the control leaves the foot of the tree's scroll bar as the tree drew it.
    const auto footPixels = [this, cxVScroll] {
        CRgbImage image;
        EXPECT_TRUE(CaptureWindow(Child(), image));
        std::vector<uint32_t> pixels;
        for (int y = image.nHeight - ::GetSystemMetrics(SM_CYHSCROLL); y < image.nHeight; ++y)
        {
            for (int x = image.nWidth - cxVScroll; x < image.nWidth; ++x)
                pixels.push_back(image.At(x, y));
        }
        return pixels;
    };
    const std::vector<uint32_t> before = footPixels();
    ASSERT_TRUE(std::any_of(before.begin(), before.end(),
                            [](uint32_t cr) { return cr != ::GetSysColor(COLOR_BTNFACE); }));
    ::RedrawWindow(Tree(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
    EXPECT_EQ(before, footPixels());

    // Collapsed, the rows fit: the tree hides its scroll bar and the corner goes with it.
    for (HTREEITEM hWindow : windows)
        Child().Expand(hWindow, TVE_COLLAPSE);
    Tree().RepositionControls();
    EXPECT_FALSE(::IsWindowVisible(hCorner));
    EXPECT_EQ(500, ChildRect(hHeader).right);

    // Expanded by the user (a double click) the layout follows through TVN_ITEMEXPANDED.
    Click(Child(), LabelPoint(windows[0]), true);
    EXPECT_TRUE(::IsWindowVisible(hCorner));

    // With both scroll bars the square between them is filled with the face colour, and so are
    // the strips the tree leaves right of and below it, whatever a wider layout drew there.
    SizeTree(300, 200);
    ASSERT_TRUE(::IsWindowVisible(Part(CColumnTreeCtrl::kIdScrollBar)));
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    const RECT rcTree = ChildRect(Child());
    EXPECT_EQ(CountPixels(Tree(), RECT{rcTree.right, HeaderHeight(), 300, 200}, Is(crFace)),
              (300 - rcTree.right) * (200 - HeaderHeight()));
    EXPECT_EQ(CountPixels(Tree(), RECT{0, rcTree.bottom, 300, rcTree.bottom + 1}, Is(crFace)), 300);
}

TEST_F(ColumnTree, TheFirstColumnCannotBeNarrowedBelowItsMinimum)
{
    Prepare();
    const HTREEITEM hItem = AddNode(TVI_ROOT, L"a");
    SetHeaderWidth(0, -5);
    EXPECT_EQ(216, Tree().GetColumnWidth(0));
    EXPECT_EQ(216, HeaderWidth(0));

    // An accepted change reaches the total and the tree, which draws its parts within the first
    // column: narrowed left of the tick box, the box is not drawn.
    SetHeaderWidth(0, 150);
    EXPECT_EQ(150 + 209, ScrollRange());
    EXPECT_EQ(0u, m_dialog.Count(HDN_ITEMCHANGEDW));  // handled, not passed on
    EXPECT_GT(GreenAround(hItem), 0);
    SetHeaderWidth(0, StateIconPoint(hItem).x - 10);
    EXPECT_EQ(0, GreenAround(hItem));
}

TEST_F(ColumnTree, TheChildrensNotificationsReachTheParentAsTheColumnTrees)
{
    Prepare();
    const std::vector<HTREEITEM> windows = AddWindows(1, 3);
    const HTREEITEM hTab = Child().GetNextSiblingItem(Child().GetChildItem(windows[0]));
    m_dialog.m_notifications.clear();

    Click(Child(), LabelPoint(hTab));
    EXPECT_EQ(hTab, Child().GetSelectedItem());
    ASSERT_GE(m_dialog.Count(TVN_SELCHANGEDW), 1u);
    ASSERT_GE(m_dialog.Count(NM_CLICK), 1u);
    for (const CNotification& n : m_dialog.m_notifications)
    {
        EXPECT_EQ(Tree().m_hWnd, n.hFrom) << "code " << static_cast<int>(n.nCode);
        EXPECT_EQ(static_cast<UINT_PTR>(IDC_COLUMN_TREE), n.nIdFrom);
        EXPECT_EQ(static_cast<WPARAM>(IDC_COLUMN_TREE), n.wParam);
    }
}

TEST_F(ColumnTree, ColumnTextsAreDrawnInTheirColumnsAndANarrowColumnDrawsNothing)
{
    Prepare({150, 200, 3});
    const std::vector<HTREEITEM> windows = AddWindows(1, 2);
    const HTREEITEM hTab = Child().GetChildItem(windows[0]);
    Tree().SetItemText(hTab, 2, L"WWWWWWWWWW");
    SizeTree(450, 200);
    const auto darkIn = [&](HTREEITEM hItem, int nLeft, int nRight) {
        const RECT rcRow = Row(hItem);
        return CountPixels(Child(), RECT{nLeft, rcRow.top, nRight, rcRow.bottom},
                           [](COLORREF cr) { return GetRValue(cr) + GetGValue(cr) + GetBValue(cr) < 300; });
    };

    const int nIndent = IsCommonControls6() ? 9 : 6;  // where version 6 draws header texts
    EXPECT_GT(darkIn(hTab, 150 + 1 + nIndent, 350 - 3), 20);
    EXPECT_EQ(0, darkIn(hTab, 150, 150 + 1 + nIndent));
    EXPECT_EQ(0, darkIn(hTab, 350, 440));
    // The window row has no location; its column stays empty.
    EXPECT_EQ(0, darkIn(windows[0], 150, 440));

    // A selected row of a focused tree is highlighted across every column.
    Child().SetFocus();
    Child().SelectItem(hTab);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), PixelAt(Child(), POINT{340, Row(hTab).top + 2}));
}

TEST_F(ColumnTree, ClicksCountOnTheFirstColumnsTextOnlyWithoutFullRowSelect)
{
    Prepare({200, 200}, 0);
    const HTREEITEM hItem = AddNode(TVI_ROOT, L"Tab");
    Tree().SetItemText(hItem, 1, L"http://example.com/a/long/address");
    const RECT rcLabel = Row(hItem, TRUE);
    const int y = (rcLabel.top + rcLabel.bottom) / 2;
    EXPECT_TRUE(Child().IsPointOnItem(POINT{rcLabel.left + 2, y}));
    EXPECT_FALSE(Child().IsPointOnItem(POINT{190, y}));   // beyond the text, still in column 0
    EXPECT_FALSE(Child().IsPointOnItem(POINT{260, y}));   // in column 1
    EXPECT_FALSE(Child().IsPointOnItem(POINT{rcLabel.left + 2, rcLabel.bottom + 40}));  // no row

    Child().ModifyStyle(0, TVS_FULLROWSELECT);
    EXPECT_TRUE(Child().IsPointOnItem(POINT{260, y}));

    // A click on empty space below the rows only takes the focus.
    ::SetFocus(m_dialog.Item(IDOK));
    Click(Child(), POINT{rcLabel.left + 2, rcLabel.bottom + 40});
    EXPECT_EQ(Child().m_hWnd, ::GetFocus());
}

TEST_F(ColumnTree, TooltipsGiveTheWholeTextOfTheCellUnderTheCursor)
{
    Prepare();
    const HTREEITEM hWindow = AddNode(TVI_ROOT, L"Instance 1");
    const HTREEITEM hTab = AddNode(hWindow, L"A title", 1);
    const std::wstring strAddress = L"http://example.com/" + std::wstring(2500, L'p');
    Tree().SetItemText(hTab, 1, strAddress);
    Child().Expand(hWindow, TVE_EXPAND);
    const RECT rcRow = Row(hTab);
    const int y = (rcRow.top + rcRow.bottom) / 2;
    const auto askAt = [&](POINT pt) {
        Child().ClientToScreen(&pt);
        ::SetCursorPos(pt.x, pt.y);
        NMTTDISPINFOW wide{};
        wide.hdr.code = TTN_NEEDTEXTW;
        wide.hdr.idFrom = reinterpret_cast<UINT_PTR>(hTab);
        Child().SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&wide));
        return wide.lpszText ? std::wstring(wide.lpszText) : L"(none)";
    };

    // Both requests, for the cell in column 1, cut to the buffers.
    EXPECT_EQ(strAddress.substr(0, CCustomTreeChildCtrl::kTipTextSize - 1), askAt(POINT{216 + 40, y}));
    NMTTDISPINFOA narrow{};
    narrow.hdr.code = TTN_NEEDTEXTA;
    narrow.hdr.idFrom = reinterpret_cast<UINT_PTR>(hTab);
    Child().SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&narrow));
    ASSERT_NE(nullptr, narrow.lpszText);
    EXPECT_EQ(std::string(CCustomTreeChildCtrl::kTipTextSize - 1 - 19, 'p'), std::string(narrow.lpszText).substr(19));
    // Column 0 gives the title; over nothing, the request is left to the tree view.
    EXPECT_EQ(L"A title", askAt(LabelPoint(hTab)));
    EXPECT_EQ(L"(none)", askAt(POINT{20, rcRow.bottom + 60}));

    // Resting on a cell shows the real tip; into the first column it closes once, then the title.
    Tree().SetItemText(hTab, 1, L"http://example.com/shown/in/the/tip");
    MouseMove(Child(), POINT{216 + 30, y});
    MouseMove(Child(), POINT{216 + 31, y});
    HWND hTip = nullptr;
    ASSERT_TRUE(WaitFor([&hTip] { return (hTip = FindShownToolTip()) != nullptr; }, 5000));
    EXPECT_EQ(L"http://example.com/shown/in/the/tip", CWnd::FromHandle(hTip)->GetWindowText());
    MouseMove(Child(), POINT{LabelPoint(hTab).x, y});
    EXPECT_EQ(nullptr, FindShownToolTip());
    MouseMove(Child(), POINT{LabelPoint(hTab).x + 1, y});
    ASSERT_TRUE(WaitFor([&hTip] { return (hTip = FindShownToolTip()) != nullptr; }, 5000));
    EXPECT_EQ(L"A title", CWnd::FromHandle(hTip)->GetWindowText());
}

TEST_F(ColumnTree, AccessibilityClientsReadTicksInTheSystemsTermsWithNamesAndLevels)
{
    Prepare();
    const std::vector<HTREEITEM> windows = AddWindows(3, 2);
    Child().SetCheckState(windows[1], kCheckClear);
    Child().ToggleCheckState(Child().GetChildItem(windows[2]));

    // As a client in another process finds it: through the window's WM_GETOBJECT.
    CComInitializer com;
    CComPtr<IAccessible> pTree;
    ASSERT_EQ(S_OK, ::AccessibleObjectFromWindow(Child(), OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&pTree)));
    const CComVariant self(static_cast<long>(CHILDID_SELF));
    CComBSTR bstrName;
    EXPECT_EQ(S_OK, pTree->get_accName(self, &bstrName));
    EXPECT_EQ(L"Open pages", Text(bstrName));
    CComVariant role;
    pTree->get_accRole(self, &role);
    EXPECT_EQ(ROLE_SYSTEM_OUTLINE, role.lVal);

    long nCount = 0;
    ASSERT_EQ(S_OK, pTree->get_accChildCount(&nCount));
    ASSERT_EQ(9, nCount);
    std::vector<VARIANT> children(9);
    long nGot = 0;
    ASSERT_EQ(S_OK, ::AccessibleChildren(pTree, 0, nCount, children.data(), &nGot));
    ASSERT_EQ(9, nGot);
    const auto stateOf = [&](int i) {
        CComVariant state;
        EXPECT_EQ(S_OK, pTree->get_accState(children[static_cast<size_t>(i)], &state));
        return state.lVal;
    };
    const std::pair<std::wstring, LONG> expected[] = {
        {L"Instance 1", STATE_SYSTEM_CHECKED}, {L"Page 1.1", STATE_SYSTEM_CHECKED}, {L"Page 1.2", STATE_SYSTEM_CHECKED},
        {L"Instance 2", 0},                    {L"Page 2.1", 0},                    {L"Page 2.2", 0},
        {L"Instance 3", STATE_SYSTEM_MIXED},   {L"Page 3.1", 0},                    {L"Page 3.2", STATE_SYSTEM_CHECKED},
    };
    for (int i = 0; i < 9; ++i)
    {
        const VARIANT& child = children[static_cast<size_t>(i)];
        ASSERT_EQ(VT_I4, child.vt);
        const auto& [strName, nCheck] = expected[i];
        SCOPED_TRACE(testing::Message() << "child " << i);
        const bool bTab = strName[0] == L'P';
        CComBSTR bstrItem, bstrLevel, bstrAddress;
        CComVariant itemRole;
        pTree->get_accName(child, &bstrItem);
        pTree->get_accValue(child, &bstrLevel);
        pTree->get_accDescription(child, &bstrAddress);
        pTree->get_accRole(child, &itemRole);
        EXPECT_EQ(strName, Text(bstrItem));
        EXPECT_EQ(bTab ? L"1" : L"0", Text(bstrLevel));
        EXPECT_EQ(bTab ? L"http://example.com/" + strName.substr(5, 1) + L"/" + strName.substr(7, 1) : L"",
                  Text(bstrAddress));
        EXPECT_EQ(nCheck, stateOf(i) & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED));
        EXPECT_EQ(ROLE_SYSTEM_OUTLINEITEM, itemRole.lVal);
    }

    // A click is read at once, and the item the keyboard is on is the focused one.
    const HTREEITEM hTab = Child().GetChildItem(windows[1]);
    Click(Child(), StateIconPoint(hTab));
    Child().SetFocus();
    Child().SelectItem(hTab);
    const LONG nShown = STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED |
                        STATE_SYSTEM_EXPANDED;
    EXPECT_EQ(STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED, stateOf(4) & nShown);
    EXPECT_EQ(STATE_SYSTEM_MIXED | STATE_SYSTEM_EXPANDED, stateOf(3) & nShown);
    CComVariant focus;
    ASSERT_EQ(S_OK, pTree->get_accFocus(&focus));
    EXPECT_EQ(children[4].lVal, focus.lVal);

    // Ids that name nothing are refused; once the window is gone, everything is.
    CComBSTR bstrNone;
    EXPECT_EQ(E_INVALIDARG, pTree->get_accName(CComVariant(10L), &bstrNone));
    m_dialog.DestroyWindow();
    EXPECT_EQ(RPC_E_DISCONNECTED, pTree->get_accChildCount(&nCount));
}

TEST_F(ColumnTree, RowsShowTheirTextInTheSchemesColoursAndGreyWithTheControlDisabled)
{
    Prepare();
    const std::vector<HTREEITEM> windows = AddWindows(1, 2);
    const HTREEITEM hTab = Child().GetChildItem(windows[0]);
    const HTREEITEM hSelected = Child().GetNextSiblingItem(hTab);
    Child().SetFocus();
    Child().SelectItem(hSelected);
    // Disabled, the tree's empty part takes the face colour, and gives it back once enabled.
    RECT rcClient{};
    Child().GetClientRect(&rcClient);
    const POINT ptEmpty{rcClient.right - 5, rcClient.bottom - 5};
    Tree().EnableWindow(FALSE);
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), PixelAt(Child(), ptEmpty));
    Tree().EnableWindow(TRUE);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), PixelAt(Child(), ptEmpty));

    CSysColorsScope scheme(HighContrastBlackColours());
    ASSERT_TRUE(scheme.Applied());
    Child().Invalidate();
    struct
    {
        const char* pszWhat;
        HTREEITEM hItem;
        bool bEnabled;
        int nBack;
        int nText;
    } const rows[] = {
        {"a row", hTab, true, COLOR_WINDOW, COLOR_WINDOWTEXT},
        {"a row, disabled", hTab, false, COLOR_BTNFACE, COLOR_GRAYTEXT},
        {"the selected row, enabled again", hSelected, true, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.pszWhat);
        Tree().EnableWindow(row.bEnabled);
        if (row.bEnabled)
            Child().SetFocus();
        PumpMessages(0);
        for (UINT nId : {CColumnTreeCtrl::kIdHeader, CColumnTreeCtrl::kIdTreeChild, CColumnTreeCtrl::kIdScrollBar,
                         CColumnTreeCtrl::kIdCornerHeader})
            EXPECT_EQ(row.bEnabled, ::IsWindowEnabled(Part(nId)) != FALSE) << "part " << nId;
        // The name from the label's start, the address after the first column.
        const RECT rcLabel = Row(row.hItem, TRUE);
        const int nFirst = Tree().GetColumnWidth(0);
        const RECT rcName = {rcLabel.left, rcLabel.top, nFirst, rcLabel.bottom};
        const RECT rcAddress = {nFirst, rcLabel.top, nFirst + Tree().GetColumnWidth(1), rcLabel.bottom};
        const COLORREF crText = ::GetSysColor(row.nText);
        EXPECT_GT(CountPixels(Child(), rcName, Is(crText)), 10) << "no name drawn";
        EXPECT_GT(CountPixels(Child(), rcAddress, Is(crText)), 10) << "no address drawn";
        EXPECT_GT(CountPixels(Child(), rcAddress, Is(::GetSysColor(row.nBack))), RectWidth(rcAddress))
            << "not on its background";
    }
}

}  // namespace
