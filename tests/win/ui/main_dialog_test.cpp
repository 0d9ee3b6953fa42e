// The session manager dialog, run modally and driven with real input from inside its loop.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/exceptions.h"
#include "cli/session_import.h"
#include "resources/resource.h"
#include "tests/support/harness/com_variant.h"
#include "tests/support/harness/input.h"
#include "tests/support/harness/message_box_responder.h"
#include "tests/win/ui/ui_test_support.h"
#include "ui/session_manager_dialog.h"
#include "win/com.h"

using namespace ui_test;

namespace
{
// Sessions in memory, in a folder whose listing breaks off, as one on a network share does when
// the share goes away: Wine lists a local folder whole or not at all.
class CBrokenListingOs : public CMemoryOs
{
public:
    bool QueryRoamingFolder(std::wstring& strPath) override
    {
        strPath = L"C:/Roaming";
        return true;
    }
    bool ListFolder(const std::wstring&, std::vector<CDirectoryEntry>&, unsigned long& nError) override
    {
        nError = ERROR_NETNAME_DELETED;
        return true;
    }
};

// A dialog whose Sessions page is made by the test, for the reports of its initialisation.
class CFailingPagesDialog : public CSessionManagerDialog
{
public:
    std::function<std::unique_ptr<CSessionsTabPage>()> m_fnNewPage;
    HWND m_hWndAtFailure = nullptr;

protected:
    std::unique_ptr<CSessionsTabPage> NewSessionsTabPage() override
    {
        m_hWndAtFailure = m_hWnd;
        return m_fnNewPage();
    }
};

HWND SessionsList(CSessionManagerDialog& dialog)
{
    return dialog.GetSessionsTabPage()->GetSessionsList().m_hWnd;
}

// A click of the real mouse, routed by the system's hit testing: a disabled window never sees it.
void RealClick(POINT ptScreen)
{
    INPUT inputs[3] = {};
    for (INPUT& input : inputs)
    {
        input.type = INPUT_MOUSE;
        input.mi.dx = ptScreen.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = ptScreen.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    inputs[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(::SendInput(3, inputs, sizeof(INPUT)), 3u);
    PumpMessages(150);
}

// A point of the row on the screen that the given window does not cover.
POINT UncoveredPointOfRow(HWND hList, int nRow, HWND hCover)
{
    RECT rcRow{};
    rcRow.left = LVIR_BOUNDS;
    ::SendMessageW(hList, LVM_GETITEMRECT, nRow, reinterpret_cast<LPARAM>(&rcRow));
    RECT rcList{};
    ::GetClientRect(hList, &rcList);
    ::IntersectRect(&rcRow, &rcRow, &rcList);
    ::MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&rcRow), 2);
    RECT rcCover{};
    ::GetWindowRect(hCover, &rcCover);
    for (POINT pt{rcRow.right - 4, (rcRow.top + rcRow.bottom) / 2}; pt.x > rcRow.left; pt.x -= 4)
    {
        if (!::PtInRect(&rcCover, pt))
            return pt;
    }
    ADD_FAILURE() << "the row is covered whole";
    return POINT{rcRow.left + 4, (rcRow.top + rcRow.bottom) / 2};
}

// The check values of every node of the tree, windows and tabs.
std::vector<int> CheckValues(CCustomTreeChildCtrl& tree)
{
    std::vector<int> values;
    for (HTREEITEM hWindow = tree.GetRootItem(); hWindow;
         hWindow = tree.GetNextSiblingItem(hWindow))
    {
        values.push_back(tree.GetCheckState(hWindow));
        for (HTREEITEM hTab = tree.GetChildItem(hWindow); hTab;
             hTab = tree.GetNextSiblingItem(hTab))
            values.push_back(tree.GetCheckState(hTab));
    }
    return values;
}

// The control that has the focus, by its id; the tree's own window by its column tree's.
int FocusedControlId(CSessionManagerDialog& dialog)
{
    const HWND hFocus = ::GetFocus();
    if (hFocus && hFocus == dialog.GetSessionsTabPage()->GetSessionTree().GetTreeCtrl().m_hWnd)
        return IDC_SESSIONS_TREE;
    return hFocus ? ::GetDlgCtrlID(hFocus) : 0;
}

// Place and size converted each on its own, as the dialog manager converts a template's.
RECT DialogUnits(HWND hDialog, int x, int y, int cx, int cy)
{
    RECT rect{x, y, cx, cy};
    ::MapDialogRect(hDialog, &rect);
    return RECT{rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

void ExpectSameRect(const RECT& rcActual, const RECT& rcExpected)
{
    EXPECT_EQ(rcActual.left, rcExpected.left);
    EXPECT_EQ(rcActual.top, rcExpected.top);
    EXPECT_EQ(rcActual.right, rcExpected.right);
    EXPECT_EQ(rcActual.bottom, rcExpected.bottom);
}

// F1 as the keyboard gives it: only a key from the input queue makes the system ask for help.
void PressHelpKey(HWND hDialog)
{
    ::SetForegroundWindow(hDialog);
    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_F1;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(::SendInput(2, keys, sizeof(INPUT)), 2u);
}

std::wstring ExpectedHelpFilePath()
{
    wchar_t szProgram[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, szProgram, MAX_PATH);
    std::wstring strPath = szProgram;
    return strPath.substr(0, strPath.rfind(L'.')) + L".HLP";
}

// The dialog over a scratch session folder, with the fixture's current session.
class SessionManagerDialog : public SessionManagerTest
{
};
}  // namespace

TEST_F(SessionManagerDialog, OpensWithItsTemplateIconsPagesAndTheListFocused)
{
    m_folder.Write(MakeSession(L"Morning", {2, 1}));
    m_current = MakeSession(kCurrentSessionName, {3});

    const INT_PTR nResult = Run([&] {
        const HWND hDialog = Dialog().m_hWnd;
        EXPECT_TRUE(::GetWindowLongPtrW(hDialog, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
        // Close is where the template puts it: the first size the anchoring hears moves nothing.
        ExpectSameRect(ChildRect(::GetDlgItem(hDialog, IDOK)), DialogUnits(hDialog, 331, 283, 50, 14));

        // Both icons, at their sizes.
        for (const auto& [nWhich, nSize] : {std::pair<int, int>{ICON_BIG, ::GetSystemMetrics(SM_CXICON)},
                                            std::pair<int, int>{ICON_SMALL, 16}})
        {
            const HICON hIcon = reinterpret_cast<HICON>(::SendMessageW(hDialog, WM_GETICON, nWhich, 0));
            ASSERT_NE(hIcon, nullptr) << "icon " << nWhich;
            ICONINFO info{};
            ASSERT_TRUE(::GetIconInfo(hIcon, &info));
            BITMAP bitmap{};
            ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
            EXPECT_EQ(bitmap.bmWidth, nSize);
            ::DeleteObject(info.hbmColor);
            ::DeleteObject(info.hbmMask);
        }

        // The first page shown over the tab control's display area, the second hidden.
        const HWND hTabs = ::GetDlgItem(hDialog, IDC_TAB_CONTROL);
        EXPECT_EQ(::SendMessageW(hTabs, TCM_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(::IsWindowVisible(Dialog().GetSessionsTabPage()->m_hWnd));
        EXPECT_FALSE(::IsWindowVisible(Dialog().GetAboutTabPage()->m_hWnd));
        RECT rcDisplay{};
        ::GetClientRect(hTabs, &rcDisplay);
        ::SendMessageW(hTabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rcDisplay));
        const RECT rcPage = ChildRect(Dialog().GetSessionsTabPage()->m_hWnd);
        ExpectSameRect(rcPage, rcDisplay);

        // The list has the focus (RunDialog waited for it), row 0 the current session selected,
        // the saved session after it.
        const HWND hList = List();
        EXPECT_EQ(::GetFocus(), hList);
        EXPECT_EQ(::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(::SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    });

    EXPECT_EQ(nResult, IDOK);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(SessionManagerDialog, CloseGivesOkAndEscapeOrTheCloseBoxCancelWithNothingToOpen)
{
    m_folder.Write(MakeSession(L"Morning", {2}));
    CSession current = MakeSession(kCurrentSessionName, {1});

    struct
    {
        const char* pszHow;
        std::function<void(HWND)> fnEnd;
        INT_PTR nExpected;
    } const cases[] = {
        {"Close", [](HWND hDialog) { ClickButton(::GetDlgItem(hDialog, IDOK)); }, IDOK},
        {"Enter", [](HWND) { PressKey(::GetFocus(), VK_RETURN); }, IDOK},
        {"Escape", [](HWND) { PressKey(::GetFocus(), VK_ESCAPE); }, IDCANCEL},
        {"close box", [](HWND hDialog) { ::PostMessageW(hDialog, WM_SYSCOMMAND, SC_CLOSE, 0); PumpMessages(0); },
         IDCANCEL},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszHow);
        CSessionManagerDialog dialog;
        dialog.SetCurrentSession(&current);
        CMessageBoxResponder responder;
        const INT_PTR nResult = RunDialog(dialog, responder, [&](HWND hDialog) {
            // A saved session is selected, so Load would have something to open.
            ClickListRow(SessionsList(dialog), 1);
            c.fnEnd(hDialog);
            EXPECT_FALSE(::IsWindowVisible(hDialog));
        });
        EXPECT_EQ(nResult, c.nExpected);
        EXPECT_EQ(dialog.GetSessionsTabPage()->GetUserSelectedSessionNodes(), nullptr);
    }
}

TEST_F(SessionManagerDialog, AFolderThatCannotBeListedAtAllCountsAsEmpty)
{
    m_folder.ReplaceWithFile();
    m_current = MakeSession(kCurrentSessionName, {2});

    const INT_PTR nResult = Run([&] {
        const HWND hList = List();
        ASSERT_EQ(::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0), 1);
        EXPECT_EQ(RowText(hList, 0, 0), kCurrentSessionName);
    });
    EXPECT_EQ(nResult, IDOK);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(SessionManagerDialog, InitialisationFailuresAreReportedOnceAndEndTheDialog)
{
    CSession current = MakeSession(kCurrentSessionName, {1});
    const std::wstring strPrefix = L"Internal error in CSessionManagerDialog::OnInitDialog(): ";
    const CFileException fileFailure(CFileException::accessDenied, ERROR_ACCESS_DENIED, L"C:\\x\\Work");
    ASSERT_FALSE(fileFailure.GetErrorMessage().empty());
    CBrokenListingOs brokenOs;
    using CNewPage = std::function<std::unique_ptr<CSessionsTabPage>()>;

    struct
    {
        const char* pszWhat;
        CNewPage fnNewPage;
        std::wstring strText;
        bool bOwned = false;
        CSession* pCurrent = nullptr;
    } const cases[] = {
        {"standard exception", []() -> std::unique_ptr<CSessionsTabPage> { throw std::runtime_error("CTest::Run() - broken"); },
         strPrefix + L"CTest::Run() - broken", false, &current},
        {"framework exception", [&]() -> std::unique_ptr<CSessionsTabPage> { throw fileFailure; },
         strPrefix + fileFailure.GetErrorMessage(), false, &current},
        {"anything else", []() -> std::unique_ptr<CSessionsTabPage> { throw 42; },
         L"(Unknown) exception in CSessionManagerDialog::OnInitDialog()", true, &current},
        {"search of the session folder", [&] { return std::make_unique<CSessionsTabPage>(nullptr, brokenOs); },
         strPrefix + L"CSessionsTabPage::LoadSavedSessions() - SearchDirectoryFailed", false, &current},
        // Without a current session the Sessions page refuses to start.
        {"no current session", [] { return std::make_unique<CSessionsTabPage>(); },
         strPrefix + L"CSessionsTabPage::SetCurrentSession() - pCurrentSession is NULL"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        CFailingPagesDialog dialog;
        dialog.SetCurrentSession(c.pCurrent);
        dialog.m_fnNewPage = c.fnNewPage;
        CMessageBoxResponder responder;
        responder.Answer(IDOK);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        ASSERT_EQ(responder.Boxes().size(), 1u);
        const CMessageBoxRecord& box = responder.Boxes()[0];
        EXPECT_EQ(box.strCaption, L"Quillmere Error");
        EXPECT_EQ(box.strText, c.strText);
        EXPECT_EQ(box.hOwner, c.bOwned ? dialog.m_hWndAtFailure : nullptr);
        EXPECT_EQ(box.nIcon, 0u);
        EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
        // Ended before it was ever shown: no page window was made.
        EXPECT_EQ(dialog.GetSessionsTabPage() ? dialog.GetSessionsTabPage()->GetSessionsList().m_hWnd : nullptr, nullptr);
    }
}

TEST_F(SessionManagerDialog, AFailureShowingThePagesIsReportedAsTheSecondStage)
{
    // The dialog's own exchange runs once when it starts and again once the pages exist.
    class CFailingExchangeDialog : public CSessionManagerDialog
    {
    protected:
        void DoDataExchange(CDataExchange& dx) override
        {
            CSessionManagerDialog::DoDataExchange(dx);
            if (++m_nExchanges == 2)
                throw std::runtime_error("CTest::Exchange() - broken");
        }

    private:
        int m_nExchanges = 0;
    };
    CSession current = MakeSession(kCurrentSessionName, {1});
    CFailingExchangeDialog dialog;
    dialog.SetCurrentSession(&current);
    CMessageBoxResponder responder;
    responder.Answer(IDOK);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(responder.Boxes().size(), 1u);
    EXPECT_EQ(responder.Boxes()[0].strText,
              L"Internal error in CSessionManagerDialog::OnInitDialog(2): CTest::Exchange() - broken");
}

namespace
{
// Every window of the dialog, the pages' controls and the controls' own children included, with
// its rectangle in the dialog's client area, as "class id (left, top, right, bottom)".
std::vector<std::string> Layout(HWND hDialog)
{
    std::vector<std::string> layout;
    ::EnumChildWindows(
        hDialog,
        [](HWND hWnd, LPARAM lParam) {
            RECT rect{};
            ::GetWindowRect(hWnd, &rect);
            ::MapWindowPoints(nullptr, ::GetAncestor(hWnd, GA_ROOT), reinterpret_cast<POINT*>(&rect), 2);
            char szClass[64] = "";
            ::GetClassNameA(hWnd, szClass, 64);
            reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(
                std::string(szClass) + " " + std::to_string(::GetDlgCtrlID(hWnd)) + " (" + std::to_string(rect.left) +
                ", " + std::to_string(rect.top) + ", " + std::to_string(rect.right) + ", " +
                std::to_string(rect.bottom) + ")");
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&layout));
    return layout;
}

// The list's bottom, the bar's top and the tree's top: where the splitter shares the height.
std::vector<LONG> Split(HWND hPage)
{
    return {ChildRect(::GetDlgItem(hPage, IDC_SESSIONS_LIST)).bottom,
            ChildRect(::GetDlgItem(hPage, IDC_SESSIONS_SPLITTER)).top,
            ChildRect(::GetDlgItem(hPage, IDC_SESSIONS_TREE)).top};
}
}  // namespace

TEST_F(SessionManagerDialog, ControlsFollowAResizeAndAnySizesEndingAtTheStartGiveTheStartBack)
{
    m_folder.Write(MakeSession(L"Morning reading", {3}));
    m_current = MakeSession(kCurrentSessionName, {3, 2});

    Run([&] {
        const HWND hDialog = Dialog().m_hWnd;
        const HWND hSplitter = PageControl(IDC_SESSIONS_SPLITTER);
        const HWND hGrip = ::FindWindowExW(hDialog, nullptr, WC_SCROLLBARW, nullptr);  // the only one
        RECT rcStart{};
        ::GetWindowRect(hDialog, &rcStart);
        const auto resize = [&](int dx, int dy) { ResizeWindow(hDialog, RectWidth(rcStart) + dx, RectHeight(rcStart) + dy); };
        const std::vector<std::string> start = Layout(hDialog);

        // Each control with what it does as the dialog grows: move right, move down, widen, lengthen.
        struct CFollower
        {
            HWND hWnd;
            RECT rcStart;
            bool bMoveX, bMoveY, bGrowX, bGrowY;
        };
        const auto follower = [](HWND hWnd, bool bMoveX, bool bMoveY, bool bGrowX, bool bGrowY) {
            return CFollower{hWnd, ChildRect(hWnd), bMoveX, bMoveY, bGrowX, bGrowY};
        };
        const CFollower followers[] = {
            follower(::GetDlgItem(hDialog, IDC_TAB_CONTROL), false, false, true, true),
            follower(::GetDlgItem(hDialog, IDOK), true, true, false, false),
            follower(Page().m_hWnd, false, false, true, true),
            follower(Dialog().GetAboutTabPage()->m_hWnd, false, false, true, true),  // hidden
            follower(PageControl(IDC_SESSIONS_SAVE), true, false, false, false),
            follower(PageControl(IDC_SESSIONS_LIST), false, false, true, false),
            follower(PageControl(IDC_SESSIONS_TREE), false, false, true, true),
            follower(PageControl(IDC_SESSIONS_SELECT_ALL), false, true, false, false),
            follower(hGrip, true, true, false, false),
        };
        resize(120, 90);
        for (const CFollower& f : followers)
        {
            SCOPED_TRACE(testing::Message() << "control " << ::GetDlgCtrlID(f.hWnd));
            RECT rcWant = f.rcStart;
            ::OffsetRect(&rcWant, f.bMoveX ? 120 : 0, f.bMoveY ? 90 : 0);
            rcWant.right += f.bGrowX ? 120 : 0;
            rcWant.bottom += f.bGrowY ? 90 : 0;
            ExpectSameRect(ChildRect(f.hWnd), rcWant);
        }

        // To the minimum with the grip, as the user does it; the tree has no height left there.
        RECT rcGrip{};
        ::GetClientRect(hGrip, &rcGrip);
        const POINT ptGrip{rcGrip.right - 3, rcGrip.bottom - 3};
        Drag(hGrip, ptGrip, POINT{ptGrip.x - 900, ptGrip.y - 700});
        RECT rcMinimum{};
        ::GetWindowRect(hDialog, &rcMinimum);
        ASSERT_EQ(RectWidth(rcMinimum), CSessionManagerDialog::kMinTrackWidth);
        ASSERT_EQ(RectHeight(rcMinimum), CSessionManagerDialog::kMinTrackHeight);
        EXPECT_EQ(RectHeight(ChildRect(PageControl(IDC_SESSIONS_TREE))), 0);
        resize(150, 100);
        resize(0, 0);
        EXPECT_EQ(Layout(hDialog), start) << "shrunk, grown and back";

        // A minimised window's size is not one the controls follow.
        ::ShowWindow(hDialog, SW_MINIMIZE);
        PumpMessages(0);
        EXPECT_TRUE(::IsIconic(hDialog));
        ::ShowWindow(hDialog, SW_RESTORE);
        PumpMessages(0);
        EXPECT_EQ(Layout(hDialog), start) << "minimised and restored";

        // A drag of the splitter stays what it was through the minimum and back.
        std::vector<LONG> split = Split(Page().m_hWnd);
        const POINT ptBar = ClientCenter(hSplitter);
        Drag(hSplitter, ptBar, POINT{ptBar.x, ptBar.y + 30});
        for (LONG& y : split)
            y += 30;
        EXPECT_EQ(Split(Page().m_hWnd), split);
        const std::vector<std::string> dragged = Layout(hDialog);
        ResizeWindow(hDialog, CSessionManagerDialog::kMinTrackWidth, CSessionManagerDialog::kMinTrackHeight);
        resize(0, 0);
        EXPECT_EQ(Layout(hDialog), dragged) << "dragged, then to the minimum and back";

        // Moved up at the minimum, where the tree has no height to show (and the mouse may not
        // move it, being nearer than 60 pixels to the tree's bottom): grown back, the tree has
        // what it was given, and moved down as far it is where the drag had put it.
        ResizeWindow(hDialog, CSessionManagerDialog::kMinTrackWidth, CSessionManagerDialog::kMinTrackHeight);
        ::SetFocus(hSplitter);
        for (int i = 0; i < 5; ++i)
            PressKey(hSplitter, VK_UP);
        resize(0, 0);
        for (LONG& y : split)
            y -= 40;
        EXPECT_EQ(Split(Page().m_hWnd), split);
        for (int i = 0; i < 5; ++i)
            PressKey(hSplitter, VK_DOWN);
        EXPECT_EQ(Layout(hDialog), dragged) << "moved up at the minimum, back, and down as far";
    });
}

TEST_F(SessionManagerDialog, ScreenReadersFindTheListAndTheTreeByName)
{
    m_folder.Write(MakeSession(L"Morning reading", {3}));
    m_current = MakeSession(kCurrentSessionName, {3, 2});

    Run([&] {
        CComInitializer com;
        CSessionsTabPage& page = *Dialog().GetSessionsTabPage();
        const std::pair<HWND, const wchar_t*> named[] = {
            {page.GetSessionsList().m_hWnd, L"Sessions"},
            {page.GetSessionTree().GetTreeCtrl().m_hWnd, L"Windows and tabs"},
        };
        for (const auto& [hWnd, pszName] : named)
        {
            CComPtr<IAccessible> pAccessible;
            ASSERT_EQ(S_OK, ::AccessibleObjectFromWindow(hWnd, OBJID_CLIENT, __uuidof(IAccessible),
                                                         reinterpret_cast<void**>(&pAccessible)));
            CComBSTR bstrName;
            pAccessible->get_accName(CComVariant(static_cast<long>(CHILDID_SELF)), &bstrName);
            EXPECT_STREQ(pszName, bstrName.Get());
        }
    });
}

TEST_F(SessionManagerDialog, F1AndTheCaptionHelpButtonReportTheMissingHelpFile)
{
    ASSERT_EQ(::GetFileAttributesW(ExpectedHelpFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
    m_current = MakeSession(kCurrentSessionName, {1});
    const std::wstring texts[] = {L"Can't display help file.  The file path to the help file does not exist.",
                                  L"Path to helpfile is: " + ExpectedHelpFilePath()};

    const INT_PTR nResult = Run([&] {
        const HWND hDialog = Dialog().m_hWnd;
        // F1 where the user is (the list on the page), then the caption's "?" button, which sends
        // this command: Wine draws no such button, so the command is sent as the button would.
        const std::function<void()> asks[] = {
            [&] { PressHelpKey(hDialog); },
            [&] {
                RECT rcWindow{};
                ::GetWindowRect(hDialog, &rcWindow);
                ::PostMessageW(hDialog, WM_SYSCOMMAND, SC_CONTEXTHELP, MAKELPARAM(rcWindow.right - 40, rcWindow.top + 8));
            },
        };
        for (const auto& fnAsk : asks)
        {
            const size_t nFirst = m_responder.Boxes().size();
            m_responder.Answer(IDOK);
            m_responder.Answer(IDOK);
            fnAsk();
            WaitFor([&] { return m_responder.Boxes().size() >= nFirst + 2; }, 3000);
            ASSERT_EQ(m_responder.Boxes().size(), nFirst + 2);
            for (size_t i = 0; i < 2; ++i)
            {
                const CMessageBoxRecord& box = m_responder.Boxes()[nFirst + i];
                EXPECT_EQ(box.strCaption, L"Unable to Display Help File");
                EXPECT_EQ(box.strText, texts[i]);
                EXPECT_EQ(box.hOwner, nullptr);
                EXPECT_EQ(box.nIcon, 0u);
                EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
            }
            EXPECT_TRUE(::IsWindowVisible(hDialog));
        }
        EXPECT_EQ(::GetCapture(), nullptr);
    });
    EXPECT_EQ(nResult, IDOK);
}

TEST_F(SessionManagerDialog, HelpFilePathIsTheModulesWithItsExtensionChanged)
{
    EXPECT_EQ(HelpFilePathForModule(L"C:\\Program Files\\Quillmere\\Quillmere.dll"),
              L"C:\\Program Files\\Quillmere\\Quillmere.HLP");
    EXPECT_EQ(HelpFilePathForModule(L"C:\\a.b\\module"), L"C:\\a.b\\module.HLP");
    EXPECT_EQ(HelpFilePathForModule(L"C:\\tools\\x.y.exe"), L"C:\\tools\\x.y.HLP");
}

TEST_F(SessionManagerDialog, WhileRenameOrDeleteAsksTheDialogIsDisabledAndIgnoresClicks)
{
    m_folder.Write(MakeSession(L"Alpha", {1}));
    m_folder.Write(MakeSession(L"Beta", {2}));
    m_current = MakeSession(kCurrentSessionName, {1});

    Run([&] {
        const HWND hDialog = Dialog().m_hWnd;
        const HWND hList = List();
        const int nAlpha = RowOf(L"Alpha");
        const int nBeta = RowOf(L"Beta");
        ClickListRow(hList, nAlpha);

        // A click on the other row, made while the question is open, goes nowhere.
        auto expectDisabledAndDeaf = [&](HWND hAsking) {
            EXPECT_FALSE(::IsWindowEnabled(hDialog));
            EXPECT_EQ(::GetWindow(hAsking, GW_OWNER), hDialog);
            RealClick(UncoveredPointOfRow(hList, nBeta, hAsking));
            EXPECT_EQ(SelectedRow(hList), nAlpha);
        };

        m_responder.OnDialogActivated([&](HWND hNameDialog) {
            expectDisabledAndDeaf(hNameDialog);
            const HWND hEdit = ::GetDlgItem(hNameDialog, IDC_FILE_NAME);
            ::SetWindowTextW(hEdit, L"Gamma");
            PressKey(hEdit, VK_RETURN);
        });
        ClickButton(PageControl(IDC_SESSIONS_RENAME));
        // Enabled again and active again once the name dialog is gone.
        EXPECT_TRUE(::IsWindowEnabled(hDialog));
        EXPECT_EQ(::GetActiveWindow(), hDialog);
        EXPECT_TRUE(m_folder.Exists(L"Gamma"));

        m_responder.Answer(IDYES, expectDisabledAndDeaf);
        ClickButton(PageControl(IDC_SESSIONS_DELETE));
        EXPECT_TRUE(::IsWindowEnabled(hDialog));
        EXPECT_EQ(m_folder.FileNames(), std::vector<std::wstring>{L"Beta"});
    });
    EXPECT_EQ(m_responder.Boxes().size(), 1u);
}

TEST_F(SessionManagerDialog, TabAndShiftTabWalkThePageTheTabStripAndCloseAsOneOrder)
{
    m_folder.Write(MakeSession(L"Morning", {2}));
    m_current = MakeSession(kCurrentSessionName, {1});

    Run([&] {
        // A saved session selected: Load, Rename and Delete are enabled and take part.
        ClickListRow(List(), 1);
        ASSERT_EQ(FocusedControlId(Dialog()), IDC_SESSIONS_LIST);
        // From the list round to the list, in the order the windows are stacked.
        const std::vector<int> cycle = {IDC_SESSIONS_LIST,
                                  IDC_SESSIONS_SPLITTER,
                                  IDC_SESSIONS_TREE,
                                  IDC_SESSIONS_SELECT_ALL,
                                  IDC_SESSIONS_SELECT_NONE,
                                  IDC_SESSIONS_FIND,
                                  IDOK,
                                  IDC_TAB_CONTROL,
                                  IDC_SESSIONS_SAVE,
                                  IDC_SESSIONS_LOAD,
                                  IDC_SESSIONS_RENAME,
                                  IDC_SESSIONS_DELETE};
        std::vector<int> forward;
        for (size_t i = 0; i < cycle.size(); ++i)
        {
            PressKey(::GetFocus(), VK_TAB);
            forward.push_back(FocusedControlId(Dialog()));
        }
        std::vector<int> expectedForward(cycle.begin() + 1, cycle.end());
        expectedForward.push_back(cycle.front());
        EXPECT_EQ(forward, expectedForward);

        std::vector<int> backward;
        for (size_t i = 0; i < cycle.size(); ++i)
        {
            PressKey(::GetFocus(), VK_TAB, kModShift);
            backward.push_back(FocusedControlId(Dialog()));
        }
        std::vector<int> expectedBackward(cycle.rbegin(), cycle.rend() - 1);
        expectedBackward.push_back(cycle.front());
        EXPECT_EQ(backward, expectedBackward);
    });
}

TEST_F(SessionManagerDialog, ControlKeysSwitchPagesMnemonicsAndEnterPressTheirButtons)
{
    m_current = MakeSession(kCurrentSessionName, {2, 1});

    const INT_PTR nResult = Run([&] {
        const HWND hDialog = Dialog().m_hWnd;
        const HWND hTabs = ::GetDlgItem(hDialog, IDC_TAB_CONTROL);
        const HWND hSessions = Dialog().GetSessionsTabPage()->m_hWnd;
        const HWND hAbout = Dialog().GetAboutTabPage()->m_hWnd;
        auto expectPage = [&](int nPage) {
            EXPECT_EQ(::SendMessageW(hTabs, TCM_GETCURSEL, 0, 0), nPage);
            EXPECT_EQ(::IsWindowVisible(hSessions) != FALSE, nPage == 0);
            EXPECT_EQ(::IsWindowVisible(hAbout) != FALSE, nPage == 1);
        };

        // Each way there and back, from the list; the focus goes to the new page's first control.
        const struct
        {
            const char* pszKeys;
            UINT nKey;
            UINT nModifiers;
        } switches[] = {
            {"Ctrl+Tab", VK_TAB, kModControl},
            {"Ctrl+Shift+Tab", VK_TAB, kModControl | kModShift},
            {"Ctrl+PgDn", VK_NEXT, kModControl},
            {"Ctrl+PgUp", VK_PRIOR, kModControl},
        };
        for (const auto& s : switches)
        {
            SCOPED_TRACE(s.pszKeys);
            ::SetFocus(List());
            PressKey(::GetFocus(), s.nKey, s.nModifiers);
            expectPage(1);
            EXPECT_EQ(FocusedControlId(Dialog()), IDC_ABOUT_LINK);
            PressKey(::GetFocus(), s.nKey, s.nModifiers);
            expectPage(0);
            EXPECT_EQ(FocusedControlId(Dialog()), IDC_SESSIONS_SAVE);
        }
        // A focus outside the pages stays where it is.
        ::SetFocus(::GetDlgItem(hDialog, IDOK));
        PressKey(::GetFocus(), VK_TAB, kModControl);
        expectPage(1);
        EXPECT_EQ(FocusedControlId(Dialog()), IDOK);
        PressKey(::GetFocus(), VK_TAB, kModControl);
        expectPage(0);

        // Enter on a page's button presses that button, not the dialog's default one.
        CCustomTreeChildCtrl& tree = Dialog().GetSessionsTabPage()->GetSessionTree().GetTreeCtrl();
        ::SetFocus(List());
        for (int i = 0; i < 4; ++i)  // splitter, tree, Select All, Select None
            PressKey(::GetFocus(), VK_TAB);
        ASSERT_EQ(FocusedControlId(Dialog()), IDC_SESSIONS_SELECT_NONE);
        PressKey(::GetFocus(), VK_RETURN);
        EXPECT_TRUE(::IsWindowVisible(hDialog));
        EXPECT_EQ(CheckValues(tree), std::vector<int>(5, kCheckClear));

        // Mnemonics of the page and of the dialog, from the list.
        ::SetFocus(List());
        PressKey(::GetFocus(), 'A', kModAlt);
        EXPECT_EQ(CheckValues(tree), std::vector<int>(5, kCheckTicked));
        ::SetFocus(List());
        PressKey(::GetFocus(), 'C', kModAlt);
        EXPECT_FALSE(::IsWindowVisible(hDialog));
    });
    EXPECT_EQ(nResult, IDOK);
}
