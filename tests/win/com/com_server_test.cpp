// The DLL as COM sees it: its exports, class factory, lock count, the interfaces of its object
// and the type library that describes them.
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "browser/quillmere_idl.h"
#include "tests/win/com/quillmere_dll.h"
#include "win/com.h"

namespace
{
class QuillmereServer : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(QuillmereDll(), nullptr) << "cannot load the DLL";
        // Nothing of an earlier test may still hold the module.
        ASSERT_EQ(CallDllCanUnloadNow(), S_OK);
    }

    CComPtr<IClassFactory> Factory()
    {
        CComPtr<IClassFactory> spFactory;
        EXPECT_EQ(CallDllGetClassObject(CLSID_QuillmereBHO, IID_IClassFactory,
                                        reinterpret_cast<void**>(&spFactory)),
                  S_OK);
        return spFactory;
    }
};
} // namespace

TEST_F(QuillmereServer, ExportsExactlyTheFourEntryPoints)
{
    const auto* pBase = reinterpret_cast<const BYTE*>(QuillmereDll());
    const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* pExports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(pBase + directory.VirtualAddress);
    const auto* pNames = reinterpret_cast<const DWORD*>(pBase + pExports->AddressOfNames);

    std::set<std::string> names;
    for (DWORD i = 0; i < pExports->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char*>(pBase + pNames[i]));
    EXPECT_EQ(pExports->NumberOfFunctions, 4u);
    EXPECT_EQ(names, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                            "DllRegisterServer", "DllUnregisterServer"}));
}

TEST_F(QuillmereServer, ServesOnlyItsOwnClass)
{
    void* pFactory = reinterpret_cast<void*>(1);
    EXPECT_EQ(CallDllGetClassObject(CLSID_InternetExplorer, IID_IClassFactory, &pFactory),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pFactory, nullptr);
    // Its own class id, with the type library's id and the interface's id mistaken for it.
    EXPECT_EQ(CallDllGetClassObject(LIBID_QuillmereLib, IID_IClassFactory, &pFactory),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(CallDllGetClassObject(CLSID_QuillmereBHO, IID_IClassFactory, nullptr), E_POINTER);

    // One factory, kept: asked twice, the same object.
    CComPtr<IClassFactory> spFirst = Factory();
    CComPtr<IClassFactory> spSecond = Factory();
    EXPECT_EQ(spFirst.Get(), spSecond.Get());
    CComPtr<IUnknown> spUnknown;
    EXPECT_EQ(CallDllGetClassObject(CLSID_QuillmereBHO, IID_IUnknown,
                                    reinterpret_cast<void**>(&spUnknown)),
              S_OK);
    CComPtr<IOleCommandTarget> spNotAFactory;
    EXPECT_EQ(CallDllGetClassObject(CLSID_QuillmereBHO, IID_IOleCommandTarget,
                                    reinterpret_cast<void**>(&spNotAFactory)),
              E_NOINTERFACE);
    EXPECT_FALSE(spNotAFactory);
}

TEST_F(QuillmereServer, FactoryRefusesAggregationAndAMissingOutPointer)
{
    CComPtr<IClassFactory> spFactory = Factory();
    ASSERT_TRUE(spFactory);
    CComPtr<IClassFactory> spOuter = Factory(); // any object will do as the would-be outer one

    void* pObject = reinterpret_cast<void*>(1);
    EXPECT_EQ(spFactory->CreateInstance(spOuter.Get(), IID_IUnknown, &pObject),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(pObject, nullptr);
    EXPECT_EQ(spFactory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);

    // An interface the object does not have: no object, and nothing left holding the module.
    pObject = reinterpret_cast<void*>(1);
    EXPECT_EQ(spFactory->CreateInstance(nullptr, IID_IPersist, &pObject), E_NOINTERFACE);
    EXPECT_EQ(pObject, nullptr);
    spOuter.Release();
    spFactory.Release();
    EXPECT_EQ(CallDllCanUnloadNow(), S_OK);
}

TEST_F(QuillmereServer, ObjectAnswersItsFourInterfacesWithOneIdentity)
{
    CComPtr<IUnknown> spObject;
    ASSERT_EQ(CreateQuillmereObject(IID_IUnknown, reinterpret_cast<void**>(&spObject)), S_OK);

    const IID* answered[] = {&IID_IQuillmereBHO, &IID_IDispatch, &IID_IObjectWithSite,
                             &IID_IOleCommandTarget};
    for (const IID* piid : answered)
    {
        CComPtr<IUnknown> spInterface;
        ASSERT_EQ(spObject->QueryInterface(*piid, reinterpret_cast<void**>(&spInterface)), S_OK);
        CComPtr<IUnknown> spIdentity;
        ASSERT_EQ(spInterface->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&spIdentity)),
                  S_OK);
        EXPECT_EQ(spIdentity.Get(), spObject.Get());
    }
    // IDispatch is the dual interface's own.
    CComPtr<IDispatch> spDispatch;
    CComPtr<IQuillmereBHO> spDual;
    spObject->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&spDispatch));
    spObject->QueryInterface(IID_IQuillmereBHO, reinterpret_cast<void**>(&spDual));
    EXPECT_EQ(static_cast<IDispatch*>(spDual.Get()), spDispatch.Get());

    // The event sink is no interface of the object.
    const IID* refused[] = {&DIID_DWebBrowserEvents2, &IID_IConnectionPointContainer, &IID_IPersist,
                            &IID_IClassFactory};
    for (const IID* piid : refused)
    {
        void* pInterface = reinterpret_cast<void*>(1);
        EXPECT_EQ(spObject->QueryInterface(*piid, &pInterface), E_NOINTERFACE);
        EXPECT_EQ(pInterface, nullptr);
    }
    EXPECT_EQ(spObject->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(QuillmereServer, ModuleStaysLoadedWhileAnObjectOrALockLives)
{
    CComPtr<IClassFactory> spFactory = Factory();
    ASSERT_TRUE(spFactory);
    // A reference to the factory holds the module like a lock.
    EXPECT_EQ(CallDllCanUnloadNow(), S_FALSE);
    IClassFactory* pFactory = spFactory.Get();
    pFactory->AddRef();
    spFactory.Release();
    EXPECT_EQ(CallDllCanUnloadNow(), S_FALSE);

    CComPtr<IUnknown> spFirst, spSecond;
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&spFirst)),
              S_OK);
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&spSecond)),
              S_OK);
    EXPECT_NE(spFirst.Get(), spSecond.Get());
    ASSERT_EQ(pFactory->LockServer(TRUE), S_OK);
    pFactory->Release();
    EXPECT_EQ(CallDllCanUnloadNow(), S_FALSE);

    spFirst.Release();
    EXPECT_EQ(CallDllCanUnloadNow(), S_FALSE);
    spSecond.Release();
    EXPECT_EQ(CallDllCanUnloadNow(), S_FALSE) << "the lock is still held";

    CComPtr<IClassFactory> spAgain = Factory();
    spAgain->LockServer(FALSE);
    spAgain.Release();
    EXPECT_EQ(CallDllCanUnloadNow(), S_OK);
}

