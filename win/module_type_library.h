// The type library that this module carries as its resource TYPELIB 1, and the module's own file.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

// The full path of the module's file, empty when it cannot be read.
std::wstring ModuleFilePath(HINSTANCE hModule);

// Loads the module's type library from its own file, without registering it.
HRESULT LoadModuleTypeLibrary(ITypeLib** ppTypeLib);
