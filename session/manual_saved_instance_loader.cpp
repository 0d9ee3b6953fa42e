#include "session/manual_saved_instance_loader.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "base/throw_if.h"
#include "session/session_file_limits.h"
#include "session/text_conversion.h"

namespace
{
// Buffer sizes of the line reads, terminator included.
constexpr std::size_t kHeaderBuffer = 99;
constexpr std::size_t kTitleBuffer = 1199;
constexpr std::size_t kIntBuffer = 10;

// Decimal conversion as the C library's: leading white space, an optional sign, the digits up
// to the first non-digit, 0 when there are none. Callers pass at most five characters.
long ParseDecimal(const std::string& strText)
{
    std::size_t i = 0;
    while (i < strText.size() && (strText[i] == ' ' || (strText[i] >= '\t' && strText[i] <= '\r')))
        ++i;
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == '+' || strText[i] == '-'))
        bNegative = strText[i++] == '-';
    long nValue = 0;
    for (; i < strText.size() && strText[i] >= '0' && strText[i] <= '9'; ++i)
        nValue = nValue * 10 + (strText[i] - '0');
    return bNegative ? -nValue : nValue;
}

bool IsValidCount(long nValue)
{
    return nValue >= 1 && nValue <= kMaxFileCount;
}

bool IsValidCountSize(const std::string& strLine)
{
    return !strLine.empty() && strLine.size() <= 5;
}

template <std::size_t N> bool StartsWith(const std::wstring& strText, const wchar_t (&szPrefix)[N])
{
    return strText.size() >= N - 1 && std::equal(szPrefix, szPrefix + N - 1, strText.begin());
}

std::wstring Latin1ToWide(const std::string& strBytes)
{
    std::wstring strOut;
    strOut.reserve(strBytes.size());
    for (char c : strBytes)
        strOut += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return strOut;
}

struct FileCloser
{
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
}  // namespace

int ReadInt(CSessionFileStream& stream)
{
    std::string strLine;
    stream.ReadLine(strLine, kIntBuffer);
    ThrowIf(!IsValidCountSize(strLine), "ReadInt() - InvalidIntSize");
    const long nValue = ParseDecimal(strLine);
    ThrowIf(!IsValidCount(nValue), "ReadInt() - InvalidInt");
    return static_cast<int>(nValue);
}

std::wstring UnescapeFileUrl(std::wstring strUrl)
{
    std::size_t nStart;
    if (StartsWith(strUrl, L"mhtml:file://"))
        nStart = 13;
    else if (StartsWith(strUrl, L"file://"))
        nStart = 7;
    else
        return strUrl;

    std::wstring strOut;
    strOut.reserve(strUrl.size() - nStart);
    for (std::size_t i = nStart; i < strUrl.size(); ++i)
    {
        if (i + 3 <= strUrl.size() && strUrl[i] == L'%' && strUrl[i + 1] == L'2' && strUrl[i + 2] == L'0')
        {
            strOut += L' ';
            i += 2;
        }
        else
        {
            strOut += strUrl[i];
        }
    }
    return strOut;
}

void CManualSavedInstanceLoader::SetFilePath(const wchar_t* pchFilePath)
{
    ThrowIfNull(pchFilePath, "CManualSavedInstanceLoader::SetFilePath() - pchFilePath is NULL");
    ThrowIf(*pchFilePath == L'\0', "CManualSavedInstanceLoader::SetFilePath() - pchFilePath is empty");
    m_pchFilePath = pchFilePath;
}

void CManualSavedInstanceLoader::LoadSession(CSession* pSession)
{
    ThrowIfNull(m_pchFilePath, "CManualSavedInstanceLoader::LoadSession() - m_pchFilePath is NULL");
    ThrowIf(*m_pchFilePath == L'\0', "CManualSavedInstanceLoader::LoadSession() - m_pchFilePath is empty");
    ThrowIfNull(pSession, "CManualSavedInstanceLoader::LoadSession() - pSession is NULL");

    // A file that cannot be opened reads as empty and fails the header check.
    std::unique_ptr<std::FILE, FileCloser> file(m_os.OpenFileForReading(m_pchFilePath));
    // The stream buffers on its own; the C library's buffer would be one more copy, and sizing
    // it costs a call to the system per file.
    if (file)
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
    CSessionFileStream stream(file.get());
    LoadSession(stream, pSession);
}

