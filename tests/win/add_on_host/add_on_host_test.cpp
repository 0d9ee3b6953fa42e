// The stand-in browser hosts add-ons as the browser does: it finds them in the registry, sites a
// helper object in each window, lists Tools-menu extensions and runs them. Checked with the
// recording add-on, from the stand-in's log and from what the add-on was given.
#include <windows.h>
#include <exdisp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "add_on_test_support.h"
#include "com_ref.h"
#include "harness/input.h"
#include "recording_add_on.h"
#include "stand_in_browser.h"

namespace
{
using CLines = std::vector<std::wstring>;

const std::wstring kAddOn = recording_add_on::kClassId;
const std::wstring kMenuText = recording_add_on::kMenuText;
const wchar_t kHelperObjectsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
const wchar_t kComExtensionHandler[] = L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";
const DWORD kWaitMs = 10000;

// Exec's result on the browser's thread, where COM is already initialised.
const std::wstring kComAlreadyInitialised = L"0x00000001";
const std::wstring kAllWell = L"0x00000000";

class AddOnHosting : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_registration.Register(QLMR_RECORDING_ADD_ON_DLL), 0)
            << "regsvr32 /s of the recording add-on failed";
    }

    void TearDown() override
    {
        m_browser.End();
        EndBrowserProcesses();
        EXPECT_EQ(m_registration.Unregister(), 0);
    }

    void Start(const std::vector<std::wstring>& args)
    {
        ASSERT_TRUE(m_browser.Start(args)) << m_browser.Error();
    }

    // The log lines of one kind that name this class (or key), without kind and class.
    CLines Events(const wchar_t* pszKind, const std::wstring& strClass = kAddOn) const
    {
        CLines lines;
        for (const std::vector<std::wstring>& fields : m_browser.LogLines())
        {
            if (fields.size() < 4 || fields[0] != pszKind || fields[2] != strClass)
                continue;
            std::wstring strLine = fields[1];
            for (size_t i = 3; i < fields.size(); ++i)
                strLine += L' ' + fields[i];
            lines.push_back(strLine);
        }
        return lines;
    }

    bool WaitForEvent(const wchar_t* pszKind, const std::wstring& strLine,
                      const std::wstring& strClass = kAddOn) const
    {
        return WaitFor(
            [&] {
                const CLines lines = Events(pszKind, strClass);
                return std::find(lines.begin(), lines.end(), strLine) != lines.end();
            },
            kWaitMs);
    }

    bool WaitForLines(const std::wstring& strObject, size_t nLines) const
    {
        return WaitFor([&] { return m_record.Lines(strObject).size() >= nLines; }, kWaitMs);
    }

    // The command id that window nWindow logged for the Tools item with this text; 0 for none.
    UINT ToolCommand(int nWindow, const std::wstring& strMenuText) const
    {
        for (const std::wstring& strLine : m_browser.Events(standin::kLogTool))
        {
            const std::wstring strPrefix = std::to_wstring(nWindow) + L' ';
            const size_t nText = strLine.find(L' ', strPrefix.size());
            if (strLine.compare(0, strPrefix.size(), strPrefix) == 0 &&
                nText != std::wstring::npos && strLine.substr(nText + 1) == strMenuText)
                return static_cast<UINT>(std::stoul(strLine.substr(strPrefix.size())));
        }
        return 0;
    }

    std::wstring Window(int nWindow) const { return HandleNumber(m_browser.Window(nWindow)); }

    CAddOnRecord m_record;
    CServerRegistration m_registration;
    CStandInBrowser m_browser;
};

TEST_F(AddOnHosting, EachWindowSitesItsHelperWithItsBrowserAndLetsItGoWhenItCloses)
{
    Start({L"http://a.example/|A", L"http://b.example/|B", L"-window", L"http://c.example/|C"});
    EXPECT_EQ(Events(standin::kLogHelper), (CLines{L"1 loaded", L"2 loaded"}));

    // Each helper gets its own window's browser (the first tab's) as a service of its site, a
    // command target and a connection for the browser's events, then the first page's
    // DocumentComplete.
    const CLines objects = m_record.Objects();
    ASSERT_EQ(objects.size(), 2u) << m_record.Text();
    ASSERT_TRUE(WaitForLines(objects[0], 3) && WaitForLines(objects[1], 3)) << m_record.Text();
    EXPECT_EQ(m_record.Lines(objects[0]),
              (CLines{L"created",
                      L"site " + Window(1) + L" http://a.example/ " + kAllWell + L" " + kAllWell,
                      L"event 259 http://a.example/ same"}));
    EXPECT_EQ(m_record.Lines(objects[1]),
              (CLines{L"created",
                      L"site " + Window(2) + L" http://c.example/ " + kAllWell + L" " + kAllWell,
                      L"event 259 http://c.example/ same"}));
    EXPECT_EQ(m_browser.Events(standin::kLogAdvise), (CLines{L"1 1", L"2 1"}));

    // Closing window 2 tells its helper the browser quits, unsites it, and releases the last
    // reference; window 1's helper stays.
    PostMessageW(m_browser.Window(2), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForEvent(standin::kLogHelper, L"2 released")) << m_browser.LogText();
    EXPECT_EQ(m_record.Lines(objects[1]),
              (CLines{L"created",
                      L"site " + Window(2) + L" http://c.example/ " + kAllWell + L" " + kAllWell,
                      L"event 259 http://c.example/ same", L"event 253", L"unsite", L"destroyed"}));
    EXPECT_EQ(m_browser.Events(standin::kLogUnadvise), CLines{L"2 1"});
    EXPECT_EQ(m_record.Lines(objects[0]).size(), 3u);

    // A process that ends lets go of the helpers of the windows still open.
    m_browser.End();
    const CLines first = m_record.Lines(objects[0]);
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(CLines(first.begin() + 3, first.end()),
              (CLines{L"event 253", L"unsite", L"destroyed"}));
}

