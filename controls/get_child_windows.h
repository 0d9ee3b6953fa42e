// Lists the direct child windows of one window, in the window system's own order, as the objects
// bound to them (or thread-lived wrappers for children no object is bound to).
#pragma once

#include <list>

#include "win/wnd.h"

class GetChildWindows
{
public:
    // Throws when pTarget is null.
    explicit GetChildWindows(CWnd* pTarget);
    GetChildWindows(const GetChildWindows&) = delete;
    GetChildWindows& operator=(const GetChildWindows&) = delete;

    // Gathered on the first call that finds any child; later calls return the same list.
    const std::list<CWnd*>& GetList();

private:
    CWnd* m_pTarget;
    std::list<CWnd*> m_list;
};
