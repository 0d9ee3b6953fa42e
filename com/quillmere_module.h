// The DLL as a COM server: its module handle, its table of classes, the lock count that keeps it
// loaded, and its registration.
#pragma once

#include <windows.h>

#include "com/class_factory.h"

class CQuillmereModule
{
public:
    // One creatable class: its id, its kept factory, and its registration script.
    struct CClassEntry
    {
        const CLSID* pclsid;
        CClassFactory& (*pfnClassFactory)();
        UINT nRegistrationScriptId;
    };

    // The DLL's handle, as the loader gave it.
    static void SetModuleInstance(HINSTANCE hInstance) { s_hInstance = hInstance; }
    static HINSTANCE GetModuleInstance() { return s_hInstance; }

    // The lock count: every live object and every factory lock.
    static LONG GetLockCount();

    static HRESULT CanUnloadNow();
    static HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
    // Both run with the thread's locale set to the system default and put it back afterwards;
    // each stops at the first failure and returns it.
    static HRESULT RegisterServer();
    static HRESULT UnregisterServer();

private:
    static HINSTANCE s_hInstance;
};
