// A tab control that owns the geometry and visibility of its pages: each page is a modeless child
// dialog of the control, laid over its display area, and only the selected tab's page is shown.
// The pages belong to the caller, who creates them before registering them and deletes them.
//
// Use: AddTabPage for each page in tab order, then InitializeTabPages once the control's window
// exists (from the owner's dialog initialisation), then ActivateTabPages.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/control_anchor_helper.h"
#include "controls/tab_page.h"
#include "win/common_controls.h"

class CTabControl : public CTabCtrl
{
public:
    CTabControl() = default;
    ~CTabControl() override;

    // Registers a page under its tab title; no window or tab is made yet.
    void AddTabPage(CTabPage* pTabPage, const std::wstring& strTitle);
    // Creates the pages' windows and the tabs, then anchors the pages to all four edges.
    void InitializeTabPages();
    void CreateTabPages();
    void AnchorTabPages();
    // Shows the selected tab's page over the display area and hides the others. Throws when no
    // page is selected.
    void ActivateTabPages();

protected:
    bool OnReflectedNotify(NMHDR* pNmhdr, LRESULT* pResult) override;
    void OnSize(UINT nType, int cx, int cy) override;

private:
    // The three lists describe the same page at the same index, which is also its tab's index.
    std::vector<UINT> m_dialogIds;
    std::vector<CTabPage*> m_pages;
    std::vector<std::wstring> m_titles;
    std::unique_ptr<CControlAnchorHelper> m_pAnchorHelper;
};