TEST_F(AddOnHosting, WindowsMadeThroughAutomationLoadHelpersAndTellThemOfNavigations)
{
    Start({L"-Embedding", L"http://a.example/|A"});
    CComRef<IWebBrowser2> spNew;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_LOCAL_SERVER,
                                              IID_IWebBrowser2, spNew.OutVoid()));
    ASSERT_TRUE(WaitForEvent(standin::kLogHelper, L"2 loaded")) << m_browser.LogText();

    const CLines objects = m_record.Objects();
    ASSERT_EQ(objects.size(), 2u) << m_record.Text();
    // A window made for automation has one tab with no page yet.
    ASSERT_TRUE(WaitForLines(objects[1], 3)) << m_record.Text();
    EXPECT_EQ(m_record.Lines(objects[1]),
              (CLines{L"created", L"site " + Window(2) + L"  " + kAllWell + L" " + kAllWell,
                      L"event 259  same"}));

    // Navigating in place completes the new page for the helper, through the loop, not from
    // inside Navigate.
    BSTR bstrUrl = SysAllocString(L"http://n.example/");
    VARIANT vEmpty;
    VariantInit(&vEmpty);
    EXPECT_HRESULT_SUCCEEDED(spNew->Navigate(bstrUrl, &vEmpty, &vEmpty, &vEmpty, &vEmpty));
    SysFreeString(bstrUrl);
    ASSERT_TRUE(WaitForLines(objects[1], 4)) << m_record.Text();
    EXPECT_EQ(m_record.Lines(objects[1]).back(), L"event 259 http://n.example/ same");
    spNew.Release();
}

TEST_F(AddOnHosting, ToolsItemRunsOneKeptObjectSitedWithTheSelectedTabOnTheWindowsThread)
{
    Start({L"http://a.example/|A", L"-window", L"http://c.example/|C"});
    const UINT nCommand = ToolCommand(1, kMenuText);
    ASSERT_NE(nCommand, 0u) << m_browser.LogText();
    EXPECT_EQ(ToolCommand(2, kMenuText), nCommand);

    // A tab opened as a new tab is the selected one: the command is sited with its browser.
    CComRef<IWebBrowser2> spFirstTab;
    ASSERT_TRUE(StandInWebBrowser(m_browser.Tabs(1).at(0), spFirstTab.Out()));
    BSTR bstrUrl = SysAllocString(L"http://new.example/");
    VARIANT vFlags;
    VariantInit(&vFlags);
    V_VT(&vFlags) = VT_I4;
    V_I4(&vFlags) = navOpenInNewTab;
    VARIANT vEmpty;
    VariantInit(&vEmpty);
    // Through a proxy every variant must be there, even the empty ones.
    EXPECT_HRESULT_SUCCEEDED(spFirstTab->Navigate(bstrUrl, &vFlags, &vEmpty, &vEmpty, &vEmpty));
    SysFreeString(bstrUrl);
    spFirstTab.Release();

    PostMessageW(m_browser.Window(1), WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
    ASSERT_TRUE(WaitForEvent(standin::kLogCommand, L"1 done " + kComAlreadyInitialised))
        << m_browser.LogText();
    CLines objects = m_record.Objects();
    ASSERT_EQ(objects.size(), 3u) << m_record.Text();
    const std::wstring strCommandObject = objects[2];
    const std::wstring strSite =
        L"site " + Window(1) + L" http://new.example/ " + kAllWell + L" " + kAllWell;
    const std::wstring strExec = L"exec null 0 0 null null ui " + kComAlreadyInitialised;
    EXPECT_EQ(m_record.Lines(strCommandObject), (CLines{L"created", strSite, strExec}));

    // Picked again, the same object runs again.
    PostMessageW(m_browser.Window(1), WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return Events(standin::kLogCommand).size() == 4; }, kWaitMs))
        << m_browser.LogText();
    EXPECT_EQ(Events(standin::kLogCommand),
              (CLines{L"1 exec", L"1 done " + kComAlreadyInitialised, L"1 exec",
                      L"1 done " + kComAlreadyInitialised}));
    EXPECT_EQ(m_record.Objects().size(), 3u);

    // The window keeps it until it closes, then unsites and releases it after its helper.
    PostMessageW(m_browser.Window(1), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForEvent(standin::kLogCommand, L"1 released")) << m_browser.LogText();
    EXPECT_EQ(m_record.Lines(strCommandObject), (CLines{L"created", strSite, strExec, strExec,
                                                        L"event 253", L"unsite", L"destroyed"}));
    const CLines helpers = Events(standin::kLogHelper);
    EXPECT_NE(std::find(helpers.begin(), helpers.end(), L"1 released"), helpers.end());
}

