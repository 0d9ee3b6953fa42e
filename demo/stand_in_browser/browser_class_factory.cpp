#include "demo/stand_in_browser/browser_class_factory.h"

#include <exdisp.h>

#include "demo/stand_in_browser/browser_app.h"
#include "demo/stand_in_browser/browser_frame.h"
#include "demo/stand_in_browser/browser_tab.h"

STDMETHODIMP CBrowserClassFactory::CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (pOuter)
        return CLASS_E_NOAGGREGATION;
    // A window made for automation starts with one empty tab and no page.
    CWindowSetup window;
    window.tabs.emplace_back();
    CBrowserFrame* pFrame = m_app.NewFrame(window, true);
    if (!pFrame)
        return E_FAIL;
    IWebBrowser2* pWebBrowser = pFrame->FirstTab()->WebBrowser();
    return pWebBrowser ? pWebBrowser->QueryInterface(riid, ppv) : E_FAIL;
}
