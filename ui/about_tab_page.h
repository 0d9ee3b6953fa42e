// The About page of the session manager: the product's name, its version and a link to its web
// page.
#pragma once

#include "controls/hyper_link.h"
#include "controls/tab_page.h"
#include "resources/resource.h"
#include "win/common_controls.h"

// The version the page shows after "Version".
extern const wchar_t kProductVersion[];
// The product's web page: the link's target; the template shows the same address.
extern const wchar_t kProductWebPage[];

class CAboutTabPage : public CTabPage
{
public:
    explicit CAboutTabPage(CWnd* pParent = nullptr);
    ~CAboutTabPage() override = default;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    // A failure of the base's initialisation is reported here and thrown on, so that the main
    // dialog ends instead of showing a page without its controls.
    BOOL OnInitDialog() override;

private:
    CStatic m_staticVersion;
    CHyperLink m_hyperLink;
};
