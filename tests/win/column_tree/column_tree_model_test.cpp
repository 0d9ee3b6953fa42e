// The parts of the column tree that need no window: item texts of TAB-ended fields, horizontal
// scrolling and layout arithmetic, column hits, and the three-state check propagation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "controls/column_tree_ctrl.h"
#include "controls/custom_tree_child_ctrl.h"

inline bool operator==(const RECT& left, const RECT& right)
{
    return ::EqualRect(&left, &right) != FALSE;
}

inline void PrintTo(const RECT& rect, std::ostream* pOut)
{
    *pOut << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << "}";
}

namespace
{
TEST(TabFields, ReadFieldsOfTabEndedTexts)
{
    const std::wstring strText = L"Blank page\tabout:blank\t\t";
    EXPECT_EQ(L"Blank page", GetTabField(strText, 0));
    EXPECT_EQ(L"about:blank", GetTabField(strText, 1));
    EXPECT_EQ(L"", GetTabField(strText, 2));
    EXPECT_EQ(L"", GetTabField(strText, 7));
    EXPECT_EQ(L"", GetTabField(strText, -1));

    // A text inserted as a plain title is its first field.
    EXPECT_EQ(L"Title", GetTabField(L"Title", 0));

    std::wstring strField = L"stale";
    EXPECT_TRUE(ExtractTabField(L"a\t", 1, strField));  // after the last TAB: empty, but there
    EXPECT_EQ(L"", strField);
    EXPECT_FALSE(ExtractTabField(L"a", 1, strField));
    EXPECT_EQ(L"", strField);
    EXPECT_FALSE(ExtractTabField(L"a\tb\t", 3, strField));
}

TEST(TabFields, ReplaceRebuildsOneFieldPerColumn)
{
    // Column 1 of three on "a" TAB: every field closed by a TAB, the third one empty.
    EXPECT_EQ(L"a\tnew\t\t", ReplaceTabField(L"a\t", 1, L"new", 3));
    EXPECT_EQ(L"title\taddress\t", ReplaceTabField(L"title", 1, L"address", 2));
    EXPECT_EQ(L"renamed\taddress\t", ReplaceTabField(L"title\taddress\t", 0, L"renamed", 2));
    // Fields beyond the columns are dropped, and so is a text for a column that does not exist.
    EXPECT_EQ(L"a\tb\t", ReplaceTabField(L"a\tb\tc\td\t", 5, L"x", 2));
    EXPECT_EQ(L"", ReplaceTabField(L"a\tb\t", 0, L"x", 0));
    // A TAB inside a text would split it into the next column.
    EXPECT_EQ(L"one two\tb\t", ReplaceTabField(L"a\tb\t", 0, L"one\ttwo", 2));
}

TEST(HorizontalScroll, StepsAndClamps)
{
    struct CCase
    {
        UINT nCode;
        int nPos;
        int nThumbPos;
        int nTotal;
        int nVisible;
        int nExpected;
    };
    // 700 of columns in 300 visible, so the far end is 400, unless said otherwise.
    const CCase cases[] = {
        {SB_LINERIGHT, 0, 0, 700, 300, 15},
        {SB_LINELEFT, 100, 0, 700, 300, 85},
        {SB_LINELEFT, 10, 0, 700, 300, 0},
        {SB_PAGERIGHT, 0, 0, 700, 300, 300},
        {SB_PAGERIGHT, 300, 0, 700, 300, 400},
        {SB_PAGELEFT, 350, 0, 700, 300, 50},
        {SB_PAGELEFT, 250, 0, 700, 300, 0},
        {SB_THUMBTRACK, 0, 123, 700, 300, 123},
        {SB_THUMBTRACK, 0, 999, 700, 300, 400},
        {SB_LEFT, 250, 0, 700, 300, 0},
        {SB_RIGHT, 0, 0, 700, 300, 400},
        // The thumb's release and the end of scrolling leave the position where tracking put it.
        {SB_THUMBPOSITION, 250, 0, 700, 300, 250},
        {SB_ENDSCROLL, 250, 0, 700, 300, 250},
        // Everything fits: no position but 0.
        {SB_LINERIGHT, 0, 0, 200, 300, 0},
        {SB_RIGHT, 0, 0, 200, 300, 0},
    };
    for (const CCase& c : cases)
    {
        EXPECT_EQ(c.nExpected, ScrollPositionForCode(c.nCode, c.nPos, c.nThumbPos, c.nTotal, c.nVisible))
            << "code " << c.nCode << " from " << c.nPos << ", " << c.nTotal << " in " << c.nVisible;
    }

    EXPECT_EQ(0, ClampScrollPosition(-5, 700, 300));
    EXPECT_EQ(400, ClampScrollPosition(401, 700, 300));
    EXPECT_EQ(0, ClampScrollPosition(120, 250, 300));
}

TEST(Layout, HeaderAndTreeSlideTogetherAndTheScrollBarShowsOnlyWhenNeeded)
{
    const CColumnTreeMetrics metrics{17, 17};
    const int nHeader = 20;

    // Columns 700 wide in a 300 x 200 area scrolled by 40, with a vertical scroll bar.
    CColumnTreeLayout layout = ComputeColumnTreeLayout(300, 200, 700, 40, true, nHeader, metrics);
    EXPECT_TRUE(layout.bShowScrollBar);
    EXPECT_TRUE(layout.bShowCornerHeader);
    EXPECT_EQ((RECT{-40, 0, -40 + 340 - 17, 20}), layout.rcHeader);
    EXPECT_EQ((RECT{283, 0, 300, 20}), layout.rcCornerHeader);
    EXPECT_EQ((RECT{-40, 20, -40 + 339, 200 - 17 - 1}), layout.rcTree);
    EXPECT_EQ((RECT{0, 183, 283, 200}), layout.rcScrollBar);

    // Everything fits: no scroll bar, no shift, the tree reaches the foot.
    layout = ComputeColumnTreeLayout(300, 200, 250, 40, false, nHeader, metrics);
    EXPECT_FALSE(layout.bShowScrollBar);
    EXPECT_FALSE(layout.bShowCornerHeader);
    EXPECT_EQ((RECT{0, 0, 300, 20}), layout.rcHeader);
    EXPECT_EQ((RECT{0, 20, 299, 199}), layout.rcTree);

    // Needed, but the control is too short for header and scroll bar: hidden.
    layout = ComputeColumnTreeLayout(300, nHeader + 16, 700, 0, false, nHeader, metrics);
    EXPECT_FALSE(layout.bShowScrollBar);
    layout = ComputeColumnTreeLayout(300, nHeader + 17, 700, 0, false, nHeader, metrics);
    EXPECT_TRUE(layout.bShowScrollBar);

    // The vertical scroll bar counts towards the width: 290 of columns need scrolling in 300.
    layout = ComputeColumnTreeLayout(300, 200, 290, 0, true, nHeader, metrics);
    EXPECT_TRUE(layout.bShowScrollBar);
}

TEST(Columns, HitRangesIncludeBothEdges)
{
    const int widths[] = {100, 50, 80};
    EXPECT_EQ(0, FindColumnAt(widths, 3, 0));
    EXPECT_EQ(0, FindColumnAt(widths, 3, 100));  // the shared edge belongs to the first
    EXPECT_EQ(1, FindColumnAt(widths, 3, 101));
    EXPECT_EQ(1, FindColumnAt(widths, 3, 150));
    EXPECT_EQ(2, FindColumnAt(widths, 3, 151));
    EXPECT_EQ(2, FindColumnAt(widths, 3, 230));
    EXPECT_EQ(-1, FindColumnAt(widths, 3, 231));
    EXPECT_EQ(-1, FindColumnAt(widths, 3, -1));
    EXPECT_EQ(-1, FindColumnAt(widths, 0, 10));
    EXPECT_EQ(0, ColumnLeft(widths, 0));
    EXPECT_EQ(150, ColumnLeft(widths, 2));
}

// A tree of plain nodes with the calls the propagation rules make.
class CFakeTree
{
public:
    HTREEITEM Add(HTREEITEM hParent, int nValue)
    {
        m_nodes.push_back({Index(hParent), nValue});
        return Handle(m_nodes.size() - 1);
    }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return Next(hItem, -1); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return Next(m_nodes[Index(hItem)].nParent, Index(hItem)); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const
    {
        const int nParent = m_nodes[Index(hItem)].nParent;
        return nParent < 0 ? nullptr : Handle(nParent);
    }
    int GetCheckValue(HTREEITEM hItem) const { return m_nodes[Index(hItem)].nValue; }
    BOOL SetCheckValue(HTREEITEM hItem, int nValue)
    {
        m_nodes[Index(hItem)].nValue = nValue;
        return TRUE;
    }
    int operator[](HTREEITEM hItem) const { return GetCheckValue(hItem); }

private:
    struct CNode
    {
        int nParent;
        int nValue;
    };
    static HTREEITEM Handle(std::size_t nIndex) { return reinterpret_cast<HTREEITEM>(nIndex + 1); }
    static int Index(HTREEITEM hItem) { return static_cast<int>(reinterpret_cast<std::size_t>(hItem)) - 1; }
    // The first node after nAfter whose parent is nParent.
    HTREEITEM Next(HTREEITEM hParent, int nAfter) const { return Next(Index(hParent), nAfter); }
    HTREEITEM Next(int nParent, int nAfter) const
    {
        for (std::size_t i = static_cast<std::size_t>(nAfter + 1); i < m_nodes.size(); ++i)
        {
            if (m_nodes[i].nParent == nParent)
                return Handle(i);
        }
        return nullptr;
    }

