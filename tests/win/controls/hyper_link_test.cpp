#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "controls/hyper_link.h"
#include "demo/support/sys_colors.h"
#include "tests/support/harness/message_box_responder.h"
#include "tests/win/controls/control_test_support.h"

namespace
{
const COLORREF kLinkColour = RGB(0, 0, 238);
const COLORREF kVisitedColour = RGB(85, 26, 139);
const COLORREF kHoverColour = RGB(255, 0, 0);

// Associations are read from here instead of the classes root, inside the test prefix.
const wchar_t kTestClassesKey[] = L"Software\\QuillmereTests\\HyperLink\\Classes";

// The link with its state in view.
class CTestHyperLink : public CHyperLink
{
public:
    using CHyperLink::m_bHovering;
    using CHyperLink::m_bVisited;
    using CHyperLink::m_hHandCursor;
    using CHyperLink::m_toolTip;

    // The system's high-contrast flag, which Wine cannot set, in the test's hands.
    bool m_bHighContrast = false;
    bool IsHighContrast() const override { return m_bHighContrast; }
};

// Records what a click would have opened or run, and answers as told. Nothing leaves the process.
class CFakeOpener : public CHyperLink::COpener
{
public:
    INT_PTR ShellOpen(const std::wstring& strUrl, int nShowCmd) override
    {
        m_shellCalls.emplace_back(strUrl, nShowCmd);
        return m_nShellResult;
    }
    HKEY ClassesRoot() override { return m_hRoot; }
    UINT Run(const std::string& strCommandLine, int nShowCmd) override
    {
        m_runs.emplace_back(strCommandLine, nShowCmd);
        return m_nRunResult;
    }

    INT_PTR m_nShellResult = 42;
    HKEY m_hRoot = nullptr;
    UINT m_nRunResult = 33;
    std::vector<std::pair<std::wstring, int>> m_shellCalls;
    std::vector<std::pair<std::string, int>> m_runs;
};

// A classes root of the test's own under HKEY_CURRENT_USER, emptied when it goes.
class CTestClassesRoot
{
public:
    CTestClassesRoot()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestClassesKey);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kTestClassesKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &m_hKey, nullptr);
    }
    ~CTestClassesRoot()
    {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestClassesKey);
    }
    CTestClassesRoot(const CTestClassesRoot&) = delete;
    CTestClassesRoot& operator=(const CTestClassesRoot&) = delete;

    HKEY Get() const { return m_hKey; }

    // A subkey with that default value.
    void SetDefault(const std::wstring& strSubKey, const std::wstring& strValue)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(m_hKey, strSubKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, &hKey, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                         static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(hKey);
    }

    // ".htm" names a file class whose open command is that line.
    void RegisterBrowser(const std::wstring& strCommand)
    {
        SetDefault(L".htm", L"qlmrtestfile");
        SetDefault(L"qlmrtestfile\\shell\\open\\command", strCommand);
    }

private:
    HKEY m_hKey = nullptr;
};

class CLinkHostDialog : public CHostDialog
{
public:
    CLinkHostDialog() : CHostDialog(IDD_LINK_HOST) {}

    CTestHyperLink m_linkLeft;
    CTestHyperLink m_linkEmpty;
    CTestHyperLink m_linkBorder;

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Control(dx, IDC_LINK_LEFT, m_linkLeft);
        DDX_Control(dx, IDC_LINK_EMPTY, m_linkEmpty);
        DDX_Control(dx, IDC_LINK_BORDER, m_linkBorder);
    }
};

bool IsUnderlined(HWND hWnd)
{
    const HFONT hFont = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    return hFont && ::GetObjectW(hFont, sizeof(lf), &lf) && lf.lfUnderline;
}

