// Quillmere.dll of this build, loaded by its path, and its exports. The DLL is loaded once and
// kept for the life of the test program: code of a DLL that went away under a running program
// could still be called (window procedures, thread clean-up).
#pragma once

#include <windows.h>

// Z:\...\com\Quillmere.dll of this build.
const wchar_t* QuillmereDllPath();
// Null when it cannot be loaded.
HMODULE QuillmereDll();

HRESULT CallDllCanUnloadNow();
HRESULT CallDllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
HRESULT CallDllRegisterServer();
HRESULT CallDllUnregisterServer();

// A new helper object made through the DLL's class factory, asked for riid.
HRESULT CreateQuillmereObject(REFIID riid, void** ppv);
