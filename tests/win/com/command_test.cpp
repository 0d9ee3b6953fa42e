// One use of the command from end to end, against a stand-in browser: the capture shown in the
// session manager, the dialog closed or a saved session loaded into the browser, and a capture that
// fails part-way.
#include <windows.h>
#include <docobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "browser/quillmere_bho.h"
#include "demo/stand_in_browser/stand_in_browser.h"
#include "session/manual_saved_instance_saver.h"
#include "session/session_folder.h"
#include "tests/support/harness/message_box_responder.h"
#include "tests/win/com/quillmere_dll.h"
#include "tests/win/com/session_manager_driver.h"
#include "tests/win/com/test_site.h"
#include "win/com.h"

namespace
{
const wchar_t kStartPage[] = L"http://start.example/";

using CEvents = std::vector<std::wstring>;

// The saved sessions of a case go with it.
void EmptySessionFolder()
{
    std::wstring strFolder;
    GetSessionFolder(strFolder);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(strFolder, error))
    {
        if (entry.is_regular_file())
        {
            EXPECT_TRUE(std::filesystem::remove(entry.path(), error)) << entry.path();
        }
    }
}

// A saved session of windows given as lists of URLs, written by the product's writer.
void SaveSession(const std::wstring& strName, const std::vector<std::vector<std::wstring>>& windows)
{
    CSession session(strName, 1700000000);
    for (const std::vector<std::wstring>& urls : windows)
    {
        CInstanceSet window;
        for (const std::wstring& strUrl : urls)
            window.AddUrlItem(CUrlItem(strUrl.c_str(), (L"Title of " + strUrl).c_str()));
        session.AddInstanceSet(window);
    }
    CManualSavedInstanceSaver saver;
    saver.SetSession(&session);
    saver.Save(strName.c_str());
}

// A capture that stops with an exception once it has taken the browser's windows, as one failing
// at a later window would.
class CCaptureFailingPartWay : public CQuillmereBHO
{
public:
    void GetCurrentSessionUrls(CSession& session) override
    {
        CQuillmereBHO::GetCurrentSessionUrls(session);
        throw std::runtime_error(
            "CQuillmereBHO::GetHtmlDocuments() - m_hActiveAccessibilityLibraryInst is NULL");
    }
};

// The helper object is sited in the browser's first tab, through a site of the test's own, and
// the stand-in serves new browser windows too, so its log holds every request in order.
class CommandInBrowser : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(QuillmereDll(), nullptr);
        ASSERT_TRUE(m_startPage.Set(kStartPage));
        EmptySessionFolder();
    }

    void TearDown() override
    {
        if (m_spObject)
        {
            EXPECT_EQ(m_spObject->SetSite(nullptr), S_OK);
        }
        m_spObject.Release();
        if (m_pSite)
            m_pSite->Release();
        if (m_pBrowser)
            m_pBrowser->Release();
        m_browser.End();
        EndBrowserProcesses();
        EmptySessionFolder();
    }

    void StartBrowser(std::vector<std::wstring> args)
    {
        args.insert(args.begin(), L"-Embedding");
        ASSERT_TRUE(m_browser.Start(args)) << m_browser.Error();
        const std::vector<HWND> tabs = m_browser.Tabs(1);
        ASSERT_FALSE(tabs.empty());
        CComPtr<IWebBrowser2> spTab;
        ASSERT_TRUE(StandInWebBrowser(tabs[0], &spTab));
        m_pBrowser = new CTestWebBrowser(m_browser.Window(1), spTab.Get());
        m_pSite = new CTestSite(m_pBrowser);
    }

    // The object, from the DLL or given, sited.
    void SiteObject(IObjectWithSite* pObject = nullptr)
    {
        if (pObject)
        {
            m_spObject = CComPtr<IObjectWithSite>(pObject);
        }
        else
        {
            ASSERT_EQ(
                CreateQuillmereObject(IID_IObjectWithSite, reinterpret_cast<void**>(&m_spObject)),
                S_OK);
        }
        ASSERT_EQ(m_spObject->SetSite(static_cast<IServiceProvider*>(m_pSite)), S_OK);
    }

    HRESULT Exec()
    {
        CComPtr<IOleCommandTarget> spTarget;
        EXPECT_EQ(m_spObject->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&spTarget)), S_OK);
        return spTarget ? spTarget->Exec(nullptr, 0, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr)
                        : E_NOINTERFACE;
    }

    CEvents Navigations() const { return m_browser.Events(standin::kLogNavigate); }
    size_t WindowsMadeThroughCom() const
    {
        size_t nWindows = 0;
        for (const std::vector<std::wstring>& fields : m_browser.LogLines())
            nWindows += fields.size() == 4 && fields[0] == standin::kLogWindow &&
                        fields[3] == standin::kWindowFromCom;
        return nWindows;
    }

    CStartPageSetting m_startPage;
    CStandInBrowser m_browser;
    CTestWebBrowser* m_pBrowser = nullptr;
    CTestSite* m_pSite = nullptr;
    CComPtr<IObjectWithSite> m_spObject;
    CMessageBoxResponder m_responder;
};
} // namespace

