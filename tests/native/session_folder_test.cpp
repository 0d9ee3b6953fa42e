#include <gtest/gtest.h>

#include <cstdlib>

#include "session/session_folder.h"
#include "tests/native/fake_os.h"

TEST(SessionFolder, ChoosesTheFolderBySystemAndProfile)
{
    const std::wstring kLow = L"C:\\Users\\Ann\\AppData\\LocalLow";
    const struct
    {
        unsigned nVersion;
        const wchar_t* pszRoaming;
        std::wstring strFolder;  // also the one created
        bool bLow;
    } cases[] = {
        {5, L"C:\\Users\\Ann\\AppData\\Roaming", L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere", true},
        {6, L"C:\\Users\\Ann\\AppData\\Roaming", kLow + L"\\Quillmere", true},
        // Where the profile does not carry the logon name, the roaming folder.
        {6, L"D:\\Redirected\\AppData\\Roaming", L"D:\\Redirected\\AppData\\Roaming\\Quillmere", false},
        {6, L"C:\\Users\\ann\\AppData\\Roaming", L"C:\\Users\\ann\\AppData\\Roaming\\Quillmere", false},
        {6, L"C:\\Users\\Annette\\Data\\Roaming", L"C:\\Users\\Annette\\Data\\Roaming\\Quillmere", false},
    };
    for (const auto& c : cases)
    {
        CFakeWindowsOs os;
        os.m_nMajorVersion = c.nVersion;
        os.m_strRoaming = c.pszRoaming;
        os.MakeFolders(c.pszRoaming);
        os.MakeFolders(kLow);
        CSessionFolderLocator locator(os);
        std::wstring strPath;
        EXPECT_EQ(GetSessionFolder(strPath, os, locator), 1);
        EXPECT_EQ(strPath, c.strFolder);
        EXPECT_TRUE(os.PathExists(strPath));
        EXPECT_EQ(IsVistaOrLater(os), c.nVersion >= 6);
        std::wstring strLow = L"stale";
        EXPECT_EQ(locator.GetLowIntegrityFolder(strLow), c.bLow ? 1 : 0);
        EXPECT_EQ(strLow, c.bLow ? kLow : L"");
        EXPECT_EQ(locator.HasLowIntegrityFolder(), c.bLow ? 1 : 0);
        // A second call finds the folder and creates nothing.
        const int nMade = os.m_nDirectoriesMade;
        EXPECT_EQ(GetSessionFolder(strPath, os, locator), 1);
        EXPECT_EQ(os.m_nDirectoriesMade, nMade);
    }
}

TEST(SessionFolder, UnknownUserOrFolder)
{
    CFakeWindowsOs os;
    os.m_bFailUserName = true;
    os.MakeFolders(os.m_strRoaming);
    CSessionFolderLocator locator(os);
    std::wstring strPath;
    EXPECT_EQ(GetSessionFolder(strPath, os, locator), 1);
    EXPECT_EQ(strPath, L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere");
    EXPECT_EQ(locator.MigrateSessionFiles(), 0);

    // No application-data folder at all: no path rather than one at the root of a drive.
    CFakeWindowsOs bare;
    bare.m_strRoaming.clear();
    CSessionFolderLocator bareLocator(bare);
    EXPECT_NE(GetSessionFolder(strPath, bare, bareLocator), 1);
    EXPECT_EQ(strPath, L"");

    // A folder that cannot be created reports the system's error code.
    CFakeWindowsOs noParent;
    noParent.m_nMajorVersion = 5;
    CSessionFolderLocator noParentLocator(noParent);
    const int nResult = GetSessionFolder(strPath, noParent, noParentLocator);
    EXPECT_NE(nResult, 1);
    EXPECT_NE(nResult, 0);
}

TEST(SessionFolder, LocatorCachesWhatItFound)
{
    CFakeWindowsOs os;
    CSessionFolderLocator locator(os);
    std::wstring strName;
    EXPECT_EQ(locator.GetCurrentUserName(strName), 1);
    os.m_strUserName = L"Bob";
    os.m_strRoaming = L"C:\\Users\\Bob\\AppData\\Roaming";
    EXPECT_EQ(locator.GetCurrentUserName(strName), 1);
    EXPECT_EQ(strName, L"Ann");
    std::wstring strRoot;
    EXPECT_EQ(locator.GetAppDataRoot(strRoot), 0);  // Ann's key is not in Bob's folder

    CSessionFolderLocator failing(os);
    os.m_bFailUserName = true;
    strName = L"unchanged";
    EXPECT_EQ(failing.GetCurrentUserName(strName), 0);
    EXPECT_EQ(strName, L"unchanged");

    CSessionFolderLocator bob(os);
    os.m_bFailUserName = false;
    EXPECT_EQ(bob.GetAppDataRoot(strRoot), 1);
    os.m_strRoaming.clear();
    EXPECT_EQ(bob.GetAppDataRoot(strRoot), 1);
    EXPECT_EQ(strRoot, L"C:\\Users\\Bob\\AppData");
}

TEST(SessionFolder, MigrationGathersStrayFilesWithoutReplacing)
{
    CFakeWindowsOs os;
    const std::wstring strRoaming = L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere";
    const std::wstring strVirtual =
        L"C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files\\Virtualized\\C\\Users\\Ann"
        L"\\AppData\\Roaming\\Quillmere";
    const std::wstring strLow = L"C:\\Users\\Ann\\AppData\\LocalLow\\Quillmere";
    os.MakeFolders(strRoaming + L"\\archive");
    os.MakeFolders(strVirtual);
    os.MakeFolders(strLow);
    os.Write(strRoaming + L"\\old", "roaming old");
    os.Write(strRoaming + L"\\notes.txt", "any name moves");
    os.Write(strRoaming + L"\\both", "roaming both");
    os.Write(strVirtual + L"\\virtual", "virtual");
    os.Write(strLow + L"\\both", "low both");

    CSessionFolderLocator locator(os);
    EXPECT_EQ(locator.MigrateSessionFiles(), 1);
    EXPECT_EQ(os.Names(strLow), (std::vector<std::wstring>{L"both", L"notes.txt", L"old", L"virtual"}));
    EXPECT_EQ(os.Read(strLow + L"\\both"), "low both");
    EXPECT_EQ(os.Names(strRoaming), (std::vector<std::wstring>{L"archive", L"both"}));
    EXPECT_TRUE(os.Names(strVirtual).empty());

    // Nothing moves into a destination that does not exist.
    CFakeWindowsOs other;
    other.MakeFolders(L"C:\\src");
    other.Write(L"C:\\src\\a", "a");
    MoveFolderFiles(L"C:\\src", L"C:\\dst", other);
    EXPECT_TRUE(other.Exists(L"C:\\src\\a"));
}

TEST(SessionFolder, RealSystemFolder)
{
    std::wstring strPath;
    EXPECT_EQ(GetSessionFolder(strPath), 1);
    EXPECT_TRUE(SystemOs().PathExists(strPath));
#ifdef _WIN32
    // Under a profile that carries the logon name the folder lies below LocalLow.
    EXPECT_NE(strPath.find(L"\\AppData\\LocalLow\\Quillmere"), std::wstring::npos);
#else
    const char* pszData = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(pszData, nullptr);
    EXPECT_EQ(strPath, std::wstring(pszData, pszData + std::char_traits<char>::length(pszData)) + L"/Quillmere");
#endif
}
