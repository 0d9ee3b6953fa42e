// Opening a session in the browser, checked from what the stand-in browser was asked to do.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "browser/quillmere_bho.h"
#include "demo/stand_in_browser/stand_in_browser.h"
#include "tests/support/harness/message_box_responder.h"
#include "tests/win/browser/browser_test_support.h"

namespace
{
const wchar_t kStartPage[] = L"http://start.example/";
const wchar_t kUserPage[] = L"http://user.example/";

using CEvents = std::vector<std::wstring>;

// The invoking browser also serves new windows, so the log holds every request in order.
class SessionOpening : public CBrowserTest
{
protected:
    void SetUp() override { ASSERT_TRUE(m_startPage.Set(kStartPage)); }

    void TearDown() override
    {
        m_bho.m_spWebBrowser.Release();
        m_browser.End();
        CBrowserTest::TearDown();
    }

    // The browser shows one window whose tab is at strPage (its start page when empty).
    void StartBrowser(const std::wstring& strPage, std::vector<std::wstring> args = {})
    {
        args.insert(args.begin(), L"-Embedding");
        if (!strPage.empty())
            args.push_back(strPage + L"|Current page");
        ASSERT_TRUE(m_browser.Start(args)) << m_browser.Error();
        const std::vector<HWND> tabs = m_browser.Tabs(1);
        ASSERT_EQ(tabs.size(), 1u);
        ASSERT_TRUE(StandInWebBrowser(tabs[0], &m_bho.m_spWebBrowser));
    }

    CEvents Navigations() const { return m_browser.Events(standin::kLogNavigate); }
    // "N new" for every window made through automation; the window of the command line is left out.
    CEvents NewWindows() const
    {
        CEvents windows;
        for (const std::vector<std::wstring>& fields : m_browser.LogLines())
        {
            if (fields.size() == 4 && fields[0] == standin::kLogWindow &&
                fields[3] == standin::kWindowFromCom)
                windows.push_back(fields[1] + L" new");
        }
        return windows;
    }

