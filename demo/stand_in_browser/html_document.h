// The document a tab hands out for "WM_HTML_GETOBJECT": the tab's address and title as they were
// when it was asked, and nothing else.
#pragma once

#include <string>
#include <utility>

#include "demo/stand_in_browser/com_stubs.h"

class CHtmlDocument : public CHtmlDocumentStubs
{
public:
    // The title fails to read with E_FAIL when bTitleFails is set, as a page still loading does.
    CHtmlDocument(std::wstring strUrl, std::wstring strTitle, bool bTitleFails)
        : m_strUrl(std::move(strUrl)), m_strTitle(std::move(strTitle)), m_bTitleFails(bTitleFails)
    {
    }

    CHtmlDocument(const CHtmlDocument&) = delete;
    CHtmlDocument& operator=(const CHtmlDocument&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        IHTMLDocument2* pDocument = this;
        return QueryFromTable(riid, ppv,
                              {{&IID_IUnknown, pDocument},
                               {&IID_IDispatch, pDocument},
                               {&IID_IHTMLDocument, pDocument},
                               {&IID_IHTMLDocument2, pDocument}});
    }
    QLMR_COUNTED_REFS

    STDMETHODIMP get_URL(BSTR* pbstrUrl) override { return CopyToBstr(m_strUrl, pbstrUrl); }
    STDMETHODIMP get_title(BSTR* pbstrTitle) override
    {
        if (!m_bTitleFails)
            return CopyToBstr(m_strTitle, pbstrTitle);
        if (pbstrTitle)
            *pbstrTitle = nullptr;
        return E_FAIL;
    }

private:
    ~CHtmlDocument() override = default;

    LONG m_nRefs = 1;
    const std::wstring m_strUrl;
    const std::wstring m_strTitle;
    const bool m_bTitleFails;
};
