// The find field of the Sessions page, typed into as a user types: which rows stay, what the tree
// shows of the matches, and the actions on a row of a filtered list.
#include <gtest/gtest.h>

#include "tests/native/test_support.h"
#include "tests/support/harness/input.h"
#include "tests/win/ui/ui_test_support.h"

using namespace ui_test;

namespace
{
class FindTest : public SessionManagerTest
{
protected:
    void SetUp() override
    {
        m_folder.Write(
            MakeSession(L"Cooking", {{{L"https://recipes.example/soup", L"Soupe \u00e0 l'oignon"},
                                      {L"https://recipes.example/bread", L"Bread"}},
                                     {{L"https://news.example/", L"Morning News"}}}));
        m_folder.Write(MakeSession(
            L"Travel", {{{L"https://maps.example/M\u00fcnchen", L"Map"},
                         {L"https://trains.example/",
                          L"\u0420\u0410\u0421\u041f\u0418\u0421\u0410\u041d\u0418\u0415"}}}));
        m_folder.Write(MakeSession(L"Reading", {{{L"https://books.example/", L"Library"}},
                                                {{L"https://blog.example/cafe", L"Blog"}}}));
        m_listed = m_folder.FileNames();
    }

    HWND Field() { return PageControl(IDC_SESSIONS_FIND); }

    // The field's text replaced by typing: emptied with Escape, then typed key by key.
    void Find(const std::wstring& strText)
    {
        if (::GetWindowTextLengthW(Field()) > 0)
            PressKey(Field(), VK_ESCAPE);
        TypeText(Field(), strText);
    }

    std::vector<std::wstring> Rows(std::initializer_list<const wchar_t*> names)
    {
        std::vector<std::wstring> rows = {kCurrentSessionName};
        // In the order the folder listed them, whatever the order here.
        for (const std::wstring& strName : m_listed)
        {
            for (const wchar_t* pszName : names)
            {
                if (strName == pszName)
                    rows.push_back(strName);
            }
        }
        return rows;
    }

    bool IsBold(HTREEITEM hItem)
    {
        return (Tree().GetItemState(hItem, TVIS_BOLD) & TVIS_BOLD) != 0;
    }
    // Whether the field is painted as one whose text is found nowhere: the background its parent
    // gives it when asked, as the edit asks before it paints.
    bool IsNoMatch()
    {
        const HDC hDC = ::GetDC(Field());
        ::SetBkColor(hDC, ::GetSysColor(COLOR_WINDOW));
        ::SendMessageW(Page().m_hWnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(hDC),
                       reinterpret_cast<LPARAM>(Field()));
        const COLORREF crBack = ::GetBkColor(hDC);
        ::ReleaseDC(Field(), hDC);
        return crBack == RGB(255, 204, 204);
    }

    std::vector<std::wstring> m_listed;
};
}  // namespace

TEST_F(FindTest, TypingKeepsTheSessionsWhoseNameTitleOrAddressHoldsTheText)
{
    INT_PTR nResult = Run([&] {
        const std::vector<std::wstring> allRows = RowNames(List());
        // The label's mnemonic reaches the field.
        PressKey(List(), 'I', kModAlt);
        ASSERT_EQ(::GetFocus(), Field());

        const std::pair<const wchar_t*, std::vector<std::wstring>> finds[] = {
            {L"OIGNON", Rows({L"Cooking"})},                  // a title, in another case
            {L"munchen", Rows({L"Travel"})},                  // an address, without its accent
            {L"\u0440\u0430\u0441\u043f", Rows({L"Travel"})}, // Cyrillic in another case
            {L"read", Rows({L"Cooking", L"Reading"})},        // a name, and "bread"
            {L"example/", Rows({L"Cooking", L"Travel", L"Reading"})},
            {L"cafe ", Rows({})}, // no text runs past a title's end
        };
        for (const auto& find : finds)
        {
            Find(find.first);
            EXPECT_EQ(RowNames(List()), find.second) << find.first;
            EXPECT_EQ(IsNoMatch(), find.second.size() == 1) << find.first;
            EXPECT_EQ(SelectedRow(List()), 0) << find.first;
        }

        // The current session matches too: row 0 always stays, and then something was found.
        Find(L"page 2.1");
        EXPECT_EQ(RowNames(List()), Rows({}));
        EXPECT_FALSE(IsNoMatch());

        // Enter does nothing; Escape empties the field and the dialog stays; every row is back,
        // in its order.
        PressKey(Field(), VK_RETURN);
        EXPECT_EQ(WindowText(Field()), L"page 2.1");
        PressKey(Field(), VK_ESCAPE);
        EXPECT_TRUE(::IsWindowVisible(Dialog().m_hWnd));
        EXPECT_EQ(WindowText(Field()), L"");
        EXPECT_EQ(RowNames(List()), allRows);
        EXPECT_FALSE(IsNoMatch());

        // Escape in the empty field is the dialog's again.
        PressKey(Field(), VK_ESCAPE);
    });
    EXPECT_EQ(nResult, IDCANCEL);
}

