#include "ui/about_tab_page.h"

#include <exception>

#include "base/throw_if.h"
#include "ui/error_box.h"

const wchar_t kProductVersion[] = L"1.4";
// One definition, shared with the template's link text through resource.h.
const wchar_t kProductWebPage[] = L"" QLMR_PRODUCT_WEB_PAGE;

CAboutTabPage::CAboutTabPage(CWnd* pParent) : CTabPage(IDD_ABOUT_PAGE, pParent) {}

void CAboutTabPage::DoDataExchange(CDataExchange& dx)
{
    CTabPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_ABOUT_VERSION, m_staticVersion);
    DDX_Control(dx, IDC_ABOUT_LINK, m_hyperLink);
}

BOOL CAboutTabPage::OnInitDialog()
{
    try
    {
        const BOOL bRet = CTabPage::OnInitDialog();
        ThrowIf(bRet != TRUE, "CAboutTabPage::OnInitDialog() - bRet is FLASE");
    }
    catch (const std::exception& e)
    {
        ShowErrorBox(IDS_UNABLE_TO_INITIALIZE, IDS_UNABLE_TO_INITIALIZE, e);
        throw;
    }
    catch (...)
    {
        ShowErrorBox(IDS_UNABLE_TO_INITIALIZE, IDS_UNABLE_TO_INITIALIZE);
        throw;
    }

    m_staticVersion.SetWindowText(kProductVersion);
    m_hyperLink.SetURL(kProductWebPage);
    return TRUE;
}
