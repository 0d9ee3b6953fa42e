#include "session/os_operations.h"

#include <atomic>

namespace
{
std::atomic<TempNameSource> g_pfnTempNameSource{nullptr};
}

bool IsTempFileName(const std::wstring& strName)
{
    const std::size_t nPrefix = std::char_traits<wchar_t>::length(kTempFilePrefix);
    const std::size_t nSuffix = std::char_traits<wchar_t>::length(kTempFileSuffix);
    if (strName.size() != nPrefix + kTempFileRandomDigits + nSuffix ||
        strName.compare(0, nPrefix, kTempFilePrefix) != 0 ||
        strName.compare(nPrefix + kTempFileRandomDigits, nSuffix, kTempFileSuffix) != 0)
        return false;
    for (std::size_t i = nPrefix; i < nPrefix + kTempFileRandomDigits; ++i)
    {
        const wchar_t c = strName[i];
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')))
            return false;
    }
    return true;
}

std::wstring NewTempFileName()
{
    const TempNameSource pfnSource = g_pfnTempNameSource.load();
    std::uint64_t nBits = pfnSource ? pfnSource() : SystemRandom64();
    // A fixed length keeps every name the folder can hold savable, however long.
    std::wstring strDigits(kTempFileRandomDigits, L'0');
    for (std::size_t i = kTempFileRandomDigits; i-- > 0; nBits >>= 4)
        strDigits[i] = L"0123456789abcdef"[nBits & 0xF];
    return kTempFilePrefix + strDigits + kTempFileSuffix;
}

void SetTempNameSource(TempNameSource pfnSource)
{
    g_pfnTempNameSource.store(pfnSource);
}
