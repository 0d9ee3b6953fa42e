// The base of a dialog that the user resizes: it keeps a size grip in the bottom-right corner of
// its client area. The derived dialog moves its own controls (with a CControlAnchorHelper).
#pragma once

#include "controls/size_grip.h"
#include "win/dialog.h"

class CSizeGripDialog : public CDialog
{
public:
    explicit CSizeGripDialog(UINT nIdTemplate, CWnd* pParent = nullptr);
    ~CSizeGripDialog() override;

protected:
    // The base's initialisation, then the grip. TRUE even when the grip could not be made: the
    // dialog works without it. Derived dialogs call it first.
    BOOL OnInitDialog() override;
    // The window's own handling, then the grip back into the corner. Derived dialogs that handle
    // the size themselves call this first.
    void OnSize(UINT nType, int cx, int cy) override;
    // Only top-level windows hear of setting changes: the grip is told too, so that it follows
    // the system's scroll-bar size.
    void OnSettingChange(UINT nFlags, const wchar_t* pszSection) override;

    CSizeGrip m_grip;
};
