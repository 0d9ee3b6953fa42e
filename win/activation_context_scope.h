// The module's own activation context (its manifest, resource 2, which asks for common controls
// 6), active on the calling thread for the life of the scope. The host process's manifest need not
// ask for the same, and the dialogs of a DLL get the controls their templates were made for only
// inside the DLL's context. Without such a manifest the scope does nothing.
#pragma once

#include <windows.h>

class CActivationContextScope
{
public:
    CActivationContextScope();
    ~CActivationContextScope();
    CActivationContextScope(const CActivationContextScope&) = delete;
    CActivationContextScope& operator=(const CActivationContextScope&) = delete;

private:
    HANDLE m_hContext = INVALID_HANDLE_VALUE;
    ULONG_PTR m_ulCookie = 0;
};
