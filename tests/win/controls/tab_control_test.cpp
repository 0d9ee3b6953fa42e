#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_anchor_helper.h"
#include "controls/tab_control.h"
#include "controls/tab_page.h"
#include "tests/win/controls/control_test_support.h"
#include "win/common_controls.h"

namespace
{
const UINT kStepMessage = WM_APP + 1;

// A page that counts the default and cancel actions it takes; each ends the page, as a plain
// modeless dialog's does.
class CCountingPage : public CTabPage
{
public:
    explicit CCountingPage(UINT nId) : CTabPage(nId) {}
    int m_nOk = 0;
    int m_nCancel = 0;

protected:
    void OnOK() override
    {
        ++m_nOk;
        CTabPage::OnOK();
    }
    void OnCancel() override
    {
        ++m_nCancel;
        CTabPage::OnCancel();
    }
};

// The same page with the dialog's plain key handling, which must not end it either.
class CUnfilteredPage : public CCountingPage
{
public:
    using CCountingPage::CCountingPage;
    BOOL PreTranslateMessage(MSG* pMsg) override { return CDialog::PreTranslateMessage(pMsg); }
};

// A resizable dialog that holds a tab control the way the session manager does: the pages are
// its own, registered in tab order, created and shown from its initialisation, and the tab
// control grows and shrinks with the dialog.
class CTabHostDialog : public CHostDialog
{
public:
    explicit CTabHostDialog(UINT nTemplate = IDD_TAB_HOST) : CHostDialog(nTemplate) {}
    ~CTabHostDialog() override
    {
        // The pages go before the tab control, which does not own them.
        m_pages.clear();
        m_pAnchorHelper.reset();
    }

    CCountingPage* AddPage(std::unique_ptr<CCountingPage> pPage, const std::wstring& strTitle)
    {
        m_tabControl.AddTabPage(pPage.get(), strTitle);
        m_pages.push_back(std::move(pPage));
        return m_pages.back().get();
    }

    CTabControl m_tabControl;
    CButton m_btnClose;
    std::vector<std::unique_ptr<CCountingPage>> m_pages;
    std::unique_ptr<CControlAnchorHelper> m_pAnchorHelper;
    bool m_bInitializePages = true;
    int m_nOk = 0;
    int m_nCancel = 0;
    // Run from the dialog's own message loop, one per posted kStepMessage.
    std::vector<std::function<void()>> m_steps;

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Control(dx, IDOK, m_btnClose);
        DDX_Control(dx, IDC_TAB_HOST_TABS, m_tabControl);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_pAnchorHelper = std::make_unique<CControlAnchorHelper>(this);
        m_pAnchorHelper->InitializeAnchors();
        m_pAnchorHelper->SetAnchor(&m_btnClose, 0, 0, 1, 0, 1);
        m_pAnchorHelper->SetAnchor(&m_tabControl, 0, 1, 1, 1, 1);
        PassWindowSize();
        if (m_bInitializePages)
        {
            m_tabControl.InitializeTabPages();
            m_tabControl.ActivateTabPages();
        }
        if (!m_steps.empty())
            PostMessage(kStepMessage);
        return TRUE;
    }

    void OnSize(UINT /*nType*/, int /*cx*/, int /*cy*/) override
    {
        Default();
        if (m_pAnchorHelper)
            PassWindowSize();
    }

    void OnOK() override { ++m_nOk; }
    void OnCancel() override { ++m_nCancel; }

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == kStepMessage && m_nStep < m_steps.size())
        {
            m_steps[m_nStep++]();
            if (m_nStep < m_steps.size())
                PostMessage(kStepMessage);
            return 0;
        }
        return CDialog::WindowProc(nMsg, wParam, lParam);
    }

private:
    void PassWindowSize()
    {
        RECT rect{};
        GetWindowRect(&rect);
        m_pAnchorHelper->OnParentSize(RectWidth(rect), RectHeight(rect));
    }

    size_t m_nStep = 0;
};

// A dialog with the three test pages registered in this order.
void AddThreePages(CTabHostDialog& dlg)
{
    dlg.AddPage(std::make_unique<CCountingPage>(IDD_TAB_PAGE_EDIT), L"Edit");
    dlg.AddPage(std::make_unique<CCountingPage>(IDD_TAB_PAGE_OPTIONS), L"Options");
    dlg.AddPage(std::make_unique<CCountingPage>(IDD_TAB_PAGE_NOTE), L"A longer title");
}