    std::vector<CNode> m_nodes;
};

// a
// +- b1
// |  +- c1, c2
// +- b2
//    +- c3
// and a second root r with a leaf below it.
class CheckPropagation : public testing::Test
{
protected:
    void SetUp() override
    {
        a = tree.Add(nullptr, kCheckClear);
        b1 = tree.Add(a, kCheckClear);
        c1 = tree.Add(b1, kCheckClear);
        c2 = tree.Add(b1, kCheckClear);
        b2 = tree.Add(a, kCheckClear);
        c3 = tree.Add(b2, kCheckClear);
        r = tree.Add(nullptr, kCheckClear);
        rLeaf = tree.Add(r, kCheckClear);
    }
    void Toggle(HTREEITEM hItem) { SetCheckAndPropagate(tree, hItem, ToggledCheckValue(tree[hItem])); }

    CFakeTree tree;
    HTREEITEM a, b1, c1, c2, b2, c3, r, rLeaf;
};

TEST_F(CheckPropagation, TickingAnItemTicksItsDescendantsAndAncestorsWhoseChildrenAllAgree)
{
    Toggle(b1);
    EXPECT_EQ(kCheckTicked, tree[b1]);
    EXPECT_EQ(kCheckTicked, tree[c1]);
    EXPECT_EQ(kCheckTicked, tree[c2]);
    EXPECT_EQ(kCheckPartly, tree[a]);   // b2 is still clear
    EXPECT_EQ(kCheckClear, tree[b2]);
    EXPECT_EQ(kCheckClear, tree[r]);    // another root is not an ancestor

    Toggle(c3);
    EXPECT_EQ(kCheckTicked, tree[b2]);  // its only child
    EXPECT_EQ(kCheckTicked, tree[a]);   // now every child agrees
}

TEST_F(CheckPropagation, MixedChildrenMakeEveryHigherAncestorPartlyTicked)
{
    SetCheckAndPropagate(tree, a, kCheckTicked);
    Toggle(c1);  // clear one grandchild
    EXPECT_EQ(kCheckClear, tree[c1]);
    EXPECT_EQ(kCheckPartly, tree[b1]);
    // b2 is ticked like the cleared leaf's old value, yet a is partly ticked: once mixed, always.
    EXPECT_EQ(kCheckPartly, tree[a]);
    EXPECT_EQ(kCheckTicked, tree[b2]);
}

TEST_F(CheckPropagation, APartlyTickedItemIsClearedWithItsDescendants)
{
    Toggle(c1);
    ASSERT_EQ(kCheckPartly, tree[a]);
    Toggle(a);
    for (HTREEITEM hItem : {a, b1, c1, c2, b2, c3})
        EXPECT_EQ(kCheckClear, tree[hItem]);
    EXPECT_EQ(kCheckClear, ToggledCheckValue(kCheckPartly));
    EXPECT_EQ(kCheckClear, ToggledCheckValue(kCheckTicked));
    EXPECT_EQ(kCheckTicked, ToggledCheckValue(kCheckClear));
    EXPECT_EQ(kCheckClear, ToggledCheckValue(kCheckNone));
}
}  // namespace