void CManualSavedInstanceLoader::LoadSession(CSessionFileStream& stream, CSession* pSession)
{
    ThrowIfNull(pSession, "CManualSavedInstanceLoader::LoadSession() - pSession is NULL");
    m_pSession = pSession;
    const int nVersion = VerifyFileHeader(stream);
    ReadInstances(stream, nVersion);
}

int CManualSavedInstanceLoader::VerifyFileHeader(CSessionFileStream& stream)
{
    std::string strLine;
    stream.ReadLine(strLine, kHeaderBuffer);
    ThrowIf(strLine != kSessionFileMagic, "CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader");
    stream.ReadLine(strLine, kHeaderBuffer);
    if (strLine == "1")
        return 1;
    if (strLine == "2")
        return 2;
    throw std::runtime_error("CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileVersion");
}

void CManualSavedInstanceLoader::ReadInstances(CSessionFileStream& stream, int nVersion)
{
    ThrowIfNull(m_pSession, "CManualSavedInstanceLoader::ReadInstances() - m_pSession is NULL");
    std::string strLine;
    stream.ReadLine(strLine, kHeaderBuffer);
    ThrowIf(!IsValidCountSize(strLine), "CManualSavedInstanceLoader::ReadInstances() - InvalidIntSize");
    const long nSets = ParseDecimal(strLine);
    ThrowIf(!IsValidCount(nSets), "CManualSavedInstanceLoader::ReadInstances() - InvalidNumberOfInstances");
    // The count is at most 65535, so the room taken on its word stays bounded even for a file
    // that holds fewer windows than it announces.
    m_pSession->ReserveInstanceSets(static_cast<int>(nSets));

    for (long i = 0; i < nSets; ++i)
    {
        stream.ReadLine(strLine, kHeaderBuffer);
        // The number inside the tag is not checked: only the order of the sets counts.
        ThrowIf(strLine.find("[Instance") == std::string::npos,
                "CManualSavedInstanceLoader::ReadInstances() - InvalidInstanceTag");
        CInstanceSet set;
        if (nVersion == 1)
            ReadUrlItems(stream, set);
        else
            ReadUrlItems2(stream, set);
        m_pSession->AddInstanceSet(std::move(set));
    }
}

void CManualSavedInstanceLoader::ReadUrlItems(CSessionFileStream& stream, CInstanceSet& set)
{
    ReadUrlItemsOfVersion(stream, set, 1);
}

void CManualSavedInstanceLoader::ReadUrlItems2(CSessionFileStream& stream, CInstanceSet& set)
{
    ReadUrlItemsOfVersion(stream, set, 2);
}

void CManualSavedInstanceLoader::ReadUrlItemsOfVersion(CSessionFileStream& stream, CInstanceSet& set,
                                                       int nVersion)
{
    const int nItems = ReadInt(stream);
    set.ReserveUrlItems(nItems);
    std::string strBytes;
    for (int i = 0; i < nItems; ++i)
    {
        CUrlItem item;

        const int nUrlLength = ReadInt(stream);
        // Never more than one byte past the longest valid address is read.
        stream.ReadWord(strBytes, static_cast<std::size_t>(kMaxFileCount));
        ThrowIf(strBytes.size() != static_cast<std::size_t>(nUrlLength),
                "CManualSavedInstanceLoader::ReadUrlItems() - UrlLengthsDontMatch");
        // Version 1 stored each address character as one byte, without escaping.
        item.SetUrl(nVersion == 1 ? Latin1ToWide(strBytes) : UnescapeFileUrl(Utf8ToWide(strBytes)));
        stream.SkipChar();

        const int nTitleLength = ReadInt(stream);
        // A title too long for the line buffer cannot match any length that was written.
        const bool bWhole = stream.ReadLine(strBytes, kTitleBuffer);
        ThrowIf(!bWhole || strBytes.size() != static_cast<std::size_t>(nTitleLength),
                "CManualSavedInstanceLoader::ReadUrlItems() - TitleLengthsDontMatch");
        item.SetTitle(Utf8ToWide(strBytes));

        set.AddUrlItem(std::move(item));
    }
}
