#include "win/activation_context_scope.h"

#include <string>

#include "win/module.h"
#include "win/module_type_library.h"

namespace
{
// The manifest of a DLL, by the system's convention.
const WORD kDllManifestId = 2;
} // namespace

CActivationContextScope::CActivationContextScope()
{
    const HINSTANCE hModule = ModuleInstance();
    if (!FindResourceW(hModule, MAKEINTRESOURCEW(kDllManifestId), RT_MANIFEST))
        return;
    // Some systems want the file as well as the loaded module.
    const std::wstring strPath = ModuleFilePath(hModule);
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = strPath.c_str();
    context.hModule = hModule;
    context.lpResourceName = MAKEINTRESOURCEW(kDllManifestId);
    m_hContext = CreateActCtxW(&context);
    if (m_hContext == INVALID_HANDLE_VALUE)
        return;
    if (!ActivateActCtx(m_hContext, &m_ulCookie))
        m_ulCookie = 0;
}

CActivationContextScope::~CActivationContextScope()
{
    if (m_ulCookie != 0)
        DeactivateActCtx(0, m_ulCookie);
    if (m_hContext != INVALID_HANDLE_VALUE)
        ReleaseActCtx(m_hContext);
}
