#include "fake_os.h"

#include <ios>

std::wstring CFakeWindowsOs::Real(const std::wstring& strPath) const
{
    std::wstring strOut = m_root.Path();
    const wchar_t separator = m_real.PathSeparator();
    if (strPath.empty() || strPath[0] != L'\\')
        strOut += separator;
    for (wchar_t c : strPath)
    {
        if (c == L':')
            continue;
        strOut += c == L'\\' ? separator : c;
    }
    return strOut;
}

bool CFakeWindowsOs::QueryUserName(std::wstring& strName)
{
    if (m_bFailUserName)
        return false;
    strName = m_strUserName;
    return true;
}

bool CFakeWindowsOs::QueryRoamingFolder(std::wstring& strPath)
{
    if (m_strRoaming.empty())
        return false;
    strPath = m_strRoaming;
    return true;
}

unsigned long CFakeWindowsOs::MakeDirectory(const std::wstring& strPath)
{
    const unsigned long nError = m_real.MakeDirectory(Real(strPath));
    if (nError == 0)
        ++m_nDirectoriesMade;
    return nError;
}

unsigned long CFakeWindowsOs::MoveFileReplacing(const std::wstring& strFrom, const std::wstring& strTo)
{
    if (m_nFailMoveReplacing != 0)
        return m_nFailMoveReplacing;
    return m_real.MoveFileReplacing(Real(strFrom), Real(strTo));
}

void CFakeWindowsOs::WriteNewFile(const std::wstring& strPath, const std::string& strBytes)
{
    if (m_bFailWrite)
    {
        // Fail the way a full disk does: part of the file is already there.
        m_real.WriteNewFile(Real(strPath), strBytes.substr(0, strBytes.size() / 2));
        throw std::ios_base::failure("cannot write the session file");
    }
    m_real.WriteNewFile(Real(strPath), strBytes);
}
