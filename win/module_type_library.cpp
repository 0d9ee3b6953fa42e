#include "win/module_type_library.h"

#include "win/module.h"

std::wstring ModuleFilePath(HINSTANCE hModule)
{
    // A path may be longer than MAX_PATH; the buffer grows until the whole path fits.
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD nSize = static_cast<DWORD>(strPath.size());
        const DWORD nLength = GetModuleFileNameW(hModule, &strPath[0], nSize);
        if (nLength == 0)
            return std::wstring();
        if (nLength < nSize)
        {
            strPath.resize(nLength);
            return strPath;
        }
        strPath.resize(strPath.size() * 2);
    }
}

HRESULT LoadModuleTypeLibrary(ITypeLib** ppTypeLib)
{
    if (!ppTypeLib)
        return E_POINTER;
    *ppTypeLib = nullptr;
    const std::wstring strPath = ModuleFilePath(ModuleInstance());
    if (strPath.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    return LoadTypeLibEx(strPath.c_str(), REGKIND_NONE, ppTypeLib);
}
