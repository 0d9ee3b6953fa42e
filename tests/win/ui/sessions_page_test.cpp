// The Sessions page in the running session manager dialog, driven by posted clicks and keys: the
// saved sessions it reads, its tree and the session the ticks make, and Save, Rename, Delete and
// Load with their boxes and their files.
#include <gtest/gtest.h>

#include <ctime>

#include "session/manual_saved_instance_loader.h"
#include "tests/support/harness/input.h"
#include "tests/win/ui/ui_test_support.h"

using namespace ui_test;

namespace
{
const wchar_t kCaptionUnableToSave[] = L"Unable To Save Current Session";
const wchar_t kSaveFailure[] = L"Unable to save the current session.\rReason: ";

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

std::string Failure(const std::function<void()>& fn)
{
    try
    {
        fn();
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    return "no failure";
}

HTREEITEM Nth(CCustomTreeChildCtrl& tree, HTREEITEM hFirst, int nIndex)
{
    while (hFirst && nIndex-- > 0)
        hFirst = tree.GetNextSiblingItem(hFirst);
    return hFirst;
}

class SessionsPageTest : public SessionManagerTest
{
protected:
    void SetUp() override { m_current = MakeSession(kCurrentSessionName, {3, 1}, LocalTime(2024, 3, 5, 14, 7)); }

    // Saved sessions Morning (3 + 4 tabs), Evening (2) and Work (1 + 1 + 1).
    void WriteThreeSessions()
    {
        m_folder.Write(MakeSession(L"Morning", {3, 4}));
        m_folder.Write(MakeSession(L"Evening", {2}));
        m_folder.Write(MakeSession(L"Work", {1, 1, 1}));
        m_listed = m_folder.FileNames();
        ASSERT_EQ(m_listed.size(), 3u);
    }

    CSession ReadFile(const std::wstring& strName)
    {
        CSession session(strName, 0);
        CManualSavedInstanceLoader loader;
        const std::wstring strPath = m_folder.FilePath(strName);
        loader.SetFilePath(strPath.c_str());
        loader.LoadSession(&session);
        return session;
    }

    bool IsEnabled(int nId) { return ::IsWindowEnabled(PageControl(nId)) != FALSE; }

    // The buttons that act on a saved session.
    void ExpectSavedSessionButtons(bool bEnabled)
    {
        for (int nId : {IDC_SESSIONS_LOAD, IDC_SESSIONS_RENAME, IDC_SESSIONS_DELETE})
            EXPECT_EQ(IsEnabled(nId), bEnabled) << "button " << nId;
    }

    HTREEITEM Window(int nIndex) { return Nth(Tree(), Tree().GetRootItem(), nIndex); }
    HTREEITEM Tab(int nWindow, int nIndex) { return Nth(Tree(), Tree().GetChildItem(Window(nWindow)), nIndex); }

    std::vector<std::wstring> m_listed;
};

// The box's caption and text, and its icon.
void ExpectBox(const CMessageBoxRecord& box, const std::wstring& strCaption, const std::wstring& strText, UINT nIcon)
{
    EXPECT_EQ(box.strCaption, strCaption);
    EXPECT_EQ(box.strText, strText);
    EXPECT_EQ(box.nIcon, nIcon);
}

// Every node with the same check value.
void ExpectAllLines(const std::vector<std::wstring>& lines, const wchar_t* pszCheck)
{
    for (const std::wstring& strLine : lines)
        EXPECT_EQ(strLine.substr(strLine.size() - 3), pszCheck) << strLine;
}
}  // namespace

TEST_F(SessionsPageTest, StartsOnTheCurrentSessionWithEveryNodeTicked)
{
    WriteThreeSessions();
    Run([&] {
        EXPECT_EQ(SelectedRow(List()), 0);
        std::vector<std::wstring> expectedRows = {kCurrentSessionName};
        expectedRows.insert(expectedRows.end(), m_listed.begin(), m_listed.end());
        EXPECT_EQ(RowNames(List()), expectedRows);
        EXPECT_EQ(RowText(List(), 0, 1), L"2024-03-05, 14:07");
        EXPECT_EQ(RowText(List(), 0, 2), L"2");
        EXPECT_EQ(RowText(List(), 0, 3), L"4");
        EXPECT_EQ(RowText(List(), RowOf(L"Work"), 2), L"3");
        EXPECT_EQ(RowText(List(), RowOf(L"Morning"), 3), L"7");

        EXPECT_EQ(WindowText(PageControl(IDC_SESSIONS_SAVE)), L"&Save...");
        ExpectSavedSessionButtons(false);
        EXPECT_TRUE(IsEnabled(IDC_SESSIONS_SELECT_ALL));
        EXPECT_EQ(Lines(), (std::vector<std::wstring>{
                               L"Instance 1 [0]",
                               L"  Page 1.1 @ http://example.com/1/1 [0]",
                               L"  Page 1.2 @ http://example.com/1/2 [0]",
                               L"  Page 1.3 @ http://example.com/1/3 [0]",
                               L"Instance 2 [0]",
                               L"  Page 2.1 @ http://example.com/2/1 [0]",
                           }));
    });

    // A current session without tabs can only be saved under another name, and has no ticks.
    m_current = CSession(kCurrentSessionName, 0);
    Run([&] {
        EXPECT_EQ(WindowText(PageControl(IDC_SESSIONS_SAVE)), L"&Save As...");
        EXPECT_TRUE(Lines().empty());
        EXPECT_FALSE(IsEnabled(IDC_SESSIONS_SELECT_ALL));
        EXPECT_FALSE(IsEnabled(IDC_SESSIONS_SELECT_NONE));
        ExpectSavedSessionButtons(false);
    });
}

TEST_F(SessionsPageTest, ASelectionChangeRefreshesTheTreeAndTheButtons)
{
    WriteThreeSessions();
    Run([&] {
        ClickListRow(List(), RowOf(L"Evening"));
        EXPECT_EQ(WindowText(PageControl(IDC_SESSIONS_SAVE)), L"&Save As...");
        ExpectSavedSessionButtons(true);
        EXPECT_EQ(Lines().size(), 3u);

        // Ticks live in the tree only: another row and back shows every node ticked again.
        ClickTickBox(Tree(), Tab(0, 0));
        EXPECT_EQ(Lines().at(0), L"Instance 1 [2]");
        ClickListRow(List(), RowOf(L"Work"));
        EXPECT_EQ(Lines().size(), 6u);
        ClickListRow(List(), RowOf(L"Evening"));
        ExpectAllLines(Lines(), L"[0]");

        // A double click on a row opens nothing.
        ClickListRow(List(), RowOf(L"Evening"), true);
        EXPECT_TRUE(::IsWindowVisible(Dialog().m_hWnd));
        EXPECT_EQ(Page().GetUserSelectedSessionNodes(), nullptr);

        ClickListRow(List(), 0);
        EXPECT_EQ(WindowText(PageControl(IDC_SESSIONS_SAVE)), L"&Save...");
        ExpectSavedSessionButtons(false);

        // A click below the rows selects none: no tree, nothing to tick, and Save has no session.
        RECT rcClient{};
        ::GetClientRect(List(), &rcClient);
        Click(List(), POINT{rcClient.right / 2, rcClient.bottom - 4});
        EXPECT_EQ(SelectedRow(List()), -1);
        EXPECT_TRUE(Lines().empty());
        EXPECT_FALSE(IsEnabled(IDC_SESSIONS_SELECT_NONE));
        ExpectSavedSessionButtons(false);
        m_responder.Answer(IDOK);
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        EXPECT_EQ(m_responder.Boxes()[0].strCaption, kCaptionUnableToSave);
        EXPECT_EQ(m_responder.Boxes()[0].strText.rfind(kSaveFailure, 0), 0u);
        EXPECT_EQ(m_responder.Boxes()[0].nIcon, static_cast<UINT>(MB_ICONSTOP));
    });
    EXPECT_EQ(m_folder.FileNames().size(), 3u);
}

TEST_F(SessionsPageTest, SaveWritesTheTickedWindowsAndTabsUnderTheNewName)
{
    WriteThreeSessions();
    Run([&] {
        // Page 1.2 and the whole of Instance 2 cleared.
        ClickTickBox(Tree(), Tab(0, 1));
        ClickTickBox(Tree(), Window(1));

        AnswerNameDialog(m_responder, Today(), L"Trip");
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        EXPECT_EQ(Describe(ReadFile(L"Trip")), L"Page 1.1, Page 1.3");
        ASSERT_EQ(RowNames(List()).size(), 5u);
        EXPECT_EQ(RowText(List(), 4, 0), L"Trip");
        EXPECT_EQ(RowText(List(), 4, 1), L"2024-03-05, 14:07");  // the capture's time until read again
        EXPECT_EQ(RowText(List(), 4, 3), L"2");
        ASSERT_EQ(Page().GetSavedSessions().size(), 4u);
        EXPECT_EQ(Describe(Page().GetSavedSessions().back()), L"Page 1.1, Page 1.3");
        // The new row is not selected, and the ticks stay.
        EXPECT_EQ(SelectedRow(List()), 0);
        EXPECT_EQ(Tree().GetCheckState(Window(0)), kCheckPartly);
        EXPECT_EQ(m_current.GetName(), kCurrentSessionName);

        // Save As proposes the selected session's name, which the name dialog refuses as taken.
        ClickListRow(List(), RowOf(L"Evening"));
        m_responder.OnDialogActivated([&](HWND hDialog) {
            const HWND hEdit = ::GetDlgItem(hDialog, IDC_FILE_NAME);
            EXPECT_EQ(WindowText(hEdit), L"Evening");
            m_responder.Answer(IDOK);
            PressKey(hEdit, VK_RETURN);
            EXPECT_EQ(m_responder.Boxes().size(), 1u);
            PressKey(hEdit, VK_END);
            TypeText(hEdit, L" 2");
            PressKey(hEdit, VK_RETURN);
        });
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        EXPECT_EQ(RowText(List(), 5, 0), L"Evening 2");
        EXPECT_EQ(Describe(ReadFile(L"Evening 2")), L"Page 1.1, Page 1.2");

        // Cancel saves nothing.
        AnswerNameDialog(m_responder, L"Evening", L"");
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        EXPECT_EQ(RowNames(List()).size(), 6u);
    });
    EXPECT_EQ(m_folder.FileNames().size(), 5u);
}

// Another browser process saves the same name between the name dialog's check and the save.
static HHOOK g_hHook = nullptr;
static const CScratchSessionFolder* g_pRivalFolder = nullptr;
static LRESULT CALLBACK WriteRivalWhenTheNameDialogGoes(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_DESTROYWND && ::GetDlgItem(reinterpret_cast<HWND>(wParam), IDC_FILE_NAME))
        g_pRivalFolder->Write(MakeSession(L"Rival", {5}));
    return ::CallNextHookEx(g_hHook, nCode, wParam, lParam);
}

