// The Sessions page in a dialog's modal loop, driven by posted clicks and keys: its start, the
// buttons' states, and Save, Rename, Delete and Load with their boxes and their files.
#include <gtest/gtest.h>

#include <ctime>

#include "harness/input.h"
#include "harness/screenshot.h"
#include "manual_saved_instance_loader.h"
#include "resource.h"
#include "sessions_page_host.h"

namespace
{
const wchar_t kCaptionUnableToSave[] = L"Unable To Save Current Session";

std::wstring Today()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t szDate[16] = L"";
    swprintf(szDate, 16, L"%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    return szDate;
}

std::time_t LocalTime(int nYear, int nMonth, int nDay, int nHour, int nMinute)
{
    std::tm local{};
    local.tm_year = nYear - 1900;
    local.tm_mon = nMonth - 1;
    local.tm_mday = nDay;
    local.tm_hour = nHour;
    local.tm_min = nMinute;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

CSession ReadSessionFile(const std::wstring& strName)
{
    CSession session(strName, 0);
    CManualSavedInstanceLoader loader;
    const std::wstring strPath = SessionFilePath(strName);
    loader.SetFilePath(strPath.c_str());
    loader.LoadSession(&session);
    return session;
}

bool IsEnabled(CSessionsPageHost& host, int nId)
{
    return ::IsWindowEnabled(PageControl(host, nId)) != FALSE;
}

// The buttons that act on a saved session.
void ExpectSavedSessionButtons(CSessionsPageHost& host, bool bEnabled)
{
    EXPECT_EQ(IsEnabled(host, IDC_SESSIONS_LOAD), bEnabled);
    EXPECT_EQ(IsEnabled(host, IDC_SESSIONS_RENAME), bEnabled);
    EXPECT_EQ(IsEnabled(host, IDC_SESSIONS_DELETE), bEnabled);
}

class SessionsPageTest : public SessionsFolderTest
{
protected:
    // Saved sessions Morning (3 + 4 tabs), Evening (2) and Work (1 + 1 + 1), listed in the order
    // of the folder's listing.
    void WriteThreeSessions()
    {
        WriteSessionFile(MakeSession(L"Morning", {3, 4}));
        WriteSessionFile(MakeSession(L"Evening", {2}));
        WriteSessionFile(MakeSession(L"Work", {1, 1, 1}));
        m_listed = SessionFileNames();
        ASSERT_EQ(m_listed.size(), 3u);
    }

    // The list's row of a saved session.
    int RowOf(const std::wstring& strName) const
    {
        for (size_t i = 0; i < m_listed.size(); ++i)
        {
            if (m_listed[i] == strName)
                return static_cast<int>(i) + 1;
        }
        ADD_FAILURE() << "not listed";
        return -1;
    }

    CSession m_current = MakeSession(kCurrentSessionName, {3, 1}, LocalTime(2024, 3, 5, 14, 7));
    std::vector<std::wstring> m_listed;
    CMessageBoxResponder m_responder;
};
}  // namespace

TEST_F(SessionsPageTest, StartsOnTheCurrentSessionWithTheListFocused)
{
    WriteThreeSessions();
    CSessionsPageHost host(m_current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        const HWND hList = PageControl(host, IDC_SESSIONS_LIST);
        EXPECT_EQ(::GetFocus(), hList);
        EXPECT_EQ(SelectedRow(hList), 0);

        std::vector<std::wstring> expectedRows = {kCurrentSessionName};
        expectedRows.insert(expectedRows.end(), m_listed.begin(), m_listed.end());
        EXPECT_EQ(RowNames(hList), expectedRows);
        EXPECT_EQ(RowText(hList, 0, 1), L"2024-03-05, 14:07");
        EXPECT_EQ(RowText(hList, 0, 2), L"2");
        EXPECT_EQ(RowText(hList, 0, 3), L"4");
        EXPECT_EQ(RowText(hList, RowOf(L"Morning"), 2), L"2");
        EXPECT_EQ(RowText(hList, RowOf(L"Morning"), 3), L"7");
        EXPECT_EQ(RowText(hList, RowOf(L"Work"), 2), L"3");
        EXPECT_EQ(RowText(hList, RowOf(L"Work"), 3), L"3");

        EXPECT_EQ(WindowText(PageControl(host, IDC_SESSIONS_SAVE)), L"&Save...");
        EXPECT_TRUE(IsEnabled(host, IDC_SESSIONS_SAVE));
        ExpectSavedSessionButtons(host, false);
        EXPECT_TRUE(IsEnabled(host, IDC_SESSIONS_SELECT_ALL));
        EXPECT_TRUE(IsEnabled(host, IDC_SESSIONS_SELECT_NONE));
        EXPECT_EQ(TreeLines(host.m_page.GetSessionTree()),
                  (std::vector<std::wstring>{
                      L"Instance 1 [0]",
                      L"  Page 1.1 @ http://example.com/1/1 [0]",
                      L"  Page 1.2 @ http://example.com/1/2 [0]",
                      L"  Page 1.3 @ http://example.com/1/3 [0]",
                      L"Instance 2 [0]",
                      L"  Page 2.1 @ http://example.com/2/1 [0]",
                  }));

        // The Tab key walks from the list into the page's other controls.
        PressKey(::GetFocus(), VK_TAB);
        EXPECT_NE(::GetFocus(), hList);
        EXPECT_TRUE(::IsChild(host.m_page.m_hWnd, ::GetFocus()));
    });
}

