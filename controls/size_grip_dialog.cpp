#include "controls/size_grip_dialog.h"

CSizeGripDialog::CSizeGripDialog(UINT nIdTemplate, CWnd* pParent) : CDialog(nIdTemplate, pParent)
{
}

CSizeGripDialog::~CSizeGripDialog()
{
    // Teardown: the dialog's window (and with it the grip's) goes first, while this object and
    // its grip are whole and still see their last messages; then the grip object; then the base.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

BOOL CSizeGripDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_grip.Create(this);
    return TRUE;
}

void CSizeGripDialog::OnSize(UINT /*nType*/, int /*cx*/, int /*cy*/)
{
    Default();
    m_grip.Reposition();
}

void CSizeGripDialog::OnSettingChange(UINT nFlags, const wchar_t* pszSection)
{
    Default();
    if (m_grip.m_hWnd)
        m_grip.SendMessage(WM_SETTINGCHANGE, nFlags, reinterpret_cast<LPARAM>(pszSection));
}
