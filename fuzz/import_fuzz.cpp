// Feeds arbitrary bytes to the command's import, the JSON one or the address-list one (the first
// byte chooses), through the same two steps the command takes, with the session folder in memory.
// An import either refuses its input with a clear error or saves a session; a saved session must
// then read back whole, each tab as the file format stores it: a file the writer makes and the
// reader refuses or changes would be a session lost.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/session_formats.h"
#include "cli/session_import.h"
#include "session/manual_saved_instance_loader.h"
#include "session/session_file_limits.h"
#include "session/text_conversion.h"

namespace
{
// The address as the file gives it back: spaces are stored as "%20", and a file address loses
// its prefix and gets its spaces back.
std::wstring StoredUrl(std::wstring strUrl)
{
    for (std::size_t n = 0; (n = strUrl.find(L' ', n)) != std::wstring::npos;)
        strUrl.replace(n, 1, L"%20");
    return UnescapeFileUrl(strUrl);
}

// The title as stored: at most 200 UTF-16 units, line breaks as spaces.
std::wstring StoredTitle(const std::wstring& strTitle)
{
    std::wstring strOut = Utf16Prefix(strTitle, kMaxStoredTitleUnits);
    for (wchar_t& c : strOut)
    {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
    return strOut;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0;
    const std::string strInput(reinterpret_cast<const char*>(pData) + 1, nSize - 1);
    const EImportFormat format = (pData[0] & 1) ? EImportFormat::Json : EImportFormat::Urls;

    CSession session(L"fuzz", 0);
    try
    {
        session = ImportSession(format, strInput, L"fuzz");
    }
    catch (const CFormatError&)
    {
        return 0;
    }
    CMemoryOs os;
    try
    {
        SaveImportedSession(session, L"/sessions", L"fuzz", false, os);
    }
    catch (const CImportError&)
    {
        // Refused before anything was written: an address with a line break, say.
        if (!os.m_files.empty())
            __builtin_trap();
        return 0;
    }
    // The session file and nothing else.
    const auto file = os.m_files.find(L"/sessions/fuzz");
    if (file == os.m_files.end() || os.m_files.size() != 1)
        __builtin_trap();

    CSession readBack(L"fuzz", 0);
    CSessionFileStream stream(file->second.data(), file->second.size());
    CManualSavedInstanceLoader loader(os);
    try
    {
        loader.LoadSession(stream, &readBack);
    }
    catch (...)
    {
        __builtin_trap();
    }
    if (readBack.GetInstanceSetsCount() != session.GetInstanceSetsCount())
        __builtin_trap();
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        const std::vector<CUrlItem>& saved = session.GetInstanceSet(i)->GetUrlItems();
        const std::vector<CUrlItem>& read = readBack.GetInstanceSet(i)->GetUrlItems();
        if (read.size() != saved.size())
            __builtin_trap();
        for (std::size_t k = 0; k < saved.size(); ++k)
        {
            if (read[k].GetUrlRef() != StoredUrl(saved[k].GetUrlRef()) ||
                read[k].GetTitle() != StoredTitle(saved[k].GetTitle()))
                __builtin_trap();
        }
    }
    return 0;
}
