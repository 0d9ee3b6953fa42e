// The product in the stand-in browser, picked from its Tools menu as a user picks it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "demo/stand_in_browser/stand_in_browser.h"
#include "tests/support/harness/input.h"
#include "tests/win/add_on_host/add_on_test_support.h"

namespace
{
const DWORD kWaitMs = 10000;

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
