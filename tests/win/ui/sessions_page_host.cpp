#include "sessions_page_host.h"

#include <fstream>

#include "harness/input.h"
#include "manual_saved_instance_saver.h"
#include "resource.h"
#include "session_folder.h"
#include "sessions_page_host_ids.h"

CSessionsPageHost::CSessionsPageHost(CSession& currentSession)
    : CDialog(IDD_SESSIONS_TEST_HOST), m_currentSession(currentSession)
{
}

void CSessionsPageHost::DoDataExchange(CDataExchange& dx)
{
    DDX_Control(dx, IDC_SESSIONS_TEST_TABS, m_tabs);
}

BOOL CSessionsPageHost::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_tabs.AddTabPage(&m_page, L"Sessions");
    if (m_bGiveCurrentSession)
        m_page.SetCurrentSession(&m_currentSession);
    m_page.LoadSavedSessions();
    m_tabs.InitializeTabPages();
    m_tabs.ActivateTabPages();
    return TRUE;
}

void CSessionsPageHost::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    m_page.FocusSessionList();
}

INT_PTR RunHost(CSessionsPageHost& host, CMessageBoxResponder& responder,
                const std::function<void(CSessionsPageHost&)>& fnDrive)
{
    responder.OnDialogActivated([&](HWND hDialog) {
        EXPECT_EQ(hDialog, host.m_hWnd);
        // The focus message the host posted when it was shown.
        PumpMessages(50);
        fnDrive(host);
        if (host.m_hWnd && ::IsWindowVisible(host.m_hWnd))
            host.EndDialog(IDCANCEL);
    });
    return host.DoModal();
}

CSession MakeSession(const std::wstring& strName, std::initializer_list<int> tabsPerWindow, std::time_t time)
{
    CSession session(strName, time);
    int i = 1;
    for (const int nTabs : tabsPerWindow)
    {
        CInstanceSet window;
        for (int j = 1; j <= nTabs; ++j)
        {
            const std::wstring strTab = std::to_wstring(i) + L"." + std::to_wstring(j);
            window.AddUrlItem(CUrlItem((L"http://example.com/" + std::to_wstring(i) + L"/" + std::to_wstring(j)).c_str(),
                                       (L"Page " + strTab).c_str()));
        }
        session.AddInstanceSet(window);
        ++i;
    }
    return session;
}

std::wstring SessionFolder()
{
    std::wstring strPath;
    GetSessionFolder(strPath);
    EXPECT_FALSE(strPath.empty());
    return strPath;
}

std::wstring SessionFilePath(const std::wstring& strName)
{
    return SessionFolder() + L"\\" + strName;
}

bool SessionFileExists(const std::wstring& strName)
{
    const DWORD dwAttributes = ::GetFileAttributesW(SessionFilePath(strName).c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> SessionFileNames()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE hFind = ::FindFirstFileW((SessionFolder() + L"\\*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(hFind, &found));
    ::FindClose(hFind);
    return names;
}

void EmptySessionFolder()
{
    for (const std::wstring& strName : SessionFileNames())
        EXPECT_TRUE(::DeleteFileW(SessionFilePath(strName).c_str())) << "cannot remove the session file";
}

void WriteSessionFile(const CSession& session)
{
    CSession copy(session);
    CManualSavedInstanceSaver saver;
    saver.SetSession(&copy);
    saver.Save(session.GetName().c_str());
}

void WriteRawSessionFile(const std::wstring& strName, const std::string& strBytes)
{
    std::ofstream file(SessionFilePath(strName).c_str(), std::ios::binary | std::ios::trunc);
    file << strBytes;
    EXPECT_TRUE(file.good());
}

HWND PageControl(CSessionsPageHost& host, int nId)
{
    return ::GetDlgItem(host.m_page.m_hWnd, nId);
}

void ClickButton(HWND hButton)
{
    ASSERT_TRUE(::IsWindowEnabled(hButton));
    Click(hButton, ClientCenter(hButton));
}

void ClickListRow(HWND hList, int nRow)
{
    RECT rcRow{};
    rcRow.left = LVIR_LABEL;
    ASSERT_TRUE(::SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&rcRow)));
    Click(hList, POINT{rcRow.left + 4, (rcRow.top + rcRow.bottom) / 2});
}

int SelectedRow(HWND hList)
{
    return static_cast<int>(::SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::wstring RowText(HWND hList, int nRow, int nColumn)
{
    wchar_t szText[512] = L"";
    LVITEMW item{};
    item.iSubItem = nColumn;
    item.pszText = szText;
    item.cchTextMax = 512;
    ::SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    return szText;
}

std::vector<std::wstring> RowNames(HWND hList)
{
    std::vector<std::wstring> names;
    const int nRows = static_cast<int>(::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < nRows; ++i)
        names.push_back(RowText(hList, i, 0));
    return names;
}

void ClickTickBox(CCustomTreeChildCtrl& tree, HTREEITEM hItem)
{
    tree.EnsureVisible(hItem);
    RECT rcRow{};
    ASSERT_TRUE(tree.GetItemRect(hItem, &rcRow, FALSE));
    const int y = (rcRow.top + rcRow.bottom) / 2;
    for (int x = rcRow.left; x < rcRow.right; ++x)
    {
        TVHITTESTINFO hit{};
        hit.pt = {x, y};
        if (tree.HitTest(&hit) == hItem && (hit.flags & TVHT_ONITEMSTATEICON))
        {
            Click(tree.m_hWnd, POINT{x + 3, y});
            return;
        }
    }
    FAIL() << "no tick box found on the row";
}

namespace
{
void AddTreeLines(CSessionColumnTreeCtrl& tree, HTREEITEM hFirst, const std::wstring& strIndent,
                  std::vector<std::wstring>& lines)
{
    CCustomTreeChildCtrl& child = tree.GetTreeCtrl();
    for (HTREEITEM hItem = hFirst; hItem; hItem = child.GetNextSiblingItem(hItem))
    {
        std::wstring strLine = strIndent + tree.GetItemText(hItem, 0);
        const std::wstring strLocation = tree.GetItemText(hItem, 1);
        if (!strLocation.empty())
            strLine += L" @ " + strLocation;
        strLine += L" [" + std::to_wstring(child.GetCheckState(hItem)) + L"]";
        lines.push_back(strLine);
        AddTreeLines(tree, child.GetChildItem(hItem), strIndent + L"  ", lines);
    }
}
}  // namespace

std::vector<std::wstring> TreeLines(CSessionColumnTreeCtrl& tree)
{
    std::vector<std::wstring> lines;
    AddTreeLines(tree, tree.GetTreeCtrl().GetRootItem(), L"", lines);
    return lines;
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
            strOut += (j > 0 ? L", " : L"") + pWindow->GetUrlItem(j)->GetTitle();
    }
    return strOut;
}

std::wstring WindowText(HWND hWnd)
{
    return CWnd::FromHandle(hWnd)->GetWindowText();
}

void AnswerNameDialog(CMessageBoxResponder& responder, const std::wstring& strExpectedProposal,
                      const std::wstring& strName)
{
    responder.OnDialogActivated([=](HWND hDialog) {
        const HWND hEdit = ::GetDlgItem(hDialog, IDC_FILE_NAME);
        EXPECT_EQ(WindowText(hEdit), strExpectedProposal);
        if (strName.empty())
        {
            PressKey(hEdit, VK_ESCAPE);
            return;
        }
        ::SetWindowTextW(hEdit, L"");
        TypeText(hEdit, strName);
        PressKey(hEdit, VK_RETURN);
    });
}
