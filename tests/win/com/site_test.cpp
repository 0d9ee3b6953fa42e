// The helper object of the DLL with a site of the test's own: what it keeps and connects when it
// is sited, what it lets go, the status queries it passes on, and the command's first steps.
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <string>
#include <thread>

#include "browser/quillmere_idl.h"
#include "tests/support/harness/input.h"
#include "tests/support/harness/message_box_responder.h"
#include "tests/win/com/quillmere_dll.h"
#include "tests/win/com/session_manager_driver.h"
#include "tests/win/com/test_site.h"
#include "win/com.h"

namespace
{
const wchar_t kUnableToExecute[] = L"Unable To Execute Quillmere";

// A window standing in for the browser's frame window, which owns the command's messages.
class CFrameWindow
{
public:
    CFrameWindow()
        : m_hWnd(CreateWindowExW(0, L"STATIC", L"Browser", WS_OVERLAPPEDWINDOW, 40, 40, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~CFrameWindow() { DestroyWindow(m_hWnd); }
    CFrameWindow(const CFrameWindow&) = delete;
    CFrameWindow& operator=(const CFrameWindow&) = delete;
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

class HelperObject : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(QuillmereDll(), nullptr);
        ASSERT_NE(m_frame.Get(), nullptr);
        ASSERT_EQ(CreateQuillmereObject(IID_IObjectWithSite, reinterpret_cast<void**>(&m_spObject)),
                  S_OK);
    }

    void TearDown() override
    {
        m_spObject.Release();
        EXPECT_EQ(CallDllCanUnloadNow(), S_OK) << "something still holds the module";
    }

    CComPtr<IOleCommandTarget> CommandTarget()
    {
        CComPtr<IOleCommandTarget> spTarget;
        EXPECT_EQ(m_spObject->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&spTarget)), S_OK);
        return spTarget;
    }

    HRESULT Exec()
    {
        return CommandTarget()->Exec(nullptr, 0, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
    }

    HRESULT SiteIn(CTestSite* pSite)
    {
        return m_spObject->SetSite(static_cast<IServiceProvider*>(pSite));
    }

    CFrameWindow m_frame;
    CComPtr<IObjectWithSite> m_spObject;
    CTestRef<CTestWebBrowser> browser{new CTestWebBrowser(m_frame.Get())};
    CTestRef<CTestSite> site{new CTestSite(browser.Get())};
};

// The file whose manifest made the thread's active activation context.
std::wstring ActiveManifestModule()
{
    HANDLE hContext = nullptr;
    if (!GetCurrentActCtx(&hContext) || !hContext)
        return L"(none)";
    alignas(ACTIVATION_CONTEXT_DETAILED_INFORMATION) BYTE buffer[4096] = {};
    SIZE_T nBytes = 0;
    std::wstring strPath = L"(unknown)";
    if (QueryActCtxW(0, hContext, nullptr, ActivationContextDetailedInformation, buffer,
                     sizeof(buffer), &nBytes))
    {
        const auto* pInfo = reinterpret_cast<ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(buffer);
        if (pInfo->lpRootManifestPath)
            strPath = pInfo->lpRootManifestPath;
    }
    ReleaseActCtx(hContext);
    return strPath;
}

CComPtr<IUnknown> Identity(IUnknown* p)
{
    CComPtr<IUnknown> spIdentity;
    if (p)
        p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&spIdentity));
    return spIdentity;
}
} // namespace

