// Registration of the DLL, by regsvr32 as an installer runs it and through the exports in this
// process, checked against walks of the registry before and after; and the marks of the
// registration scripts on keys of the test's own.
#include <windows.h>
#include <docobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "browser/quillmere_idl.h"
#include "com/registry_script.h"
#include "demo/support/registry_key.h"
#include "tests/win/add_on_host/add_on_test_support.h"
#include "tests/win/com/quillmere_dll.h"
#include "win/com.h"

namespace
{
// One line per key ("HKCR\CLSID\{...}") and per value ("HKCR\CLSID\{...} | AppID = text").
using CRegistryLines = std::set<std::wstring>;

const wchar_t kClassId[] = L"{B55FCF84-1150-4723-98AF-2BEBEA344B25}";
const wchar_t kLibraryId[] = L"{2E0291AF-124C-4F57-B53F-4D5186C4907A}";
const wchar_t kInterfaceId[] = L"{CBDFB71D-743F-4FBF-9DAF-410360C14BF6}";
const wchar_t kAppId[] = L"{C9DF9296-D417-4DC3-ABA8-AE433AA3D4FB}";
const wchar_t kBrowserHelperObjects[] =
    L"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const wchar_t kExtensions[] = L"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

std::wstring ValueText(DWORD dwType, const std::vector<BYTE>& data, DWORD nBytes)
{
    if (dwType == REG_DWORD && nBytes == sizeof(DWORD))
        return L"dword:" + std::to_wstring(*reinterpret_cast<const DWORD*>(data.data()));
    if (dwType == REG_SZ || dwType == REG_EXPAND_SZ)
    {
        std::wstring strText(reinterpret_cast<const wchar_t*>(data.data()),
                             nBytes / sizeof(wchar_t));
        while (!strText.empty() && strText.back() == L'\0')
            strText.pop_back();
        return strText;
    }
    return L"type " + std::to_wstring(dwType) + L", " + std::to_wstring(nBytes) + L" bytes";
}

// Every key and value at and below the path, when the key exists.
void AddTree(HKEY hParent, const std::wstring& strPath, const std::wstring& strName,
             CRegistryLines& lines)
{
    const CRegistryKey key(hParent, strPath);
    if (!key)
        return;
    lines.insert(strName);
    std::vector<BYTE> data(64 * 1024);
    for (DWORD i = 0;; ++i)
    {
        wchar_t szValue[16384];
        DWORD nValue = 16384, dwType = 0, nBytes = static_cast<DWORD>(data.size());
        if (RegEnumValueW(key, i, szValue, &nValue, nullptr, &dwType, data.data(), &nBytes) !=
            ERROR_SUCCESS)
            break;
        lines.insert(strName + L" | " + (szValue[0] ? szValue : L"(default)") + L" = " +
                     ValueText(dwType, data, nBytes));
    }
    for (const std::wstring& strSubkey : key.SubkeyNames())
        AddTree(key, strSubkey, strName + L"\\" + strSubkey, lines);
}

// The parts of the registry that registration writes to, and every top-level class key.
CRegistryLines Snapshot()
{
    CRegistryLines lines;
    for (const wchar_t* pszKey : {L"AppID", L"CLSID", L"TypeLib", L"Interface"})
        AddTree(HKEY_CLASSES_ROOT, pszKey, std::wstring(L"HKCR\\") + pszKey, lines);
    for (const std::wstring& strKey : CRegistryKey(HKEY_CLASSES_ROOT, L"").SubkeyNames())
    {
        // Below the top level only the product's own keys: the rest is large and not ours.
        if (strKey.rfind(L"Quillmere", 0) == 0)
            AddTree(HKEY_CLASSES_ROOT, strKey, L"HKCR\\" + strKey, lines);
        else
            lines.insert(L"HKCR\\" + strKey);
    }
    for (const wchar_t* pszKey : {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer",
                                  L"SOFTWARE\\Microsoft\\Internet Explorer"})
        AddTree(HKEY_LOCAL_MACHINE, pszKey, std::wstring(L"HKLM\\") + pszKey, lines);
    return lines;
}

CRegistryLines Minus(const CRegistryLines& left, const CRegistryLines& right)
{
    CRegistryLines result;
    std::set_difference(left.begin(), left.end(), right.begin(), right.end(),
                        std::inserter(result, result.end()));
    return result;
}

std::wstring Lines(const CRegistryLines& lines)
{
    std::wstring strText;
    for (const std::wstring& strLine : lines)
        strText += strLine + L"\n";
    return strText;
}

bool StartsWithAny(const std::wstring& strLine, const std::vector<std::wstring>& prefixes)
{
    for (const std::wstring& strPrefix : prefixes)
    {
        if (strLine == strPrefix || strLine.rfind(strPrefix + L"\\", 0) == 0 ||
            strLine.rfind(strPrefix + L" | ", 0) == 0)
            return true;
    }
    return false;
}

// regsvr32 on the DLL, as an installer runs it; its exit code (0 for success).
int Regsvr32(const std::wstring& strSwitches)
{
    return RunRegsvr32(strSwitches + L" \"" + QuillmereDllPath() + L"\"");
}

bool IsClassRegistered()
{
    return CRegistryKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClassId) != nullptr;
}

