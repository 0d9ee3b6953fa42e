#include "session_name_dialog.h"

#include <shlwapi.h>

#include "resource.h"
#include "session_folder.h"
#include "string_table.h"

namespace
{
const UINT kMaxTypedCharacters = 50;
}

CSessionNameDialog::CSessionNameDialog(const wchar_t* pszInitialName, int nMode, CWnd* pParent)
    : CDialog(IDD_SESSION_NAME, pParent), m_strInitialName(pszInitialName ? pszInitialName : L""), m_nMode(nMode)
{
}

void CSessionNameDialog::DoDataExchange(CDataExchange& dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_FILE_NAME, m_editFileName);
    DDX_Control(dx, IDOK, m_btnOk);
}

BOOL CSessionNameDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The limit holds for typing and pasting; a longer proposal is still shown whole.
    m_editFileName.SetLimitText(kMaxTypedCharacters);
    m_editFileName.SetWindowText(m_strInitialName);
    m_editFileName.SetSel(65535, 65535);
    m_editFileName.SendMessage(EM_SCROLLCARET);
    return TRUE;
}

BOOL CSessionNameDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nId = LOWORD(wParam);
    const UINT nCode = HIWORD(wParam);
    if (nId == IDOK && nCode == BN_CLICKED)
    {
        OnBnClickedOk();
        return TRUE;
    }
    if (nId == IDC_FILE_NAME && nCode == EN_CHANGE)
    {
        OnEnChangeFileName();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CSessionNameDialog::OnEnChangeFileName()
{
    m_btnOk.EnableWindow(::GetWindowTextLengthW(m_editFileName) > 0);
}

void CSessionNameDialog::OnBnClickedOk()
{
    m_strFileName = m_editFileName.GetWindowText();
    std::wstring strPath;
    GetSessionFolder(strPath);
    strPath += L"\\" + m_strFileName;
    if (!::PathFileExistsW(strPath.c_str()))
    {
        CDialog::OnOK();
        return;
    }
    const std::wstring strText = FormatResString(IDS_FILE_ALREADY_EXISTS, m_strFileName.c_str());
    const std::wstring strCaption =
        LoadResString(m_nMode == kModeSave ? IDS_UNABLE_TO_SAVE_FILE : IDS_UNABLE_TO_RENAME_FILE);
    ::MessageBoxW(m_hWnd, strText.c_str(), strCaption.c_str(), MB_OK | MB_ICONSTOP);
}
