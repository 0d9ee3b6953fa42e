// The base of every COM object of the module: a reference count without interlocking (each object
// lives in one single-threaded apartment and is called only on its thread), a lock on the module
// for the object's whole life, and QueryInterface answered from a table of the object's interfaces.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

#include "win/com_module_lock.h"

// One row of an interface table: an interface id and how to reach that interface of the object.
template <class T> struct CInterfaceEntry
{
    const IID* piid;
    IUnknown* (*pfnInterfaceOf)(T* pObject);
};

// The interface I of the object, for a table row: {&IID_IFoo, &InterfaceOf<IFoo, CObject>}.
template <class I, class T> IUnknown* InterfaceOf(T* pObject)
{
    return static_cast<I*>(pObject);
}

class CComObjectRoot
{
public:
    CComObjectRoot() = default;
    // Virtual so that an object released through its base is destroyed whole.
    virtual ~CComObjectRoot() = default;
    CComObjectRoot(const CComObjectRoot&) = delete;
    CComObjectRoot& operator=(const CComObjectRoot&) = delete;

protected:
    ULONG InternalAddRef() { return ++m_nRefs; }
    ULONG InternalRelease() { return --m_nRefs; }

    // IUnknown is the table's first interface, so that every interface of the object gives the
    // same identity.
    template <class T, std::size_t N>
    static HRESULT InternalQueryInterface(T* pObject, const CInterfaceEntry<T> (&table)[N],
                                          REFIID riid, void** ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        for (std::size_t i = 0; i < N; ++i)
        {
            if (IsEqualIID(riid, *table[i].piid) || (i == 0 && IsEqualIID(riid, IID_IUnknown)))
            {
                IUnknown* pInterface = table[i].pfnInterfaceOf(pObject);
                pInterface->AddRef();
                *ppv = pInterface;
                return S_OK;
            }
        }
        return E_NOINTERFACE;
    }

private:
    CComModuleLockHolder m_moduleLock;
    ULONG m_nRefs = 0;
};
