#include "win/module.h"

HINSTANCE ModuleInstance()
{
    // The module that contains this very function, whether it was loaded as a program or a DLL.
    static const HINSTANCE s_hInstance = [] {
        HMODULE hModule = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&ModuleInstance), &hModule);
        return static_cast<HINSTANCE>(hModule);
    }();
    return s_hInstance;
}
