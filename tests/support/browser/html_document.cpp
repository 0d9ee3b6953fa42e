#include "html_document.h"

#include <utility>

CHtmlDocument::CHtmlDocument(std::wstring strUrl, std::wstring strTitle, bool bTitleFails)
    : m_strUrl(std::move(strUrl)), m_strTitle(std::move(strTitle)), m_bTitleFails(bTitleFails)
{
}

STDMETHODIMP CHtmlDocument::QueryInterface(REFIID riid, void** ppv)
{
    IHTMLDocument2* pDocument = this;
    return QueryFromTable(riid, ppv,
                          {{&IID_IUnknown, pDocument},
                           {&IID_IDispatch, pDocument},
                           {&IID_IHTMLDocument, pDocument},
                           {&IID_IHTMLDocument2, pDocument}});
}

STDMETHODIMP CHtmlDocument::get_URL(BSTR* pbstrUrl)
{
    return CopyToBstr(m_strUrl, pbstrUrl);
}

STDMETHODIMP CHtmlDocument::get_title(BSTR* pbstrTitle)
{
    if (m_bTitleFails)
    {
        if (pbstrTitle)
            *pbstrTitle = nullptr;
        return E_FAIL;
    }
    return CopyToBstr(m_strTitle, pbstrTitle);
}