TEST_F(SessionsPageTest, SaveFailuresShowTheWritersReasonAndWriteNothing)
{
    Run([&] {
        // A name taken meanwhile: that file stays.
        g_pRivalFolder = &m_folder;
        g_hHook = ::SetWindowsHookExW(WH_CBT, WriteRivalWhenTheNameDialogGoes, nullptr, ::GetCurrentThreadId());
        AnswerNameDialog(m_responder, Today(), L"Rival");
        m_responder.Answer(IDOK);
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        ::UnhookWindowsHookEx(g_hHook);
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        ExpectBox(m_responder.Boxes()[0], kCaptionUnableToSave,
                  std::wstring(kSaveFailure) + L"CManualSavedInstanceSaver::Save() - FileExists.", MB_ICONSTOP);
        EXPECT_EQ(ReadFile(L"Rival").GetUrlItemsCount(), 5);
        EXPECT_EQ(RowNames(List()).size(), 1u);

        // Every node clear: no file.
        ClickButton(PageControl(IDC_SESSIONS_SELECT_NONE));
        ExpectAllLines(Lines(), L"[1]");
        AnswerNameDialog(m_responder, Today(), L"Nothing");
        m_responder.Answer(IDOK);
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        ASSERT_EQ(m_responder.Boxes().size(), 2u);
        EXPECT_EQ(m_responder.Boxes()[1].strText, std::wstring(kSaveFailure) +
                                                      L"CManualSavedInstanceSaver::Save() - GetInstanceSetsCount() is empty.");
        EXPECT_EQ(m_responder.Boxes()[1].hOwner, nullptr);
        EXPECT_TRUE(::IsWindowVisible(Dialog().m_hWnd));
        EXPECT_EQ(RowNames(List()).size(), 1u);
        EXPECT_TRUE(Page().GetSavedSessions().empty());

        // Select All brings every tick back, and the save goes through.
        ClickButton(PageControl(IDC_SESSIONS_SELECT_ALL));
        AnswerNameDialog(m_responder, Today(), L"Everything");
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        EXPECT_EQ(Describe(ReadFile(L"Everything")), L"Page 1.1, Page 1.2, Page 1.3 | Page 2.1");
    });
    EXPECT_EQ(m_folder.FileNames().size(), 2u);
}