TEST_F(AddOnHosting, ToolSwitchPicksTheItemOnceReadyAndRefusesAnItemThatIsNotThere)
{
    Start({L"-tool", kMenuText, L"http://a.example/|A"});
    ASSERT_TRUE(WaitForEvent(standin::kLogCommand, L"1 done " + kComAlreadyInitialised))
        << m_browser.LogText();
    const CLines objects = m_record.Objects();
    ASSERT_EQ(objects.size(), 2u) << m_record.Text();
    EXPECT_EQ(m_record.Lines(objects[1]).back(),
              L"exec null 0 0 null null ui " + kComAlreadyInitialised);

    CStandInBrowser missing;
    EXPECT_FALSE(missing.Start({L"-tool", L"&Missing...", L"http://a.example/|A"}));
    EXPECT_NE(missing.Error().find(L"code " + std::to_wstring(standin::kExitNoSuchTool)),
              std::wstring::npos)
        << missing.Error();
}

TEST_F(AddOnHosting, RegistrationsTheBrowserCannotUseAreLoggedAndTheOthersStillWork)
{
    const std::wstring strUnregistered = L"{5D1C5F8E-0B7A-4C55-9C1E-2E6A7F1B9D01}";
    const std::wstring strOtherHandler = L"{0A3E6C11-7C52-4F0E-8B8B-6A1D2E4F5A60}";
    CTestKeys keys;
    ASSERT_TRUE(keys.SetText(HKEY_LOCAL_MACHINE, kHelperObjectsKey + strUnregistered, L"", L""));
    ASSERT_TRUE(keys.SetText(HKEY_LOCAL_MACHINE, kHelperObjectsKey + std::wstring(L"not-a-class"),
                             L"", L""));
    // An item whose class is not registered.
    const std::wstring strBroken =
        kExtensionsKey + std::wstring(L"{9E0B1A2C-3D4E-4F50-8A6B-7C8D9E0F1A21}");
    ASSERT_TRUE(keys.SetText(HKEY_LOCAL_MACHINE, strBroken, L"CLSID", kComExtensionHandler));
    ASSERT_TRUE(keys.SetText(HKEY_LOCAL_MACHINE, strBroken, L"MenuText", L"&Unregistered..."));
    ASSERT_TRUE(keys.SetText(HKEY_LOCAL_MACHINE, strBroken, L"ClsIDExtension", strUnregistered));
    // Handled by another part of the browser (a script, say): not a COM object to run.
    const std::wstring strScript =
        kExtensionsKey + std::wstring(L"{9E0B1A2C-3D4E-4F50-8A6B-7C8D9E0F1A22}");
    ASSERT_TRUE(keys.SetText(HKEY_LOCAL_MACHINE, strScript, L"CLSID", strOtherHandler));
    ASSERT_TRUE(keys.SetText(HKEY_LOCAL_MACHINE, strScript, L"MenuText", L"&Script..."));
    ASSERT_TRUE(keys.SetText(HKEY_LOCAL_MACHINE, strScript, L"ClsIDExtension", kAddOn));
    // The user's own extensions count too; one without a menu text is a toolbar button only.
    const std::wstring strButton =
        kExtensionsKey + std::wstring(L"{9E0B1A2C-3D4E-4F50-8A6B-7C8D9E0F1A23}");
    ASSERT_TRUE(keys.SetText(HKEY_CURRENT_USER, strButton, L"CLSID", kComExtensionHandler));
    ASSERT_TRUE(keys.SetText(HKEY_CURRENT_USER, strButton, L"ClsIDExtension", kAddOn));
    const std::wstring strUser =
        kExtensionsKey + std::wstring(L"{9E0B1A2C-3D4E-4F50-8A6B-7C8D9E0F1A24}");
    ASSERT_TRUE(keys.SetText(HKEY_CURRENT_USER, strUser, L"CLSID", kComExtensionHandler));
    ASSERT_TRUE(keys.SetText(HKEY_CURRENT_USER, strUser, L"MenuText", L"&Per-user..."));
    ASSERT_TRUE(keys.SetText(HKEY_CURRENT_USER, strUser, L"ClsIDExtension", kAddOn));

    Start({L"http://a.example/|A"});
    EXPECT_EQ(Events(standin::kLogHelper, strUnregistered), CLines{L"1 failed 0x80040154"});
    EXPECT_EQ(Events(standin::kLogHelper, L"not-a-class"), CLines{L"1 failed 0x800401F3"});
    EXPECT_EQ(Events(standin::kLogHelper), CLines{L"1 loaded"});
    EXPECT_NE(ToolCommand(1, kMenuText), 0u);
    EXPECT_NE(ToolCommand(1, L"&Per-user..."), 0u);
    const UINT nBroken = ToolCommand(1, L"&Unregistered...");
    EXPECT_NE(nBroken, 0u);
    EXPECT_EQ(ToolCommand(1, L"&Script..."), 0u);
    EXPECT_EQ(ToolCommand(1, L""), 0u) << "a toolbar button became a menu item";

    PostMessageW(m_browser.Window(1), WM_COMMAND, MAKEWPARAM(nBroken, 0), 0);
    ASSERT_TRUE(WaitForEvent(standin::kLogCommand, L"1 failed 0x80040154", strUnregistered))
        << m_browser.LogText();
    PostMessageW(m_browser.Window(1), WM_COMMAND, MAKEWPARAM(ToolCommand(1, L"&Per-user..."), 0),
                 0);
    EXPECT_TRUE(WaitForEvent(standin::kLogCommand, L"1 done " + kComAlreadyInitialised))
        << m_browser.LogText();
}

