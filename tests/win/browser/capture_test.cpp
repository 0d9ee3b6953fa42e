// Capture of the open windows and tabs, against stand-in browser processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "browser/quillmere_bho.h"
#include "demo/stand_in_browser/stand_in_browser.h"
#include "tests/win/browser/browser_test_support.h"

namespace
{
class SessionCapture : public CBrowserTest
{
protected:
    void SetUp() override
    {
        m_bho.m_hActiveAccessibilityLibraryInst = LoadLibraryW(L"OLEACC.DLL");
        ASSERT_NE(m_bho.m_hActiveAccessibilityLibraryInst, nullptr);
    }

    void Start(CStandInBrowser& browser, const std::vector<std::wstring>& args,
               CStandInBrowser::EName name = CStandInBrowser::EName::Browser)
    {
        ASSERT_TRUE(browser.Start(args, name)) << browser.Error();
    }

    std::vector<CWindowText> Capture()
    {
        CSession session(kCurrentSessionName, std::time(nullptr));
        m_bho.GetCurrentSessionUrls(session);
        return SessionText(session);
    }

    CQuillmereBHO m_bho;
};

TEST_F(SessionCapture, TwoBrowserProcessesGiveOneWindowEachInProcessOrder)
{
    CStandInBrowser first, second;
    Start(first, {L"http://first.example/a|First A", L"http://first.example/b|First B"});
    Start(second, {L"http://second.example/|Second"});

    std::vector<DWORD> processIds;
    ASSERT_EQ(CQuillmereBHO::GetBrowserProcessIds(&processIds), 2);
    ASSERT_EQ(processIds.size(), 2u);
    const CWindowText firstWindow{L"http://first.example/a | First A",
                                  L"http://first.example/b | First B"};
    const CWindowText secondWindow{L"http://second.example/ | Second"};
    // The processes come in the order the system lists them, whichever was started first.
    const std::vector<CWindowText> expected =
        processIds[0] == first.ProcessId() ? std::vector<CWindowText>{firstWindow, secondWindow}
                                           : std::vector<CWindowText>{secondWindow, firstWindow};
    EXPECT_TRUE(processIds[0] == first.ProcessId() || processIds[0] == second.ProcessId());
    EXPECT_EQ(Capture(), expected);
}

TEST_F(SessionCapture, WindowsOfOneProcessComeInZOrder)
{
    CStandInBrowser browser;
    Start(browser, {L"http://one.example/|One", L"-window", L"http://two.example/|Two"});
    const HWND hOne = browser.Window(1);
    const HWND hTwo = browser.Window(2);
    ASSERT_TRUE(hOne && hTwo);
    const CWindowText one{L"http://one.example/ | One"};
    const CWindowText two{L"http://two.example/ | Two"};

    SetWindowPos(hOne, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(Capture(), (std::vector<CWindowText>{one, two}));
    SetWindowPos(hTwo, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(Capture(), (std::vector<CWindowText>{two, one}));
}

TEST_F(SessionCapture, EachKindOfTabIsCapturedOrSkipped)
{
    const struct
    {
        const char* pszWhat;
        std::vector<std::wstring> args;
        std::vector<CWindowText> expected;
    } rows[] = {
        {"a hung tab is skipped, the others keep their order",
         {L"http://a.example/|A", L"http://hung.example/|Hung|hang", L"http://c.example/|C"},
         {{L"http://a.example/ | A", L"http://c.example/ | C"}}},
        {"a tab of a second process is captured under its frame",
         {L"http://a.example/|A", L"http://remote.example/|Remote|remote", L"http://c.example/|C"},
         {{L"http://a.example/ | A", L"http://remote.example/ | Remote",
           L"http://c.example/ | C"}}},
        {"a hidden background tab of a hidden window is captured",
         {L"http://front.example/|Front", L"http://back.example/|Back"},
         {{L"http://front.example/ | Front", L"http://back.example/ | Back"}}},
        {"a tab whose title cannot be read adds no item",
         {L"http://a.example/|A|notitle", L"http://b.example/|B"},
         {{L"http://b.example/ | B"}}},
        {"a window whose only tab gave no item still counts, empty",
         {L"http://c.example/|C|notitle"},
         {{}}},
        {"a page without a title is called Blank page",
         {L"http://untitled.example/", L"http://empty.example/|"},
         {{L"http://untitled.example/ | Blank page", L"http://empty.example/ | Blank page"}}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.pszWhat);
        CStandInBrowser browser;
        Start(browser, row.args);
        ShowWindow(browser.Window(1), SW_HIDE);
        EXPECT_EQ(Capture(), row.expected);
    }
}

TEST_F(SessionCapture, RemoteTabProcessOwnsNoFrameAndAddsNoWindow)
{
    CStandInBrowser browser;
    Start(browser, {L"http://a.example/|A", L"http://remote.example/|Remote|remote"});
    const std::vector<HWND> tabs = browser.Tabs(1);
    ASSERT_EQ(tabs.size(), 2u);
    DWORD dwTabProcess = 0;
    GetWindowThreadProcessId(tabs[1], &dwTabProcess);
    ASSERT_NE(dwTabProcess, browser.ProcessId()) << "the remote tab lives in the frame's process";
    EXPECT_EQ(CQuillmereBHO::GetBrowserProcessIds(), 2);
}

TEST_F(SessionCapture, OnlyAProcessNamedExactlyIexploreExeIsABrowser)
{
    EXPECT_EQ(CQuillmereBHO::GetBrowserProcessIds(), 0);
    EXPECT_EQ(Capture(), std::vector<CWindowText>());

    CStandInBrowser capitals, browser;
    Start(capitals, {L"http://capitals.example/|Capitals"}, CStandInBrowser::EName::Capitals);
    EXPECT_EQ(CQuillmereBHO::GetBrowserProcessIds(), 0);
    EXPECT_EQ(Capture(), std::vector<CWindowText>());

    Start(browser, {L"http://browser.example/|Browser"});
    std::vector<DWORD> processIds;
    EXPECT_EQ(CQuillmereBHO::GetBrowserProcessIds(&processIds), 1);
    EXPECT_EQ(processIds, std::vector<DWORD>{browser.ProcessId()});
    EXPECT_EQ(Capture(), (std::vector<CWindowText>{{L"http://browser.example/ | Browser"}}));
}

TEST_F(SessionCapture, WithoutTheAccessibilityLibrary)
{
    CStandInBrowser browser;
    Start(browser, {L"http://a.example/|A"});
    CSession session(kCurrentSessionName, std::time(nullptr));
    m_bho.GetCurrentSessionUrls(session);
    ASSERT_EQ(SessionText(session), (std::vector<CWindowText>{{L"http://a.example/ | A"}}));

    // The first tab that answers needs it: the capture stops, keeping what it had.
    FreeLibrary(m_bho.m_hActiveAccessibilityLibraryInst);
    m_bho.m_hActiveAccessibilityLibraryInst = nullptr;
    try
    {
        m_bho.GetCurrentSessionUrls(session);
        FAIL() << "no exception";
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ(
            e.what(),
            "CQuillmereBHO::GetHtmlDocuments() - m_hActiveAccessibilityLibraryInst is NULL");
    }
    EXPECT_EQ(SessionText(session), (std::vector<CWindowText>{{L"http://a.example/ | A"}}));

    // A library without the export: every tab is skipped.
    m_bho.m_hActiveAccessibilityLibraryInst = LoadLibraryW(L"VERSION.DLL");
    ASSERT_NE(m_bho.m_hActiveAccessibilityLibraryInst, nullptr);
    EXPECT_EQ(Capture(), std::vector<CWindowText>());
    browser.End();

    // Tabs that give no document never need it.
    FreeLibrary(m_bho.m_hActiveAccessibilityLibraryInst);
    m_bho.m_hActiveAccessibilityLibraryInst = nullptr;
    CStandInBrowser silent;
    Start(silent, {L"http://refused.example/|Refused|refuse", L"http://hung.example/|Hung|hang"});
    EXPECT_EQ(Capture(), std::vector<CWindowText>());
}
} // namespace
