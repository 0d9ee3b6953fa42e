// The document a tab hands out for "WM_HTML_GETOBJECT": the tab's address and title as they were
// when it was asked, and nothing else.
#pragma once

#include <string>

#include "com_stubs.h"

class CHtmlDocument : public CHtmlDocumentStubs
{
public:
    // The title fails to read with E_FAIL when bTitleFails is set, as a page still loading does.
    CHtmlDocument(std::wstring strUrl, std::wstring strTitle, bool bTitleFails);

    CHtmlDocument(const CHtmlDocument&) = delete;
    CHtmlDocument& operator=(const CHtmlDocument&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    QLMR_COUNTED_REFS

    // IHTMLDocument2
    STDMETHODIMP get_URL(BSTR* pbstrUrl) override;
    STDMETHODIMP get_title(BSTR* pbstrTitle) override;

private:
    ~CHtmlDocument() override = default;

    LONG m_nRefs = 1;
    const std::wstring m_strUrl;
    const std::wstring m_strTitle;
    const bool m_bTitleFails;
};