// The text of a control as the link measures it: underlined, in the dialog's font.
SIZE UnderlinedTextSize(HWND hDialog, const std::wstring& strText)
{
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hDialog, WM_GETFONT, 0, 0)), sizeof(lf),
                 &lf);
    lf.lfUnderline = TRUE;
    CFont font(::CreateFontIndirectW(&lf));
    SIZE size{};
    CClientDC dc(nullptr);
    CSelectObject select(dc, font);
    ::GetTextExtentPoint32W(dc, strText.c_str(), static_cast<int>(strText.size()), &size);
    return size;
}

// Pixels of one colour inside a control, and the most of them in one row: an underline fills a
// row.
struct CColourCount
{
    int nPixels = 0;
    int nLongestRow = 0;
};

CColourCount CountColour(HWND hControl, COLORREF crColour)
{
    RECT rect{};
    ::GetClientRect(hControl, &rect);
    CColourCount count;
    for (int y = 0; y < rect.bottom; ++y)
    {
        const int nRow = CountPixels(hControl, RECT{0, y, rect.right, y + 1}, Is(crColour));
        count.nPixels += nRow;
        count.nLongestRow = std::max(count.nLongestRow, nRow);
    }
    return count;
}

// The dots of a focus rectangle on the control's top edge (the text keeps clear of that row).
int FocusDotsOnTopEdge(HWND hControl)
{
    RECT rect{};
    ::GetClientRect(hControl, &rect);
    return CountPixels(hControl, RECT{0, 0, rect.right, 1},
                       [](COLORREF cr) { return cr != ::GetSysColor(COLOR_BTNFACE); });
}

