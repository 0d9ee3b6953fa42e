// The class object of the browser application: each instance it makes is a new window.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "demo/stand_in_browser/com_stubs.h"

class CBrowserApp;

class CBrowserClassFactory : public IClassFactory
{
public:
    explicit CBrowserClassFactory(CBrowserApp& app) : m_app(app) {}

    CBrowserClassFactory(const CBrowserClassFactory&) = delete;
    CBrowserClassFactory& operator=(const CBrowserClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryFromTable(riid, ppv, {{&IID_IUnknown, this}, {&IID_IClassFactory, this}});
    }
    QLMR_COUNTED_REFS

    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    virtual ~CBrowserClassFactory() = default;

    LONG m_nRefs = 1;
    CBrowserApp& m_app;
};
