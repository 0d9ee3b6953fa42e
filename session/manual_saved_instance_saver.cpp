#include "session/manual_saved_instance_saver.h"

#include <ios>
#include <memory>
#include <system_error>
#include <type_traits>

#include "base/throw_if.h"
#include "session/session_file_limits.h"
#include "session/session_folder.h"
#include "session/text_conversion.h"

namespace
{
const char kCrLf[] = "\r\n";

void AppendNumber(std::string& strOut, std::size_t n)
{
    char szDigits[24];
    char* p = szDigits + sizeof szDigits;
    do
        *--p = static_cast<char>('0' + n % 10);
    while ((n /= 10) != 0);
    strOut.append(p, szDigits + sizeof szDigits);
}

// The address as stored, every space as "%20", into strBytes. Most addresses have no space and
// are converted without a copy.
void StoreUrl(const std::wstring& strUrl, std::string& strBytes)
{
    strBytes.clear();
    if (strUrl.find(L' ') == std::wstring::npos)
    {
        AppendUtf8(strUrl, strBytes);
        return;
    }
    std::wstring strOut;
    strOut.reserve(strUrl.size());
    for (wchar_t c : strUrl)
    {
        if (c == L' ')
            strOut += L"%20";
        else
            strOut += c;
    }
    AppendUtf8(strOut, strBytes);
}

// Whether any character of the text lies in [first, last]. Four at a time, without a branch
// each: the writer checks every character of every address and title this way.
bool HasCharacterIn(const std::wstring& strText, wchar_t first, wchar_t last)
{
    using Unit = std::make_unsigned_t<wchar_t>;
    const Unit nFirst = static_cast<Unit>(first);
    const Unit nSpan = static_cast<Unit>(static_cast<Unit>(last) - nFirst);
    const auto In = [&](wchar_t c) -> unsigned {
        return static_cast<Unit>(static_cast<Unit>(c) - nFirst) <= nSpan;
    };
    const wchar_t* p = strText.data();
    const std::size_t n = strText.size();
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
    {
        if (In(p[i]) | In(p[i + 1]) | In(p[i + 2]) | In(p[i + 3]))
            return true;
    }
    for (; i < n; ++i)
    {
        if (In(p[i]))
            return true;
    }
    return false;
}

// Tab, line feed, vertical tab, form feed and carriage return: the white space other than the
// space, which would split the address the reader takes as one word.
bool HasWordBreak(const std::wstring& strUrl)
{
    return HasCharacterIn(strUrl, L'\t', L'\r');
}

bool HasLineBreak(const std::wstring& strTitle)
{
    // Line feed to carriage return first, the exact test only where one of them is.
    if (!HasCharacterIn(strTitle, L'\n', L'\r'))
        return false;
    return strTitle.find_first_of(L"\r\n") != std::wstring::npos;
}

// The title as stored, into strBytes: at most 200 UTF-16 units, and on one line, since a line
// break inside it would end it early. Most titles need neither and are converted without a copy.
void StoreTitle(const std::wstring& strTitle, std::string& strBytes)
{
    strBytes.clear();
    // Each character counts at most two units, so a short title needs no count.
    const bool bShort = strTitle.size() <= kMaxStoredTitleUnits / 2 ||
                        Utf16Length(strTitle) <= kMaxStoredTitleUnits;
    if (bShort && !HasLineBreak(strTitle))
    {
        AppendUtf8(strTitle, strBytes);
        return;
    }
    std::wstring strOut = Utf16Prefix(strTitle, kMaxStoredTitleUnits);
    for (wchar_t& c : strOut)
    {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
    AppendUtf8(strOut, strBytes);
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
    std::string strBytes = kSessionFileMagic;
    strBytes += kCrLf;
    strBytes += '2';
    strBytes += kCrLf;
    ComposeInstanceSets(strBytes);

    std::wstring strFolder = m_strFolder;
    if (strFolder.empty())
        GetSessionFolder(strFolder);
    ThrowIf(strFolder.empty(), "CManualSavedInstanceSaver::Save() - strFolder is empty");

    m_strFilePath = strFolder + m_os.PathSeparator() + pchFileName;

    // Written beside the target and moved over it in one step: a failed write never destroys the
    // session already saved under this name, and a reader sees the old file or the new one whole.
    m_os.RemoveStaleTempFiles(strFolder);
    std::unique_ptr<ITempFile> pTemp = m_os.CreateTempFile(strFolder);
    pTemp->Write(strBytes);
    unsigned long nError = 0;
    const EPublish published = pTemp->Publish(m_strFilePath, m_bReplaceExisting, nError);
    // The name was free when the caller looked; another writer took it since.
    ThrowIf(published == EPublish::TargetExists, "CManualSavedInstanceSaver::Save() - FileExists");
    if (published != EPublish::Done)
        throw std::ios_base::failure("cannot replace the session file",
                                     std::error_code(static_cast<int>(nError), std::system_category()));

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

void CManualSavedInstanceSaver::ComposeInstanceSets(std::string& strOut) const
{
    const int nSets = m_pSession->GetInstanceSetsCount();
    // Room for the typical tab, so that a large session is not regrown many times.
    strOut.reserve(strOut.size() + 32 +
                   static_cast<std::size_t>(m_pSession->GetUrlItemsCount()) * 160);
    AppendNumber(strOut, static_cast<std::size_t>(nSets));
    strOut += kCrLf;
    std::string strUrl;
    std::string strTitle;
    for (int i = 0; i < nSets; ++i)
    {
        const CInstanceSet* pSet = m_pSession->GetInstanceSet(i);
        strOut += "[Instance ";
        AppendNumber(strOut, static_cast<std::size_t>(i) + 1);
        strOut += "]";
        strOut += kCrLf;
        const int nItems = pSet->GetUrlItemsCount();
        AppendNumber(strOut, static_cast<std::size_t>(nItems));
        strOut += kCrLf;
        for (int j = 0; j < nItems; ++j)
        {
            const CUrlItem* pItem = pSet->GetUrlItem(j);

            StoreUrl(pItem->GetUrlRef(), strUrl);
            ThrowIf(strUrl.size() > static_cast<size_t>(kMaxFileCount),
                    "CManualSavedInstanceSaver::SaveInstanceSets() - UrlTooLong");
            AppendNumber(strOut, strUrl.size());
            strOut += kCrLf;
            strOut += strUrl;
            strOut += kCrLf;

            StoreTitle(pItem->GetTitle(), strTitle);
            ThrowIf(strTitle.empty(), "CManualSavedInstanceSaver::SaveInstanceSets() - InvalidConvertedString");
            AppendNumber(strOut, strTitle.size());
            strOut += kCrLf;
            strOut += strTitle;

            if (i != nSets - 1 || j != nItems - 1)
                strOut += kCrLf;
        }
    }
}
