#include "demo/support/top_level_windows.h"

#include <cwchar>

namespace
{
struct CSearch
{
    const std::function<bool(HWND)>& fnMatch;
    HWND hFound;
};

BOOL CALLBACK Visit(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CSearch*>(lParam);
    if (!pSearch->fnMatch(hWnd))
        return TRUE;
    pSearch->hFound = hWnd;
    return FALSE;
}
}  // namespace

HWND FindTopLevelWindow(const std::function<bool(HWND)>& fnMatch, DWORD dwThreadId)
{
    CSearch search{fnMatch, nullptr};
    if (dwThreadId)
        ::EnumThreadWindows(dwThreadId, &Visit, reinterpret_cast<LPARAM>(&search));
    else
        ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

bool IsDialogClass(HWND hWnd)
{
    wchar_t szClass[16] = L"";
    ::GetClassNameW(hWnd, szClass, 16);
    return std::wcscmp(szClass, L"#32770") == 0;
}
