// The About page, on the tab of a running session manager dialog.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "resources/resource.h"
#include "tests/support/harness/input.h"
#include "tests/support/harness/message_box_responder.h"
#include "tests/win/ui/ui_test_support.h"
#include "ui/about_tab_page.h"
#include "ui/session_manager_dialog.h"

using namespace ui_test;

namespace
{
// Records what a click on the link would open, and opens nothing.
class CRecordingOpener : public CHyperLink::COpener
{
public:
    std::vector<std::wstring> m_opened;
    INT_PTR ShellOpen(const std::wstring& strUrl, int /*nShowCmd*/) override
    {
        m_opened.push_back(strUrl);
        return 33;
    }
};

void ClickTab(HWND hTabs, int nTab)
{
    RECT rcTab{};
    ASSERT_TRUE(::SendMessageW(hTabs, TCM_GETITEMRECT, nTab, reinterpret_cast<LPARAM>(&rcTab)));
    Click(hTabs, POINT{(rcTab.left + rcTab.right) / 2, (rcTab.top + rcTab.bottom) / 2});
}

// An About page whose own initialisation fails while it binds its controls.
class CFailingAboutPage : public CAboutTabPage
{
public:
    explicit CFailingAboutPage(std::function<void()> fnThrow) : m_fnThrow(std::move(fnThrow)) {}

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        CAboutTabPage::DoDataExchange(dx);
        m_fnThrow();
    }

private:
    std::function<void()> m_fnThrow;
};

class CFailingAboutDialog : public CSessionManagerDialog
{
public:
    std::function<void()> m_fnThrow;

protected:
    std::unique_ptr<CAboutTabPage> NewAboutTabPage() override
    {
        return std::make_unique<CFailingAboutPage>(m_fnThrow);
    }
};

class AboutTabPage : public SessionManagerTest
{
};
}  // namespace

TEST_F(AboutTabPage, ShowsVersion14AndOpensTheProductPageFromItsLink)
{
    CRecordingOpener opener;
    const INT_PTR nResult = Run([&] {
        const HWND hDialog = Dialog().m_hWnd;
        const HWND hTabs = ::GetDlgItem(hDialog, IDC_TAB_CONTROL);
        const HWND hAbout = Dialog().GetAboutTabPage()->m_hWnd;
        ClickTab(hTabs, 1);
        ASSERT_TRUE(::IsWindowVisible(hAbout));
        EXPECT_FALSE(::IsWindowVisible(Dialog().GetSessionsTabPage()->m_hWnd));

        const HWND hLabel = ::GetDlgItem(hAbout, IDC_ABOUT_VERSION_LABEL);
        const HWND hVersion = ::GetDlgItem(hAbout, IDC_ABOUT_VERSION);
        EXPECT_EQ(WindowText(hVersion), L"1.4");
        // "Version 1.4" reads as one line.
        const RECT rcLabel = ChildRect(hLabel);
        const RECT rcVersion = ChildRect(hVersion);
        EXPECT_EQ(rcLabel.top, rcVersion.top);
        EXPECT_GT(rcVersion.left, rcLabel.left);

        // The link shows the address it opens.
        const std::wstring strAddress = kProductWebPage;
        const HWND hLink = ::GetDlgItem(hAbout, IDC_ABOUT_LINK);
        auto* pLink = dynamic_cast<CHyperLink*>(CWnd::FromHandlePermanent(hLink));
        ASSERT_NE(pLink, nullptr);
        CHyperLink& link = *pLink;
        EXPECT_EQ(WindowText(hLink), strAddress);

        link.SetOpener(&opener);
        Click(hLink, POINT{4, 4});
        link.SetOpener(nullptr);
        ASSERT_EQ(opener.m_opened.size(), 1u);
        EXPECT_EQ(opener.m_opened[0], strAddress);
        EXPECT_TRUE(::IsWindowVisible(hDialog));

        // Back to the sessions.
        ClickTab(hTabs, 0);
        EXPECT_TRUE(::IsWindowVisible(Dialog().GetSessionsTabPage()->m_hWnd));
        EXPECT_FALSE(::IsWindowVisible(hAbout));
    });
    EXPECT_EQ(nResult, IDOK);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(AboutTabPage, AFailedInitialisationIsReportedOnceAndTheMainDialogEndsWithMinusOne)
{
    CSession current = MakeSession(kCurrentSessionName, {1});

    struct
    {
        const char* pszWhat;
        std::function<void()> fnThrow;
        const wchar_t* pszText;
    } const cases[] = {
        {"standard exception", [] { throw std::runtime_error("CAboutTabPage::DoDataExchange() - broken"); },
         L"Unable to initialize.\rReason: CAboutTabPage::DoDataExchange() - broken."},
        {"anything else", [] { throw 7; }, L"Unable to initialize"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        CFailingAboutDialog dialog;
        dialog.SetCurrentSession(&current);
        dialog.m_fnThrow = c.fnThrow;
        CMessageBoxResponder responder;
        responder.Answer(IDOK);

        EXPECT_EQ(dialog.DoModal(), -1);
        ASSERT_EQ(responder.Boxes().size(), 1u);
        const CMessageBoxRecord& box = responder.Boxes()[0];
        EXPECT_EQ(box.strCaption, L"Unable to initialize");
        EXPECT_EQ(box.strText, c.pszText);
        EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONSTOP));
        EXPECT_EQ(box.hOwner, nullptr);
        EXPECT_EQ(dialog.m_hWnd, nullptr);
        EXPECT_EQ(dialog.GetAboutTabPage()->m_hWnd, nullptr);
    }
}
