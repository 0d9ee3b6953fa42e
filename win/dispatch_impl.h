// IDispatch of a dual interface T, answered from T's description in the module's type library.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "win/com.h"
#include "win/module_type_library.h"

template <class T> class CDispatchImpl : public T
{
public:
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID /*lcid*/, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo)
            return E_POINTER;
        *ppTInfo = nullptr;
        if (iTInfo != 0)
            return DISP_E_BADINDEX;
        return WithTypeInfo([&](ITypeInfo* pTypeInfo) {
            pTypeInfo->AddRef();
            *ppTInfo = pTypeInfo;
            return S_OK;
        });
    }

    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID /*lcid*/,
                               DISPID* rgDispId) override
    {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        return WithTypeInfo([&](ITypeInfo* pTypeInfo) {
            return DispGetIDsOfNames(pTypeInfo, rgszNames, cNames, rgDispId);
        });
    }

    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID /*lcid*/, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) override
    {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        return WithTypeInfo([&](ITypeInfo* pTypeInfo) {
            return DispInvoke(static_cast<T*>(this), pTypeInfo, dispIdMember, wFlags, pDispParams,
                              pVarResult, pExcepInfo, puArgErr);
        });
    }

private:
    // Calls use with T's type information, loaded at the first call that needs it and kept with
    // the object. Loading allocates: that failure never gets out.
    template <typename Use> HRESULT WithTypeInfo(Use&& use)
    {
        return CallWithoutThrowing([&] {
            if (!m_spTypeInfo)
            {
                CComPtr<ITypeLib> spTypeLib;
                HRESULT hr = LoadModuleTypeLibrary(&spTypeLib);
                if (SUCCEEDED(hr))
                    hr = spTypeLib->GetTypeInfoOfGuid(__uuidof(T), &m_spTypeInfo);
                if (FAILED(hr))
                    return hr;
            }
            return use(m_spTypeInfo.Get());
        });
    }

    CComPtr<ITypeInfo> m_spTypeInfo;
};
