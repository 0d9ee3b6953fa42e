#include "win/dialog.h"

#include <utility>

#include "win/dialog_navigation.h"
#include "win/module.h"

namespace
{
// The owner of a modal dialog that was given no parent: the window the user was working in.
HWND FindModalOwner()
{
    HWND hWnd = ::GetActiveWindow();
    if (!hWnd)
    {
        hWnd = ::GetForegroundWindow();
        DWORD dwProcessId = 0;
        if (hWnd && (::GetWindowThreadProcessId(hWnd, &dwProcessId),
                     dwProcessId != ::GetCurrentProcessId()))
            hWnd = nullptr;
    }
    return hWnd ? ::GetAncestor(hWnd, GA_ROOT) : nullptr;
}
} // namespace

void DDX_Control(CDataExchange& dx, int nId, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassDlgItem(static_cast<UINT>(nId), dx.m_pDlg);
}

CDialog::~CDialog()
{
    // Destroyed here, while the object is still a dialog, so its handlers see the last messages.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT nMsg, WPARAM /*wParam*/, LPARAM lParam)
{
    if (nMsg != WM_INITDIALOG)
        return FALSE;
    // From here on every message of the dialog goes through the object's window procedure, whose
    // default is the dialog manager's own.
    CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
    pDlg->SubclassWindow(hDlg);
    pDlg->m_bOwnsWindow = true;
    try
    {
        return pDlg->OnInitDialog();
    }
    catch (...)
    {
        // Thrown again once the creation call has returned.
        KeepPendingWindowException();
        return FALSE;
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(dx);
    return true;
}

bool CDialog::Create(UINT nIdTemplate, CWnd* pParent)
{
    m_nIdTemplate = nIdTemplate;
    m_pParentWnd = pParent;
    m_bModal = false;
    const HWND hWnd = ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(nIdTemplate),
                                           pParent ? pParent->m_hWnd : nullptr, DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    if (!hWnd)
        RethrowPendingWindowException();
    else
        RethrowPendingOrDestroy();
    return hWnd != nullptr;
}

INT_PTR CDialog::DoModal()
{
    const HWND hOwner =
        m_pParentWnd ? ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : FindModalOwner();
    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    // OnInitDialog runs inside the creation and may already end the dialog.
    const HWND hWnd = ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(m_nIdTemplate), hOwner,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hWnd)
    {
        RethrowPendingWindowException();
        return -1;
    }
    RethrowPendingOrDestroy();

    if (!m_bEndModal)
    {
        // An owner that is already disabled belongs to a run further out, which enables it.
        if (hOwner && ::IsWindowEnabled(hOwner))
        {
            ::EnableWindow(hOwner, FALSE);
            m_hDisabledOwner = hOwner;
        }
        ShowWindow(SW_SHOWNORMAL);
    }

    MSG msg;
    while (!m_bEndModal)
    {
        const BOOL bGot = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bGot <= 0)
        {
            // A quit request belongs to the loop outside: pass it on and end this one.
            if (bGot == 0)
                ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateInChain(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        // A handler that failed without reporting ends the loop as its exception.
        try
        {
            RethrowPendingWindowException();
        }
        catch (...)
        {
            ReleaseModalOwner();
            if (m_hWnd)
                DestroyWindow();
            m_bModal = false;
            throw;
        }
    }

    ReleaseModalOwner();
    if (m_hWnd)
        DestroyWindow();
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::ReleaseModalOwner()
{
    const HWND hOwner = std::exchange(m_hDisabledOwner, nullptr);
    if (!hOwner)
        return;
    ::EnableWindow(hOwner, TRUE);
    if (m_hWnd && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hOwner);
}

void CDialog::RethrowPendingOrDestroy()
{
    try
    {
        RethrowPendingWindowException();
    }
    catch (...)
    {
        if (m_hWnd)
            DestroyWindow();
        throw;
    }
}

bool CDialog::PreTranslateInChain(MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd))
    {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return true;
        if (hWnd == m_hWnd)
            break;
    }
    return false;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // Keys give the dialog its navigation: Tab, arrows, Enter, Escape and mnemonics.
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    if (IsNestedInDialog())
        return FALSE;
    if (TranslateDialogNavigationKey(m_hWnd, *pMsg))
        return TRUE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

bool CDialog::IsNestedInDialog() const
{
    return (GetStyle() & WS_CHILD) &&
           dynamic_cast<CDialog*>(FromHandlePermanent(::GetAncestor(m_hWnd, GA_ROOT)));
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (m_bModal)
    {
        m_bEndModal = true;
        ReleaseModalOwner();
        ShowWindow(SW_HIDE);
        // Wake the loop if it is waiting.
        PostMessage(WM_NULL);
    }
    else
    {
        ::EndDialog(m_hWnd, nResult);
    }
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // IDOK and IDCANCEL come from the buttons, from Enter and Escape, and from the close box.
    const UINT nCode = HIWORD(wParam);
    if (lParam && nCode != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam))
    {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}
