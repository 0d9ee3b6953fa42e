#include "ui/sessions_list_ctrl.h"

#include <cwchar>
#include <ctime>

#include "resources/resource.h"
#include "win/string_table.h"

namespace
{
const int kDateBufferSize = 128;
const int kCountBufferSize = 20;

std::wstring FormatCount(int nCount)
{
    wchar_t szCount[kCountBufferSize] = L"";
    std::swprintf(szCount, kCountBufferSize, L"%d", nCount);
    return szCount;
}
}  // namespace

void CSessionsListCtrl::InitColumns()
{
    InsertColumn(kColumnName, LoadResString(IDS_COLUMN_NAME), LVCFMT_LEFT, 216);
    InsertColumn(kColumnDate, LoadResString(IDS_COLUMN_DATE), LVCFMT_LEFT, 110);
    InsertColumn(kColumnWindows, LoadResString(IDS_COLUMN_WINDOWS), LVCFMT_RIGHT, 56);
    InsertColumn(kColumnTabs, LoadResString(IDS_COLUMN_TABS), LVCFMT_RIGHT, 42);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_strDateFormat = LoadResString(IDS_DATE_FORMAT);
}

void CSessionsListCtrl::AddSession(const CSession& session, int nIndex, LPARAM lParam)
{
    if (nIndex == -1)
        nIndex = GetItemCount();
    const int nRow = InsertItem(nIndex, session.GetName(), lParam);
    if (nRow < 0)
        return;

    // An unrepresentable time stamp leaves the date empty rather than showing a wrong one.
    wchar_t szDate[kDateBufferSize] = L"";
    const __time64_t time = session.GetTime();
    std::tm local{};
    if (_localtime64_s(&local, &time) != 0 || std::wcsftime(szDate, kDateBufferSize, m_strDateFormat.c_str(), &local) == 0)
        szDate[0] = L'\0';
    SetItemText(nRow, kColumnDate, szDate);
    SetItemText(nRow, kColumnWindows, FormatCount(session.GetInstanceSetsCount()));
    SetItemText(nRow, kColumnTabs, FormatCount(session.GetUrlItemsCount()));
}

int CSessionsListCtrl::GetSelectedIndex() const
{
    return GetNextItem(-1, LVNI_SELECTED);
}

void CSessionsListCtrl::OnGetMinMaxInfo(MINMAXINFO* pInfo)
{
    Default();
    pInfo->ptMinTrackSize.x = kMinTrackWidth;
    pInfo->ptMinTrackSize.y = kMinTrackHeight;
}
