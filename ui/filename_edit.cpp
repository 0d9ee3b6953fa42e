#include "ui/filename_edit.h"

#include <cwctype>

#include "session/session_name.h"

int CFilenameEdit::OnCreate(CREATESTRUCTW* /*pCreate*/)
{
    return Default() == -1 ? -1 : 0;
}

void CFilenameEdit::OnChar(UINT nChar, UINT /*nRepeat*/, UINT /*nFlags*/)
{
    const wchar_t c = static_cast<wchar_t>(nChar);
    if (IsRefusedNameCharacter(c) && std::iswprint(c))
    {
        Beep();
        return;
    }
    Default();
}

LRESULT CFilenameEdit::OnPaste()
{
    int nStart = 0;
    int nEnd = 0;
    GetSel(nStart, nEnd);
    const std::wstring strBefore = GetWindowText();

    Default();

    if (ContainsRefusedNameCharacter(GetWindowText()))
    {
        Beep();
        SetWindowText(strBefore);
        SetSel(nStart, nEnd);
        SendMessage(EM_SCROLLCARET);
    }
    return 0;
}
