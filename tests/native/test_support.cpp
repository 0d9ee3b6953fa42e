#include "tests/native/test_support.h"

#include <algorithm>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "session/os_operations.h"

namespace fs = std::filesystem;

CTempFolder::CTempFolder()
{
    std::random_device random;
    fs::path candidate;
    do
        candidate = fs::temp_directory_path() / ("qlmr-test-" + std::to_string(random()));
    while (!fs::create_directory(candidate));
    m_strPath = candidate.wstring();
}

CTempFolder::~CTempFolder()
{
    std::error_code ec;
    fs::remove_all(fs::path(m_strPath), ec);
}

std::wstring CTempFolder::File(const std::wstring& strName) const
{
    return m_strPath + SystemOs().PathSeparator() + strName;
}

std::string ReadBytes(const std::wstring& strPath)
{
    std::ifstream in(fs::path(strPath), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::wstring& strPath, const std::string& strBytes)
{
    std::ofstream out(fs::path(strPath), std::ios::binary | std::ios::trunc);
    out.write(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
    ASSERT_TRUE(out.good());
}

bool FileExists(const std::wstring& strPath)
{
    return fs::exists(fs::path(strPath));
}

void MakeFolder(const std::wstring& strPath)
{
    fs::create_directories(fs::path(strPath));
}

std::vector<std::wstring> FolderNames(const std::wstring& strFolder)
{
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(fs::path(strFolder)))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

CSession MakeSession(const std::wstring& strName, std::initializer_list<TabList> windows)
{
    CSession session(strName, 1700000000);
    for (const TabList& tabs : windows)
    {
        CInstanceSet set;
        for (const auto& tab : tabs)
        {
            CUrlItem item;
            item.SetUrl(std::wstring(tab.first));
            item.SetTitle(std::wstring(tab.second));
            set.AddUrlItem(item);
        }
        session.AddInstanceSet(set);
    }
    return session;
}

std::wstring Describe(const CSession& session)
{
    std::wstring strOut;
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        strOut += (i ? L" [" : L"[") + std::to_wstring(i + 1) + L"]";
        for (const CUrlItem& item : session.GetInstanceSet(i)->GetUrlItems())
            strOut += L" <" + item.GetUrlRef() + L"|" + item.GetTitle() + L">";
    }
    return strOut;
}

std::string CrLfLines(std::initializer_list<std::string> lines)
{
    std::string strOut;
    for (const std::string& strLine : lines)
        strOut += (&strLine == lines.begin() ? "" : "\r\n") + strLine;
    return strOut;
}

std::string OneTabFile(const std::string& strTitle)
{
    return CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank",
                      std::to_string(strTitle.size()), strTitle});
}

std::wstring TestDataPath(const std::wstring& strName)
{
    return fs::path(QLMR_TEST_DATA_DIR).wstring() + SystemOs().PathSeparator() + strName;
}

#ifndef _WIN32
namespace
{
// The native build's session folder follows $XDG_DATA_HOME: point it at a folder of the run's
// own, so no test touches the developer's sessions.
class CPrivateDataHome : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_pFolder = std::make_unique<CTempFolder>();
        setenv("XDG_DATA_HOME", fs::path(m_pFolder->Path()).string().c_str(), 1);
    }
    void TearDown() override { m_pFolder.reset(); }

private:
    std::unique_ptr<CTempFolder> m_pFolder;
};

const auto* const g_pPrivateDataHome = ::testing::AddGlobalTestEnvironment(new CPrivateDataHome);
}  // namespace
#endif
