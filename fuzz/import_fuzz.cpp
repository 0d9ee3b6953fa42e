// Feeds arbitrary bytes to the command's importers, the JSON one and the address-list one (the
// first byte chooses). An import either refuses its input with a clear error or gives a session;
// a session the writer accepts must then read back whole: a file the writer makes and the reader
// refuses would be a session lost.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "exceptions.h"
#include "manual_saved_instance_loader.h"
#include "manual_saved_instance_saver.h"
#include "session_formats.h"

namespace
{
class CMemoryFile : public ITempFile
{
public:
    explicit CMemoryFile(std::string& strBytes) : m_strBytes(strBytes) {}
    void Write(const std::string& strBytes) override { m_strBytes = strBytes; }
    EPublish Publish(const std::wstring&, bool, unsigned long&) override { return EPublish::Done; }

private:
    std::string& m_strBytes;
};

// Keeps the one file the writer writes in memory; nothing else is ever asked of it.
class CMemoryOs : public IOsOperations
{
public:
    wchar_t PathSeparator() const override { return L'/'; }
    bool QueryUserName(std::wstring&) override { return false; }
    bool QueryRoamingFolder(std::wstring&) override { return false; }
    unsigned QueryOsMajorVersion() override { return 10; }
    bool PathExists(const std::wstring&) override { return false; }
    unsigned long MakeDirectory(const std::wstring&) override { return 1; }
    bool ListFolder(const std::wstring&, std::vector<CDirectoryEntry>&, unsigned long&) override { return false; }
    EFindOneFile FindOneFile(const std::wstring&, std::time_t&) override { return EFindOneFile::NotFound; }
    bool MoveFileKeepExisting(const std::wstring&, const std::wstring&) override { return false; }
    unsigned long RenameFile(const std::wstring&, const std::wstring&) override { return 1; }
    unsigned long RemoveFile(const std::wstring&) override { return 0; }
    std::unique_ptr<ITempFile> CreateTempFile(const std::wstring&) override
    {
        return std::make_unique<CMemoryFile>(m_strBytes);
    }
    void RemoveStaleTempFiles(const std::wstring&) override {}
    std::FILE* OpenForReading(const std::wstring&, std::string&) override { return nullptr; }

    std::string m_strBytes;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0;
    const std::string strInput(reinterpret_cast<const char*>(pData) + 1, nSize - 1);
    CSession session(L"fuzz", 0);
    try
    {
        if (pData[0] & 1)
            session = SessionFromJson(nlohmann::json::parse(strInput), L"fuzz", 0);
        else
            session = SessionFromUrlList(strInput, L"fuzz", 0);
    }
    catch (const nlohmann::json::exception&)
    {
        return 0;
    }
    catch (const CFormatError&)
    {
        return 0;
    }

    CMemoryOs os;
    CManualSavedInstanceSaver saver(os);
    saver.SetFolder(L"/sessions");
    saver.SetSession(&session);
    try
    {
        saver.Save(L"fuzz");
    }
    catch (const std::exception&)
    {
        // Refused before anything was written: an address with a line break, say.
        return 0;
    }

    CSession readBack(L"fuzz", 0);
    CSessionFileStream stream(os.m_strBytes.data(), os.m_strBytes.size());
    CManualSavedInstanceLoader loader(os);
    try
    {
        loader.LoadSession(stream, &readBack);
    }
    catch (...)
    {
        __builtin_trap();
    }
    if (readBack.GetInstanceSetsCount() != session.GetInstanceSetsCount() ||
        readBack.GetUrlItemsCount() != session.GetUrlItemsCount())
        __builtin_trap();
    return 0;
}