TEST_F(SessionsPageTest, RenameRenamesTheFileAndTheRowInPlace)
{
    WriteThreeSessions();
    Run([&] {
        const int nRow = RowOf(L"Evening");
        ClickListRow(List(), nRow);

        AnswerNameDialog(m_responder, L"Evening", L"");
        ClickButton(PageControl(IDC_SESSIONS_RENAME));
        EXPECT_TRUE(m_folder.Exists(L"Evening"));

        AnswerNameDialog(m_responder, L"Evening", L"Late evening");
        ClickButton(PageControl(IDC_SESSIONS_RENAME));
        EXPECT_FALSE(m_folder.Exists(L"Evening"));
        EXPECT_TRUE(m_folder.Exists(L"Late evening"));
        std::vector<std::wstring> expectedRows = {kCurrentSessionName};
        for (const std::wstring& strName : m_listed)
            expectedRows.push_back(strName == L"Evening" ? L"Late evening" : strName);
        EXPECT_EQ(RowNames(List()), expectedRows);
        EXPECT_EQ(SelectedRow(List()), nRow);
        EXPECT_EQ(Page().GetSavedSessions().at(static_cast<size_t>(nRow - 1)).GetName(), L"Late evening");

        // A file gone behind the page's back: reported, and nothing changes.
        ASSERT_TRUE(::DeleteFileW(m_folder.FilePath(L"Late evening").c_str()));
        AnswerNameDialog(m_responder, L"Late evening", L"Night");
        m_responder.Answer(IDOK);
        ClickButton(PageControl(IDC_SESSIONS_RENAME));
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        ExpectBox(m_responder.Boxes()[0], L"Unable To Rename",
                  L"Unable to rename the file.\rReason: '" + m_folder.FilePath(L"Late evening") + L"' was not found.",
                  MB_ICONSTOP);
        EXPECT_EQ(RowText(List(), nRow, 0), L"Late evening");
        EXPECT_FALSE(m_folder.Exists(L"Night"));

        // The renamed session saves under its new name.
        AnswerNameDialog(m_responder, L"Late evening", L"Copy");
        ClickButton(PageControl(IDC_SESSIONS_SAVE));
        EXPECT_EQ(Describe(ReadFile(L"Copy")), L"Page 1.1, Page 1.2");
    });
}

