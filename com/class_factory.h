// The one class factory of the module, serving any class through that class's create function.
// Each factory is made once and kept for the life of the DLL; the module's own reference does not
// hold the module, every reference beyond it does, like a lock.
#pragma once

#include <windows.h>
#include <unknwn.h>

class CClassFactory : public IClassFactory
{
public:
    // Makes a new object of the class and asks it for riid.
    using CreateFunction = HRESULT (*)(REFIID riid, void** ppv);

    explicit CClassFactory(CreateFunction pfnCreateInstance)
        : m_pfnCreateInstance(pfnCreateInstance)
    {
    }
    virtual ~CClassFactory() = default;
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IClassFactory: no aggregation.
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    CreateFunction m_pfnCreateInstance;
    // The module's own reference, which is never given back.
    volatile LONG m_nRefs = 1;
};

// The factory of one class, made at the first request and kept.
template <CClassFactory::CreateFunction pfnCreateInstance> CClassFactory& CachedClassFactory()
{
    static CClassFactory s_factory(pfnCreateInstance);
    return s_factory;
}