TEST_F(HelperObject, SitingConnectsOnceAndUnsitingLetsEverythingGo)
{
    const ULONG nBrowserRefs = browser->References();
    const ULONG nSiteRefs = site->References();

    ASSERT_EQ(SiteIn(site.Get()), S_OK);
    ASSERT_EQ(browser->Sinks().size(), 1u);
    const DWORD dwCookie = browser->Sinks().begin()->first;
    IDispatch* pSink = browser->Sinks().begin()->second;
    // The events reach the sink and change nothing.
    DISPPARAMS noArguments = {};
    for (DISPID dispId : {DISPID_DOCUMENTCOMPLETE, DISPID_ONQUIT, DISPID_BEFORENAVIGATE2})
        EXPECT_EQ(pSink->Invoke(dispId, IID_NULL, 0, DISPATCH_METHOD, &noArguments, nullptr,
                                nullptr, nullptr),
                  S_OK);

    CComPtr<IServiceProvider> spProvider;
    ASSERT_EQ(m_spObject->GetSite(IID_IServiceProvider, reinterpret_cast<void**>(&spProvider)),
              S_OK);
    EXPECT_EQ(Identity(spProvider.Get()).Get(),
              Identity(static_cast<IServiceProvider*>(site.Get())).Get());
    spProvider.Release();

    // Status queries go to the site's command target and come back as it answered.
    site->m_hrQueryStatus = OLECMDERR_E_UNKNOWNGROUP;
    OLECMD commands[2] = {{1, 0}, {2, 0}};
    EXPECT_EQ(CommandTarget()->QueryStatus(nullptr, 2, commands, nullptr),
              OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(site->QueryStatusCalls(), 1);
    EXPECT_EQ(commands[1].cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));

    // Sited again: no second connection.
    ASSERT_EQ(SiteIn(site.Get()), S_OK);
    EXPECT_EQ(browser->Sinks().size(), 1u);

    ASSERT_EQ(m_spObject->SetSite(nullptr), S_OK);
    EXPECT_TRUE(browser->Sinks().empty());
    EXPECT_EQ(browser->Disconnected(), std::vector<DWORD>{dwCookie});
    void* pSite = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_spObject->GetSite(IID_IUnknown, &pSite), E_FAIL);
    EXPECT_EQ(pSite, nullptr);
    EXPECT_EQ(m_spObject->GetSite(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(browser->References(), nBrowserRefs);
    EXPECT_EQ(site->References(), nSiteRefs);
    EXPECT_EQ(CommandTarget()->QueryStatus(nullptr, 2, commands, nullptr), E_UNEXPECTED);
    EXPECT_EQ(site->QueryStatusCalls(), 1);

    // And sited anew, connected anew.
    ASSERT_EQ(SiteIn(site.Get()), S_OK);
    ASSERT_EQ(browser->Sinks().size(), 1u);
    EXPECT_NE(browser->Sinks().begin()->first, dwCookie);
    ASSERT_EQ(m_spObject->SetSite(nullptr), S_OK);
    EXPECT_EQ(browser->References(), nBrowserRefs);
}

TEST_F(HelperObject, FailedConnectionIsTriedAgainAtTheNextSiting)
{
    browser->m_adviseAnswers = {CONNECT_E_ADVISELIMIT};

    EXPECT_EQ(SiteIn(site.Get()),
              CONNECT_E_ADVISELIMIT);
    EXPECT_TRUE(browser->Sinks().empty());
    CComPtr<IUnknown> spSite;
    EXPECT_EQ(m_spObject->GetSite(IID_IUnknown, reinterpret_cast<void**>(&spSite)), E_FAIL);

    ASSERT_EQ(SiteIn(site.Get()), S_OK);
    EXPECT_EQ(browser->Sinks().size(), 1u);
    ASSERT_EQ(m_spObject->SetSite(nullptr), S_OK);
    EXPECT_TRUE(browser->Sinks().empty());
    EXPECT_EQ(browser->Disconnected().size(), 1u);
}

TEST_F(HelperObject, ObjectLetGoWhileSitedDisconnectsItsSink)
{
    // Fully sited, or half: the browser found and connected, the command target not. Either way
    // the browser would otherwise go on calling a sink that is gone.
    for (const bool bRefuseCommandTarget : {false, true})
    {
        for (const bool bReleaseWhileSited : {false, true})
        {
            SCOPED_TRACE(testing::Message() << "command target refused " << bRefuseCommandTarget
                                            << ", released while sited " << bReleaseWhileSited);
            if (!m_spObject)
            {
                ASSERT_EQ(CreateQuillmereObject(IID_IObjectWithSite,
                                                reinterpret_cast<void**>(&m_spObject)),
                          S_OK);
            }
            CTestRef<CTestWebBrowser> freshBrowser(new CTestWebBrowser(m_frame.Get()));
            CTestRef<CTestSite> freshSite(new CTestSite(freshBrowser.Get()));
            const ULONG nBrowserRefs = freshBrowser->References();
            const ULONG nSiteRefs = freshSite->References();
            freshSite->m_bRefuseCommandTarget = bRefuseCommandTarget;
            EXPECT_EQ(SiteIn(freshSite.Get()), bRefuseCommandTarget ? E_NOINTERFACE : S_OK);
            ASSERT_EQ(freshBrowser->Sinks().size(), 1u);
            const DWORD dwCookie = freshBrowser->Sinks().begin()->first;
            if (bReleaseWhileSited)
                m_spObject.Release();
            else
                EXPECT_EQ(m_spObject->SetSite(nullptr), S_OK);
            EXPECT_TRUE(freshBrowser->Sinks().empty());
            EXPECT_EQ(freshBrowser->Disconnected(), std::vector<DWORD>{dwCookie});
            EXPECT_EQ(freshBrowser->References(), nBrowserRefs);
            EXPECT_EQ(freshSite->References(), nSiteRefs);
        }
    }
}

TEST_F(HelperObject, SiteWithoutServiceProviderIsRefusedAndKeptNowhere)
{
    CTestRef<CTestSite> plainSite(new CTestSite(browser.Get(), false));
    const ULONG nSiteRefs = plainSite->References();

    EXPECT_EQ(m_spObject->SetSite(static_cast<IOleCommandTarget*>(plainSite.Get())),
              E_NOINTERFACE);
    EXPECT_EQ(plainSite->References(), nSiteRefs);
    EXPECT_TRUE(browser->Sinks().empty());
    OLECMD command = {1, 0};
    EXPECT_EQ(CommandTarget()->QueryStatus(nullptr, 1, &command, nullptr), E_UNEXPECTED);
    EXPECT_EQ(plainSite->QueryStatusCalls(), 0);
}

TEST_F(HelperObject, CommandWithoutTheBrowserWindowStopsAtOnce)
{
    // Never sited: no browser to ask.
    CMessageBoxResponder responder;
    responder.Answer(IDOK);
    EXPECT_EQ(Exec(), E_UNEXPECTED);

    // Sited with a browser that cannot give its window.
    browser->m_hrGetHwnd = E_ACCESSDENIED;
    ASSERT_EQ(SiteIn(site.Get()), S_OK);
    responder.Answer(IDOK);
    EXPECT_EQ(Exec(), E_ACCESSDENIED);

    ASSERT_EQ(responder.Boxes().size(), 2u);
    for (const CMessageBoxRecord& box : responder.Boxes())
    {
        EXPECT_EQ(box.strCaption, kUnableToExecute);
        EXPECT_EQ(box.strText, L"Unable to get the browser's window handle.");
        EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONSTOP));
        EXPECT_EQ(box.hOwner, nullptr);
        EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    }
    ASSERT_EQ(m_spObject->SetSite(nullptr), S_OK);
}