TEST_F(FindTest, TheSelectedSessionShowsItsMatchesInBoldAndKeepsItsTicks)
{
    Run([&] {
        ClickListRow(List(), RowOf(L"Cooking"));
        CCustomTreeChildCtrl& tree = Tree();
        const HTREEITEM hFirstWindow = tree.GetRootItem();
        const HTREEITEM hSoup = tree.GetChildItem(hFirstWindow);
        const HTREEITEM hBread = tree.GetNextSiblingItem(hSoup);
        const HTREEITEM hSecondWindow = tree.GetNextSiblingItem(hFirstWindow);
        const HTREEITEM hNews = tree.GetChildItem(hSecondWindow);
        tree.Expand(hSecondWindow, TVE_COLLAPSE);
        ClickTickBox(tree, hBread);
        const std::vector<std::wstring> ticked = Lines();

        // The first matching tab is selected and its window opened; the ticks are the user's.
        Find(L"NEWS");
        EXPECT_EQ(SelectedRow(List()), RowOf(L"Cooking"));
        EXPECT_EQ(Lines(), ticked);
        EXPECT_EQ(tree.GetSelectedItem(), hNews);
        EXPECT_TRUE(tree.GetItemState(hSecondWindow, TVIS_EXPANDED) & TVIS_EXPANDED);
        EXPECT_EQ(std::vector<bool>({IsBold(hSoup), IsBold(hBread), IsBold(hNews)}),
                  std::vector<bool>({false, false, true}));

        Find(L"recipes");
        EXPECT_EQ(tree.GetSelectedItem(), hSoup);
        EXPECT_EQ(std::vector<bool>({IsBold(hSoup), IsBold(hBread), IsBold(hNews)}),
                  std::vector<bool>({true, true, false}));
        EXPECT_EQ(Lines(), ticked);

        // Nothing bold once the field is empty.
        PressKey(Field(), VK_ESCAPE);
        EXPECT_EQ(std::vector<bool>({IsBold(hSoup), IsBold(hBread), IsBold(hNews)}),
                  std::vector<bool>({false, false, false}));

        // The selected session filtered out: the current session is selected, and its tree shown.
        Find(L"Library");
        EXPECT_EQ(SelectedRow(List()), 0);
        EXPECT_EQ(Lines().size(), 6u);
        // Selecting a session while the text is set shows its matches too.
        ClickListRow(List(), RowOf(L"Reading"));
        ASSERT_NE(Tree().GetSelectedItem(), nullptr);
        EXPECT_TRUE(IsBold(Tree().GetSelectedItem()));
    });
}

TEST_F(FindTest, ActionsWorkOnTheSessionOfTheRowWhateverTheFilter)
{
    const INT_PTR nResult = Run([&] {
        // Row 1 stands for a session further down the saved sessions.
        Find(L"\u0430");
        EXPECT_EQ(RowNames(List()), Rows({L"Travel"}));
        ClickListRow(List(), 1);
        AnswerNameDialog(m_responder, L"Travel", L"Trips");
        ClickButton(PageControl(IDC_SESSIONS_RENAME));
        EXPECT_TRUE(m_folder.Exists(L"Trips"));
        EXPECT_FALSE(m_folder.Exists(L"Travel"));
        EXPECT_TRUE(m_folder.Exists(L"Cooking"));
        EXPECT_TRUE(m_folder.Exists(L"Reading"));
        EXPECT_EQ(RowText(List(), 1, 0), L"Trips");
        EXPECT_EQ(WindowText(Field()), L"\u0430");

        // A delete before it renumbers the saved sessions; the rows still know theirs.
        Find(L"o");
        ClickListRow(List(), RowOf(L"Cooking"));
        m_responder.Answer(IDYES);
        ClickButton(PageControl(IDC_SESSIONS_DELETE));
        EXPECT_FALSE(m_folder.Exists(L"Cooking"));
        EXPECT_EQ(WindowText(Field()), L"o");
        ClickListRow(List(), RowOf(L"Reading"));
        m_responder.Answer(IDYES);
        ClickButton(PageControl(IDC_SESSIONS_DELETE));
        EXPECT_FALSE(m_folder.Exists(L"Reading"));
        EXPECT_TRUE(m_folder.Exists(L"Trips"));

        // A session saved while the text is set is listed when it holds the text.
        Find(L"page 1.3");
        ClickListRow(List(), 0);
        AnswerNameDialog(m_responder, Today(), L"Kept");
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        AnswerNameDialog(m_responder, Today(), L"Left out");
        ClickTickBox(Tree(), Tree().GetSelectedItem());
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        EXPECT_EQ(RowNames(List()), (std::vector<std::wstring>{kCurrentSessionName, L"Kept"}));
        EXPECT_TRUE(m_folder.Exists(L"Left out"));
        EXPECT_EQ(Page().GetSavedSessions().back().GetName(), L"Left out");

        // Load takes the session of the selected row.
        Find(L"map");
        ClickListRow(List(), RowOf(L"Trips"));
        ClickButton(PageControl(IDC_SESSIONS_LOAD));
    });
    ASSERT_EQ(nResult, IDC_SESSIONS_LOAD);
    std::unique_ptr<CSession> pLoaded = Page().TakeUserSelectedSessionNodes();
    ASSERT_NE(pLoaded, nullptr);
    EXPECT_EQ(pLoaded->GetName(), L"Trips");
    EXPECT_EQ(pLoaded->GetUrlItemsCount(), 2);
}