std::wstring ToolText(CTestHyperLink& link)
{
    wchar_t szText[256] = L"";
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = link.m_hWnd;
    info.uId = 1;
    info.lpszText = szText;
    link.m_toolTip.SendMessage(TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return szText;
}

struct CCursorLook
{
    bool bOk = false;
    bool bIcon = true;
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
};

CCursorLook LookAt(HCURSOR hCursor)
{
    CCursorLook look;
    ICONINFO info{};
    if (!hCursor || !::GetIconInfo(hCursor, &info))
        return look;
    look = {true, info.fIcon != FALSE, info.xHotspot, info.yHotspot};
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    return look;
}

// This program, which holds a cursor 106 of its own (link_hand.cur, hot spot at (13, 17)) as the
// help program does; Wine's has none.
std::wstring ThisProgram()
{
    wchar_t szPath[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    return szPath;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// The plain parts

TEST(HyperLinkErrorText, EveryCodeHasItsText)
{
    const std::wstring strHead = L"Unable to open hyperlink:\n\n";
    // The system's reasons, each code's own, and the number of any other.
    const std::pair<INT_PTR, const wchar_t*> cases[] = {
        {0, L"The operating system is out\nof memory or resources."},
        {2, L"The specified file was not found."},
        {26, L"A sharing violation occurred. "},
        {32, L"The specified dynamic-link library was not found."},
        {1, L"Unknown Error (1) occurred."},
        {33, L"Unknown Error (33) occurred."},
        {-2147483647 - 1, L"Unknown Error (-2147483648) occurred."},
    };
    for (const auto& [nCode, pszReason] : cases)
        EXPECT_EQ(HyperLinkErrorText(nCode), strHead + pszReason) << "code " << nCode;
}

TEST(LinkCommandLine, CutAtTheFirstPercentOneQuotedElseBare)
{
    const std::wstring strUrl = L"http://quillmere.example/";
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        // Quoted: cut at the opening quotation mark; the space before it stays.
        {LR"("C:\Browser\browser.exe" -nohome "%1")",
         LR"("C:\Browser\browser.exe" -nohome  http://quillmere.example/)"},
        // Bare.
        {LR"(C:\Browser\browser.exe %1 -new)",
         LR"(C:\Browser\browser.exe  http://quillmere.example/)"},
        // Absent: the address goes at the end.
        {LR"("C:\Browser\browser.exe" -nohome)",
         LR"("C:\Browser\browser.exe" -nohome http://quillmere.example/)"},
        // A quoted one wins over an earlier bare one.
        {LR"(browser.exe %1 "%1")", LR"(browser.exe %1  http://quillmere.example/)"},
        // "%1" inside a longer token still counts, as the line is not parsed.
        {LR"(browser.exe -url=%10)", LR"(browser.exe -url= http://quillmere.example/)"},
        {L"", L" http://quillmere.example/"},
    };
    for (const auto& [pszRegistered, pszExpected] : cases)
    {
        std::wstring strLine = L"stale";
        EXPECT_TRUE(AssembleLinkCommandLine(pszRegistered, strUrl, &strLine)) << pszRegistered;
        EXPECT_EQ(strLine, pszExpected) << pszRegistered;
    }
}

TEST(FitLinkRectToText, KeepsTheEdgeOrCentreItsAlignmentNames)
{
    const RECT rcWindow{10, 20, 211, 50}; // 201 x 30
    const RECT rcClient{0, 0, 201, 30};
    const SIZE sizeText{100, 13};
    struct CCase
    {
        DWORD dwStyle;
        RECT rcExpected;
        const char* pszName;
    } cases[] = {
        {SS_LEFT, {10, 20, 110, 33}, "left"},
        {SS_RIGHT, {111, 20, 211, 33}, "right"},
        // (201 - 100) / 2 = 50 from each side: the odd pixel stays.
        {SS_CENTER, {60, 20, 161, 33}, "centre"},
        // (30 - 13) / 2 = 8 from top and bottom.
        {SS_LEFT | SS_CENTERIMAGE, {10, 28, 110, 42}, "left, vertically centred"},
        {SS_CENTER | SS_CENTERIMAGE, {60, 28, 161, 42}, "centre, vertically centred"},
        {SS_LEFT | SS_NOTIFY | WS_CHILD | WS_VISIBLE, {10, 20, 110, 33}, "left with other styles"},
        // SS_SIMPLE holds the SS_CENTER bit, but a simple static is left-aligned.
        {SS_SIMPLE, {10, 20, 110, 33}, "simple"},
        {SS_LEFTNOWORDWRAP, {10, 20, 110, 33}, "left without word wrap"},
    };
    for (const CCase& c : cases)
    {
        const RECT rc = FitLinkRectToText(rcWindow, rcClient, sizeText, c.dwStyle);
        EXPECT_TRUE(::EqualRect(&rc, &c.rcExpected))
            << c.pszName << ": " << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    }

    // Text wider than a bordered window widens it; (52 - 83) / 2 rounds toward zero.
    const RECT rcWide =
        FitLinkRectToText(RECT{0, 0, 52, 22}, RECT{0, 0, 50, 20}, SIZE{81, 15}, SS_CENTER);
    EXPECT_EQ(rcWide.left, -15);
    EXPECT_EQ(rcWide.right, 67);
    EXPECT_EQ(rcWide.bottom, 17);
}

TEST(GetRegKey, ReadsADefaultValueOfAtMost260Bytes)
{
    CTestClassesRoot root;
    ASSERT_TRUE(root.Get());
    std::wstring strValue = L"stale";

    root.SetDefault(L".htm", L"qlmrtestfile");
    EXPECT_EQ(GetRegKey(root.Get(), L".htm", &strValue), ERROR_SUCCESS);
    EXPECT_EQ(strValue, L"qlmrtestfile");

    strValue = L"stale";
    EXPECT_NE(GetRegKey(root.Get(), L"missing", &strValue), ERROR_SUCCESS);
    EXPECT_EQ(strValue, L"stale");

    // 129 characters and the terminator fill the 260 bytes; one more does not fit.
    root.SetDefault(L"longest", std::wstring(129, L'x'));
    EXPECT_EQ(GetRegKey(root.Get(), L"longest", &strValue), ERROR_SUCCESS);
    EXPECT_EQ(strValue, std::wstring(129, L'x'));
    root.SetDefault(L"too long", std::wstring(130, L'x'));
    strValue = L"stale";
    EXPECT_NE(GetRegKey(root.Get(), L"too long", &strValue), ERROR_SUCCESS);
    EXPECT_EQ(strValue, L"stale");
}

TEST(LoadLinkHandCursor, Cursor106OfTheHelpProgramElseTheSystemHand)
{
    const CCursorLook hand = LookAt(::LoadCursorW(nullptr, IDC_HAND));
    ASSERT_TRUE(hand.bOk);
    wchar_t szSystem[MAX_PATH] = L"";
    ::GetSystemDirectoryW(szSystem, MAX_PATH);
    const struct
    {
        std::wstring strPath;
        DWORD xHotspot, yHotspot;
    } cases[] = {
        {ThisProgram(), 13, 17},
        {L"C:\\no such folder\\winhlp32.exe", hand.xHotspot, hand.yHotspot},
        {std::wstring(szSystem) + L"\\kernel32.dll", hand.xHotspot,
         hand.yHotspot}, // without cursor 106
        {L"", hand.xHotspot, hand.yHotspot},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.strPath));
        const HCURSOR hCursor = LoadLinkHandCursor(c.strPath);
        const CCursorLook look = LookAt(hCursor);
        ASSERT_TRUE(look.bOk);
        EXPECT_FALSE(look.bIcon);
        EXPECT_EQ(look.xHotspot, c.xHotspot);
        EXPECT_EQ(look.yHotspot, c.yHotspot);
        // A copy of its own: it outlived the library, and the caller destroys it.
        EXPECT_NE(hCursor, ::LoadCursorW(nullptr, IDC_HAND));
        EXPECT_TRUE(::DestroyCursor(hCursor));
    }
}