// The first visible window of that process with that class and caption, waited for.
HWND WaitForTopLevel(DWORD dwProcessId, const wchar_t* pszClass, const wchar_t* pszCaption)
{
    struct CSearch
    {
        DWORD dwProcessId;
        const wchar_t* pszClass;
        const wchar_t* pszCaption;
        HWND hFound;
    } search = {dwProcessId, pszClass, pszCaption, nullptr};
    WaitFor(
        [&] {
            EnumWindows(
                [](HWND hWnd, LPARAM lParam) {
                    auto* pSearch = reinterpret_cast<CSearch*>(lParam);
                    DWORD dwProcess = 0;
                    GetWindowThreadProcessId(hWnd, &dwProcess);
                    wchar_t szClass[64] = L"";
                    wchar_t szCaption[64] = L"";
                    GetClassNameW(hWnd, szClass, 64);
                    GetWindowTextW(hWnd, szCaption, 64);
                    if (dwProcess != pSearch->dwProcessId || !IsWindowVisible(hWnd) ||
                        wcscmp(szClass, pSearch->pszClass) != 0 ||
                        wcscmp(szCaption, pSearch->pszCaption) != 0)
                        return TRUE;
                    pSearch->hFound = hWnd;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.hFound != nullptr;
        },
        kWaitMs);
    return search.hFound;
}

// The product picked from the Tools menu: its session manager is modal to the browser window
// the user picked it in, which takes no input until the manager is closed.
TEST(ProductInTheBrowser, TheWindowItWasPickedInIsDisabledWhileTheSessionManagerIsOpen)
{
    CServerRegistration registration;
    ASSERT_EQ(registration.Register(QLMR_DLL_PATH), 0) << "regsvr32 /s of Quillmere.dll failed";
    CStandInBrowser browser;
    ASSERT_TRUE(browser.Start({L"-tool", L"&Quillmere...", L"http://a.example/|A"}))
        << browser.Error();
    const HWND hFrame = browser.Window(1);

    const HWND hDialog = WaitForTopLevel(browser.ProcessId(), L"#32770", L"Quillmere");
    ASSERT_NE(hDialog, nullptr) << browser.LogText();
    EXPECT_EQ(GetWindow(hDialog, GW_OWNER), hFrame);
    EXPECT_FALSE(IsWindowEnabled(hFrame));

    PostMessageW(GetDlgItem(hDialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor(
        [&] {
            for (const std::wstring& strLine : browser.Events(standin::kLogCommand))
            {
                if (strLine.find(L" done ") != std::wstring::npos)
                    return true;
            }
            return false;
        },
        kWaitMs))
        << browser.LogText();
    EXPECT_FALSE(IsWindow(hDialog));
    EXPECT_TRUE(IsWindowEnabled(hFrame));
    EXPECT_EQ(GetForegroundWindow(), hFrame);

    browser.End();
    EndBrowserProcesses();
}
} // namespace
