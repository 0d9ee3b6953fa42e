// The add-on demo's Windows half (demo/demo.sh does the rest): puts one saved session into
// the session folder with the product's own writer, starts two stand-in browser processes with a
// few windows and tabs, and picks Tools > "&Quillmere..." in the first.
//
//   addon_demo.exe              the user works in the session manager; the demo ends once every
//                               browser window has been closed
//   addon_demo.exe --unattended waits for the session manager window, closes it with its Close
//                               button and ends the browsers (`make screenshots` takes pictures)
//
// Exit code 0 when all went well; otherwise what failed is printed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "demo/stand_in_browser/stand_in_browser.h"
#include "demo/support/session_folder_aside.h"
#include "demo/support/top_level_windows.h"
#include "session/manual_saved_instance_saver.h"
#include "session/session.h"
#include "session/session_folder.h"
#include "session/text_conversion.h"

namespace
{
const wchar_t kMenuText[] = L"&Quillmere...";
const wchar_t kDialogCaption[] = L"Quillmere";
const DWORD kDialogTimeoutMs = 60000;
const DWORD kCloseTimeoutMs = 15000;

// The owner of a file, which gives INVALID_HANDLE_VALUE for none.
struct CHandleCloser
{
    void operator()(HANDLE h) const
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

bool Fail(const std::wstring& strWhat)
{
    std::fprintf(stderr, "addon_demo: %s\n", WideToUtf8(strWhat).c_str());
    return false;
}

CInstanceSet Window(const std::vector<std::pair<const wchar_t*, const wchar_t*>>& tabs)
{
    CInstanceSet set;
    for (const auto& tab : tabs)
        set.AddUrlItem(CUrlItem(tab.first, tab.second));
    return set;
}

// The session manager lists a saved session with its file's time: this one was saved three days
// ago.
void DateBack(const std::wstring& strPath)
{
    const std::unique_ptr<void, CHandleCloser> spFile(
        CreateFileW(strPath.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (spFile.get() == INVALID_HANDLE_VALUE)
        return;
    FILETIME ftNow = {};
    GetSystemTimeAsFileTime(&ftNow);
    ULARGE_INTEGER nTime = {{ftNow.dwLowDateTime, ftNow.dwHighDateTime}};
    nTime.QuadPart -= 3ULL * 24 * 3600 * 10000000; // in units of 100 ns
    const FILETIME ftThen = {nTime.LowPart, nTime.HighPart};
    SetFileTime(spFile.get(), nullptr, nullptr, &ftThen);
}

// One saved session, written by the product's writer into an emptied session folder.
bool SaveSession()
{
    std::wstring strFolder;
    GetSessionFolder(strFolder);
    for (const std::wstring& strName : PlainFileNames(strFolder))
        DeleteFileW((strFolder + L"\\" + strName).c_str());

    CSession session(L"Trip to Lisbon", std::time(nullptr));
    session.AddInstanceSet(Window({{L"https://maps.example/lisbon", L"Lisbon - Maps"},
                                   {L"https://trains.example/porto-lisbon", L"Porto to Lisbon"},
                                   {L"https://weather.example/lisbon", L"Weather in Lisbon"}}));
    session.AddInstanceSet(Window({{L"https://museum.example/tiles", L"The Tile Museum"}}));
    try
    {
        CManualSavedInstanceSaver saver;
        saver.SetSession(&session);
        saver.Save(session.GetName().c_str());
        std::printf("saved session: %s\n", WideToUtf8(saver.GetFilePath()).c_str());
        DateBack(saver.GetFilePath());
        return true;
    }
    catch (const std::exception& e)
    {
        const char* pszWhat = e.what();
        return Fail(L"cannot save the session: " +
                    std::wstring(pszWhat, pszWhat + std::strlen(pszWhat)));
    }
    catch (const CException&)
    {
        return Fail(L"cannot save the session in " + strFolder);
    }
}

bool IsShownBy(HWND hWnd, DWORD dwProcessId)
{
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hWnd, &dwOwner);
    return dwOwner == dwProcessId && IsWindowVisible(hWnd);
}

// The session manager window, which the browser's process shows.
bool IsSessionManager(HWND hWnd, DWORD dwProcessId)
{
    wchar_t szCaption[64] = L"";
    GetWindowTextW(hWnd, szCaption, ARRAYSIZE(szCaption));
    return IsShownBy(hWnd, dwProcessId) && IsDialogClass(hWnd) && std::wstring(szCaption) == kDialogCaption;
}

HWND WaitForDialog(DWORD dwProcessId, DWORD nTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    do
    {
        if (const HWND hDialog = FindTopLevelWindow(
                [dwProcessId](HWND hWnd) { return IsSessionManager(hWnd, dwProcessId); }))
            return hDialog;
        Sleep(100);
    } while (GetTickCount() - dwStart < nTimeoutMs);
    return nullptr;
}

std::wstring CommandResult(const CStandInBrowser& browser)
{
    for (const std::wstring& strLine : browser.Events(standin::kLogCommand))
    {
        const size_t nDone = strLine.find(L" done ");
        if (nDone != std::wstring::npos)
            return strLine.substr(nDone + 6);
    }
    return std::wstring();
}

bool HasVisibleWindow(DWORD dwProcessId)
{
    return FindTopLevelWindow([dwProcessId](HWND hWnd) { return IsShownBy(hWnd, dwProcessId); }) != nullptr;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const bool bUnattended = argc == 2 && std::wstring(argv[1]) == L"--unattended";
    if (argc != 1 && !bUnattended)
    {
        std::fprintf(stderr, "usage: addon_demo.exe [--unattended]\n");
        return 2;
    }
    if (!SaveSession())
        return 1;
    // The second process first, so that the capture finds it; the first also serves new windows,
    // which Load asks for.
    CStandInBrowser second;
    CStandInBrowser first;
    if (!second.Start({L"https://news.example/|Morning news", L"https://weather.example/|Weather",
                       L"-window", L"https://mail.example/|Inbox (3)"}))
    {
        Fail(second.Error());
        return 1;
    }
    if (!first.Start({L"-Embedding", L"-tool", kMenuText, L"https://docs.example/guide|User guide",
                      L"https://code.example/review/42|Code review #42",
                      L"https://tickets.example/open|Open tickets", L"-window",
                      L"https://calendar.example/|Calendar"}))
    {
        Fail(first.Error() + L" (is Quillmere.dll registered?)");
        return 1;
    }
    std::printf("browsers: 2 processes, 4 windows, 7 tabs; Tools > %s picked\n",
                WideToUtf8(kMenuText).c_str());

    if (!bUnattended)
    {
        while (HasVisibleWindow(first.ProcessId()) || HasVisibleWindow(second.ProcessId()))
            Sleep(300);
        return 0;
    }

    // The dialog runs in the browser's process: its Close button is pressed by a message.
    const HWND hDialog = WaitForDialog(first.ProcessId(), kDialogTimeoutMs);
    if (!hDialog)
        return Fail(L"the session manager window did not appear"), 1;
    std::printf("the session manager window is open\n");
    PostMessageW(GetDlgItem(hDialog, IDOK), BM_CLICK, 0, 0);
    const DWORD dwStart = GetTickCount();
    while (CommandResult(first).empty() && GetTickCount() - dwStart < kCloseTimeoutMs)
        Sleep(100);
    const std::wstring strResult = CommandResult(first);
    if (strResult.empty())
    {
        Fail(L"the session manager window did not close");
        return 1;
    }
    std::printf("the command returned %s\n", WideToUtf8(strResult).c_str());
    first.End();
    second.End();
    return 0;
}
