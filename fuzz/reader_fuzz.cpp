// Feeds arbitrary bytes to the session file reader. Any outcome but a crash, a hang or a leak is
// fine: the reader either refuses the file with an exception or gives a session.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "base/exceptions.h"
#include "session/manual_saved_instance_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CSession session(L"fuzz", 0);
    CSessionFileStream stream(reinterpret_cast<const char*>(pData), nSize);
    CManualSavedInstanceLoader loader;
    try
    {
        loader.LoadSession(stream, &session);
        // A loaded session holds at least one window, each with at least one tab.
        if (session.GetInstanceSetsCount() < 1)
            __builtin_trap();
        for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
        {
            if (session.GetInstanceSet(i)->GetUrlItemsCount() < 1)
                __builtin_trap();
        }
    }
    catch (const CException&)
    {
    }
    catch (const std::exception&)
    {
    }
    return 0;
}