// The display area of the tab control, in its client coordinates.
RECT DisplayArea(HWND hTab)
{
    RECT rect{};
    ::GetClientRect(hTab, &rect);
    ::SendMessageW(hTab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// Every page covers the display area; the selected one alone is visible.
void ExpectPagesLaidOut(CTabHostDialog& dlg, int nSelected)
{
    const RECT area = DisplayArea(dlg.m_tabControl);
    ASSERT_GT(RectWidth(area), 0);
    ASSERT_GT(RectHeight(area), 0);
    for (size_t i = 0; i < dlg.m_pages.size(); ++i)
    {
        const HWND hPage = dlg.m_pages[i]->m_hWnd;
        ASSERT_TRUE(hPage) << "page " << i;
        EXPECT_EQ(::GetParent(hPage), dlg.m_tabControl.m_hWnd) << "page " << i;
        EXPECT_EQ(Describe(ChildRect(hPage)), Describe(area)) << "page " << i;
        EXPECT_EQ(::IsWindowVisible(hPage) != FALSE, static_cast<int>(i) == nSelected) << "page " << i;
    }
}

std::wstring TabTitle(HWND hTab, int nIndex)
{
    wchar_t szText[64] = L"";
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = szText;
    item.cchTextMax = 64;
    item.lParam = -1;
    ::SendMessageW(hTab, TCM_GETITEMW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.lParam, 0) << "item data of tab " << nIndex;
    return szText;
}

// Posts a key press the way the system queues one, for the running loop to handle.
void PostKeyPress(HWND hWnd, UINT nKey)
{
    const LPARAM lScan = static_cast<LPARAM>(::MapVirtualKeyW(nKey, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageW(hWnd, WM_KEYDOWN, nKey, 1 | lScan);
    ::PostMessageW(hWnd, WM_KEYUP, nKey, 1 | lScan | (1L << 30) | (1UL << 31));
}

void ClickTab(HWND hTab, int nIndex)
{
    RECT rect{};
    ASSERT_TRUE(::SendMessageW(hTab, TCM_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&rect)));
    Click(hTab, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

}  // namespace

TEST(TabControl, RefusesToActivateWithoutPages)
{
    CTabHostDialog dlg;
    dlg.m_bInitializePages = false;
    ASSERT_TRUE(dlg.Open());
    EXPECT_ANY_THROW(dlg.m_tabControl.ActivateTabPages());
    // Without pages there is nothing to anchor either.
    EXPECT_ANY_THROW(dlg.m_tabControl.InitializeTabPages());
    EXPECT_ANY_THROW(dlg.m_tabControl.AddTabPage(nullptr, L"None"));

    // A tab with no page behind it is refused the same way, before anything is shown or hidden.
    CTabHostDialog extra;
    extra.AddPage(std::make_unique<CCountingPage>(IDD_TAB_PAGE_EDIT), L"Edit");
    ASSERT_TRUE(extra.Open());
    ASSERT_TRUE(::IsWindowVisible(extra.m_pages[0]->m_hWnd));
    extra.m_tabControl.InsertItem(1, L"Stray");
    extra.m_tabControl.SetCurSel(1);
    EXPECT_ANY_THROW(extra.m_tabControl.ActivateTabPages());
    EXPECT_TRUE(::IsWindowVisible(extra.m_pages[0]->m_hWnd));
}

TEST(TabControl, ShowsTheSelectedPageOverTheDisplayArea)
{
    CTabHostDialog dlg;
    AddThreePages(dlg);
    ASSERT_TRUE(dlg.Open());

    const HWND hTab = dlg.m_tabControl;
    ASSERT_EQ(TabCtrl_GetItemCount(hTab), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(TabTitle(hTab, i), std::vector<std::wstring>({L"Edit", L"Options", L"A longer title"})[i]);
    EXPECT_EQ(dlg.m_tabControl.GetCurSel(), 0);
    ExpectPagesLaidOut(dlg, 0);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dlg.m_pages[0]->m_hWnd, IDC_TAB_PAGE_EDIT)));

    // Selection changes by the mouse reach the control through its parent.
    ClickTab(hTab, 2);
    EXPECT_EQ(dlg.m_tabControl.GetCurSel(), 2);
    ExpectPagesLaidOut(dlg, 2);
    ClickTab(hTab, 1);
    EXPECT_EQ(dlg.m_tabControl.GetCurSel(), 1);
    ExpectPagesLaidOut(dlg, 1);
    // and by the keyboard.
    ::SetFocus(hTab);
    PressKey(hTab, VK_LEFT);
    EXPECT_EQ(dlg.m_tabControl.GetCurSel(), 0);
    ExpectPagesLaidOut(dlg, 0);
}

TEST(TabControl, ResizesHiddenPagesWithTheVisibleOne)
{
    for (const UINT nTemplate : {IDD_TAB_HOST, IDD_TAB_HOST_BORDERED})
    {
        SCOPED_TRACE(nTemplate == IDD_TAB_HOST ? "plain tab control" : "tab control with a border");
        CTabHostDialog dlg(nTemplate);
        AddThreePages(dlg);
        ASSERT_TRUE(dlg.Open());
        ClickTab(dlg.m_tabControl, 1);

        RECT window{};
        dlg.GetWindowRect(&window);
        RECT tab{};
        dlg.m_tabControl.GetWindowRect(&tab);
        RECT tabClient{};
        dlg.m_tabControl.GetClientRect(&tabClient);
        std::vector<RECT> before;
        for (const auto& pPage : dlg.m_pages)
            before.push_back(ChildRect(pPage->m_hWnd));

        for (const SIZE delta : {SIZE{150, 90}, SIZE{-60, -30}})
        {
            ResizeWindow(dlg, RectWidth(window) + delta.cx, RectHeight(window) + delta.cy);
            // The dialog's anchoring stretched the tab control by the dialog's change...
            RECT tabNow{};
            dlg.m_tabControl.GetWindowRect(&tabNow);
            ASSERT_EQ(RectWidth(tabNow) - RectWidth(tab), delta.cx);
            ASSERT_EQ(RectHeight(tabNow) - RectHeight(tab), delta.cy);
            // ... and every page, shown or hidden, by what its client area gained, so that each
            // still fills the display area. (Wine drops a tab control's border at its first
            // resize, so there the client area gains the border too.)
            RECT clientNow{};
            dlg.m_tabControl.GetClientRect(&clientNow);
            if (nTemplate == IDD_TAB_HOST)
            {
                ASSERT_EQ(RectWidth(clientNow) - RectWidth(tabClient), delta.cx);
            }
            for (size_t i = 0; i < dlg.m_pages.size(); ++i)
            {
                const RECT page = ChildRect(dlg.m_pages[i]->m_hWnd);
                EXPECT_EQ(RectWidth(page) - RectWidth(before[i]), RectWidth(clientNow) - RectWidth(tabClient))
                    << "page " << i;
                EXPECT_EQ(RectHeight(page) - RectHeight(before[i]), RectHeight(clientNow) - RectHeight(tabClient))
                    << "page " << i;
            }
            ExpectPagesLaidOut(dlg, 1);
            // The selected page's text is drawn, not covered by the tab control's own painting.
            const HWND hLabel = ::GetDlgItem(dlg.m_pages[1]->m_hWnd, IDC_TAB_PAGE_OPTIONS_LABEL);
            RECT rcLabel{};
            ::GetClientRect(hLabel, &rcLabel);
            EXPECT_GT(CountPixels(hLabel, rcLabel, IsDark), 20);
        }
    }
}

TEST(TabPage, EnterAndEscapeDoNotEndThePage)
{
    for (const bool bFiltered : {true, false})
    {
        SCOPED_TRACE(bFiltered ? "tab page" : "page with the plain dialog keys");
        CTabHostDialog dlg;
        CCountingPage* pPage = dlg.AddPage(bFiltered ? std::make_unique<CCountingPage>(IDD_TAB_PAGE_EDIT)
                                                     : std::make_unique<CUnfilteredPage>(IDD_TAB_PAGE_EDIT),
                                           L"Edit");
        dlg.AddPage(std::make_unique<CCountingPage>(IDD_TAB_PAGE_OPTIONS), L"Options");

        bool bEditFocused = false;
        bool bPageVisible = false;
        // Both keys go through the modal loop of the dialog, as the user's would.
        dlg.m_steps.push_back([&] {
            const HWND hEdit = ::GetDlgItem(pPage->m_hWnd, IDC_TAB_PAGE_EDIT);
            ::SetFocus(hEdit);
            bEditFocused = ::GetFocus() == hEdit;
            PostKeyPress(hEdit, VK_RETURN);
            PostKeyPress(hEdit, VK_ESCAPE);
        });
        dlg.m_steps.push_back([&] {
            bPageVisible = ::IsWindowVisible(pPage->m_hWnd) != FALSE;
            dlg.EndDialog(42);
        });
        ASSERT_EQ(dlg.DoModal(), 42);
        EXPECT_TRUE(bEditFocused);

        // A page nested in the dialog leaves its keys to the dialog even with the plain dialog
        // keys of its own: the keys were not lost, the dialog holding the tab control had them.
        EXPECT_TRUE(bPageVisible);
        EXPECT_EQ(pPage->m_nOk, 0);
        EXPECT_EQ(pPage->m_nCancel, 0);
        EXPECT_EQ(dlg.m_nOk, 1);
        EXPECT_EQ(dlg.m_nCancel, 1);
    }
}
