#include "main_dialog_test_support.h"

#include <gtest/gtest.h>

#include "harness/input.h"
#include "manual_saved_instance_saver.h"
#include "session_folder.h"

namespace main_dialog_test
{
namespace
{
void DeleteFolderFiles(const std::wstring& strFolder)
{
    WIN32_FIND_DATAW found{};
    const HANDLE hFind = ::FindFirstFileW((strFolder + L"\\*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::DeleteFileW((strFolder + L"\\" + found.cFileName).c_str());
    } while (::FindNextFileW(hFind, &found));
    ::FindClose(hFind);
}

bool PathIsFolder(const std::wstring& strPath)
{
    const DWORD dwAttributes = ::GetFileAttributesW(strPath.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

CScratchSessionFolder::CScratchSessionFolder()
{
    GetSessionFolder(m_strPath);
    if (m_strPath.empty())
    {
        ADD_FAILURE() << "the prefix has no session folder";
        return;
    }
    m_strAside = m_strPath + L".aside-" + std::to_wstring(::GetCurrentProcessId());
    if (!::MoveFileW(m_strPath.c_str(), m_strAside.c_str()))
    {
        ADD_FAILURE() << "cannot set the session folder aside: error " << ::GetLastError();
        m_strAside.clear();
    }
    EXPECT_TRUE(::CreateDirectoryW(m_strPath.c_str(), nullptr));
}

CScratchSessionFolder::~CScratchSessionFolder()
{
    if (m_strPath.empty())
        return;
    RemoveScratch();
    if (!m_strAside.empty() && !::MoveFileW(m_strAside.c_str(), m_strPath.c_str()))
        ADD_FAILURE() << "cannot put the session folder back: error " << ::GetLastError();
}

void CScratchSessionFolder::RemoveScratch() const
{
    if (PathIsFolder(m_strPath))
    {
        DeleteFolderFiles(m_strPath);
        EXPECT_TRUE(::RemoveDirectoryW(m_strPath.c_str())) << "the test left a folder in the session folder";
    }
    else
    {
        ::DeleteFileW(m_strPath.c_str());
    }
}

void CScratchSessionFolder::Write(const CSession& session) const
{
    CSession copy(session);
    CManualSavedInstanceSaver saver;
    saver.SetSession(&copy);
    saver.Save(session.GetName().c_str());
}

void CScratchSessionFolder::ReplaceWithFile() const
{
    RemoveScratch();
    const HANDLE hFile = ::CreateFileW(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    ::CloseHandle(hFile);
}

CSession MakeSession(const std::wstring& strName, std::initializer_list<int> tabsPerWindow)
{
    // A fixed time, so that the Date column and screenshots do not change from run to run.
    CSession session(strName, 1709647620);  // 2024-03-05 14:07 UTC
    int i = 1;
    for (const int nTabs : tabsPerWindow)
    {
        CInstanceSet window;
        for (int j = 1; j <= nTabs; ++j)
        {
            const std::wstring strTab = std::to_wstring(i) + L"." + std::to_wstring(j);
            const std::wstring strUrl = L"https://site.example/" + std::to_wstring(i) + L"/" + std::to_wstring(j);
            window.AddUrlItem(CUrlItem(strUrl.c_str(), (L"Tab " + strTab).c_str()));
        }
        session.AddInstanceSet(window);
        ++i;
    }
    return session;
}

std::wstring Describe(const CSession& session)
{
    std::wstring strOut;
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        if (i > 0)
            strOut += L" | ";
        const CInstanceSet* pWindow = session.GetInstanceSet(i);
        for (int j = 0; j < pWindow->GetUrlItemsCount(); ++j)
        {
            const CUrlItem* pTab = pWindow->GetUrlItem(j);
            strOut += (j > 0 ? L", " : L"") + pTab->GetTitle() + L" " + pTab->GetUrl();
        }
    }
    return strOut;
}

bool ProductPreTranslate(MSG& msg)
{
    for (HWND hWnd = msg.hwnd; hWnd; hWnd = ::GetParent(hWnd))
    {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(&msg))
            return true;
        if (!(::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD))
            break;
    }
    return false;
}

INT_PTR RunDialog(CSessionManagerDialog& dialog, CMessageBoxResponder& responder,
                  const std::function<void(HWND hDialog)>& fnDrive)
{
    responder.OnDialogActivated([&](HWND hDialog) {
        EXPECT_EQ(hDialog, dialog.m_hWnd);
        SetMessageFilter(ProductPreTranslate);
        // The focus moves to the list by a posted message once the dialog is shown.
        const HWND hList = dialog.GetSessionsTabPage()->GetSessionsList().m_hWnd;
        EXPECT_TRUE(WaitFor([&] { return ::GetFocus() == hList; }, 2000)) << "the list never got the focus";
        fnDrive(hDialog);
        if (::IsWindow(hDialog) && ::IsWindowVisible(hDialog))
            ClickButton(::GetDlgItem(hDialog, IDOK));
        SetMessageFilter(nullptr);
    });
    return dialog.DoModal();
}

RECT ChildRect(HWND hWnd)
{
    RECT rect{};
    ::GetWindowRect(hWnd, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT DialogUnits(HWND hDialog, int x, int y, int cx, int cy)
{
    // Place and size are converted each on its own, as the dialog manager converts a template's.
    RECT rect{x, y, cx, cy};
    ::MapDialogRect(hDialog, &rect);
    return RECT{rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

std::wstring WindowText(HWND hWnd)
{
    return CWnd::FromHandle(hWnd)->GetWindowText();
}

void ClickButton(HWND hButton)
{
    ASSERT_TRUE(::IsWindowEnabled(hButton));
    Click(hButton, ClientCenter(hButton));
}
}  // namespace main_dialog_test