TEST_F(SessionsPageTest, ACurrentSessionWithoutTabsOffersSaveAsAndAnEmptyTree)
{
    CSession empty(kCurrentSessionName, 0);
    CSessionsPageHost host(empty);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        EXPECT_EQ(RowNames(PageControl(host, IDC_SESSIONS_LIST)), std::vector<std::wstring>{kCurrentSessionName});
        EXPECT_EQ(WindowText(PageControl(host, IDC_SESSIONS_SAVE)), L"&Save As...");
        EXPECT_TRUE(TreeLines(host.m_page.GetSessionTree()).empty());
        EXPECT_FALSE(IsEnabled(host, IDC_SESSIONS_SELECT_ALL));
        EXPECT_FALSE(IsEnabled(host, IDC_SESSIONS_SELECT_NONE));
        ExpectSavedSessionButtons(host, false);
    });
}

TEST_F(SessionsPageTest, ASelectionChangeRefreshesTheTreeAndTheButtons)
{
    WriteThreeSessions();
    CSessionsPageHost host(m_current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        const HWND hList = PageControl(host, IDC_SESSIONS_LIST);
        CSessionColumnTreeCtrl& tree = host.m_page.GetSessionTree();

        ClickListRow(hList, RowOf(L"Evening"));
        EXPECT_EQ(SelectedRow(hList), RowOf(L"Evening"));
        EXPECT_EQ(WindowText(PageControl(host, IDC_SESSIONS_SAVE)), L"&Save As...");
        ExpectSavedSessionButtons(host, true);
        EXPECT_EQ(TreeLines(tree), (std::vector<std::wstring>{
                                       L"Instance 1 [0]",
                                       L"  Page 1.1 @ http://example.com/1/1 [0]",
                                       L"  Page 1.2 @ http://example.com/1/2 [0]",
                                   }));

        // Ticks live in the tree only: another row and back shows every node ticked again.
        const HTREEITEM hFirstTab = tree.GetTreeCtrl().GetChildItem(tree.GetTreeCtrl().GetRootItem());
        ClickTickBox(tree.GetTreeCtrl(), hFirstTab);
        EXPECT_EQ(TreeLines(tree).at(0), L"Instance 1 [2]");
        EXPECT_EQ(TreeLines(tree).at(1), L"  Page 1.1 @ http://example.com/1/1 [1]");
        ClickListRow(hList, RowOf(L"Work"));
        EXPECT_EQ(TreeLines(tree).size(), 6u);
        ClickListRow(hList, RowOf(L"Evening"));
        for (const std::wstring& strLine : TreeLines(tree))
            EXPECT_EQ(strLine.substr(strLine.size() - 3), L"[0]") << strLine;

        // A double click on a row opens nothing.
        RECT rcRow{};
        rcRow.left = LVIR_LABEL;
        ::SendMessageW(hList, LVM_GETITEMRECT, RowOf(L"Evening"), reinterpret_cast<LPARAM>(&rcRow));
        Click(hList, POINT{rcRow.left + 4, (rcRow.top + rcRow.bottom) / 2}, true);
        EXPECT_TRUE(::IsWindowVisible(host.m_hWnd));
        EXPECT_EQ(host.m_page.GetUserSelectedSessionNodes(), nullptr);

        ClickListRow(hList, 0);
        EXPECT_EQ(WindowText(PageControl(host, IDC_SESSIONS_SAVE)), L"&Save...");
        ExpectSavedSessionButtons(host, false);

        // A click below the rows selects none: no tree, nothing to tick, and Save has no session.
        RECT rcClient{};
        ::GetClientRect(hList, &rcClient);
        Click(hList, POINT{rcClient.right / 2, rcClient.bottom - 4});
        EXPECT_EQ(SelectedRow(hList), -1);
        EXPECT_TRUE(TreeLines(tree).empty());
        EXPECT_FALSE(IsEnabled(host, IDC_SESSIONS_SELECT_ALL));
        EXPECT_FALSE(IsEnabled(host, IDC_SESSIONS_SELECT_NONE));
        ExpectSavedSessionButtons(host, false);
        EXPECT_EQ(WindowText(PageControl(host, IDC_SESSIONS_SAVE)), L"&Save As...");
        m_responder.Answer(IDOK);
        ClickButton(PageControl(host, IDC_SESSIONS_SAVE));
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        EXPECT_EQ(m_responder.Boxes()[0].strCaption, kCaptionUnableToSave);
        EXPECT_EQ(m_responder.Boxes()[0].strText.rfind(L"Unable to save the current session.\rReason: ", 0), 0u)
            << "the out-of-range failure";
        EXPECT_EQ(m_responder.Boxes()[0].nIcon, static_cast<UINT>(MB_ICONSTOP));
    });
    EXPECT_EQ(SessionFileNames().size(), 3u);
}

