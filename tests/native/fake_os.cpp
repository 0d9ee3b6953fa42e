#include "tests/native/fake_os.h"

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

namespace
{
// The system's temporary file, failing where the test asks.
class CFailingTempFile : public ITempFile
{
public:
    CFailingTempFile(std::unique_ptr<ITempFile> pReal, const CFakeWindowsOs& os) : m_pReal(std::move(pReal)), m_os(os) {}

    void Write(const std::string& strBytes) override
    {
        if (m_os.m_bFailWrite)
        {
            // Fail the way a full disk does: part of the file is already there.
            m_pReal->Write(strBytes.substr(0, strBytes.size() / 2));
            throw std::ios_base::failure("cannot write the session file");
        }
        m_pReal->Write(strBytes);
    }

    EPublish Publish(const std::wstring& strTarget, bool bReplace, unsigned long& nError) override
    {
        if (m_os.m_nFailPublish != 0)
        {
            nError = m_os.m_nFailPublish;
            return EPublish::Failed;
        }
        return m_pReal->Publish(m_os.Real(strTarget), bReplace, nError);
    }

private:
    std::unique_ptr<ITempFile> m_pReal;
    const CFakeWindowsOs& m_os;
};
}  // namespace

std::unique_ptr<ITempFile> CFakeWindowsOs::CreateTempFile(const std::wstring& strFolder)
{
    m_strTempFolder = strFolder;
    return std::make_unique<CFailingTempFile>(m_real.CreateTempFile(Real(strFolder)), *this);
}
