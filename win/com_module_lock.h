// The lock count of this module, which decides whether COM may unload it: every live COM object
// holds one lock for its whole life, and so does every LockServer(TRUE) on a class factory.
// Changed with interlocked operations, since COM may ask DllCanUnloadNow from any thread.
#pragma once

#include <windows.h>

class CComModuleLock
{
public:
    // Each returns the count after the change.
    static LONG Lock();
    static LONG Unlock();
    static LONG GetLockCount();
};

// One lock, held for the life of the holder.
class CComModuleLockHolder
{
public:
    CComModuleLockHolder() { CComModuleLock::Lock(); }
    ~CComModuleLockHolder() { CComModuleLock::Unlock(); }
    CComModuleLockHolder(const CComModuleLockHolder&) = delete;
    CComModuleLockHolder& operator=(const CComModuleLockHolder&) = delete;
};
