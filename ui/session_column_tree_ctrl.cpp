#include "ui/session_column_tree_ctrl.h"

#include <algorithm>

#include "resources/resource.h"
#include "win/gdi.h"
#include "win/module.h"
#include "win/string_table.h"

namespace
{
const DWORD kTreeStyles =
    TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_CHECKBOXES | TVS_FULLROWSELECT;
const CTreeChildBitmaps kTreeBitmaps = {IDB_TREE_BUTTONS, IDB_TICK_BOX_TICKED, IDB_TICK_BOX_CLEAR, IDB_TICK_BOX_PARTLY};
}  // namespace

CSessionColumnTreeCtrl::CSessionColumnTreeCtrl() : CColumnTreeCtrl(kTreeBitmaps) {}

void CSessionColumnTreeCtrl::InitTree()
{
    m_treeChild.ModifyStyle(0, kTreeStyles);

    m_imageList.Create(16, 16, ILC_COLOR32 | ILC_MASK, 5, 1);
    // The image list keeps its own copy of each icon.
    CIcon windowIcon(static_cast<HICON>(
        ::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_QUILLMERE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    m_nWindowImage = m_imageList.Add(windowIcon);
    CIcon tabIcon(static_cast<HICON>(
        ::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_TAB), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    m_nTabImage = m_imageList.Add(tabIcon);
    m_treeChild.SetImageList(m_imageList, TVSIL_NORMAL);

    InsertColumn(0, LoadResString(IDS_COLUMN_NAME), HDF_LEFT, 216);
    InsertColumn(1, LoadResString(IDS_COLUMN_LOCATION), HDF_LEFT, 209);

    m_strInstanceFormat = LoadResString(IDS_INSTANCE_FORMAT);
}

void CSessionColumnTreeCtrl::DeleteAllItems()
{
    m_treeChild.DeleteAllItems();
}

void CSessionColumnTreeCtrl::DisplaySession(const CSession* pSession)
{
    if (!pSession)
        return;
    for (int i = 0; i < pSession->GetInstanceSetsCount(); ++i)
    {
        const CInstanceSet* pWindow = pSession->GetInstanceSet(i);
        if (!pWindow || pWindow->GetUrlItemsCount() == 0)
            continue;

        // Numbered by the window's place in the session, so that a window without tabs leaves a gap.
        // No state fields: with tick boxes on, the tree gives every new node state image 1, ticked.
        const HTREEITEM hWindow = m_treeChild.InsertItem(FormatString(m_strInstanceFormat.c_str(), i + 1),
                                                         m_nWindowImage, m_nWindowImage);
        for (int j = 0; j < pWindow->GetUrlItemsCount(); ++j)
        {
            const CUrlItem* pTab = pWindow->GetUrlItem(j);
            if (!pTab)
                continue;
            // A TAB in a title would end the Name field early and push the rest into Location.
            std::wstring strTitle = pTab->GetTitle();
            std::replace(strTitle.begin(), strTitle.end(), L'\t', L' ');
            const HTREEITEM hTab = m_treeChild.InsertItem(strTitle, m_nTabImage, m_nTabImage, hWindow);
            SetItemText(hTab, 1, pTab->GetUrl());
        }
        m_treeChild.Expand(hWindow, TVE_EXPAND);
    }
}

void CSessionColumnTreeCtrl::CheckAll(BOOL bTick)
{
    // Setting a window node gives its tabs the same value.
    for (HTREEITEM hRoot = m_treeChild.GetRootItem(); hRoot; hRoot = m_treeChild.GetNextSiblingItem(hRoot))
        m_treeChild.SetCheckState(hRoot, bTick ? kCheckTicked : kCheckClear);
    m_treeChild.Invalidate(TRUE);
}
