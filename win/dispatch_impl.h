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

    // Loading the type library allocates: these three never let that failure out.
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID /*lcid*/, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo)
            return E_POINTER;
        *ppTInfo = nullptr;
        if (iTInfo != 0)
            return DISP_E_BADINDEX;
        return CallWithoutThrowing([&] {
            const HRESULT hr = LoadTypeInfo();
            if (FAILED(hr))
                return hr;
            m_spTypeInfo->AddRef();
            *ppTInfo = m_spTypeInfo.Get();
            return S_OK;
        });
    }

    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID /*lcid*/,
                               DISPID* rgDispId) override
    {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        return CallWithoutThrowing([&] {
            const HRESULT hr = LoadTypeInfo();
            if (FAILED(hr))
                return hr;
            return DispGetIDsOfNames(m_spTypeInfo.Get(), rgszNames, cNames, rgDispId);
        });
    }

    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID /*lcid*/, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) override
    {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        return CallWithoutThrowing([&] {
            const HRESULT hr = LoadTypeInfo();
            if (FAILED(hr))
                return hr;
            return DispInvoke(static_cast<T*>(this), m_spTypeInfo.Get(), dispIdMember, wFlags,
                              pDispParams, pVarResult, pExcepInfo, puArgErr);
        });
    }

private:
    // Loaded at the first call that needs it and kept with the object.
    HRESULT LoadTypeInfo()
    {
        if (m_spTypeInfo)
            return S_OK;
        CComPtr<ITypeLib> spTypeLib;
        const HRESULT hr = LoadModuleTypeLibrary(&spTypeLib);
        if (FAILED(hr))
            return hr;
        return spTypeLib->GetTypeInfoOfGuid(__uuidof(T), &m_spTypeInfo);
    }

    CComPtr<ITypeInfo> m_spTypeInfo;
};