TEST_F(QuillmereServer, TypeLibraryDescribesTheClassAndItsDualInterface)
{
    CComPtr<IDispatch> spDispatch;
    ASSERT_EQ(CreateQuillmereObject(IID_IDispatch, reinterpret_cast<void**>(&spDispatch)), S_OK);
    UINT nCount = 0;
    ASSERT_EQ(spDispatch->GetTypeInfoCount(&nCount), S_OK);
    EXPECT_EQ(nCount, 1u);
    CComPtr<ITypeInfo> spInfo;
    EXPECT_EQ(spDispatch->GetTypeInfo(1, 0, &spInfo), DISP_E_BADINDEX);
    ASSERT_EQ(spDispatch->GetTypeInfo(0, 0, &spInfo), S_OK);

    TYPEATTR* pAttr = nullptr;
    ASSERT_EQ(spInfo->GetTypeAttr(&pAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(pAttr->guid, IID_IQuillmereBHO));
    EXPECT_EQ(pAttr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(pAttr->wTypeFlags & TYPEFLAG_FDUAL);
    // No methods of its own: only what IDispatch brings.
    EXPECT_EQ(pAttr->cFuncs, 7);
    spInfo->ReleaseTypeAttr(pAttr);

    // It declares nothing that could be called.
    LPOLESTR pszName = const_cast<LPOLESTR>(L"Exec");
    DISPID dispId = 0;
    EXPECT_EQ(spDispatch->GetIDsOfNames(IID_NULL, &pszName, 1, 0, &dispId), DISP_E_UNKNOWNNAME);
    DISPPARAMS noArguments = {};
    EXPECT_EQ(spDispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &noArguments, nullptr, nullptr,
                                 nullptr),
              DISP_E_MEMBERNOTFOUND);

    CComPtr<ITypeLib> spLib;
    UINT nIndex = 0;
    ASSERT_EQ(spInfo->GetContainingTypeLib(&spLib, &nIndex), S_OK);
    TLIBATTR* pLibAttr = nullptr;
    ASSERT_EQ(spLib->GetLibAttr(&pLibAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(pLibAttr->guid, LIBID_QuillmereLib));
    EXPECT_EQ(MAKELONG(pLibAttr->wMinorVerNum, pLibAttr->wMajorVerNum), MAKELONG(0, 1));
    spLib->ReleaseTLibAttr(pLibAttr);

    CComPtr<ITypeInfo> spClass;
    EXPECT_EQ(spLib->GetTypeInfoOfGuid(CLSID_QuillmereBHO, &spClass), S_OK);
}
