#include "tests/win/com/session_manager_driver.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/support/harness/input.h"

namespace
{
// Columns of the session list.
const int kNameColumn = 0;
const int kWindowsColumn = 2;
const int kTabsColumn = 3;

struct CControlSearch
{
    int nId;
    const wchar_t* pszClass;
    HWND hFound;
};

BOOL CALLBACK FindControlProc(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CControlSearch*>(lParam);
    wchar_t szClass[64] = L"";
    GetClassNameW(hWnd, szClass, 64);
    if (GetDlgCtrlID(hWnd) == pSearch->nId && lstrcmpiW(szClass, pSearch->pszClass) == 0)
    {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring CellText(HWND hList, int nRow, int nColumn)
{
    wchar_t szText[256] = L"";
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = szText;
    item.cchTextMax = 256;
    SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(nRow),
                 reinterpret_cast<LPARAM>(&item));
    return szText;
}
} // namespace

HWND FindControl(HWND hDialog, int nId, const wchar_t* pszClass)
{
    CControlSearch search{nId, pszClass, nullptr};
    EnumChildWindows(hDialog, FindControlProc, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::vector<std::wstring> SessionRows(HWND hDialog)
{
    std::vector<std::wstring> rows;
    const HWND hList = FindControl(hDialog, kSessionListId, WC_LISTVIEWW);
    EXPECT_NE(hList, nullptr) << "no session list";
    const int nRows = hList ? static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < nRows; ++i)
        rows.push_back(CellText(hList, i, kNameColumn) + L" | " +
                       CellText(hList, i, kWindowsColumn) + L" | " +
                       CellText(hList, i, kTabsColumn));
    return rows;
}

void ClickSessionRow(HWND hDialog, int nRow)
{
    const HWND hList = FindControl(hDialog, kSessionListId, WC_LISTVIEWW);
    ASSERT_NE(hList, nullptr);
    RECT rcRow = {};
    rcRow.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nRow),
                             reinterpret_cast<LPARAM>(&rcRow)));
    Click(hList, POINT{rcRow.left + 4, (rcRow.top + rcRow.bottom) / 2});
}

void ClickButton(HWND hDialog, int nId)
{
    const HWND hButton = FindControl(hDialog, nId, WC_BUTTONW);
    ASSERT_NE(hButton, nullptr) << "no button " << nId;
    ASSERT_TRUE(IsWindowEnabled(hButton)) << "button " << nId << " is disabled";
    Click(hButton, ClientCenter(hButton));
}
