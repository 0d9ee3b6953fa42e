// The DLL's entry point and its four exports (quillmere.def).
#include <windows.h>
#include <objbase.h>

#include "com/quillmere_module.h"

// Only the handle is stored: nothing else may run under the loader's lock.
BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*pReserved*/)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        CQuillmereModule::SetModuleInstance(hInstance);
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return CQuillmereModule::CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return CQuillmereModule::GetClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer()
{
    return CQuillmereModule::RegisterServer();
}

STDAPI DllUnregisterServer()
{
    return CQuillmereModule::UnregisterServer();
}