// ---------------------------------------------------------------------------------------------
// The link in a dialog

class HyperLinkTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // The cursor well away, so that no link starts hovering unasked when the dialog appears.
        ::SetCursorPos(0, 0);
        // An address given before the window exists becomes the text of an empty static.
        m_dialog.m_linkEmpty.SetURL(L"http://quillmere.example/given");
        ASSERT_TRUE(m_dialog.Open());
        m_dialog.m_linkLeft.SetOpener(&m_opener);
        m_opener.m_hRoot = m_root.Get();
    }

    CTestHyperLink& Link() { return m_dialog.m_linkLeft; }
    // The mouse leaves the link; the hover ends at the next tick of its timer.
    void Leave()
    {
        RECT rect{};
        ::GetClientRect(m_dialog, &rect);
        MouseMove(m_dialog, POINT{rect.right - 3, rect.bottom - 3});
        ASSERT_TRUE(WaitFor([&] { return !IsUnderlined(Link()); }, 2000));
    }

    CTestClassesRoot m_root;
    CFakeOpener m_opener;
    CLinkHostDialog m_dialog;
    CMessageBoxResponder m_responder;
};

TEST_F(HyperLinkTest, SubclassingMakesTheStaticALinkWithTextAddressAndTooltip)
{
    CTestHyperLink& link = Link();
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    EXPECT_EQ(m_dialog.m_linkEmpty.GetWindowText(), L"http://quillmere.example/given");

    // Fitted to its text, measured as it is drawn when hovered: underlined, in the dialog's font.
    RECT rcClient{};
    link.GetClientRect(&rcClient);
    EXPECT_EQ(rcClient.right, UnderlinedTextSize(m_dialog.m_hWnd, link.GetWindowText()).cx);

    // One tool, id 1, over the control, showing the address; SetURL changes the address only.
    ASSERT_EQ(link.m_toolTip.SendMessage(TTM_GETTOOLCOUNT), 1);
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = link.m_hWnd;
    info.uId = 1;
    ASSERT_TRUE(link.m_toolTip.SendMessage(TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_TRUE(::EqualRect(&info.rect, &rcClient));
    EXPECT_EQ(ToolText(link), L"http://quillmere.example/left");
    link.SetURL(L"http://quillmere.example/other");
    EXPECT_EQ(ToolText(link), L"http://quillmere.example/other");
    EXPECT_EQ(link.GetWindowText(), L"http://quillmere.example/left");
}

TEST_F(HyperLinkTest, ShowsLinkColourThenHoverColourUnderlinedWhileTheMouseIsOver)
{
    const HWND hLink = Link().m_hWnd;
    const int nTextWidth = RectWidth(ChildRect(hLink));
    const auto expectLook = [&](COLORREF crShown, COLORREF crNot, bool bUnderlined) {
        const CColourCount count = CountColour(hLink, crShown);
        EXPECT_GT(count.nPixels, 20);
        EXPECT_EQ(count.nLongestRow >= nTextWidth * 9 / 10, bUnderlined) << "underline";
        EXPECT_EQ(CountColour(hLink, crNot).nPixels, 0);
    };
    expectLook(kLinkColour, kHoverColour, false);

    MouseMove(hLink, ClientCenter(hLink));
    expectLook(kHoverColour, kLinkColour, true);
    // The mouse resting on the link keeps it hovering through several timer periods.
    PumpMessages(350);
    EXPECT_TRUE(IsUnderlined(hLink));

    const DWORD dwLeft = ::GetTickCount();
    Leave();
    EXPECT_LT(::GetTickCount() - dwLeft, 400u);
    expectLook(kLinkColour, kHoverColour, false);
    EXPECT_FALSE(::KillTimer(hLink, 100)) << "the timer outlived the hover";
}

TEST_F(HyperLinkTest, InAHighContrastSchemeEveryStateTakesTheSchemesLinkColour)
{
    CSysColorsScope scheme(HighContrastBlackColours());
    ASSERT_TRUE(scheme.Applied());
    const COLORREF crHot = GetSysColor(COLOR_HOTLIGHT);
    CTestHyperLink& link = Link();
    link.m_bHighContrast = true;
    for (const auto& [pszState, bHovering, bVisited] :
         {std::tuple<const char*, bool, bool>{"new", false, false}, {"hovered", true, false}, {"visited", false, true},
          {"visited and hovered", true, true}})
    {
        SCOPED_TRACE(pszState);
        link.m_bHovering = bHovering;
        link.m_bVisited = bVisited;
        link.Invalidate();
        EXPECT_GT(CountPixels(link, RECT{0, 0, 400, 40}, Is(crHot)), 20);
        for (const COLORREF crOwn : {kLinkColour, kVisitedColour, kHoverColour})
            EXPECT_EQ(CountPixels(link, RECT{0, 0, 400, 40}, Is(crOwn)), 0);
    }
    link.m_bHovering = false;
    link.m_bVisited = false;

    // Without the flag, the link's own colour even in that scheme.
    link.m_bHighContrast = false;
    link.Invalidate();
    EXPECT_GT(CountPixels(link, RECT{0, 0, 400, 40}, Is(kLinkColour)), 20);
}

TEST_F(HyperLinkTest, ShowsTheHandCursorAndTheDialogsLoopRelaysMouseMessagesToTheTooltip)
{
    CTestHyperLink& link = Link();
    ASSERT_TRUE(static_cast<HCURSOR>(link.m_hHandCursor));
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_TRUE(link.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(link.m_hWnd),
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), static_cast<HCURSOR>(link.m_hHandCursor));

    SetMessageFilter(PreTranslateChain);
    POINT pt = ClientCenter(link.m_hWnd);
    MouseMove(link.m_hWnd, pt);
    ++pt.x;
    MouseMove(link.m_hWnd, pt);
    const bool bShown = WaitFor([&] { return ::IsWindowVisible(link.m_toolTip.m_hWnd) != FALSE; }, 3000);
    SetMessageFilter(nullptr);
    EXPECT_TRUE(bShown);
}

TEST_F(HyperLinkTest, TheKeyboardReachesTheLinkShowsItsFocusAndOpensItWithEnterOrSpace)
{
    CTestHyperLink& link = Link();
    // Tab from the last link comes round to the first, which shows that it has the focus.
    ::SetFocus(m_dialog.m_linkBorder.m_hWnd);
    EXPECT_EQ(FocusDotsOnTopEdge(link.m_hWnd), 0);
    PressKey(::GetFocus(), VK_TAB);
    ASSERT_EQ(::GetFocus(), link.m_hWnd);
    EXPECT_GT(FocusDotsOnTopEdge(link.m_hWnd), 4);
    EXPECT_TRUE(m_opener.m_shellCalls.empty());

    // Enter and Space open it, once for a key held down.
    for (const UINT nKey : {VK_RETURN, VK_SPACE})
    {
        const size_t nBefore = m_opener.m_shellCalls.size();
        PressKey(link.m_hWnd, nKey);
        ASSERT_EQ(m_opener.m_shellCalls.size(), nBefore + 1) << "key " << nKey;
        EXPECT_EQ(m_opener.m_shellCalls.back().first, L"http://quillmere.example/left");
        ::PostMessageW(link.m_hWnd, WM_KEYDOWN, nKey, 0x40000001); // the key repeating
        PumpMessages(0);
        EXPECT_EQ(m_opener.m_shellCalls.size(), nBefore + 1) << "key " << nKey;
    }

    PressKey(::GetFocus(), VK_TAB);
    EXPECT_EQ(FocusDotsOnTopEdge(link.m_hWnd), 0);
}

TEST_F(HyperLinkTest, AClickOpensThroughTheShellElseTheRegisteredBrowserAndReportsWhatFailed)
{
    const std::wstring strHead = L"Unable to open hyperlink:\n\n";
    const std::wstring strNoAssociation =
        strHead + L"There is no application associated\nwith the given filename extension.";
    const std::wstring strNotFound = strHead + L"The specified file was not found.";
    struct
    {
        const char* pszWhat;
        INT_PTR nShellResult;
        const wchar_t* pszClass;    // what ".htm" names, if anything
        const wchar_t* pszCommand;  // that class's open command, if any
        UINT nRunResult;
        const char* pszRun;         // the line run, if any
        std::wstring strBox;        // the box's text, if any
        bool bVisitedBefore, bVisited;
    } const cases[] = {
        {"the shell opens it", 42, nullptr, nullptr, 33, nullptr, L"", false, true},
        {"the shell fails", SE_ERR_FNF, nullptr, nullptr, 33, nullptr, strNotFound, true, true},
        {"no association", SE_ERR_NOASSOC, nullptr, nullptr, 33, nullptr, strNoAssociation, false, false},
        {"a class without a command", SE_ERR_NOASSOC, L"qlmrtestfile", nullptr, 33, nullptr, strNoAssociation,
         false, false},
        {"a registered browser", SE_ERR_NOASSOC, L"qlmrtestfile", LR"("C:\Browser\browser.exe" -nohome "%1")", 33,
         R"("C:\Browser\browser.exe" -nohome  http://quillmere.example/left)", L"", false, true},
        {"a registered browser that fails", SE_ERR_ACCESSDENIED, L"qlmrtestfile", LR"(C:\Browser\browser.exe)",
         SE_ERR_FNF, R"(C:\Browser\browser.exe http://quillmere.example/left)", strNotFound, false, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        ::RegDeleteTreeW(m_root.Get(), nullptr);
        if (c.pszClass)
            m_root.SetDefault(L".htm", c.pszClass);
        if (c.pszCommand)
            m_root.SetDefault(L"qlmrtestfile\\shell\\open\\command", c.pszCommand);
        m_opener = CFakeOpener();
        m_opener.m_hRoot = m_root.Get();
        m_opener.m_nShellResult = c.nShellResult;
        m_opener.m_nRunResult = c.nRunResult;
        Link().m_bVisited = c.bVisitedBefore;
        const size_t nBoxes = m_responder.Boxes().size();
        if (!c.strBox.empty())
            m_responder.Answer(IDOK);

        Click(Link(), ClientCenter(Link()));
        ASSERT_EQ(m_opener.m_shellCalls.size(), 1u);
        EXPECT_EQ(m_opener.m_shellCalls[0], std::make_pair(std::wstring(L"http://quillmere.example/left"), SW_SHOW));
        ASSERT_EQ(m_opener.m_runs.size(), c.pszRun ? 1u : 0u);
        if (c.pszRun)
        {
            EXPECT_EQ(m_opener.m_runs[0], std::make_pair(std::string(c.pszRun), SW_SHOW));
        }
        ASSERT_EQ(m_responder.Boxes().size(), nBoxes + (c.strBox.empty() ? 0 : 1));
        if (!c.strBox.empty())
        {
            const CMessageBoxRecord box = m_responder.Boxes().back();
            EXPECT_EQ(box.strText, c.strBox);
            EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONEXCLAMATION));
            EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
            EXPECT_EQ(box.hOwner, m_dialog.m_hWnd);
            EXPECT_EQ(box.strCaption, L"controls_tests");
        }
        Leave();
        EXPECT_GT(CountColour(Link(), c.bVisited ? kVisitedColour : kLinkColour).nPixels, 20);
        EXPECT_EQ(CountColour(Link(), c.bVisited ? kLinkColour : kVisitedColour).nPixels, 0);
    }
}

