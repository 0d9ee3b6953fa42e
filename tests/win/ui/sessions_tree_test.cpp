// The session tree on the page: the nodes a session gives, the ticks set all at once, and the
// session that the ticked nodes make.
#include <gtest/gtest.h>

#include <stdexcept>

#include "sessions_page_host.h"

namespace
{
// Window 1: 2 tabs, window 2: none, window 3: 3 tabs.
CSession SessionWithAGap()
{
    return MakeSession(kCurrentSessionName, {2, 0, 3}, 1700000000);
}

std::string CheckedSessionFailure(CSessionsTabPage& page)
{
    try
    {
        page.GetCheckedSession();
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    return "no failure";
}

class SessionsTreeTest : public SessionsFolderTest
{
protected:
    // Runs fnTest on a page whose current session is the given one.
    void OnPage(CSession& current, const std::function<void(CSessionsTabPage&, CCustomTreeChildCtrl&)>& fnTest)
    {
        CSessionsPageHost host(current);
        RunHost(host, m_responder, [&](CSessionsPageHost&) {
            fnTest(host.m_page, host.m_page.GetSessionTree().GetTreeCtrl());
        });
    }

    CMessageBoxResponder m_responder;
};

HTREEITEM Child(CCustomTreeChildCtrl& tree, HTREEITEM hParent, int nIndex)
{
    HTREEITEM hItem = tree.GetChildItem(hParent);
    while (hItem && nIndex-- > 0)
        hItem = tree.GetNextSiblingItem(hItem);
    return hItem;
}

HTREEITEM Root(CCustomTreeChildCtrl& tree, int nIndex)
{
    HTREEITEM hItem = tree.GetRootItem();
    while (hItem && nIndex-- > 0)
        hItem = tree.GetNextSiblingItem(hItem);
    return hItem;
}
}  // namespace

TEST_F(SessionsTreeTest, NodesSkipWindowsWithoutTabsAndKeepTheirNumbers)
{
    CSession current = SessionWithAGap();
    CInstanceSet blank;
    blank.AddUrlItem(CUrlItem(L"about:blank", L""));
    blank.AddUrlItem(CUrlItem(L"http://example.com/tab", L"Before\tafter"));
    current.AddInstanceSet(blank);
    OnPage(current, [&](CSessionsTabPage& page, CCustomTreeChildCtrl& tree) {
        EXPECT_EQ(TreeLines(page.GetSessionTree()), (std::vector<std::wstring>{
                                                        L"Instance 1 [0]",
                                                        L"  Page 1.1 @ http://example.com/1/1 [0]",
                                                        L"  Page 1.2 @ http://example.com/1/2 [0]",
                                                        L"Instance 3 [0]",
                                                        L"  Page 3.1 @ http://example.com/3/1 [0]",
                                                        L"  Page 3.2 @ http://example.com/3/2 [0]",
                                                        L"  Page 3.3 @ http://example.com/3/3 [0]",
                                                        L"Instance 4 [0]",
                                                        L"  Blank page @ about:blank [0]",
                                                        L"  Before after @ http://example.com/tab [0]",
                                                    }));
        // Windows expanded, window and tab icons, no item data.
        const HTREEITEM hWindow = Root(tree, 1);
        EXPECT_TRUE(tree.GetItemState(hWindow, TVIS_EXPANDED) & TVIS_EXPANDED);
        TVITEMW item{};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        item.hItem = hWindow;
        ASSERT_TRUE(tree.GetItem(&item));
        EXPECT_EQ(item.iImage, page.GetSessionTree().GetWindowImage());
        EXPECT_EQ(item.iSelectedImage, page.GetSessionTree().GetWindowImage());
        EXPECT_EQ(item.lParam, 0);
        item.hItem = Child(tree, hWindow, 2);
        ASSERT_TRUE(tree.GetItem(&item));
        EXPECT_EQ(item.iImage, page.GetSessionTree().GetTabImage());
        // Both icons were found.
        EXPECT_EQ(page.GetSessionTree().GetWindowImage(), 0);
        EXPECT_EQ(page.GetSessionTree().GetTabImage(), 1);
    });
}

TEST_F(SessionsTreeTest, EveryNodeTickedGivesTheSourceWithoutTabLessWindows)
{
    CSession current = SessionWithAGap();
    OnPage(current, [&](CSessionsTabPage& page, CCustomTreeChildCtrl&) {
        const std::unique_ptr<CSession> pChecked = page.GetCheckedSession();
        ASSERT_NE(pChecked, nullptr);
        EXPECT_EQ(pChecked->GetName(), kCurrentSessionName);
        EXPECT_EQ(pChecked->GetTime(), 1700000000);
        ASSERT_EQ(pChecked->GetInstanceSetsCount(), 2);
        for (int i = 0; i < 2; ++i)
        {
            const CInstanceSet* pWindow = pChecked->GetInstanceSet(i);
            const CInstanceSet* pSource = current.GetInstanceSet(i == 0 ? 0 : 2);
            ASSERT_EQ(pWindow->GetUrlItemsCount(), pSource->GetUrlItemsCount());
            for (int j = 0; j < pWindow->GetUrlItemsCount(); ++j)
            {
                EXPECT_EQ(pWindow->GetUrlItem(j)->GetUrl(), pSource->GetUrlItem(j)->GetUrl());
                EXPECT_EQ(pWindow->GetUrlItem(j)->GetTitle(), pSource->GetUrlItem(j)->GetTitle());
            }
        }
        // Each call makes a fresh session; the source is left as it was.
        EXPECT_NE(page.GetCheckedSession().get(), pChecked.get());
        EXPECT_EQ(current.GetInstanceSetsCount(), 3);
    });
}

TEST_F(SessionsTreeTest, ClearedTabsAndWindowsAreLeftOut)
{
    CSession current = MakeSession(kCurrentSessionName, {3, 2, 1});
    OnPage(current, [&](CSessionsTabPage& page, CCustomTreeChildCtrl& tree) {
        // One tab clicked clear: its window is partly ticked and keeps its other tabs.
        ClickTickBox(tree, Child(tree, Root(tree, 0), 1));
        EXPECT_EQ(tree.GetCheckState(Root(tree, 0)), 2);
        EXPECT_EQ(Describe(*page.GetCheckedSession()), L"Page 1.1, Page 1.3 | Page 2.1, Page 2.2 | Page 3.1");

        // Every tab of a window clear: the window goes, even though its own node is ticked.
        tree.SetCheckValue(Child(tree, Root(tree, 1), 0), 1);
        tree.SetCheckValue(Child(tree, Root(tree, 1), 1), 1);
        EXPECT_EQ(tree.GetCheckState(Root(tree, 1)), 0);
        EXPECT_EQ(Describe(*page.GetCheckedSession()), L"Page 1.1, Page 1.3 | Page 3.1");

        // A clear window node leaves its window out, whatever its tabs say.
        ClickButton(::GetDlgItem(page.m_hWnd, IDC_SESSIONS_SELECT_ALL));
        tree.SetCheckValue(Root(tree, 2), 1);
        EXPECT_EQ(Describe(*page.GetCheckedSession()), L"Page 1.1, Page 1.2, Page 1.3 | Page 2.1, Page 2.2");

        page.GetSessionTree().CheckAll(FALSE);
        for (const std::wstring& strLine : TreeLines(page.GetSessionTree()))
            EXPECT_EQ(strLine.substr(strLine.size() - 3), L"[1]") << strLine;
        const std::unique_ptr<CSession> pNone = page.GetCheckedSession();
        EXPECT_EQ(pNone->GetInstanceSetsCount(), 0);
        EXPECT_EQ(pNone->GetName(), kCurrentSessionName);

        // Ticking all again leaves no window partly ticked.
        ClickTickBox(tree, Child(tree, Root(tree, 0), 0));
        page.GetSessionTree().CheckAll(TRUE);
        for (const std::wstring& strLine : TreeLines(page.GetSessionTree()))
            EXPECT_EQ(strLine.substr(strLine.size() - 3), L"[0]") << strLine;
    });
}

TEST_F(SessionsTreeTest, AFirstWindowWithoutTabsShiftsTheTicksToTheSecond)
{
    CSession current = MakeSession(kCurrentSessionName, {0, 3, 2});
    OnPage(current, [&](CSessionsTabPage& page, CCustomTreeChildCtrl& tree) {
        EXPECT_EQ(page.GetSessionTree().GetItemText(Root(tree, 0), 0), L"Instance 2");
        EXPECT_EQ(page.GetSessionTree().GetItemText(Root(tree, 1), 0), L"Instance 3");
        ClickTickBox(tree, Child(tree, Root(tree, 0), 0));
        ClickTickBox(tree, Child(tree, Root(tree, 1), 1));
        EXPECT_EQ(Describe(*page.GetCheckedSession()), L"Page 2.2, Page 2.3 | Page 3.1");
    });
}

TEST_F(SessionsTreeTest, FailuresNameTheirCheck)
{
    CSession empty(kCurrentSessionName, 0);
    OnPage(empty, [&](CSessionsTabPage& page, CCustomTreeChildCtrl&) {
        EXPECT_EQ(CheckedSessionFailure(page), "CSessionsTabPage::GetCheckedSession() - GetRootItemFailed");
        try
        {
            page.GetSelectedSavedSessionIndex();
            ADD_FAILURE() << "row 0 is not a saved session";
        }
        catch (const std::exception& e)
        {
            EXPECT_STREQ(e.what(), "CSessionsTabPage::GetSelectedSavedSessionIndex() - nCurrentListItem is invalid");
        }
    });

    CSession current = MakeSession(kCurrentSessionName, {1});
    OnPage(current, [&](CSessionsTabPage& page, CCustomTreeChildCtrl& tree) {
        // A window node without tabs cannot come from a session.
        tree.InsertItem(L"Instance 9");
        EXPECT_EQ(CheckedSessionFailure(page), "CSessionsTabPage::ParseRootNode() - RootNodeHasALeafItem");
    });
}

TEST_F(SessionsTreeTest, TheSelectedSavedSessionIsFoundByItsRow)
{
    for (const wchar_t* pszName : {L"one", L"two", L"three"})
        WriteSessionFile(MakeSession(pszName, {1}));
    CSession current = MakeSession(kCurrentSessionName, {1});
    OnPage(current, [&](CSessionsTabPage& page, CCustomTreeChildCtrl&) {
        const HWND hList = page.GetSessionsList().m_hWnd;
        ClickListRow(hList, 3);
        EXPECT_EQ(page.GetSelectedSavedSessionIndex(), 2);
        const std::unique_ptr<CSession> pChecked = page.GetCheckedSession();
        EXPECT_EQ(pChecked->GetName(), page.GetSavedSessions()[2].GetName());
        EXPECT_EQ(pChecked->GetTime(), page.GetSavedSessions()[2].GetTime());
    });
}