// Every test starts unregistered and leaves the prefix registered or not, as it found it.
class Registration : public testing::Test
{
protected:
    void SetUp() override
    {
        m_bWasRegistered = IsClassRegistered();
        ASSERT_EQ(Regsvr32(L"/u /s"), 0);
    }

    void TearDown() override
    {
        if (m_bWasRegistered)
        {
            EXPECT_EQ(Regsvr32(L"/s"), 0);
        }
    }

private:
    bool m_bWasRegistered = false;
};
} // namespace

TEST_F(Registration, RegisteringTwiceLeavesOneSetAndRemovalLeavesOnlyTheKeptParents)
{
    const std::wstring strClass = std::wstring(L"HKCR\\CLSID\\") + kClassId;
    const std::wstring strModule = QuillmereDllPath();
    const CRegistryLines before = Snapshot();

    ASSERT_EQ(Regsvr32(L"/s"), 0);
    const CRegistryLines registered = Snapshot();
    ASSERT_EQ(Regsvr32(L"/s"), 0);
    EXPECT_EQ(Lines(Snapshot()), Lines(registered)) << "a second registration changed the entries";

    const CRegistryLines added = Minus(registered, before);
    const CRegistryLines expected = {
        std::wstring(L"HKCR\\AppID\\") + kAppId + L" | (default) = Quillmere",
        std::wstring(L"HKCR\\AppID\\Quillmere.DLL | AppID = ") + kAppId,
        std::wstring(L"HKCR\\Quillmere.QuillmereBHO.1 | (default) = QuillmereBHO Class"),
        std::wstring(L"HKCR\\Quillmere.QuillmereBHO.1\\CLSID | (default) = ") + kClassId,
        std::wstring(L"HKCR\\Quillmere.QuillmereBHO | (default) = QuillmereBHO Class"),
        std::wstring(L"HKCR\\Quillmere.QuillmereBHO\\CLSID | (default) = ") + kClassId,
        std::wstring(
            L"HKCR\\Quillmere.QuillmereBHO\\CurVer | (default) = Quillmere.QuillmereBHO.1"),
        strClass + L" | (default) = QuillmereBHO Class",
        strClass + L" | AppID = " + kAppId,
        strClass + L"\\ProgID | (default) = Quillmere.QuillmereBHO.1",
        strClass + L"\\VersionIndependentProgID | (default) = Quillmere.QuillmereBHO",
        strClass + L"\\Programmable",
        strClass + L"\\InprocServer32 | (default) = " + strModule,
        strClass + L"\\InprocServer32 | ThreadingModel = Apartment",
        strClass + L"\\TypeLib | (default) = " + kLibraryId,
        std::wstring(kBrowserHelperObjects) + L"\\" + kClassId + L" | (default) = Quillmere",
        std::wstring(kBrowserHelperObjects) + L"\\" + kClassId + L" | NoExplorer = dword:1",
        std::wstring(kExtensions) + L"\\" + kLibraryId +
            L" | CLSID = {1FBA04EE-3024-11D2-8F1F-0000F87ABD16}",
        std::wstring(kExtensions) + L"\\" + kLibraryId + L" | MenuText = &Quillmere...",
        std::wstring(kExtensions) + L"\\" + kLibraryId + L" | ClsIDExtension = " + kClassId,
        std::wstring(L"HKCR\\TypeLib\\") + kLibraryId,
        std::wstring(L"HKCR\\TypeLib\\") + kLibraryId +
            L"\\1.0 | (default) = Quillmere 1.0 Type Library",
        std::wstring(L"HKCR\\Interface\\") + kInterfaceId + L" | (default) = IQuillmereBHO",
    };
    EXPECT_EQ(Lines(Minus(expected, added)), L"") << "entries missing after registration";
    // Nothing was written anywhere else than below the keys named above.
    std::vector<std::wstring> ours;
    for (const std::wstring& strLine : expected)
        ours.push_back(strLine.substr(0, strLine.find(L" | ")));
    const CRegistryLines keptParents = {kBrowserHelperObjects, kExtensions};
    for (const std::wstring& strLine : added)
        EXPECT_TRUE(StartsWithAny(strLine, ours) || keptParents.count(strLine)) << strLine;

    ASSERT_EQ(Regsvr32(L"/u /s"), 0);
    const CRegistryLines removed = Snapshot();
    EXPECT_EQ(Lines(Minus(before, removed)), L"") << "removal took away what was there before";
    EXPECT_EQ(Lines(Minus(Minus(removed, before), keptParents)), L"")
        << "removal left entries behind";
    EXPECT_TRUE(removed.count(kBrowserHelperObjects) && removed.count(kExtensions));
    EXPECT_TRUE(removed.count(L"HKCR\\CLSID") && removed.count(L"HKCR\\AppID"));

    // Removing what is not there succeeds and changes nothing.
    ASSERT_EQ(Regsvr32(L"/u /s"), 0);
    EXPECT_EQ(Lines(Snapshot()), Lines(removed));
}

