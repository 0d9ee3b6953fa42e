#include "demo/stand_in_browser/tab_content.h"

#include <oleacc.h>

#include "demo/stand_in_browser/html_document.h"
#include "demo/stand_in_browser/stand_in_protocol.h"
#include "demo/stand_in_browser/window_class.h"

namespace
{
const wchar_t kClassName[] = L"Internet Explorer_Server";

UINT HtmlGetObjectMessage()
{
    static const UINT s_nMsg = RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    return s_nMsg;
}

UINT GetWebBrowserMessage()
{
    static const UINT s_nMsg = RegisterWindowMessageW(standin::kGetWebBrowserMessage);
    return s_nMsg;
}

HANDLE g_hRelease = nullptr;
} // namespace

CTabContent::CTabContent(const CTabSetup& setup) : m_setup(setup)
{
}

CTabContent::~CTabContent()
{
    if (m_hWnd)
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
}

bool CTabContent::RegisterWindowClass()
{
    return RegisterStandInClass(kClassName, WindowProc, COLOR_WINDOW);
}

void CTabContent::SetReleaseHandle(HANDLE hRelease)
{
    g_hRelease = hRelease;
}

bool CTabContent::Create(HWND hParent, bool bQuitOnDestroy)
{
    m_bQuitOnDestroy = bQuitOnDestroy;
    RECT rc = {};
    GetClientRect(hParent, &rc);
    // No parent notification: the parent may belong to another process, which would have to
    // answer before the window exists.
    m_hWnd = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kClassName, m_setup.strUrl.c_str(),
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, rc.right, rc.bottom,
                             hParent, nullptr, GetModuleHandleW(nullptr), this);
    return m_hWnd != nullptr;
}

void CTabContent::SetPage(const std::wstring& strUrl)
{
    m_setup.strUrl = strUrl;
    m_setup.strTitle.clear();
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT CALLBACK CTabContent::WindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = WindowObject<CTabContent>(hWnd, nMsg, lParam);
    if (pThis)
    {
        if (nMsg == HtmlGetObjectMessage())
            return pThis->OnHtmlGetObject(wParam);
        if (nMsg == GetWebBrowserMessage())
            return pThis->OnGetWebBrowser(wParam);
        switch (nMsg)
        {
        case WM_PAINT:
            pThis->OnPaint();
            return 0;
        case WM_DESTROY:
            SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            pThis->m_hWnd = nullptr;
            if (pThis->m_bQuitOnDestroy)
                PostQuitMessage(0);
            break;
        default:
            break;
        }
    }
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

LRESULT CTabContent::OnHtmlGetObject(WPARAM wParam)
{
    if (m_setup.bHang)
    {
        if (g_hRelease)
            WaitForSingleObject(g_hRelease, INFINITE);
        return 0;
    }
    if (m_setup.bRefuse)
        return 0;
    auto* pDocument = new CHtmlDocument(m_setup.strUrl, m_setup.strTitle, m_setup.bNoTitle);
    // The marshalled answer holds its own reference until the caller unmarshals it.
    const LRESULT lResult =
        LresultFromObject(IID_IHTMLDocument2, wParam, static_cast<IHTMLDocument2*>(pDocument));
    pDocument->Release();
    return lResult;
}

LRESULT CTabContent::OnGetWebBrowser(WPARAM wParam)
{
    if (!m_pWebBrowser)
        return 0;
    return LresultFromObject(IID_IWebBrowser2, wParam, m_pWebBrowser);
}

void CTabContent::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    if (hdc)
    {
        const std::wstring strText =
            (m_setup.strTitle.empty() ? std::wstring(L"(no title)") : m_setup.strTitle) + L"\r\n" +
            m_setup.strUrl;
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        InflateRect(&rc, -8, -8);
        DrawTextW(hdc, strText.c_str(), static_cast<int>(strText.size()), &rc,
                  DT_LEFT | DT_TOP | DT_NOPREFIX);
        EndPaint(m_hWnd, &ps);
    }
}
