#include "cli/session_import.h"

#include <exception>
#include <ios>
#include <utility>

#include "base/exceptions.h"
#include "cli/session_formats.h"
#include "session/manual_saved_instance_saver.h"
#include "session/text_conversion.h"

namespace
{
std::string Quoted(const std::wstring& strText)
{
    return "'" + WideToUtf8(strText) + "'";
}

std::string DescribeFailure()
{
    try
    {
        throw;
    }
    catch (const CException& e)
    {
        return WideToUtf8(e.GetErrorMessage());
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    catch (...)
    {
        return "unknown failure";
    }
}

// The writer names what it refused but not where: each tab is offered to it alone, in memory,
// and the first one refused is the place. Empty when no single tab is refused.
std::string PlaceOfRefusal(const CSession& session)
{
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        const std::vector<CUrlItem>& items = session.GetInstanceSet(i)->GetUrlItems();
        for (std::size_t k = 0; k < items.size(); ++k)
        {
            CInstanceSet set;
            set.AddUrlItem(items[k]);
            CSession one(L"", 0);
            one.AddInstanceSet(std::move(set));
            CMemoryOs memory;
            CManualSavedInstanceSaver saver(memory);
            saver.SetFolder(L"/");
            saver.SetSession(&one);
            try
            {
                saver.Save(L"tab");
            }
            catch (const std::exception& e)
            {
                return "window " + std::to_string(i + 1) + ", tab " + std::to_string(k + 1) + ": " + e.what();
            }
        }
    }
    return std::string();
}
}  // namespace

CSession ImportSession(EImportFormat format, const std::string& strBytes, const std::wstring& strName)
{
    // The file takes its time from the disk; the session's own is never stored.
    return format == EImportFormat::Json ? SessionFromJsonText(strBytes, strName, 0)
                                         : SessionFromUrlList(strBytes, strName, 0);
}

void SaveImportedSession(CSession& session, const std::wstring& strFolder, const std::wstring& strName,
                         bool bReplace, IOsOperations& os)
{
    const std::string strExists = "a session named " + Quoted(strName) + " exists already; --force replaces it";
    if (!bReplace && os.PathExists(strFolder + os.PathSeparator() + strName))
        throw CImportError(strExists);

    CManualSavedInstanceSaver saver(os);
    saver.SetFolder(strFolder);
    saver.SetSession(&session);
    // Also refused when another writer takes the name after the check above.
    saver.SetReplaceExisting(bReplace);
    try
    {
        saver.Save(strName.c_str());
    }
    catch (const std::ios_base::failure& e)
    {
        throw CImportError(Quoted(strName) + " was not saved: " + e.what());
    }
    catch (...)
    {
        std::string strReason = DescribeFailure();
        if (strReason == "CManualSavedInstanceSaver::Save() - FileExists")
            throw CImportError(strExists);
        const std::string strPlace = PlaceOfRefusal(session);
        if (!strPlace.empty())
            strReason = strPlace;
        throw CImportError(Quoted(strName) + " was not saved: " + strReason);
    }
}

bool CMemoryOs::ListFolder(const std::wstring& strFolder, std::vector<CDirectoryEntry>& entries,
                           unsigned long& nError)
{
    nError = 0;
    const std::wstring strPrefix = strFolder + L'/';
    for (const auto& file : m_files)
    {
        if (file.first.compare(0, strPrefix.size(), strPrefix) == 0 &&
            file.first.find(L'/', strPrefix.size()) == std::wstring::npos)
            entries.push_back({file.first.substr(strPrefix.size()), false});
    }
    return true;
}

EFindOneFile CMemoryOs::FindOneFile(const std::wstring& strPath, std::time_t& lastWrite)
{
    lastWrite = 0;
    return PathExists(strPath) ? EFindOneFile::Found : EFindOneFile::NotFound;
}

namespace
{
class CMemoryTempFile : public ITempFile
{
public:
    explicit CMemoryTempFile(std::map<std::wstring, std::string>& files) : m_files(files) {}
    void Write(const std::string& strBytes) override { m_strBytes += strBytes; }
    EPublish Publish(const std::wstring& strTarget, bool bReplace, unsigned long&) override
    {
        if (!bReplace && m_files.count(strTarget))
            return EPublish::TargetExists;
        m_files[strTarget] = std::move(m_strBytes);
        return EPublish::Done;
    }

private:
    std::map<std::wstring, std::string>& m_files;
    std::string m_strBytes;
};
}  // namespace

std::unique_ptr<ITempFile> CMemoryOs::CreateTempFile(const std::wstring&)
{
    return std::make_unique<CMemoryTempFile>(m_files);
}

bool CMemoryOs::Move(const std::wstring& strFrom, const std::wstring& strTo)
{
    const auto from = m_files.find(strFrom);
    if (from == m_files.end())
        return false;
    std::string strBytes = std::move(from->second);
    m_files.erase(from);
    m_files[strTo] = std::move(strBytes);
    return true;
}
