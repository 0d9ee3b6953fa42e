#include "html_document.h"

#include <utility>

namespace
{
HRESULT CopyToBstr(const std::wstring& strText, BSTR* pbstr)
{
    if (!pbstr)
        return E_POINTER;
    *pbstr = SysAllocStringLen(strText.data(), static_cast<UINT>(strText.size()));
    return *pbstr ? S_OK : E_OUTOFMEMORY;
}
} // namespace

CHtmlDocument::CHtmlDocument(std::wstring strUrl, std::wstring strTitle, bool bTitleFails)
    : m_strUrl(std::move(strUrl)), m_strTitle(std::move(strTitle)), m_bTitleFails(bTitleFails)
{
}

STDMETHODIMP CHtmlDocument::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument ||
        riid == IID_IHTMLDocument2)
    {
        *ppv = static_cast<IHTMLDocument2*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
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
