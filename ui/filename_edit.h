#pragma once

#include "win/common_controls.h"

// The name field of the session name dialog: refuses the characters a session's name cannot hold,
// typed (beep, dropped) or pasted (beep, the whole paste undone).
class CFilenameEdit : public CEdit
{
protected:
    // The simple beep that tells a refused character.
    virtual void Beep() { ::MessageBeep(0xFFFFFFFF); }

    int OnCreate(CREATESTRUCTW* pCreate) override;
    void OnChar(UINT nChar, UINT nRepeat, UINT nFlags) override;
    LRESULT OnPaste() override;
};
