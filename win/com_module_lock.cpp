#include "win/com_module_lock.h"

namespace
{
volatile LONG g_nLockCount = 0;
} // namespace

LONG CComModuleLock::Lock()
{
    return InterlockedIncrement(&g_nLockCount);
}

LONG CComModuleLock::Unlock()
{
    return InterlockedDecrement(&g_nLockCount);
}

LONG CComModuleLock::GetLockCount()
{
    return InterlockedCompareExchange(&g_nLockCount, 0, 0);
}
