// Dialogs from templates of this module, modal or modeless. A modal dialog runs its own message
// loop, which offers each message to PreTranslateMessage of the window it is for and of each of
// its parents up to the dialog, so that pages and controls can take keys before the dialog does.
//
// A modal dialog without a parent is owned, as the framework's are, by the thread's active window
// (else the foreground window, when it is one of this process), taken up to its top-level window;
// that window is disabled while the dialog runs. A dialog nested in another's window (a page)
// leaves its keys to the outer dialog, which navigates the page's controls as its own.
#pragma once

#include "win/wnd.h"

class CDialog;

// Binds template controls to members and moves values in and out of them.
class CDataExchange
{
public:
    CDataExchange(CDialog* pDlg, bool bSaveAndValidate) : m_pDlg(pDlg), m_bSaveAndValidate(bSaveAndValidate) {}
    CDialog* m_pDlg;
    bool m_bSaveAndValidate;
};

// Subclasses the control of that id into the member, once.
void DDX_Control(CDataExchange& dx, int nId, CWnd& control);

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIdTemplate, CWnd* pParent = nullptr) : m_nIdTemplate(nIdTemplate), m_pParentWnd(pParent) {}
    ~CDialog() override;

    // Runs the dialog; returns the value given to EndDialog, or -1 when it could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless, as a child or owned window of pParent.
    bool Create(UINT nIdTemplate, CWnd* pParent);
    void EndDialog(int nResult);
    bool UpdateData(bool bSaveAndValidate = true);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange& /*dx*/) {}
    virtual void OnOK();
    virtual void OnCancel();

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    UINT m_nIdTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
    bool PreTranslateInChain(MSG* pMsg);
    // A failed initialisation leaves no window behind before its exception goes on.
    void RethrowPendingOrDestroy();

    // Enables the owner the modal run disabled and, when the dialog is active, activates it: done
    // before the dialog is hidden, so that activation goes back to the owner.
    void ReleaseModalOwner();
    bool IsNestedInDialog() const;

    bool m_bModal = false;
    bool m_bEndModal = false;
    HWND m_hDisabledOwner = nullptr;
    INT_PTR m_nModalResult = -1;
};