TEST_F(HyperLinkTest, ACommandLineLongerThanItsBufferRunsNothing)
{
    CTestHyperLink& link = m_dialog.m_linkLeft;
    m_opener.m_nShellResult = SE_ERR_ACCESSDENIED;
    m_root.RegisterBrowser(LR"(C:\Browser\browser.exe %1)");
    // 520 characters with the terminator: the cut line, a space and the address may take 519.
    const std::wstring strFits(519 - std::wstring(L"C:\\Browser\\browser.exe  ").size(), L'y');
    EXPECT_EQ(link.GotoURL(strFits, SW_SHOWNORMAL), 33);
    ASSERT_EQ(m_opener.m_runs.size(), 1u);
    EXPECT_EQ(m_opener.m_runs[0].first.size(), 519u);
    EXPECT_EQ(m_opener.m_runs[0].second, SW_SHOWNORMAL);

    // One more, or far more, and the shell's reason is what is left.
    EXPECT_EQ(link.GotoURL(strFits + L"y", SW_SHOW), SE_ERR_ACCESSDENIED);
    EXPECT_EQ(link.GotoURL(std::wstring(100000, L'y'), SW_SHOW), SE_ERR_ACCESSDENIED);
    EXPECT_EQ(m_opener.m_runs.size(), 1u);
}

TEST_F(HyperLinkTest, AnObjectGoingBeforeItsWindowGivesTheTemplateFontBack)
{
    const HFONT hDialogFont = reinterpret_cast<HFONT>(m_dialog.SendMessage(WM_GETFONT));
    const HWND hStatic = m_dialog.m_linkLeft.UnsubclassWindow();
    ASSERT_EQ(reinterpret_cast<HFONT>(::SendMessageW(hStatic, WM_GETFONT, 0, 0)), hDialogFont);
    {
        CTestHyperLink link;
        link.SetURL(L"http://quillmere.example/late");
        ASSERT_TRUE(link.SubclassWindow(hStatic));
        EXPECT_EQ(ToolText(link), L"http://quillmere.example/late");
        MouseMove(link.m_hWnd, ClientCenter(link.m_hWnd));
        ASSERT_TRUE(IsUnderlined(link.m_hWnd));
    }
    // The fonts it made are gone; the window must not hold one of them.
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(hStatic, WM_GETFONT, 0, 0)), hDialogFont);
    EXPECT_FALSE(IsUnderlined(hStatic));
    EXPECT_EQ(CWnd::FromHandlePermanent(hStatic), nullptr);
}