TEST_F(SessionsPageTest, DeleteAsksFirstThenRemovesRowEntryAndFile)
{
    WriteThreeSessions();
    Run([&] {
        const std::wstring strFirst = m_listed[0];
        const std::wstring strSecond = m_listed[1];
        const std::wstring strLast = m_listed[2];
        ClickListRow(List(), 1);

        m_responder.Answer(IDNO);
        ClickButton(PageControl(IDC_SESSIONS_DELETE));
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        ExpectBox(m_responder.Boxes()[0], L"Confirm Delete", L"Are you sure you want to delete '" + strFirst + L"'?",
                  MB_ICONQUESTION);
        EXPECT_EQ(m_responder.Boxes()[0].buttonIds, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(m_responder.Boxes()[0].hOwner, Dialog().m_hWnd);
        EXPECT_EQ(Page().GetSavedSessions().size(), 3u);
        EXPECT_TRUE(m_folder.Exists(strFirst));

        // The row that moves up into the deleted one's place is selected, with its tree.
        m_responder.Answer(IDYES);
        ClickButton(PageControl(IDC_SESSIONS_DELETE));
        EXPECT_FALSE(m_folder.Exists(strFirst));
        EXPECT_EQ(RowNames(List()), (std::vector<std::wstring>{kCurrentSessionName, strSecond, strLast}));
        ASSERT_EQ(Page().GetSavedSessions().size(), 2u);
        EXPECT_EQ(Page().GetSavedSessions()[0].GetName(), strSecond);
        EXPECT_EQ(SelectedRow(List()), 1);
        ExpectSavedSessionButtons(true);
        EXPECT_EQ(Lines().size(), static_cast<size_t>(Page().GetSavedSessions()[0].GetInstanceSetsCount() +
                                                      Page().GetSavedSessions()[0].GetUrlItemsCount()));

        // Deleting the last row goes back to the current session, the focus back to the list.
        ClickListRow(List(), 2);
        m_responder.Answer(IDYES);
        ClickButton(PageControl(IDC_SESSIONS_DELETE));
        EXPECT_FALSE(m_folder.Exists(strLast));
        EXPECT_EQ(SelectedRow(List()), 0);
        ExpectSavedSessionButtons(false);
        EXPECT_EQ(Lines().size(), 6u);
        PumpMessages(20);
        EXPECT_EQ(::GetFocus(), List());

        // A file gone behind the page's back: the row goes, the failure is reported.
        ASSERT_TRUE(::DeleteFileW(m_folder.FilePath(strSecond).c_str()));
        ClickListRow(List(), 1);
        m_responder.Answer(IDYES);
        m_responder.Answer(IDOK);
        ClickButton(PageControl(IDC_SESSIONS_DELETE));
        ASSERT_EQ(m_responder.Boxes().size(), 5u);
        ExpectBox(m_responder.Boxes()[4], L"Unable To Delete",
                  L"Unable to delete the file.\rReason: '" + m_folder.FilePath(strSecond) + L"' was not found.",
                  MB_ICONSTOP);
        EXPECT_EQ(RowNames(List()), std::vector<std::wstring>{kCurrentSessionName});
        EXPECT_TRUE(Page().GetSavedSessions().empty());
    });
    EXPECT_TRUE(m_folder.FileNames().empty());
}

TEST_F(SessionsPageTest, LoadEndsTheDialogWith202AndLeavesTheTickedSession)
{
    WriteThreeSessions();
    EXPECT_EQ(Run([&] {
                  ClickListRow(List(), RowOf(L"Morning"));
                  ClickTickBox(Tree(), Tab(1, 0));
                  ClickButton(PageControl(IDC_SESSIONS_LOAD));
              }),
              IDC_SESSIONS_LOAD);
    // The dialog's windows are gone; the page and the session it built are still there.
    EXPECT_EQ(Dialog().m_hWnd, nullptr);
    std::unique_ptr<CSession> pLoaded = Page().TakeUserSelectedSessionNodes();
    ASSERT_NE(pLoaded, nullptr);
    EXPECT_EQ(pLoaded->GetName(), L"Morning");
    EXPECT_EQ(Describe(*pLoaded), L"Page 1.1, Page 1.2, Page 1.3 | Page 2.2, Page 2.3, Page 2.4");
    EXPECT_EQ(Page().GetUserSelectedSessionNodes(), nullptr);

    // Every node clear still loads: a session without windows, which opens nothing.
    EXPECT_EQ(Run([&] {
                  ClickListRow(List(), RowOf(L"Work"));
                  ClickButton(PageControl(IDC_SESSIONS_SELECT_NONE));
                  ClickButton(PageControl(IDC_SESSIONS_LOAD));
              }),
              IDC_SESSIONS_LOAD);
    ASSERT_NE(Page().GetUserSelectedSessionNodes(), nullptr);
    EXPECT_EQ(Page().GetUserSelectedSessionNodes()->GetInstanceSetsCount(), 0);
}

// --- The saved sessions read when the dialog opens ----------------------------------------------

namespace
{
// A file whose first line is not the magic line.
const char kDamagedFile[] = "QLMR AutoSave\r\n2\r\n1\r\n[Instance 1]\r\n1\r\n11\r\nabout:blank\r\n10\r\nBlank page";
// A readable file but for its title, which is not UTF-8.
const char kNotUtf8File[] = "QLMR ManualSave\r\n2\r\n1\r\n[Instance 1]\r\n1\r\n11\r\nabout:blank\r\n3\r\nA\xff\xfe";

class SessionsCatalogueTest : public SessionsPageTest
{
protected:
    // Good sessions around one bad file, which is listed second.
    void WriteFilesAround(const std::string& strBadContent)
    {
        m_folder.Write(MakeSession(L"a-first", {1}));
        m_folder.WriteRaw(L"b-old", strBadContent);
        m_folder.Write(MakeSession(L"c-third", {2}));
        m_folder.Write(MakeSession(L"d-fourth", {1, 1}));
        ASSERT_EQ(m_folder.FileNames(), (std::vector<std::wstring>{L"a-first", L"b-old", L"c-third", L"d-fourth"}))
            << "the folder lists its files in another order";
    }

    // The rows of a dialog opened over the folder, with boxes answered as queued.
    std::vector<std::wstring> ListedRows()
    {
        std::vector<std::wstring> rows;
        Run([&] {
            rows = RowNames(List());
            EXPECT_EQ(rows.size(), Page().GetSavedSessions().size() + 1);
        });
        return rows;
    }
};
}  // namespace

TEST_F(SessionsCatalogueTest, OnlyPlainFilesWithoutADotAreRead)
{
    EXPECT_EQ(ListedRows(), std::vector<std::wstring>{kCurrentSessionName});
    m_folder.Write(MakeSession(L"work", {1}));
    m_folder.Write(MakeSession(L"notes.txt", {1}));
    m_folder.WriteRaw(L".old", kDamagedFile);
    ASSERT_TRUE(::CreateDirectoryW(m_folder.FilePath(L"archive").c_str(), nullptr));
    EXPECT_EQ(ListedRows(), (std::vector<std::wstring>{kCurrentSessionName, L"work"}));
    EXPECT_TRUE(::RemoveDirectoryW(m_folder.FilePath(L"archive").c_str()));
}

TEST_F(SessionsCatalogueTest, ADamagedFileAsksWhetherToReadTheOthers)
{
    WriteFilesAround(kDamagedFile);
    m_responder.Answer(IDYES);
    EXPECT_EQ(ListedRows(), (std::vector<std::wstring>{kCurrentSessionName, L"a-first", L"c-third", L"d-fourth"}));
    ASSERT_EQ(m_responder.Boxes().size(), 1u);
    const CMessageBoxRecord& box = m_responder.Boxes()[0];
    ExpectBox(box, L"Unable To Load Session",
              L"Unable to load 'b-old'.\rReason: CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader."
              L"\r\rQuillmere was unable to load the file, possibly due to file corruption.  To stop seeing this "
              L"message, remove the file from your file system.\r\rIn the mean time, would you like to continue "
              L"loading the other sessions?",
              MB_ICONSTOP);
    EXPECT_EQ(box.buttonIds, (std::vector<int>{IDYES, IDNO}));
    EXPECT_TRUE(m_folder.Exists(L"b-old"));

    // No stops the reading there.
    m_responder.Answer(IDNO);
    EXPECT_EQ(ListedRows(), (std::vector<std::wstring>{kCurrentSessionName, L"a-first"}));
    EXPECT_EQ(m_responder.Boxes().size(), 2u);
}

TEST_F(SessionsCatalogueTest, TextThatIsNotUtf8EndsTheReadingAfterAnOkBox)
{
    WriteFilesAround(kNotUtf8File);
    m_responder.Answer(IDOK);
    EXPECT_EQ(ListedRows(), (std::vector<std::wstring>{kCurrentSessionName, L"a-first"}));
    ASSERT_EQ(m_responder.Boxes().size(), 1u);
    const CMessageBoxRecord& box = m_responder.Boxes()[0];
    ExpectBox(box, L"Unable To Load Session", L"Unable to load 'b-old'.\rReason: Unknown exception.", MB_ICONSTOP);
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_EQ(box.hOwner, nullptr);
}

// --- The tree and the session its ticks make -----------------------------------------------------

TEST_F(SessionsPageTest, NodesSkipWindowsWithoutTabsAndKeepTheirNumbers)
{
    m_current = MakeSession(kCurrentSessionName, {2, 0, 3});
    CInstanceSet blank;
    blank.AddUrlItem(CUrlItem(L"about:blank", L""));
    blank.AddUrlItem(CUrlItem(L"http://example.com/tab", L"Before\tafter"));
    m_current.AddInstanceSet(blank);
    Run([&] {
        EXPECT_EQ(Lines(), (std::vector<std::wstring>{
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
        // Windows expanded, with the window and tab icons.
        EXPECT_TRUE(TreeView_GetItemState(Tree(), Window(1), TVIS_EXPANDED) & TVIS_EXPANDED);
        TVITEMW item{};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        for (const auto& [hItem, nImage] : {std::pair<HTREEITEM, int>{Window(1), 0}, std::pair<HTREEITEM, int>{Tab(1, 2), 1}})
        {
            item.hItem = hItem;
            ASSERT_TRUE(Tree().GetItem(&item));
            EXPECT_EQ(item.iImage, nImage);
            EXPECT_EQ(item.iSelectedImage, nImage);
        }

        // Every node ticked: the source without its tab-less window, a fresh copy each time.
        const std::unique_ptr<CSession> pChecked = Page().GetCheckedSession();
        EXPECT_EQ(pChecked->GetName(), kCurrentSessionName);
        EXPECT_EQ(pChecked->GetTime(), kFixedTime);
        EXPECT_EQ(Describe(*pChecked), L"Page 1.1, Page 1.2 | Page 3.1, Page 3.2, Page 3.3 | Blank page, Before\tafter");
        EXPECT_EQ(pChecked->GetInstanceSet(2)->GetUrlItem(1)->GetUrl(), L"http://example.com/tab");
        EXPECT_NE(Page().GetCheckedSession().get(), pChecked.get());
        EXPECT_EQ(m_current.GetInstanceSetsCount(), 4);

        // The ticks follow the nodes past the skipped window.
        ClickTickBox(Tree(), Tab(1, 0));
        EXPECT_EQ(Describe(*Page().GetCheckedSession()), L"Page 1.1, Page 1.2 | Page 3.2, Page 3.3 | Blank page, Before\tafter");
    });
}

TEST_F(SessionsPageTest, ClearedTabsAndWindowsAreLeftOut)
{
    m_current = MakeSession(kCurrentSessionName, {3, 2, 1});
    Run([&] {
        // One tab clicked clear: its window is partly ticked and keeps its other tabs.
        ClickTickBox(Tree(), Tab(0, 1));
        EXPECT_EQ(Tree().GetCheckState(Window(0)), kCheckPartly);
        EXPECT_EQ(Describe(*Page().GetCheckedSession()), L"Page 1.1, Page 1.3 | Page 2.1, Page 2.2 | Page 3.1");

        // Every tab of a window clear: the window goes, even though its own node is ticked.
        Tree().SetCheckValue(Tab(1, 0), kCheckClear);
        Tree().SetCheckValue(Tab(1, 1), kCheckClear);
        EXPECT_EQ(Tree().GetCheckState(Window(1)), kCheckTicked);
        EXPECT_EQ(Describe(*Page().GetCheckedSession()), L"Page 1.1, Page 1.3 | Page 3.1");

        // A clear window node leaves its window out, whatever its tabs say.
        ClickButton(PageControl(IDC_SESSIONS_SELECT_ALL));
        Tree().SetCheckValue(Window(2), kCheckClear);
        EXPECT_EQ(Describe(*Page().GetCheckedSession()), L"Page 1.1, Page 1.2, Page 1.3 | Page 2.1, Page 2.2");

        Page().GetSessionTree().CheckAll(FALSE);
        ExpectAllLines(Lines(), L"[1]");
        EXPECT_EQ(Page().GetCheckedSession()->GetInstanceSetsCount(), 0);

        // Ticking all again leaves no window partly ticked.
        ClickTickBox(Tree(), Tab(0, 0));
        Page().GetSessionTree().CheckAll(TRUE);
        ExpectAllLines(Lines(), L"[0]");
    });
}

TEST_F(SessionsPageTest, TheCheckedSessionOfASavedRowAndItsFailures)
{
    for (const wchar_t* pszName : {L"one", L"two", L"three"})
        m_folder.Write(MakeSession(pszName, {1}));
    Run([&] {
        EXPECT_EQ(Failure([&] { Page().GetSelectedSavedSessionIndex(); }),
                  "CSessionsTabPage::GetSelectedSavedSessionIndex() - nCurrentListItem is invalid");
        ClickListRow(List(), 3);
        EXPECT_EQ(Page().GetSelectedSavedSessionIndex(), 2);
        const std::unique_ptr<CSession> pChecked = Page().GetCheckedSession();
        EXPECT_EQ(pChecked->GetName(), Page().GetSavedSessions()[2].GetName());

        // A window node without tabs cannot come from a session.
        Tree().InsertItem(L"Instance 9", 0, 0);
        EXPECT_EQ(Failure([&] { Page().GetCheckedSession(); }),
                  "CSessionsTabPage::ParseRootNode() - RootNodeHasALeafItem");
    });
    m_current = CSession(kCurrentSessionName, 0);
    Run([&] {
        EXPECT_EQ(Failure([&] { Page().GetCheckedSession(); }),
                  "CSessionsTabPage::GetCheckedSession() - GetRootItemFailed");
    });
}
