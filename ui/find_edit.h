#pragma once

#include "win/common_controls.h"
#include "win/gdi.h"

// The find field of the Sessions page. Escape clears it while it holds text (the dialog keeps
// Escape once it is empty) and Enter does nothing, so that neither ends the dialog while the user
// types; a field whose text is found nowhere says so by its colours.
class CFindEdit : public CEdit
{
public:
    void SetNoMatch(bool bNoMatch);

protected:
    UINT OnGetDlgCode() override;
    void OnKeyDown(UINT nChar, UINT nRepeat, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepeat, UINT nFlags) override;
    HBRUSH OnReflectedCtlColor(HDC hDC, UINT nCtlColor) override;

private:
    bool m_bNoMatch = false;
    CBrush m_noMatchBrush;
    COLORREF m_crNoMatchBrush = 0;
};
