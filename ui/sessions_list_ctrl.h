// The list of sessions on the Sessions page: one row per session with its name, date, number of
// windows and number of tabs. Rows keep the order in which they were inserted.
#pragma once

#include <string>

#include "session/session.h"
#include "win/common_controls.h"

class CSessionsListCtrl : public CListCtrl
{
public:
    // Columns, in order.
    enum
    {
        kColumnName = 0,
        kColumnDate = 1,
        kColumnWindows = 2,
        kColumnTabs = 3,
    };
    static constexpr int kMinTrackWidth = 445;
    static constexpr int kMinTrackHeight = 51;

    // Creates the four columns, turns on full-row selection and loads the date format.
    void InitColumns();
    // Inserts a row for the session at nIndex, or at the end for -1; lParam is the row's data.
    void AddSession(const CSession& session, int nIndex = -1, LPARAM lParam = 0);
    // The first selected row, or -1.
    int GetSelectedIndex() const;

protected:
    void OnGetMinMaxInfo(MINMAXINFO* pInfo) override;

private:
    std::wstring m_strDateFormat;
};
