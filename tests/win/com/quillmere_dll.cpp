#include "tests/win/com/quillmere_dll.h"

#include <unknwn.h>

#include "browser/quillmere_idl.h"

namespace
{
template <class F> F Export(const char* pszName)
{
    const HMODULE hDll = QuillmereDll();
    return hDll ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(hDll, pszName)))
                : nullptr;
}

using NoArgumentsFn = HRESULT(WINAPI*)();
using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

HRESULT CallNoArguments(const char* pszName)
{
    const NoArgumentsFn pfn = Export<NoArgumentsFn>(pszName);
    return pfn ? pfn() : E_NOTIMPL;
}
} // namespace

const wchar_t* QuillmereDllPath()
{
    return QLMR_DLL_PATH;
}

HMODULE QuillmereDll()
{
    static const HMODULE s_hDll = LoadLibraryW(QLMR_DLL_PATH);
    return s_hDll;
}

HRESULT CallDllCanUnloadNow()
{
    return CallNoArguments("DllCanUnloadNow");
}

HRESULT CallDllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    const GetClassObjectFn pfn = Export<GetClassObjectFn>("DllGetClassObject");
    return pfn ? pfn(rclsid, riid, ppv) : E_NOTIMPL;
}

HRESULT CallDllRegisterServer()
{
    return CallNoArguments("DllRegisterServer");
}

HRESULT CallDllUnregisterServer()
{
    return CallNoArguments("DllUnregisterServer");
}

HRESULT CreateQuillmereObject(REFIID riid, void** ppv)
{
    IClassFactory* pFactory = nullptr;
    HRESULT hr = CallDllGetClassObject(CLSID_QuillmereBHO, IID_IClassFactory,
                                       reinterpret_cast<void**>(&pFactory));
    if (FAILED(hr))
        return hr;
    hr = pFactory->CreateInstance(nullptr, riid, ppv);
    pFactory->Release();
    return hr;
}
