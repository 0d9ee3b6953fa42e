// The two check helpers: every internal check fails with a standard exception whose text names the
// class, the operation and the failed condition.
#pragma once

#include <stdexcept>

inline void ThrowIf(bool bCondition, const char* pszMessage)
{
    if (bCondition)
        throw std::runtime_error(pszMessage);
}

template <typename T>
inline void ThrowIfNull(const T* p, const char* pszMessage)
{
    ThrowIf(p == nullptr, pszMessage);
}