TEST_F(Registration, RegisteredClassIsMadeByComAndTheLocaleIsPutBack)
{
    ASSERT_NE(QuillmereDll(), nullptr);
    const LCID lcidFrench = MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT);
    ASSERT_TRUE(SetThreadLocale(lcidFrench));

    ASSERT_EQ(CallDllRegisterServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), lcidFrench);

    CComPtr<IOleCommandTarget> spTarget;
    EXPECT_EQ(CoCreateInstance(CLSID_QuillmereBHO, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IOleCommandTarget, reinterpret_cast<void**>(&spTarget)),
              S_OK);
    spTarget.Release();
    for (const wchar_t* pszProgId : {L"Quillmere.QuillmereBHO", L"Quillmere.QuillmereBHO.1"})
    {
        CLSID clsid = {};
        EXPECT_EQ(CLSIDFromProgID(pszProgId, &clsid), S_OK) << pszProgId;
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_QuillmereBHO)) << pszProgId;
    }
    CComPtr<ITypeLib> spTypeLib;
    EXPECT_EQ(LoadRegTypeLib(LIBID_QuillmereLib, 1, 0, 0, &spTypeLib), S_OK);
    spTypeLib.Release();

    ASSERT_EQ(CallDllUnregisterServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), lcidFrench);
    EXPECT_EQ(CoCreateInstance(CLSID_QuillmereBHO, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IOleCommandTarget, reinterpret_cast<void**>(&spTarget)),
              REGDB_E_CLASSNOTREG);
    EXPECT_NE(LoadRegTypeLib(LIBID_QuillmereLib, 1, 0, 0, &spTypeLib), S_OK);
    SetThreadLocale(LOCALE_USER_DEFAULT);
}

namespace
{
const wchar_t kScratchKey[] = L"Software\\Quillmere Registration Test";

class RegistryScriptMarks : public testing::Test
{
protected:
    void SetUp() override { SHDeleteKeyW(HKEY_CURRENT_USER, kScratchKey); }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, kScratchKey); }

    static void Write(const std::wstring& strPath, const wchar_t* pszValue = nullptr,
                      const wchar_t* pszText = L"")
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kScratchKey) + strPath).c_str(),
                                  0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr),
                  ERROR_SUCCESS);
        if (pszValue)
            RegSetValueExW(hKey, pszValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                           static_cast<DWORD>((wcslen(pszText) + 1) * sizeof(wchar_t)));
        RegCloseKey(hKey);
    }

    static CRegistryLines Tree()
    {
        CRegistryLines lines;
        AddTree(HKEY_CURRENT_USER, kScratchKey, L"T", lines);
        return lines;
    }
};
} // namespace

