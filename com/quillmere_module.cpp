#include "com/quillmere_module.h"

#include <iterator>
#include <new>
#include <string>

#include "browser/quillmere_bho.h"
#include "browser/quillmere_idl.h"
#include "com/com_resource.h"
#include "com/registry_script.h"
#include "win/com.h"
#include "win/com_module_lock.h"
#include "win/module_type_library.h"

namespace
{
// The DLL as a COM application.
const wchar_t kAppId[] = L"{C9DF9296-D417-4DC3-ABA8-AE433AA3D4FB}";

// The script of the module itself, applied before the classes and removed after them.
const UINT kModuleRegistrationScriptId = IDR_MODULE_REGISTRATION;

const CQuillmereModule::CClassEntry kClasses[] = {
    {&CLSID_QuillmereBHO, &CachedClassFactory<&CQuillmereBHO::CreateInstance>,
     IDR_QUILLMEREBHO_REGISTRATION},
};

std::wstring GuidText(REFGUID guid)
{
    wchar_t szGuid[64] = L"";
    StringFromGUID2(guid, szGuid, static_cast<int>(std::size(szGuid)));
    return szGuid;
}

// The thread's locale set to the system default for the life of the scope.
class CSystemLocaleScope
{
public:
    CSystemLocaleScope() : m_lcidSaved(GetThreadLocale())
    {
        SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
    }
    ~CSystemLocaleScope() { SetThreadLocale(m_lcidSaved); }
    CSystemLocaleScope(const CSystemLocaleScope&) = delete;
    CSystemLocaleScope& operator=(const CSystemLocaleScope&) = delete;

private:
    LCID m_lcidSaved;
};

HRESULT ApplyScript(UINT nScriptId, bool bRegister)
{
    const std::wstring strModule = ModuleFilePath(CQuillmereModule::GetModuleInstance());
    if (strModule.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    const CRegistryScript::CReplacements replacements = {
        {L"MODULE", strModule},
        {L"APPID", kAppId},
        {L"CLSID", GuidText(CLSID_QuillmereBHO)},
        {L"LIBID", GuidText(LIBID_QuillmereLib)},
    };
    CRegistryScript script;
    const HRESULT hr = script.Load(CQuillmereModule::GetModuleInstance(), nScriptId, replacements);
    if (FAILED(hr))
        return hr;
    return bRegister ? script.Register() : script.Unregister();
}

HRESULT RegisterTypeLibrary()
{
    std::wstring strModule = ModuleFilePath(CQuillmereModule::GetModuleInstance());
    CComPtr<ITypeLib> spTypeLib;
    const HRESULT hr = LoadTypeLibEx(strModule.c_str(), REGKIND_NONE, &spTypeLib);
    if (FAILED(hr))
        return hr;
    return RegisterTypeLib(spTypeLib.Get(), &strModule[0], nullptr);
}

bool IsTypeLibraryRegistered()
{
    const std::wstring strKey = L"TypeLib\\" + GuidText(LIBID_QuillmereLib);
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

HRESULT UnregisterTypeLibrary()
{
    // Removing what is not there succeeds, so that a second removal does not fail.
    if (!IsTypeLibraryRegistered())
        return S_OK;
    const std::wstring strModule = ModuleFilePath(CQuillmereModule::GetModuleInstance());
    CComPtr<ITypeLib> spTypeLib;
    HRESULT hr = LoadTypeLibEx(strModule.c_str(), REGKIND_NONE, &spTypeLib);
    if (FAILED(hr))
        return hr;
    TLIBATTR* pAttributes = nullptr;
    if (FAILED(hr = spTypeLib->GetLibAttr(&pAttributes)))
        return hr;
    const TLIBATTR attributes = *pAttributes;
    spTypeLib->ReleaseTLibAttr(pAttributes);
    return UnRegisterTypeLib(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum,
                             attributes.lcid, attributes.syskind);
}
} // namespace

HINSTANCE CQuillmereModule::s_hInstance = nullptr;

LONG CQuillmereModule::GetLockCount()
{
    return CComModuleLock::GetLockCount();
}

HRESULT CQuillmereModule::CanUnloadNow()
{
    return GetLockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT CQuillmereModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (const CClassEntry& entry : kClasses)
    {
        if (IsEqualCLSID(rclsid, *entry.pclsid))
            return entry.pfnClassFactory().QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CQuillmereModule::RegisterServer()
{
    return CallWithoutThrowing([&] {
        const CSystemLocaleScope locale;
        HRESULT hr = ApplyScript(kModuleRegistrationScriptId, true);
        if (FAILED(hr))
            return hr;
        for (const CClassEntry& entry : kClasses)
        {
            if (FAILED(hr = ApplyScript(entry.nRegistrationScriptId, true)))
                return hr;
        }
        return RegisterTypeLibrary();
    });
}

HRESULT CQuillmereModule::UnregisterServer()
{
    return CallWithoutThrowing([&] {
        const CSystemLocaleScope locale;
        HRESULT hr = S_OK;
        for (const CClassEntry& entry : kClasses)
        {
            if (FAILED(hr = ApplyScript(entry.nRegistrationScriptId, false)))
                return hr;
        }
        if (FAILED(hr = UnregisterTypeLibrary()))
            return hr;
        return ApplyScript(kModuleRegistrationScriptId, false);
    });
}
