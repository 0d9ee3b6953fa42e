// The simple controls together in one resizable dialog, as the session manager window uses them.
#include <gtest/gtest.h>

#include <memory>

#include "all_controls_test.h"
#include "control_anchor_helper.h"
#include "dialog_splitter.h"
#include "harness/input.h"
#include "harness/message_box_responder.h"
#include "harness/screenshot.h"
#include "hyper_link.h"
#include "size_grip_dialog.h"
#include "tab_control.h"
#include "tab_page.h"

namespace
{
class CSplitPage : public CTabPage
{
public:
    CSplitPage() : CTabPage(IDD_ALL_PAGE_SPLIT) {}
    CWnd m_list;
    CWnd m_edit;
    CDialogSplitter m_splitter;
    std::unique_ptr<CControlAnchorHelper> m_pAnchors;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL bResult = CTabPage::OnInitDialog();
        m_list.SubclassDlgItem(IDC_ALL_TOP_LIST, this);
        m_edit.SubclassDlgItem(IDC_ALL_BOTTOM_EDIT, this);
        m_splitter.SubclassDlgItem(IDC_ALL_SPLITTER, this);
        m_splitter.AttachControls(&m_list, &m_edit);
        for (const wchar_t* psz : {L"[Current Session]", L"Morning reading", L"Travel plans"})
            m_list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(psz));
        m_edit.SetWindowText(L"The bar above shares the page between the list and this field.");
        // The list and the bar keep their heights; the field takes what the page gains.
        m_pAnchors = std::make_unique<CControlAnchorHelper>(this);
        m_pAnchors->InitializeAnchors();
        m_pAnchors->SetAnchor(&m_list, 0, 1, 1, 1, 0);
        m_pAnchors->SetAnchor(&m_splitter, 0, 1, 1, 1, 0);
        m_pAnchors->SetAnchor(&m_edit, 0, 1, 1, 1, 1);
        RECT rect;
        GetWindowRect(&rect);
        m_pAnchors->OnParentSize(RectWidth(rect), RectHeight(rect));
        return bResult;
    }
    void OnSize(UINT nType, int cx, int cy) override
    {
        CTabPage::OnSize(nType, cx, cy);
        if (m_pAnchors)
        {
            RECT rect;
            GetWindowRect(&rect);
            m_pAnchors->OnParentSize(RectWidth(rect), RectHeight(rect));
        }
    }
};

class CLinkPage : public CTabPage
{
public:
    CLinkPage() : CTabPage(IDD_ALL_PAGE_LINK) {}
    CHyperLink m_link;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL bResult = CTabPage::OnInitDialog();
        m_link.SubclassDlgItem(IDC_ALL_LINK, this);
        return bResult;
    }
};

class CAllControlsDialog : public CSizeGripDialog
{
public:
    CAllControlsDialog() : CSizeGripDialog(IDD_ALL_CONTROLS) {}
    CTabControl m_tabs;
    CButton m_close;
    CSplitPage m_splitPage;
    CLinkPage m_linkPage;
    std::unique_ptr<CControlAnchorHelper> m_pAnchors;

protected:
    BOOL OnInitDialog() override
    {
        CSizeGripDialog::OnInitDialog();
        m_tabs.SubclassDlgItem(IDC_ALL_TABS, this);
        m_close.SubclassDlgItem(IDOK, this);
        m_tabs.AddTabPage(&m_splitPage, L"Splitter");
        m_tabs.AddTabPage(&m_linkPage, L"Link");
        m_pAnchors = std::make_unique<CControlAnchorHelper>(this);
        m_pAnchors->InitializeAnchors();
        m_pAnchors->SetAnchor(&m_close, 0, 0, 1, 0, 1);
        m_pAnchors->SetAnchor(&m_tabs, 0, 1, 1, 1, 1);
        RECT rect;
        GetWindowRect(&rect);
        m_pAnchors->OnParentSize(RectWidth(rect), RectHeight(rect));
        m_tabs.InitializeTabPages();
        m_tabs.ActivateTabPages();
        return TRUE;
    }
    void OnSize(UINT nType, int cx, int cy) override
    {
        CSizeGripDialog::OnSize(nType, cx, cy);
        if (m_pAnchors)
        {
            RECT rect;
            GetWindowRect(&rect);
            m_pAnchors->OnParentSize(RectWidth(rect), RectHeight(rect));
        }
    }
};

RECT ClientRectIn(HWND hWnd, HWND hParent)
{
    RECT rect;
    GetWindowRect(hWnd, &rect);
    MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
}  // namespace

TEST(AllControls, WorkTogetherInOneResizableDialog)
{
    CMessageBoxResponder responder;
    responder.OnDialogActivated([](HWND hDialog) {
        auto* pDialog = static_cast<CAllControlsDialog*>(CWnd::FromHandlePermanent(hDialog));
        ASSERT_NE(pDialog, nullptr);
        CSplitPage& page = pDialog->m_splitPage;
        const RECT listBefore = ClientRectIn(page.m_list.m_hWnd, page.m_hWnd);

        // Grow the dialog: the tab control and its page follow, the button keeps to the corner.
        RECT dialogRect;
        GetWindowRect(hDialog, &dialogRect);
        ResizeWindow(hDialog, RectWidth(dialogRect) + 120, RectHeight(dialogRect) + 90);
        const RECT listAfter = ClientRectIn(page.m_list.m_hWnd, page.m_hWnd);
        EXPECT_EQ(RectWidth(listAfter), RectWidth(listBefore) + 120);

        // Move the bar down: the list grows by what the field loses.
        const RECT bar = ClientRectIn(page.m_splitter.m_hWnd, page.m_hWnd);
        const RECT editBefore = ClientRectIn(page.m_edit.m_hWnd, page.m_hWnd);
        const POINT ptGrab{RectWidth(bar) / 2, RectHeight(bar) / 2};
        Drag(page.m_splitter.m_hWnd, ptGrab, POINT{ptGrab.x, ptGrab.y + 30});
        const RECT listDragged = ClientRectIn(page.m_list.m_hWnd, page.m_hWnd);
        const RECT editDragged = ClientRectIn(page.m_edit.m_hWnd, page.m_hWnd);
        EXPECT_GT(RectHeight(listDragged), RectHeight(listAfter));
        EXPECT_EQ(RectHeight(listDragged) - RectHeight(listAfter), RectHeight(editBefore) - RectHeight(editDragged));

        EXPECT_TRUE(SaveWindowBitmap(hDialog, L"controls/all_controls_splitter.bmp"));
        TabCtrl_SetCurFocus(pDialog->m_tabs.m_hWnd, 1);
        PumpMessages(50);
        EXPECT_TRUE(pDialog->m_linkPage.IsWindowVisible());
        EXPECT_FALSE(page.IsWindowVisible());
        EXPECT_TRUE(SaveWindowBitmap(hDialog, L"controls/all_controls_link.bmp"));
        pDialog->EndDialog(IDOK);
    });
    CAllControlsDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
}