TEST_F(RegistryScriptMarks, EachMarkDecidesWhatRegistrationAndRemovalDo)
{
    const std::wstring strScript = LR"(
        HKCU
        {
            NoRemove Software
            {
                NoRemove 'Quillmere Registration Test'
                {
                    NoRemove Kept
                    {
                        val Ours = s 'ours'
                    }
                    ForceRemove Forced = s 'forced'
                    {
                        Path = s '%MODULE%'
                    }
                    PlainShared = s 'shared'
                    {
                        val Number = d '0x10'
                    }
                    plainOwn
                    {
                        Inner = s '100%%'
                        {
                            val Count = d '7'
                        }
                    }
                }
            }
        })";
    // A path holding a quote and a brace, as a folder name may.
    const CRegistryScript::CReplacements replacements = {{L"MODULE", L"C:\\Bob's {tools}\\q.dll"}};
    CRegistryScript script;
    ASSERT_TRUE(script.Parse(strScript, replacements));

    // What others put there before.
    Write(L"\\Kept\\Theirs", L"Value", L"theirs");
    Write(L"\\Forced\\Stale", L"Value", L"stale");
    Write(L"\\PlainShared\\Theirs");

    ASSERT_EQ(script.Register(), S_OK);
    ASSERT_EQ(script.Register(), S_OK);
    EXPECT_EQ(Lines(Tree()), Lines({
                                 L"T",
                                 L"T\\Forced",
                                 L"T\\Forced | (default) = forced",
                                 L"T\\Forced\\Path",
                                 L"T\\Forced\\Path | (default) = C:\\Bob's {tools}\\q.dll",
                                 L"T\\Kept",
                                 L"T\\Kept | Ours = ours",
                                 L"T\\Kept\\Theirs",
                                 L"T\\Kept\\Theirs | Value = theirs",
                                 L"T\\PlainShared",
                                 L"T\\PlainShared | (default) = shared",
                                 L"T\\PlainShared | Number = dword:16",
                                 L"T\\PlainShared\\Theirs",
                                 L"T\\plainOwn",
                                 L"T\\plainOwn\\Inner",
                                 L"T\\plainOwn\\Inner | (default) = 100%",
                                 L"T\\plainOwn\\Inner | Count = dword:7",
                             }));

    ASSERT_EQ(script.Unregister(), S_OK);
    // The kept keys stay, as does a plain key that still holds someone else's key.
    EXPECT_EQ(Lines(Tree()), Lines({
                                 L"T",
                                 L"T\\Kept",
                                 L"T\\Kept\\Theirs",
                                 L"T\\Kept\\Theirs | Value = theirs",
                                 L"T\\PlainShared",
                                 L"T\\PlainShared | (default) = shared",
                                 L"T\\PlainShared | Number = dword:16",
                                 L"T\\PlainShared\\Theirs",
                             }));
    EXPECT_EQ(script.Unregister(), S_OK);
}

TEST_F(RegistryScriptMarks, ScriptsThatAreNotWellFormedAreRefused)
{
    const CRegistryScript::CReplacements replacements = {{L"MODULE", L"m"}};
    const struct
    {
        const wchar_t* pszWhy;
        const wchar_t* pszScript;
    } refused[] = {
        {L"no closing brace", L"HKCU { Software { A }"},
        {L"a brace too many", L"HKCU { A } }"},
        {L"unknown root", L"HKXY { A }"},
        {L"unknown replacement", L"HKCU { A = s '%MODUEL%' }"},
        {L"lone percent sign", L"HKCU { A = s '50%' }"},
        {L"unterminated quote", L"HKCU { A = s 'text }"},
        {L"named value outside a key", L"HKCU { val A = s 'x' }"},
        {L"unknown value type", L"HKCU { A = b '01' }"},
        {L"number too large", L"HKCU { A { val N = d '4294967296' } }"},
        {L"number with letters", L"HKCU { A { val N = d '12ab' } }"},
        {L"a path for a name", L"HKCU { 'Software\\A' }"},
        {L"an empty name", L"HKCU { '' }"},
        {L"a value without data", L"HKCU { A = s }"},
    };
    const std::wstring strEarlier =
        L"HKCU { NoRemove Software { NoRemove 'Quillmere Registration Test' { Earlier } } }";
    for (const auto& entry : refused)
    {
        CRegistryScript script;
        ASSERT_TRUE(script.Parse(strEarlier, replacements));
        EXPECT_FALSE(script.Parse(entry.pszScript, replacements)) << entry.pszWhy;
        // Nothing is kept, not even the script read before.
        EXPECT_EQ(script.Register(), S_OK) << entry.pszWhy;
        EXPECT_EQ(Lines(Tree()), L"") << entry.pszWhy;
    }

    CRegistryScript script;
    EXPECT_TRUE(script.Parse(
        L"hkcu { noremove software { noremove 'Quillmere Registration Test' { VAL N = D '4294967295' } } }",
        replacements));
    ASSERT_EQ(script.Register(), S_OK);
    EXPECT_EQ(Lines(Tree()), Lines({L"T", L"T | N = dword:4294967295"}));
}