TEST_F(CommandInBrowser, ClosingTheDialogOpensNothing)
{
    StartBrowser({L"http://one.example/|One", L"http://two.example/|Two"});
    SaveSession(L"Morning", {{L"http://a.example/"}});
    SiteObject();

    std::vector<std::wstring> rows;
    m_responder.OnDialogActivated([&](HWND hDialog) {
        rows = SessionRows(hDialog);
        ClickButton(hDialog, IDOK);
    });
    // COM is already initialised on this thread, as on the browser's.
    EXPECT_EQ(Exec(), S_FALSE);

    EXPECT_EQ(rows, (std::vector<std::wstring>{L"[Current Session] | 1 | 2", L"Morning | 1 | 1"}));
    EXPECT_TRUE(Navigations().empty());
    EXPECT_EQ(WindowsMadeThroughCom(), 0u);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(CommandInBrowser, LoadingASavedSessionOpensItsWindowsAndTabs)
{
    // One tab, showing the start page: the first window of the session takes its place.
    StartBrowser({});
    SaveSession(L"Morning", {{L"http://a.example/", L"http://b.example/"},
                             {L"http://c.example/", L"http://d.example/", L"http://e.example/"}});
    SiteObject();

    m_responder.OnDialogActivated([&](HWND hDialog) {
        ClickSessionRow(hDialog, 1);
        ClickButton(hDialog, kLoadButtonId);
    });
    EXPECT_EQ(Exec(), S_FALSE);

    EXPECT_EQ(Navigations(),
              (CEvents{L"1 inplace http://a.example/ ok", L"1 newtab http://b.example/ ok",
                       L"2 inplace http://c.example/ ok", L"2 newtab http://d.example/ ok",
                       L"2 newtab http://e.example/ ok"}));
    EXPECT_EQ(WindowsMadeThroughCom(), 1u);
    EXPECT_EQ(m_browser.Events(standin::kLogVisible), CEvents{L"2"});
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(CommandInBrowser, CaptureFailingPartWayWarnsOnceAndTheDialogShowsWhatWasCaptured)
{
    StartBrowser({L"http://one.example/|One", L"http://two.example/|Two", L"-window",
                  L"http://three.example/|Three"});
    auto* pObject = new CCaptureFailingPartWay;
    SiteObject(pObject);

    std::vector<std::wstring> rows;
    size_t nBoxesBeforeDialog = 0;
    m_responder.Answer(IDOK);
    m_responder.OnDialogActivated([&](HWND hDialog) {
        nBoxesBeforeDialog = m_responder.Boxes().size();
        rows = SessionRows(hDialog);
        ClickButton(hDialog, IDOK);
    });
    EXPECT_EQ(Exec(), S_FALSE);

    ASSERT_EQ(m_responder.Boxes().size(), 1u);
    EXPECT_EQ(nBoxesBeforeDialog, 1u);
    const CMessageBoxRecord& box = m_responder.Boxes()[0];
    EXPECT_EQ(box.strCaption, L"Unable To Get Current Session URLs");
    EXPECT_EQ(box.strText,
              L"Unable to get current session URLs.\r\rThis isn't catastrophic and you can still "
              L"use Quillmere to load previously saved sessions, however you won't be able to "
              L"save a snapshot of your current session.\r\rPress OK to continue.");
    EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(box.hOwner, m_browser.Window(1));
    EXPECT_EQ(rows, std::vector<std::wstring>{L"[Current Session] | 2 | 3"});
    EXPECT_TRUE(Navigations().empty());
}
