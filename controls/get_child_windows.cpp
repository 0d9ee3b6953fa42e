#include "controls/get_child_windows.h"

#include "base/throw_if.h"

GetChildWindows::GetChildWindows(CWnd* pTarget) : m_pTarget(pTarget)
{
    ThrowIfNull(pTarget, "GetChildWindows::ctor() - target control was never found");
}

const std::list<CWnd*>& GetChildWindows::GetList()
{
    if (!m_list.empty())
        return m_list;

    const HWND hWndParent = m_pTarget ? m_pTarget->GetSafeHwnd() : nullptr;
    ThrowIfNull(hWndParent, "GetChildWindows::GetList() - hWndParent is NULL");

    for (HWND hChild = ::GetWindow(hWndParent, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        CWnd* pChildWnd = CWnd::FromHandle(hChild);
        ThrowIfNull(pChildWnd, "GetChildWindows::GetList() - pChildWnd is NULL");
        m_list.push_back(pChildWnd);
    }
    return m_list;
}
