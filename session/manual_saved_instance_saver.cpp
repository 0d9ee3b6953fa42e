#include "manual_saved_instance_saver.h"

#include <ios>
#include <sstream>
#include <system_error>

#include "session_file_limits.h"
#include "session_folder.h"
#include "text_conversion.h"
#include "throw_if.h"

namespace
{
const char kCrLf[] = "\r\n";

std::wstring ReplaceSpaces(const std::wstring& strUrl)
{
    std::wstring strOut;
    strOut.reserve(strUrl.size());
    for (wchar_t c : strUrl)
    {
        if (c == L' ')
            strOut += L"%20";
        else
            strOut += c;
    }
    return strOut;
}

// The reader takes an address as one word: any white space but the space (which becomes "%20")
// would split it.
bool HasWordBreak(const std::wstring& strUrl)
{
    for (wchar_t c : strUrl)
    {
        if (c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r')
            return true;
    }
    return false;
}

// A title is one line: a line break inside it would end it early.
std::wstring TitleLine(const std::wstring& strTitle)
{
    std::wstring strOut = Utf16Prefix(strTitle, kMaxStoredTitleUnits);
    for (wchar_t& c : strOut)
    {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
    return strOut;
}

bool HasPathSeparator(const wchar_t* pch)
{
    for (; *pch; ++pch)
    {
        if (*pch == L'\\' || *pch == L'/')
            return true;
    }
    return false;
}
}  // namespace

void CManualSavedInstanceSaver::Save(const wchar_t* pchFileName)
{
    ThrowIf(pchFileName == nullptr || *pchFileName == L'\0' || HasPathSeparator(pchFileName),
            "CManualSavedInstanceSaver::Save() - pchFileName is bad");
    ThrowIfNull(m_pSession, "CManualSavedInstanceSaver::Save() - m_pSession is NULL");
    ThrowIf(m_pSession->GetInstanceSetsCount() == 0,
            "CManualSavedInstanceSaver::Save() - GetInstanceSetsCount() is empty");
    VerifySession();

    // The whole file is composed before the folder is touched, so a refused session writes
    // nothing at all.
    std::ostringstream out;
    out << kSessionFileMagic << kCrLf << 2 << kCrLf;
    SaveInstanceSets(out);
    const std::string strBytes = out.str();

    std::wstring strFolder = m_strFolder;
    if (strFolder.empty())
        GetSessionFolder(strFolder);
    ThrowIf(strFolder.empty(), "CManualSavedInstanceSaver::Save() - strFolder is empty");

    m_strFilePath = strFolder + m_os.PathSeparator() + pchFileName;

    // Written beside the target and moved over it in one step: a failed write never destroys the
    // session already saved under this name. The temporary name holds a "." so that the
    // catalogue never lists it.
    const std::wstring strTempPath =
        m_strFilePath + L"." + std::to_wstring(m_os.CurrentProcessId()) + L".tmp";
    try
    {
        m_os.WriteNewFile(strTempPath, strBytes);
        const unsigned long nError = m_os.MoveFileReplacing(strTempPath, m_strFilePath);
        if (nError != 0)
            throw std::ios_base::failure("cannot replace the session file",
                                         std::error_code(static_cast<int>(nError), std::system_category()));
    }
    catch (...)
    {
        m_os.RemoveFile(strTempPath);
        throw;
    }

    m_pSession->SetName(pchFileName);
}

void CManualSavedInstanceSaver::VerifySession() const
{
    const int nSets = m_pSession->GetInstanceSetsCount();
    ThrowIf(nSets > kMaxFileCount, "CManualSavedInstanceSaver::Save() - TooManyInstanceSets");
    for (int i = 0; i < nSets; ++i)
    {
        const CInstanceSet* pSet = m_pSession->GetInstanceSet(i);
        ThrowIf(pSet->GetUrlItemsCount() == 0, "CManualSavedInstanceSaver::Save() - EmptyInstanceSet");
        ThrowIf(pSet->GetUrlItemsCount() > kMaxFileCount, "CManualSavedInstanceSaver::Save() - TooManyUrlItems");
        for (const CUrlItem& item : pSet->GetUrlItems())
        {
            ThrowIf(item.GetUrlRef().empty(), "CManualSavedInstanceSaver::Save() - EmptyUrl");
            ThrowIf(HasWordBreak(item.GetUrlRef()), "CManualSavedInstanceSaver::Save() - UrlHasWhiteSpace");
        }
    }
}

void CManualSavedInstanceSaver::SaveInstanceSets(std::ostream& out)
{
    ThrowIfNull(m_pSession, "CManualSavedInstanceSaver::SaveInstanceSets() - m_pSession is NULL");
    const int nSets = m_pSession->GetInstanceSetsCount();
    out << nSets << kCrLf;
    for (int i = 0; i < nSets; ++i)
    {
        const CInstanceSet* pSet = m_pSession->GetInstanceSet(i);
        out << "[Instance " << (i + 1) << "]" << kCrLf;
        const int nItems = pSet->GetUrlItemsCount();
        out << nItems << kCrLf;
        for (int j = 0; j < nItems; ++j)
        {
            const CUrlItem* pItem = pSet->GetUrlItem(j);

            const std::string strUrl = WideToUtf8(ReplaceSpaces(pItem->GetUrlRef()));
            ThrowIf(strUrl.size() > static_cast<size_t>(kMaxFileCount),
                    "CManualSavedInstanceSaver::SaveInstanceSets() - UrlTooLong");
            out << strUrl.size() << kCrLf << strUrl << kCrLf;

            const std::string strTitle = WideToUtf8(TitleLine(pItem->GetTitle()));
            ThrowIf(strTitle.empty(), "CManualSavedInstanceSaver::SaveInstanceSets() - InvalidConvertedString");
            out << strTitle.size() << kCrLf << strTitle;

            if (i != nSets - 1 || j != nItems - 1)
                out << kCrLf;
        }
    }
    if (!out)
        throw std::ios_base::failure("cannot write the session");
}