TEST_F(SessionsPageTest, SaveWritesTheTickedWindowsAndTabsUnderTheNewName)
{
    WriteThreeSessions();
    CSessionsPageHost host(m_current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        const HWND hList = PageControl(host, IDC_SESSIONS_LIST);
        CCustomTreeChildCtrl& tree = host.m_page.GetSessionTree().GetTreeCtrl();

        // Page 1.2 and the whole of Instance 2 cleared.
        const HTREEITEM hWindow1 = tree.GetRootItem();
        ClickTickBox(tree, tree.GetNextSiblingItem(tree.GetChildItem(hWindow1)));
        ClickTickBox(tree, tree.GetNextSiblingItem(hWindow1));

        AnswerNameDialog(m_responder, Today(), L"Trip");
        ClickButton(PageControl(host, IDC_SESSIONS_SAVE));

        ASSERT_TRUE(SessionFileExists(L"Trip"));
        EXPECT_EQ(Describe(ReadSessionFile(L"Trip")), L"Page 1.1, Page 1.3");
        ASSERT_EQ(RowNames(hList).size(), 5u);
        EXPECT_EQ(RowText(hList, 4, 0), L"Trip");
        EXPECT_EQ(RowText(hList, 4, 1), L"2024-03-05, 14:07");  // the capture's time until read again
        EXPECT_EQ(RowText(hList, 4, 2), L"1");
        EXPECT_EQ(RowText(hList, 4, 3), L"2");
        ASSERT_EQ(host.m_page.GetSavedSessions().size(), 4u);
        EXPECT_EQ(host.m_page.GetSavedSessions().back().GetName(), L"Trip");
        EXPECT_EQ(Describe(host.m_page.GetSavedSessions().back()), L"Page 1.1, Page 1.3");
        // The new row is not selected, and the ticks stay.
        EXPECT_EQ(SelectedRow(hList), 0);
        EXPECT_EQ(tree.GetCheckState(hWindow1), 2);
        EXPECT_EQ(m_current.GetName(), kCurrentSessionName);

        // Save As proposes the selected session's name, whose file exists: refused until changed.
        ClickListRow(hList, RowOf(L"Evening"));
        m_responder.OnDialogActivated([&](HWND hDialog) {
            const HWND hEdit = ::GetDlgItem(hDialog, IDC_FILE_NAME);
            EXPECT_EQ(WindowText(hEdit), L"Evening");
            m_responder.Answer(IDOK);
            PressKey(hEdit, VK_RETURN);
            ASSERT_EQ(m_responder.Boxes().size(), 1u);
            EXPECT_EQ(m_responder.Boxes()[0].strCaption, L"Unable To Save File");
            EXPECT_EQ(m_responder.Boxes()[0].strText, L"File 'Evening' already exists.");
            PressKey(hEdit, VK_END);
            TypeText(hEdit, L" 2");
            PressKey(hEdit, VK_RETURN);
        });
        ClickButton(PageControl(host, IDC_SESSIONS_SAVE));
        EXPECT_EQ(RowText(hList, 5, 0), L"Evening 2");
        EXPECT_EQ(Describe(ReadSessionFile(L"Evening 2")), L"Page 1.1, Page 1.2");

        // Cancel saves nothing.
        AnswerNameDialog(m_responder, L"Evening", L"");
        ClickButton(PageControl(host, IDC_SESSIONS_SAVE));
        EXPECT_EQ(RowNames(hList).size(), 6u);
    });
    EXPECT_EQ(SessionFileNames().size(), 5u);
}

