#include "ui/session_name_dialog.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "resources/resource.h"
#include "session/session_folder.h"
#include "win/gdi.h"
#include "win/string_table.h"

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
    FitLabelsToText();
    // The limit holds for typing and pasting; a longer proposal is still shown whole.
    m_editFileName.SetLimitText(kMaxTypedCharacters);
    m_editFileName.SetWindowText(m_strInitialName);
    // The field gets the focus here: the dialog manager would select its whole text, where the
    // caret belongs at the end with nothing selected.
    m_editFileName.SetFocus();
    m_editFileName.SetSel(65535, 65535);
    m_editFileName.SendMessage(EM_SCROLLCARET);
    return FALSE;
}

void CSessionNameDialog::FitLabelsToText()
{
    RECT rcDialog{};
    GetClientRect(&rcDialog);
    int nOverflow = 0;
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        wchar_t szClass[16] = L"";
        ::GetClassNameW(hChild, szClass, 16);
        if (_wcsicmp(szClass, L"Static") != 0)
            continue;
        const std::wstring strText = CWnd::FromHandle(hChild)->GetWindowText();
        RECT rcText{};
        {
            CClientDC dc(hChild);
            CSelectObject font(dc,
                               reinterpret_cast<HGDIOBJ>(::SendMessageW(hChild, WM_GETFONT, 0, 0)));
            ::DrawTextW(dc, strText.c_str(), -1, &rcText, DT_CALCRECT | DT_SINGLELINE);
        }
        RECT rcClient{};
        ::GetClientRect(hChild, &rcClient);
        const int nMissing = RectWidth(rcText) - RectWidth(rcClient);
        if (nMissing <= 0)
            continue;
        RECT rcStatic{};
        ::GetWindowRect(hChild, &rcStatic);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rcStatic), 2);
        rcStatic.right += nMissing;
        ::SetWindowPos(hChild, nullptr, 0, 0, RectWidth(rcStatic), RectHeight(rcStatic),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        nOverflow = std::max(nOverflow, static_cast<int>(rcStatic.right - rcDialog.right));
    }
    if (nOverflow > 0)
    {
        RECT rcWindow{};
        GetWindowRect(&rcWindow);
        SetWindowPos(nullptr, 0, 0, RectWidth(rcWindow) + nOverflow, RectHeight(rcWindow),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
