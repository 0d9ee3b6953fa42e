#include "com/class_factory.h"

#include "win/com_module_lock.h"

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
    {
        AddRef();
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef()
{
    const LONG nRefs = InterlockedIncrement(&m_nRefs);
    if (nRefs == 2)
        CComModuleLock::Lock();
    return static_cast<ULONG>(nRefs);
}

STDMETHODIMP_(ULONG) CClassFactory::Release()
{
    const LONG nRefs = InterlockedDecrement(&m_nRefs);
    if (nRefs == 1)
        CComModuleLock::Unlock();
    return static_cast<ULONG>(nRefs);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    return m_pfnCreateInstance(riid, ppv);
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock)
{
    if (fLock)
        CComModuleLock::Lock();
    else
        CComModuleLock::Unlock();
    return S_OK;
}