// Another browser process saves the same name between the name dialog's check and the save.
static HHOOK g_hHook = nullptr;
static LRESULT CALLBACK WriteRivalWhenTheNameDialogGoes(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_DESTROYWND && ::GetDlgItem(reinterpret_cast<HWND>(wParam), IDC_FILE_NAME))
        WriteSessionFile(MakeSession(L"Rival", {5}));
    return ::CallNextHookEx(g_hHook, nCode, wParam, lParam);
}

TEST_F(SessionsPageTest, SaveUnderANameTakenMeanwhileFailsAndLeavesThatFile)
{
    CSessionsPageHost host(m_current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        g_hHook = ::SetWindowsHookExW(WH_CBT, WriteRivalWhenTheNameDialogGoes, nullptr, ::GetCurrentThreadId());
        AnswerNameDialog(m_responder, Today(), L"Rival");
        m_responder.Answer(IDOK);
        ClickButton(PageControl(host, IDC_SESSIONS_SAVE));
        ::UnhookWindowsHookEx(g_hHook);
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        EXPECT_EQ(m_responder.Boxes()[0].strCaption, kCaptionUnableToSave);
        EXPECT_EQ(m_responder.Boxes()[0].strText, L"Unable to save the current session.\r"
                                                  L"Reason: CManualSavedInstanceSaver::Save() - FileExists.");
        EXPECT_EQ(ReadSessionFile(L"Rival").GetUrlItemsCount(), 5);
        EXPECT_EQ(RowNames(PageControl(host, IDC_SESSIONS_LIST)).size(), 1u);
    });
    EXPECT_EQ(SessionFileNames(), std::vector<std::wstring>{L"Rival"});
}

TEST_F(SessionsPageTest, SaveWithEveryNodeClearShowsTheWritersReason)
{
    CSessionsPageHost host(m_current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        ClickButton(PageControl(host, IDC_SESSIONS_SELECT_NONE));
        for (const std::wstring& strLine : TreeLines(host.m_page.GetSessionTree()))
            EXPECT_EQ(strLine.substr(strLine.size() - 3), L"[1]") << strLine;

        AnswerNameDialog(m_responder, Today(), L"Nothing");
        m_responder.Answer(IDOK);
        ClickButton(PageControl(host, IDC_SESSIONS_SAVE));
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        EXPECT_EQ(m_responder.Boxes()[0].strCaption, kCaptionUnableToSave);
        EXPECT_EQ(m_responder.Boxes()[0].strText,
                  L"Unable to save the current session.\r"
                  L"Reason: CManualSavedInstanceSaver::Save() - GetInstanceSetsCount() is empty.");
        EXPECT_EQ(m_responder.Boxes()[0].hOwner, nullptr);
        EXPECT_TRUE(::IsWindowVisible(host.m_hWnd));
        EXPECT_FALSE(SessionFileExists(L"Nothing"));
        EXPECT_EQ(RowNames(PageControl(host, IDC_SESSIONS_LIST)).size(), 1u);
        EXPECT_TRUE(host.m_page.GetSavedSessions().empty());

        // Select All brings every tick back, and the save goes through.
        ClickButton(PageControl(host, IDC_SESSIONS_SELECT_ALL));
        AnswerNameDialog(m_responder, Today(), L"Everything");
        ClickButton(PageControl(host, IDC_SESSIONS_SAVE));
        EXPECT_EQ(Describe(ReadSessionFile(L"Everything")), L"Page 1.1, Page 1.2, Page 1.3 | Page 2.1");
    });
    EXPECT_EQ(SessionFileNames(), std::vector<std::wstring>{L"Everything"});
}

