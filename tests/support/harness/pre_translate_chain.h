// For programs that link the window layer: what the product's modal loop does before it
// dispatches, offering the message to each window object from its target up to the dialog. Give
// it to SetMessageFilter when a test runs the loop in the product's place.
#pragma once

#include <windows.h>

#include "win/wnd.h"

inline bool PreTranslateChain(MSG& msg)
{
    for (HWND hWnd = msg.hwnd; hWnd; hWnd = ::GetParent(hWnd))
    {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(&msg))
            return true;
        if (!(::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD))
            break;
    }
    return false;
}
