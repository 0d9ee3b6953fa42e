// IObjectWithSite's keeping of the site: GetSite as the interface defines it; the object's own
// SetSite does its work and then stores the site through SetSiteBase.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "win/com.h"

class CObjectWithSiteImpl : public IObjectWithSite
{
public:
    STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override
    {
        if (!ppvSite)
            return E_POINTER;
        *ppvSite = nullptr;
        if (!m_spUnkSite)
            return E_FAIL;
        return m_spUnkSite->QueryInterface(riid, ppvSite);
    }

protected:
    // Holds the given site (or none) in place of the one held before.
    HRESULT SetSiteBase(IUnknown* pUnkSite)
    {
        m_spUnkSite = CComPtr<IUnknown>(pUnkSite);
        return S_OK;
    }

    CComPtr<IUnknown> m_spUnkSite;
};