TEST_F(SessionsPageTest, RenameRenamesTheFileAndTheRowInPlace)
{
    WriteThreeSessions();
    CSessionsPageHost host(m_current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        const HWND hList = PageControl(host, IDC_SESSIONS_LIST);
        const int nRow = RowOf(L"Evening");
        ClickListRow(hList, nRow);

        AnswerNameDialog(m_responder, L"Evening", L"");
        ClickButton(PageControl(host, IDC_SESSIONS_RENAME));
        EXPECT_TRUE(SessionFileExists(L"Evening"));
        EXPECT_EQ(RowText(hList, nRow, 0), L"Evening");

        AnswerNameDialog(m_responder, L"Evening", L"Late evening");
        ClickButton(PageControl(host, IDC_SESSIONS_RENAME));
        EXPECT_FALSE(SessionFileExists(L"Evening"));
        EXPECT_TRUE(SessionFileExists(L"Late evening"));
        std::vector<std::wstring> expectedRows = {kCurrentSessionName};
        for (const std::wstring& strName : m_listed)
            expectedRows.push_back(strName == L"Evening" ? L"Late evening" : strName);
        EXPECT_EQ(RowNames(hList), expectedRows);
        EXPECT_EQ(RowText(hList, nRow, 3), L"2");
        EXPECT_EQ(SelectedRow(hList), nRow);
        EXPECT_EQ(host.m_page.GetSavedSessions().at(static_cast<size_t>(nRow - 1)).GetName(), L"Late evening");

        // A file gone behind the page's back: reported, and nothing changes.
        ASSERT_TRUE(::DeleteFileW(SessionFilePath(L"Late evening").c_str()));
        AnswerNameDialog(m_responder, L"Late evening", L"Night");
        m_responder.Answer(IDOK);
        ClickButton(PageControl(host, IDC_SESSIONS_RENAME));
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        EXPECT_EQ(m_responder.Boxes()[0].strCaption, L"Unable To Rename");
        EXPECT_EQ(m_responder.Boxes()[0].strText, L"Unable to rename the file.\rReason: '" +
                                                      SessionFilePath(L"Late evening") + L"' was not found.");
        EXPECT_EQ(RowText(hList, nRow, 0), L"Late evening");
        EXPECT_FALSE(SessionFileExists(L"Night"));

        // The renamed session saves under its new name.
        AnswerNameDialog(m_responder, L"Late evening", L"Copy");
        ClickButton(PageControl(host, IDC_SESSIONS_SAVE));
        EXPECT_EQ(Describe(ReadSessionFile(L"Copy")), L"Page 1.1, Page 1.2");
    });
}

