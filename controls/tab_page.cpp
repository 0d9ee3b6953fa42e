#include "controls/tab_page.h"

CTabPage::CTabPage(UINT nDialogId, CWnd* pParent) : CDialog(nDialogId, pParent), m_nDialogId(nDialogId)
{
}

BOOL CTabPage::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
        return FALSE;
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CTabPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The focus is left where the dialog manager puts it.
    return TRUE;
}

void CTabPage::OnSize(UINT /*nType*/, int /*cx*/, int /*cy*/)
{
    // Pages that lay out their own controls extend this.
    Default();
}
