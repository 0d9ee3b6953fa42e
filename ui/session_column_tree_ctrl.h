// The tree of the Sessions page: one node per browser window that has tabs, one node per tab
// under it, a Name and a Location column, and a tick box on every node.
#pragma once

#include <string>

#include "controls/column_tree_ctrl.h"
#include "session/session.h"

class CSessionColumnTreeCtrl : public CColumnTreeCtrl
{
public:
    CSessionColumnTreeCtrl();
    ~CSessionColumnTreeCtrl() override = default;

    // Styles, icons and columns; once, after the placeholder is subclassed and before any node.
    void InitTree();
    void DeleteAllItems();
    // Appends the nodes of the session (null: nothing).
    void DisplaySession(const CSession* pSession);
    // Ticks (TRUE) or clears (FALSE) every node.
    void CheckAll(BOOL bTick);

private:
    std::wstring m_strInstanceFormat;
    CImageList m_imageList;
    int m_nWindowImage = -1;
    int m_nTabImage = -1;
};
