#include "demo/stand_in_browser/browser_frame.h"

#include <exdisp.h>

#include "demo/stand_in_browser/browser_app.h"
#include "demo/stand_in_browser/browser_tab.h"
#include "demo/stand_in_browser/event_log.h"
#include "demo/stand_in_browser/stand_in_protocol.h"
#include "demo/stand_in_browser/window_class.h"

namespace
{
const wchar_t kFrameClass[] = L"IEFrame";
const wchar_t kStripClass[] = L"QuillmereStandInTabStrip";
// Posted to the frame with the tab's index: the page has "loaded", events go out from the loop as
// the browser sends them, never from inside the call that started the navigation.
const UINT kDocumentCompleteMessage = WM_APP + 1;
} // namespace

CBrowserFrame::CBrowserFrame(CBrowserApp& app, int nNumber)
    : m_app(app), m_nNumber(nNumber), m_addOns(app.Log(), nNumber)
{
}

CBrowserFrame::~CBrowserFrame()
{
    if (m_hWnd)
    {
        OnClosing();
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
}

bool CBrowserFrame::RegisterWindowClass()
{
    return RegisterStandInClass(kFrameClass, WindowProc, COLOR_BTNFACE) &&
           RegisterStandInClass(kStripClass, DefWindowProcW, COLOR_BTNFACE);
}

bool CBrowserFrame::Create(const CWindowSetup& window, bool bFromCom)
{
    const int nOffset = 24 * ((m_nNumber - 1) % 10);
    HMENU hMenu = m_addOns.CreateMenuBar();
    m_hWnd = CreateWindowExW(0, kFrameClass, L"Stand-in browser",
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40 + nOffset, 40 + nOffset, 520,
                             360, nullptr, hMenu, GetModuleHandleW(nullptr), this);
    if (!m_hWnd)
    {
        DestroyMenu(hMenu);
        return false;
    }
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    m_hStrip =
        CreateWindowExW(0, kStripClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                        rc.right, rc.bottom, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_hStrip)
        return false;
    m_app.Log().Write({standin::kLogWindow, std::to_wstring(m_nNumber), HandleText(m_hWnd),
                       bFromCom ? standin::kWindowFromCom : standin::kWindowFromStart});
    m_addOns.LogTools();

    std::vector<CTabSetup> tabs = window.tabs;
    if (tabs.empty())
    {
        CTabSetup startPage;
        startPage.strUrl = m_app.StartPage();
        tabs.push_back(startPage);
    }
    for (const CTabSetup& setup : tabs)
    {
        if (!AddTab(setup))
            return false;
    }
    Select(m_tabs.front().get());
    m_addOns.LoadHelpers(SiteBrowser(false));
    for (const auto& spTab : m_tabs)
        PostDocumentComplete(spTab.get());
    if (!bFromCom)
        ShowWindow(m_hWnd, SW_SHOWNA);
    return true;
}

IUnknown* CBrowserFrame::SiteBrowser(bool bSelected) const
{
    if (bSelected && m_pSelected && m_pSelected->WebBrowser())
        return m_pSelected->WebBrowser();
    for (const auto& spTab : m_tabs)
    {
        if (spTab->WebBrowser())
            return spTab->WebBrowser();
    }
    return nullptr;
}

void CBrowserFrame::PostDocumentComplete(const CBrowserTab* pTab)
{
    for (size_t i = 0; i < m_tabs.size(); ++i)
    {
        if (m_tabs[i].get() == pTab)
            PostMessageW(m_hWnd, kDocumentCompleteMessage, i, 0);
    }
}

void CBrowserFrame::OnDocumentComplete(size_t nTab)
{
    if (nTab < m_tabs.size())
        m_tabs[nTab]->FireDocumentComplete();
}

void CBrowserFrame::OnClosing()
{
    if (m_bClosing)
        return;
    m_bClosing = true;
    for (const auto& spTab : m_tabs)
        spTab->FireOnQuit();
    m_addOns.ReleaseAll();
}

CBrowserTab* CBrowserFrame::AddTab(const CTabSetup& setup)
{
    m_tabs.push_back(std::make_unique<CBrowserTab>(*this, setup));
    CBrowserTab* pTab = m_tabs.back().get();
    if (!pTab->Create(m_hStrip))
        return nullptr;
    m_app.Log().Write({standin::kLogTab, std::to_wstring(m_nNumber),
                       HandleText(pTab->ServerWindow()), setup.strUrl});
    return pTab;
}

void CBrowserFrame::Select(CBrowserTab* pTab)
{
    if (m_pSelected && m_pSelected != pTab)
        m_pSelected->Show(false);
    m_pSelected = pTab;
    pTab->Show(true);
}

void CBrowserFrame::SetVisible(bool bVisible)
{
    m_app.Log().Write({standin::kLogVisible, std::to_wstring(m_nNumber)});
    ShowWindow(m_hWnd, bVisible ? SW_SHOWNA : SW_HIDE);
}

HRESULT CBrowserFrame::Navigate(CBrowserTab& tab, const std::wstring& strUrl, bool bNewTab)
{
    const bool bFails = m_app.IsFailingUrl(strUrl);
    m_app.Log().Write({standin::kLogNavigate, std::to_wstring(m_nNumber),
                       bNewTab ? standin::kNewTab : standin::kInPlace, strUrl,
                       bFails ? standin::kFailed : standin::kOk});
    if (bFails)
        return E_FAIL;
    if (!bNewTab)
    {
        tab.SetPage(strUrl);
        PostDocumentComplete(&tab);
        return S_OK;
    }
    CTabSetup setup;
    setup.strUrl = strUrl;
    CBrowserTab* pTab = AddTab(setup);
    if (!pTab)
        return E_FAIL;
    Select(pTab);
    PostDocumentComplete(pTab);
    return S_OK;
}

LRESULT CALLBACK CBrowserFrame::WindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = WindowObject<CBrowserFrame>(hWnd, nMsg, lParam);
    if (pThis)
    {
        switch (nMsg)
        {
        case WM_COMMAND:
            if (pThis->m_addOns.OnCommand(LOWORD(wParam), pThis->SiteBrowser(true)))
                return 0;
            break;
        case kDocumentCompleteMessage:
            pThis->OnDocumentComplete(wParam);
            return 0;
        case WM_CLOSE:
            // Hung tabs answer nothing, not even their own destruction, until released.
            pThis->m_app.ReleaseHungTabs();
            DestroyWindow(hWnd);
            return 0;
        case WM_DESTROY:
            pThis->OnClosing();
            SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            pThis->m_hWnd = nullptr;
            pThis->m_app.OnFrameDestroyed();
            break;
        default:
            break;
        }
    }
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}