TEST_F(SessionsPageTest, DeleteAsksFirstThenRemovesRowEntryAndFile)
{
    WriteThreeSessions();
    CSessionsPageHost host(m_current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        const HWND hList = PageControl(host, IDC_SESSIONS_LIST);
        const std::wstring strFirst = m_listed[0];
        const std::wstring strSecond = m_listed[1];
        const std::wstring strLast = m_listed[2];
        ClickListRow(hList, 1);

        m_responder.Answer(IDNO);
        ClickButton(PageControl(host, IDC_SESSIONS_DELETE));
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        EXPECT_EQ(m_responder.Boxes()[0].strCaption, L"Confirm Delete");
        EXPECT_EQ(m_responder.Boxes()[0].strText, L"Are you sure you want to delete '" + strFirst + L"'?");
        EXPECT_EQ(m_responder.Boxes()[0].buttonIds, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(m_responder.Boxes()[0].nIcon, static_cast<UINT>(MB_ICONQUESTION));
        EXPECT_EQ(m_responder.Boxes()[0].hOwner, host.m_hWnd);
        EXPECT_EQ(RowNames(hList).size(), 4u);
        EXPECT_EQ(host.m_page.GetSavedSessions().size(), 3u);
        EXPECT_TRUE(SessionFileExists(strFirst));
        EXPECT_EQ(SelectedRow(hList), 1);

        // The row that moves up into the deleted one's place is selected, with its tree.
        m_responder.Answer(IDYES);
        ClickButton(PageControl(host, IDC_SESSIONS_DELETE));
        EXPECT_FALSE(SessionFileExists(strFirst));
        EXPECT_EQ(RowNames(hList), (std::vector<std::wstring>{kCurrentSessionName, strSecond, strLast}));
        ASSERT_EQ(host.m_page.GetSavedSessions().size(), 2u);
        EXPECT_EQ(host.m_page.GetSavedSessions()[0].GetName(), strSecond);
        EXPECT_EQ(SelectedRow(hList), 1);
        ExpectSavedSessionButtons(host, true);
        EXPECT_EQ(TreeLines(host.m_page.GetSessionTree()).size(),
                  static_cast<size_t>(host.m_page.GetSavedSessions()[0].GetInstanceSetsCount() +
                                      host.m_page.GetSavedSessions()[0].GetUrlItemsCount()));

        // Deleting the last row goes back to the current session; the buttons follow.
        ClickListRow(hList, 2);
        m_responder.Answer(IDYES);
        ClickButton(PageControl(host, IDC_SESSIONS_DELETE));
        EXPECT_FALSE(SessionFileExists(strLast));
        EXPECT_EQ(RowNames(hList), (std::vector<std::wstring>{kCurrentSessionName, strSecond}));
        EXPECT_EQ(SelectedRow(hList), 0);
        ExpectSavedSessionButtons(host, false);
        EXPECT_EQ(TreeLines(host.m_page.GetSessionTree()).size(), 6u);
        // The focus went back to the list rather than staying on a disabled button.
        PumpMessages(20);
        EXPECT_EQ(::GetFocus(), hList);

        // A file gone behind the page's back: the row goes, the failure is reported.
        ASSERT_TRUE(::DeleteFileW(SessionFilePath(strSecond).c_str()));
        ClickListRow(hList, 1);
        m_responder.Answer(IDYES);
        m_responder.Answer(IDOK);
        ClickButton(PageControl(host, IDC_SESSIONS_DELETE));
        ASSERT_EQ(m_responder.Boxes().size(), 5u);
        EXPECT_EQ(m_responder.Boxes()[4].strCaption, L"Unable To Delete");
        EXPECT_EQ(m_responder.Boxes()[4].strText,
                  L"Unable to delete the file.\rReason: '" + SessionFilePath(strSecond) + L"' was not found.");
        EXPECT_EQ(RowNames(hList), std::vector<std::wstring>{kCurrentSessionName});
        EXPECT_TRUE(host.m_page.GetSavedSessions().empty());
        EXPECT_TRUE(::IsWindowVisible(host.m_hWnd));
    });
    EXPECT_TRUE(SessionFileNames().empty());
}

TEST_F(SessionsPageTest, LoadEndsTheDialogWith202AndLeavesTheTickedSession)
{
    WriteThreeSessions();
    {
        CSessionsPageHost host(m_current);
        const INT_PTR nResult = RunHost(host, m_responder, [&](CSessionsPageHost&) {
            ClickListRow(PageControl(host, IDC_SESSIONS_LIST), RowOf(L"Morning"));
            CCustomTreeChildCtrl& tree = host.m_page.GetSessionTree().GetTreeCtrl();
            ClickTickBox(tree, tree.GetChildItem(tree.GetNextSiblingItem(tree.GetRootItem())));
            ClickButton(PageControl(host, IDC_SESSIONS_LOAD));
        });
        EXPECT_EQ(nResult, 202);
        std::unique_ptr<CSession> pLoaded = host.m_page.TakeUserSelectedSessionNodes();
        ASSERT_NE(pLoaded, nullptr);
        EXPECT_EQ(pLoaded->GetName(), L"Morning");
        EXPECT_EQ(Describe(*pLoaded), L"Page 1.1, Page 1.2, Page 1.3 | Page 2.2, Page 2.3, Page 2.4");
        EXPECT_EQ(host.m_page.GetUserSelectedSessionNodes(), nullptr);
    }
    {
        // Every node clear still loads: a session without windows, which opens nothing.
        CSessionsPageHost host(m_current);
        const INT_PTR nResult = RunHost(host, m_responder, [&](CSessionsPageHost&) {
            ClickListRow(PageControl(host, IDC_SESSIONS_LIST), RowOf(L"Work"));
            ClickButton(PageControl(host, IDC_SESSIONS_SELECT_NONE));
            ClickButton(PageControl(host, IDC_SESSIONS_LOAD));
        });
        EXPECT_EQ(nResult, 202);
        ASSERT_NE(host.m_page.GetUserSelectedSessionNodes(), nullptr);
        EXPECT_EQ(host.m_page.GetUserSelectedSessionNodes()->GetInstanceSetsCount(), 0);
    }
    {
        // Closing without Load leaves no session behind.
        CSessionsPageHost host(m_current);
        EXPECT_EQ(RunHost(host, m_responder, [&](CSessionsPageHost&) {
                      ClickListRow(PageControl(host, IDC_SESSIONS_LIST), RowOf(L"Work"));
                  }),
                  IDCANCEL);
        EXPECT_EQ(host.m_page.GetUserSelectedSessionNodes(), nullptr);
    }
}

