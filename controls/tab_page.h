// The base of every page of a CTabControl: a modeless child dialog from a template of this
// module, laid over the tab control's display area by the control.
#pragma once

#include "win/dialog.h"

class CTabPage : public CDialog
{
public:
    CTabPage(UINT nDialogId, CWnd* pParent = nullptr);
    ~CTabPage() override = default;

    UINT GetDialogId() const { return m_nDialogId; }

    // Enter and Escape are left to the dialog that holds the tab control: a page has no default
    // or cancel button of its own to press, and must not end.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    void OnSize(UINT nType, int cx, int cy) override;

private:
    UINT m_nDialogId;
};
