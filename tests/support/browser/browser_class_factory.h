// The class object of the browser application: each instance it makes is a new window.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "com_stubs.h"

class CBrowserApp;

class CBrowserClassFactory : public IClassFactory
{
public:
    explicit CBrowserClassFactory(CBrowserApp& app);

    CBrowserClassFactory(const CBrowserClassFactory&) = delete;
    CBrowserClassFactory& operator=(const CBrowserClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    QLMR_COUNTED_REFS

    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL bLock) override;

private:
    virtual ~CBrowserClassFactory() = default;

    LONG m_nRefs = 1;
    CBrowserApp& m_app;
};
