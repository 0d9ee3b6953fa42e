#include "tests/win/ui/ui_test_support.h"

#include <fstream>
#include <stdexcept>

#include "session/manual_saved_instance_saver.h"
#include "tests/support/harness/input.h"
#include "tests/support/harness/pre_translate_chain.h"

namespace ui_test
{
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
        lines.push_back(strLine + L" [" + std::to_wstring(child.GetCheckState(hItem)) + L"]");
        AddTreeLines(tree, child.GetChildItem(hItem), strIndent + L"  ", lines);
    }
}
}  // namespace

CScratchSessionFolder::CScratchSessionFolder()
{
    try
    {
        m_pAside = std::make_unique<CSessionFolderAside>(L".aside-" + std::to_wstring(::GetCurrentProcessId()));
        m_strPath = m_pAside->Path();
    }
    catch (const std::runtime_error& e)
    {
        ADD_FAILURE() << e.what();
    }
}

CScratchSessionFolder::~CScratchSessionFolder()
{
    std::string strWhy;
    if (m_pAside && !m_pAside->PutBack(strWhy))
        ADD_FAILURE() << strWhy << " (did the test leave a folder in the session folder?)";
}

bool CScratchSessionFolder::Exists(const std::wstring& strName) const
{
    const DWORD dwAttributes = ::GetFileAttributesW(FilePath(strName).c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> CScratchSessionFolder::FileNames() const
{
    return PlainFileNames(m_strPath);
}

void CScratchSessionFolder::Write(const CSession& session) const
{
    CSession copy(session);
    CManualSavedInstanceSaver saver;
    saver.SetSession(&copy);
    saver.Save(session.GetName().c_str());
}

void CScratchSessionFolder::WriteRaw(const std::wstring& strName, const std::string& strBytes) const
{
    std::ofstream file(FilePath(strName).c_str(), std::ios::binary | std::ios::trunc);
    file << strBytes;
    EXPECT_TRUE(file.good());
}

void CScratchSessionFolder::ReplaceWithFile() const
{
    ASSERT_TRUE(m_pAside && m_pAside->Remove()) << "the test left a folder in the session folder";
    const HANDLE hFile = ::CreateFileW(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    ::CloseHandle(hFile);
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
            const std::wstring strUrl = L"http://example.com/" + std::to_wstring(i) + L"/" + std::to_wstring(j);
            window.AddUrlItem(CUrlItem(strUrl.c_str(), (L"Page " + strTab).c_str()));
        }
        session.AddInstanceSet(window);
        ++i;
    }
    return session;
}

std::wstring Today()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t szDate[16] = L"";
    swprintf(szDate, 16, L"%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    return szDate;
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

INT_PTR RunDialog(CSessionManagerDialog& dialog, CMessageBoxResponder& responder,
                  const std::function<void(HWND hDialog)>& fnDrive)
{
    responder.OnDialogActivated([&](HWND hDialog) {
        EXPECT_EQ(hDialog, dialog.m_hWnd);
        SetMessageFilter(PreTranslateChain);
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

std::wstring WindowText(HWND hWnd)
{
    return CWnd::FromHandle(hWnd)->GetWindowText();
}

void ClickButton(HWND hButton)
{
    ASSERT_TRUE(::IsWindowEnabled(hButton));
    Click(hButton, ClientCenter(hButton));
}

void ClickListRow(HWND hList, int nRow, bool bDouble)
{
    RECT rcRow{};
    rcRow.left = LVIR_LABEL;
    ASSERT_TRUE(::SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&rcRow)));
    Click(hList, POINT{rcRow.left + 4, (rcRow.top + rcRow.bottom) / 2}, bDouble);
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

std::vector<std::wstring> TreeLines(CSessionColumnTreeCtrl& tree)
{
    std::vector<std::wstring> lines;
    AddTreeLines(tree, tree.GetTreeCtrl().GetRootItem(), L"", lines);
    return lines;
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

INT_PTR SessionManagerTest::Run(const std::function<void()>& fnDrive)
{
    m_pDialog = std::make_unique<CSessionManagerDialog>();
    m_pDialog->SetCurrentSession(&m_current);
    return RunDialog(*m_pDialog, m_responder, [&](HWND) { fnDrive(); });
}

int SessionManagerTest::RowOf(const std::wstring& strName)
{
    const std::vector<std::wstring> rows = RowNames(List());
    for (size_t i = 1; i < rows.size(); ++i)
    {
        if (rows[i] == strName)
            return static_cast<int>(i);
    }
    ADD_FAILURE() << "no row for that session";
    return -1;
}
}  // namespace ui_test