    CStartPageSetting m_startPage;
    CStandInBrowser m_browser;
    CQuillmereBHO m_bho;
};

// A session that notes its own destruction, to see who frees it.
class CWatchedSession : public CSession
{
public:
    CWatchedSession(const CSession& session, bool& bDestroyed)
        : CSession(session), m_bDestroyed(bDestroyed)
    {
    }
    ~CWatchedSession() override { m_bDestroyed = true; }

private:
    bool& m_bDestroyed;
};

TEST_F(SessionOpening, StartPageIsReplacedAndEveryFurtherWindowOpensAnew)
{
    StartBrowser(L"");
    bool bDestroyed = false;
    std::unique_ptr<CSession> spSession(
        NewSession({{L"http://a.example/", L"http://b.example/"},
                    {L"http://c.example/", L"http://d.example/", L"http://e.example/"}}));
    m_bho.OpenUrls(new CWatchedSession(*spSession, bDestroyed), 1);

    EXPECT_TRUE(bDestroyed);
    EXPECT_EQ(Navigations(),
              (CEvents{L"1 inplace http://a.example/ ok", L"1 newtab http://b.example/ ok",
                       L"2 inplace http://c.example/ ok", L"2 newtab http://d.example/ ok",
                       L"2 newtab http://e.example/ ok"}));
    EXPECT_EQ(NewWindows(), CEvents{L"2 new"});
    EXPECT_EQ(m_browser.Events(standin::kLogVisible), CEvents{L"2"});

    // The tabs are really there: the capture finds them (new pages have no title yet).
    CQuillmereBHO capture;
    capture.m_hActiveAccessibilityLibraryInst = LoadLibraryW(L"OLEACC.DLL");
    CSession current(kCurrentSessionName, std::time(nullptr));
    capture.GetCurrentSessionUrls(current);
    std::vector<CWindowText> windows = SessionText(current);
    std::sort(windows.begin(), windows.end());
    EXPECT_EQ(windows, (std::vector<CWindowText>{
                           {L"http://a.example/ | Blank page", L"http://b.example/ | Blank page"},
                           {L"http://c.example/ | Blank page", L"http://d.example/ | Blank page",
                            L"http://e.example/ | Blank page"}}));
}

TEST_F(SessionOpening, WhereEachWindowOpensFollowsTheCurrentPageAndTheOpenTabs)
{
    std::string strLongPage = "http://start.example/";
    strLongPage.append(1024 - strLongPage.size(), 'x');
    enum EStartPage
    {
        kSet,
        kMissing,
        kFillsTheBuffer, // 1024 bytes without a terminator: read no further
    };
    const std::vector<std::wstring> ab = {L"http://a.example/", L"http://b.example/"};
    const struct
    {
        const char* pszWhat;
        EStartPage eStartPage;
        std::wstring strCurrentPage; // empty: the start page
        std::vector<std::vector<std::wstring>> windows;
        int nOpenTabs;
        CEvents navigations;
    } rows[] = {
        {"a page other than the start page stays; the first window opens beside it", kSet,
         kUserPage, {ab, {L"http://c.example/"}}, 1,
         {L"1 newtab http://a.example/ ok", L"1 newtab http://b.example/ ok",
          L"2 inplace http://c.example/ ok"}},
        {"a start page that cannot be read lets the first replace the current page", kMissing,
         kUserPage, {ab}, 0,
         {L"1 inplace http://a.example/ ok", L"1 newtab http://b.example/ ok"}},
        {"a start page that fills the reader's buffer", kFillsTheBuffer,
         std::wstring(strLongPage.begin(), strLongPage.end()), {{L"http://a.example/"}}, 0,
         {L"1 inplace http://a.example/ ok"}},
        {"four open tabs leave the invoking window alone", kSet, L"",
         {ab, {L"http://c.example/"}}, 4,
         {L"2 inplace http://a.example/ ok", L"2 newtab http://b.example/ ok",
          L"3 inplace http://c.example/ ok"}},
        {"the current page is not opened again, in the invoking window only", kSet, kUserPage,
         {{kUserPage, L"http://a.example/", kUserPage}, {kUserPage, L"http://b.example/"}}, 2,
         {L"1 newtab http://a.example/ ok", L"2 inplace http://user.example/ ok",
          L"2 newtab http://b.example/ ok"}},
        {"an empty first address opens nothing of its window", kSet, L"",
         {{L"", L"http://a.example/"}, {L"http://b.example/"}}, 1,
         {L"2 inplace http://b.example/ ok"}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.pszWhat);
        ASSERT_TRUE(row.eStartPage == kSet       ? m_startPage.Set(kStartPage)
                    : row.eStartPage == kMissing ? m_startPage.Remove()
                                                 : m_startPage.SetBinary(strLongPage));
        StartBrowser(row.strCurrentPage);
        m_bho.OpenUrls(NewSession(row.windows), row.nOpenTabs);
        EXPECT_EQ(Navigations(), row.navigations);
        m_bho.m_spWebBrowser.Release();
        m_browser.End();
    }
}

TEST_F(SessionOpening, FailedNavigationStopsOnlyItsOwnNewWindow)
{
    StartBrowser(L"", {L"-fail", L"http://fails.example/"});
    m_bho.OpenUrls(
        NewSession({{L"http://a.example/", L"http://fails.example/", L"http://b.example/"},
                    {L"http://c.example/"}}),
        4);

    EXPECT_EQ(Navigations(),
              (CEvents{L"2 inplace http://a.example/ ok", L"2 newtab http://fails.example/ failed",
                       L"3 inplace http://c.example/ ok"}));
}

TEST_F(SessionOpening, NewWindowGivesTheResultOfItsLastBrowserCall)
{
    StartBrowser(L"", {L"-fail", L"http://fails.example/"});
    const CUrlItem good[] = {CUrlItem(L"http://a.example/", L"A"),
                             CUrlItem(L"http://b.example/", L"B")};
    const CUrlItem failing[] = {CUrlItem(L"http://fails.example/", L"F"),
                                CUrlItem(L"http://c.example/", L"C")};

    EXPECT_EQ(m_bho.OpenUrlsInNewWindow(good, 2), S_OK);
    EXPECT_EQ(m_bho.OpenUrlsInNewWindow(failing, 2), E_FAIL);
    EXPECT_EQ(m_bho.OpenUrlsInNewWindow(good, 0), S_OK);
    EXPECT_EQ(m_bho.OpenUrlsInNewWindow(nullptr, 2), S_OK);

    EXPECT_EQ(NewWindows(), (CEvents{L"2 new", L"3 new"}));
    EXPECT_EQ(Navigations(),
              (CEvents{L"2 inplace http://a.example/ ok", L"2 newtab http://b.example/ ok",
                       L"3 inplace http://fails.example/ failed"}));
}

TEST_F(SessionOpening, WithoutABrowserOfItsOwnEveryWindowOpensAnew)
{
    StartBrowser(L"");
    m_bho.m_spWebBrowser.Release();
    m_bho.OpenUrls(NewSession({{L"http://a.example/"}, {L"http://b.example/"}}), 0);

    EXPECT_EQ(Navigations(),
              (CEvents{L"2 inplace http://a.example/ ok", L"3 inplace http://b.example/ ok"}));
}

TEST_F(SessionOpening, MissingSessionIsReportedInAStopBoxWithoutOwner)
{
    CMessageBoxResponder responder;
    responder.Answer(IDOK);
    m_bho.OpenUrls(nullptr, 0);

    ASSERT_EQ(responder.Boxes().size(), 1u);
    const CMessageBoxRecord& box = responder.Boxes()[0];
    EXPECT_EQ(box.strCaption, L"Unable To Open URLs");
    EXPECT_EQ(box.strText,
              L"Unable to open URLs.\rReason: CQuillmereBHO::OpenUrls() - pSession is NULL.");
    EXPECT_EQ(box.hOwner, nullptr);
    EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
}
} // namespace