TEST_F(SessionsPageTest, ControlsFollowThePagesSize)
{
    CSessionsPageHost host(m_current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        CSessionsTabPage& page = host.m_page;
        auto rectOf = [&](int nId) {
            RECT rect{};
            ::GetWindowRect(PageControl(host, nId), &rect);
            ::MapWindowPoints(nullptr, page.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
            return rect;
        };
        RECT rcPage{};
        page.GetClientRect(&rcPage);
        const RECT rcSave = rectOf(IDC_SESSIONS_SAVE);
        const RECT rcList = rectOf(IDC_SESSIONS_LIST);
        const RECT rcTree = rectOf(IDC_SESSIONS_TREE);
        const RECT rcSelectAll = rectOf(IDC_SESSIONS_SELECT_ALL);

        page.MoveWindow(0, 0, rcPage.right + 60, rcPage.bottom + 40);
        const RECT rcSave2 = rectOf(IDC_SESSIONS_SAVE);
        const RECT rcList2 = rectOf(IDC_SESSIONS_LIST);
        const RECT rcTree2 = rectOf(IDC_SESSIONS_TREE);
        const RECT rcSelectAll2 = rectOf(IDC_SESSIONS_SELECT_ALL);
        EXPECT_EQ(rcSave2.left, rcSave.left + 60);
        EXPECT_EQ(rcSave2.top, rcSave.top);
        EXPECT_EQ(RectWidth(rcList2), RectWidth(rcList) + 60);
        EXPECT_EQ(RectHeight(rcList2), RectHeight(rcList));
        EXPECT_EQ(RectWidth(rcTree2), RectWidth(rcTree) + 60);
        EXPECT_EQ(RectHeight(rcTree2), RectHeight(rcTree) + 40);
        EXPECT_EQ(rcSelectAll2.left, rcSelectAll.left);
        EXPECT_EQ(rcSelectAll2.top, rcSelectAll.top + 40);
    });
}

TEST_F(SessionsPageTest, AFailedStartIsReportedAndThePageStays)
{
    CSessionsPageHost host(m_current);
    host.m_bGiveCurrentSession = false;
    m_responder.Answer(IDOK);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        EXPECT_EQ(m_responder.Boxes()[0].strCaption, L"Unable to initialize");
        EXPECT_EQ(m_responder.Boxes()[0].strText,
                  L"Unable to initialize.\rReason: CSessionsTabPage::OnInitDialog() - m_pCurrentSession is NULL.");
        EXPECT_TRUE(::IsWindow(host.m_page.m_hWnd));
        EXPECT_EQ(RowNames(PageControl(host, IDC_SESSIONS_LIST)).size(), 0u);
    });
}

TEST_F(SessionsPageTest, Screenshot)
{
    CSession current = MakeSession(kCurrentSessionName, {3, 2}, LocalTime(2024, 3, 5, 14, 7));
    WriteSessionFile(MakeSession(L"2024-03-01", {2, 4}));
    WriteSessionFile(MakeSession(L"Research", {5}));
    WriteSessionFile(MakeSession(L"Reading list", {1, 1, 2}));
    CSessionsPageHost host(current);
    RunHost(host, m_responder, [&](CSessionsPageHost&) {
        CCustomTreeChildCtrl& tree = host.m_page.GetSessionTree().GetTreeCtrl();
        ClickTickBox(tree, tree.GetNextSiblingItem(tree.GetChildItem(tree.GetRootItem())));
        ClickTickBox(tree, tree.GetNextSiblingItem(tree.GetRootItem()));
        PressKey(::GetFocus(), VK_TAB);
        PressKey(::GetFocus(), VK_TAB, kModShift);  // back on the list
        PumpMessages(50);
        EXPECT_TRUE(SaveWindowBitmap(host.m_hWnd, L"sessions_page.bmp"));
    });
}