TEST_F(HelperObject, CommandOnAThreadOfAnotherApartmentStopsAfterItsMessage)
{
    ASSERT_EQ(SiteIn(site.Get()), S_OK);
    CComPtr<IOleCommandTarget> spTarget = CommandTarget();

    // A thread of the multithreaded apartment, where CoInitialize must fail.
    HRESULT hrExec = S_OK;
    std::deque<CMessageBoxRecord> boxes;
    std::atomic<bool> bDone{false};
    std::thread worker([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            CMessageBoxResponder responder;
            responder.Answer(IDOK);
            hrExec = spTarget->Exec(nullptr, 0, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
            boxes = responder.Boxes();
        }
        CoUninitialize();
        bDone = true;
    });
    // The box's owner lives on this thread, which must go on handling its messages.
    EXPECT_TRUE(WaitFor([&] { return bDone.load(); }, 20000));
    worker.join();

    EXPECT_EQ(hrExec, RPC_E_CHANGED_MODE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].strCaption, kUnableToExecute);
    EXPECT_EQ(boxes[0].strText, L"Unable to initialize COM.");
    EXPECT_EQ(boxes[0].nIcon, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(boxes[0].hOwner, m_frame.Get());
    ASSERT_EQ(m_spObject->SetSite(nullptr), S_OK);
}

TEST_F(HelperObject, CommandsRunTheDllsOwnDialogAndLoadTheAccessibilityLibraryOnce)
{
    // Only the object loads the library in this program, so its load count is the object's.
    ASSERT_EQ(GetModuleHandleW(L"oleacc.dll"), nullptr) << "the test program itself loads oleacc";
    ASSERT_EQ(SiteIn(site.Get()), S_OK);

    CMessageBoxResponder responder;
    for (int i = 0; i < 2; ++i)
    {
        std::vector<std::wstring> rows;
        responder.OnDialogActivated([&](HWND hDialog) {
            rows = SessionRows(hDialog);
            // The dialog is the DLL's own, and runs in the DLL's activation context.
            EXPECT_EQ(reinterpret_cast<HMODULE>(GetWindowLongPtrW(hDialog, GWLP_HINSTANCE)),
                      QuillmereDll());
            EXPECT_EQ(ActiveManifestModule(), QuillmereDllPath());
            ClickButton(hDialog, IDOK);
        });
        // On a thread where COM is already initialised the command gives S_FALSE.
        EXPECT_EQ(Exec(), S_FALSE);
        EXPECT_NE(GetModuleHandleW(L"oleacc.dll"), nullptr);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0].substr(0, rows[0].find(L" | ")), L"[Current Session]");
    }
    ASSERT_EQ(m_spObject->SetSite(nullptr), S_OK);
    m_spObject.Release();
    // One load, freed once with the object: nothing keeps the library now.
    EXPECT_EQ(GetModuleHandleW(L"oleacc.dll"), nullptr);
}
