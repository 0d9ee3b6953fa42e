// The dispatch interface of the helper object when memory runs out: loading the type library
// allocates, and an exception must never leave a COM method for the caller's frames.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "browser/quillmere_idl.h"
#include "win/dispatch_impl.h"

namespace
{
thread_local bool t_bFailAllocations = false;

class CDispatchProbe : public CDispatchImpl<IQuillmereBHO>
{
public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};
} // namespace

// Every allocation of this program fails while a test asks for it.
void* operator new(std::size_t nSize)
{
    void* p = t_bFailAllocations ? nullptr : std::malloc(nSize ? nSize : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

TEST(Dispatch, OutOfMemoryIsAnErrorCodeNotAnException)
{
    CDispatchProbe probe;
    ITypeInfo* pTypeInfo = nullptr;
    LPOLESTR pszName = const_cast<LPOLESTR>(L"Anything");
    DISPID dispId = 0;
    DISPPARAMS params = {};
    t_bFailAllocations = true;
    const HRESULT hrTypeInfo = probe.GetTypeInfo(0, 0, &pTypeInfo);
    const HRESULT hrIds = probe.GetIDsOfNames(IID_NULL, &pszName, 1, 0, &dispId);
    const HRESULT hrInvoke = probe.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    t_bFailAllocations = false;
    EXPECT_EQ(hrTypeInfo, E_OUTOFMEMORY);
    EXPECT_EQ(pTypeInfo, nullptr);
    EXPECT_EQ(hrIds, E_OUTOFMEMORY);
    EXPECT_EQ(hrInvoke, E_OUTOFMEMORY);
}
