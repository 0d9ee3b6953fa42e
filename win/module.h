// The module (DLL or program) that holds this code and its resources. A DLL never uses the host
// process's handle for its dialogs, window classes or strings.
#pragma once

#include <windows.h>

HINSTANCE ModuleInstance();
