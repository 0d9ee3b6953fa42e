// An owned VARIANT for the accessibility calls of the tests, cleared when it goes.
#pragma once

#include <windows.h>
#include <oleauto.h>

class CComVariant : public VARIANT
{
public:
    CComVariant() { ::VariantInit(this); }
    explicit CComVariant(long nValue)
    {
        ::VariantInit(this);
        vt = VT_I4;
        lVal = nValue;
    }
    ~CComVariant() { ::VariantClear(this); }
    CComVariant(const CComVariant&) = delete;
    CComVariant& operator=(const CComVariant&) = delete;
};
