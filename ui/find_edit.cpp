#include "ui/find_edit.h"

namespace
{
// A pale red behind the usual text: the colour that find fields use for "not found".
constexpr COLORREF kNoMatchBackground = RGB(255, 204, 204);
}  // namespace

void CFindEdit::SetNoMatch(bool bNoMatch)
{
    if (bNoMatch == m_bNoMatch)
        return;
    m_bNoMatch = bNoMatch;
    if (m_hWnd)
        Invalidate(TRUE);
}

UINT CFindEdit::OnGetDlgCode()
{
    const MSG* pMsg = reinterpret_cast<const MSG*>(GetCurrentLParam());
    const bool bOwnKey = pMsg && pMsg->message == WM_KEYDOWN &&
                         (pMsg->wParam == VK_RETURN ||
                          (pMsg->wParam == VK_ESCAPE && ::GetWindowTextLengthW(m_hWnd) > 0));
    return static_cast<UINT>(Default()) | (bOwnKey ? DLGC_WANTMESSAGE : 0);
}

void CFindEdit::OnKeyDown(UINT nChar, UINT /*nRepeat*/, UINT /*nFlags*/)
{
    if (nChar == VK_ESCAPE)
    {
        // The change notification filters the list again.
        SetWindowText(L"");
        return;
    }
    if (nChar == VK_RETURN)
        return;
    Default();
}

void CFindEdit::OnChar(UINT nChar, UINT /*nRepeat*/, UINT /*nFlags*/)
{
    // The characters of the two keys above; the edit would beep at them.
    if (nChar == VK_ESCAPE || nChar == VK_RETURN)
        return;
    Default();
}

HBRUSH CFindEdit::OnReflectedCtlColor(HDC hDC, UINT /*nCtlColor*/)
{
    if (!m_bNoMatch || !IsWindowEnabled())
        return nullptr;
    // A high-contrast scheme has no pale red: the field shows the scheme's selection colours.
    const bool bHighContrast = IsHighContrastOn();
    const COLORREF crBack = bHighContrast ? ::GetSysColor(COLOR_HIGHLIGHT) : kNoMatchBackground;
    ::SetTextColor(hDC, ::GetSysColor(bHighContrast ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::SetBkColor(hDC, crBack);
    if (!m_noMatchBrush || crBack != m_crNoMatchBrush)
    {
        m_noMatchBrush.Reset(::CreateSolidBrush(crBack));
        m_crNoMatchBrush = crBack;
    }
    return m_noMatchBrush;
}
