// QuillmereSetup.exe under Wine: a silent install puts both DLLs in place, registers the add-on
// for the browser and lists it among the installed programs; a silent uninstall takes all of it
// away again. The browser's side is checked with the stand-in browser.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo/stand_in_browser/stand_in_browser.h"
#include "demo/support/registry_key.h"
#include "tests/support/harness/input.h"
#include "tests/win/add_on_host/add_on_test_support.h"

namespace
{
using CLines = std::vector<std::wstring>;

const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmere";
const wchar_t kHelperObjectsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const wchar_t kProgId[] = L"Quillmere.QuillmereBHO";
const wchar_t kVersionedProgId[] = L"Quillmere.QuillmereBHO.1";
const wchar_t kMenuText[] = L"&Quillmere...";
// The uninstaller copies itself away and returns at once; the files go a moment later.
const DWORD kUninstallMs = 30000;

std::wstring InstallFolder()
{
    wchar_t szFolder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, szFolder);
    return std::wstring(szFolder) + L"\\Quillmere";
}

bool FileExists(const std::wstring& strPath)
{
    return GetFileAttributesW(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileBytes(const std::wstring& strPath)
{
    std::ifstream file(strPath.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The machine a PE file is built for (IMAGE_FILE_MACHINE_*), 0 when it is none.
WORD Machine(const std::string& strBytes)
{
    if (strBytes.size() < 0x40 || strBytes.compare(0, 2, "MZ") != 0)
        return 0;
    const DWORD nHeader = *reinterpret_cast<const DWORD*>(strBytes.data() + 0x3C);
    if (nHeader + 6 > strBytes.size() || strBytes.compare(nHeader, 4, std::string("PE\0\0", 4)))
        return 0;
    return *reinterpret_cast<const WORD*>(strBytes.data() + nHeader + 4);
}

// The Extensions keys (HKLM) whose ClsIDExtension is the class, each as "MenuText CLSID".
CLines ExtensionsOf(const std::wstring& strClass)
{
    CLines extensions;
    for (const std::wstring& strName : CRegistryKey(HKEY_LOCAL_MACHINE, kExtensionsKey).SubkeyNames())
    {
        const std::wstring strKey = std::wstring(kExtensionsKey) + L"\\" + strName;
        if (ReadText(HKEY_LOCAL_MACHINE, strKey, L"ClsIDExtension") == strClass)
            extensions.push_back(ReadText(HKEY_LOCAL_MACHINE, strKey, L"MenuText") + L" " +
                                 ReadText(HKEY_LOCAL_MACHINE, strKey, L"CLSID"));
    }
    return extensions;
}

// What the stand-in browser makes of the registry: its helper and Tools lines for the class.
CLines BrowserSees(const std::wstring& strClass)
{
    CStandInBrowser browser;
    if (!browser.Start({L"http://a.example/|A"}))
        return {L"not started: " + browser.Error()};
    CLines lines;
    for (const std::vector<std::wstring>& fields : browser.LogLines())
    {
        if (fields.size() >= 4 && fields[0] == standin::kLogHelper && fields[2] == strClass)
            lines.push_back(L"helper " + fields[3]);
        if (fields.size() == 4 && fields[0] == standin::kLogTool && fields[3] == kMenuText)
            lines.push_back(L"tool " + fields[3]);
    }
    return lines;
}

class Installer : public testing::Test
{
protected:
    // A run that failed half-way leaves an installation behind; this one starts without it.
    void SetUp() override { Uninstall(); }
    void TearDown() override
    {
        EndBrowserProcesses();
        Uninstall();
    }

    // The uninstaller's exit code, -2 when there was nothing to uninstall; true from WaitGone
    // once the install folder is gone and, the uninstaller's last step after it, the entry in the
    // list of installed programs.
    static int Uninstall()
    {
        const std::wstring strUninstaller = InstallFolder() + L"\\Uninstall.exe";
        if (!FileExists(strUninstaller))
            return -2;
        const int nResult = RunProgram(L"\"" + strUninstaller + L"\" /S");
        WaitGone();
        return nResult;
    }
    static bool WaitGone()
    {
        return WaitFor([] { return !FileExists(InstallFolder()) && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); },
                       kUninstallMs);
    }
};

TEST_F(Installer, SilentInstallRegistersBothDllsAndSilentUninstallTakesEverythingAway)
{
    ASSERT_FALSE(FileExists(InstallFolder()));
    ASSERT_EQ(RunProgram(L"\"" QLMR_SETUP L"\" /S"), 0);

    // Each DLL in its folder, the one that was built for it.
    const std::wstring strFolder = InstallFolder();
    const std::string strX64 = FileBytes(strFolder + L"\\x64\\Quillmere.dll");
    const std::string strX86 = FileBytes(strFolder + L"\\x86\\Quillmere.dll");
    EXPECT_TRUE(strX64 == FileBytes(QLMR_X64_DLL)) << "x64\\Quillmere.dll is not the x64 build";
    EXPECT_TRUE(strX86 == FileBytes(QLMR_X86_DLL)) << "x86\\Quillmere.dll is not the x86 build";
    EXPECT_EQ(Machine(strX64), IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(Machine(strX86), IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(FileExists(strFolder + L"\\Uninstall.exe"));
    // The command runs from where it was installed.
    EXPECT_EQ(RunProgram(L"\"" + strFolder + L"\\quillmere.exe\" --version"), 0);

    // The entry in the list of installed programs.
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Quillmere");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), L"1.4.0");
    EXPECT_FALSE(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher").empty());
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation"), strFolder);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
              L"\"" + strFolder + L"\\Uninstall.exe\"");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"),
              L"\"" + strFolder + L"\\Uninstall.exe\" /S");

    // The 64-bit registration, made by regsvr32 from the installed DLL: class, helper object and
    // Tools-menu item.
    const std::wstring strClass =
        ReadText(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", L"");
    ASSERT_EQ(strClass.size(), 38u) << "no class id under " << kProgId;
    const std::wstring strClassKey = L"CLSID\\" + strClass;
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, strClassKey + L"\\InprocServer32", L""),
              strFolder + L"\\x64\\Quillmere.dll");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kHelperObjectsKey + strClass));
    EXPECT_EQ(ExtensionsOf(strClass),
              CLines{std::wstring(kMenuText) + L" {1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"});
    const std::wstring strTypeLib = ReadText(HKEY_CLASSES_ROOT, strClassKey + L"\\TypeLib", L"");
    const std::wstring strAppId = ReadText(HKEY_CLASSES_ROOT, strClassKey, L"AppID");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + strTypeLib)) << strTypeLib;
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\" + strAppId)) << strAppId;

    // The browser loads it into its window and lists its command.
    EXPECT_EQ(BrowserSees(strClass), (CLines{L"tool &Quillmere...", L"helper loaded"}));

    // The uninstaller returns at once and finishes on its own.
    EXPECT_EQ(RunProgram(L"\"" + strFolder + L"\\Uninstall.exe\" /S"), 0);
    ASSERT_TRUE(WaitGone()) << "the install folder or its list entry is still there";

    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kVersionedProgId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, strClassKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kHelperObjectsKey + strClass));
    EXPECT_EQ(ExtensionsOf(strClass), CLines{});
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + strTypeLib));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\" + strAppId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\Quillmere.DLL"));
    EXPECT_EQ(BrowserSees(strClass), CLines{});
}

TEST_F(Installer, InstallingAgainOverAnInstallationLeavesOneOfEverything)
{
    ASSERT_EQ(RunProgram(L"\"" QLMR_SETUP L"\" /S"), 0);
    ASSERT_EQ(RunProgram(L"\"" QLMR_SETUP L"\" /S"), 0);
    const std::wstring strClass =
        ReadText(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", L"");
    ASSERT_EQ(strClass.size(), 38u);
    EXPECT_EQ(ExtensionsOf(strClass).size(), 1u);
    EXPECT_EQ(BrowserSees(strClass), (CLines{L"tool &Quillmere...", L"helper loaded"}));

    EXPECT_EQ(Uninstall(), 0);
    EXPECT_FALSE(FileExists(InstallFolder()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + strClass));
}
} // namespace
