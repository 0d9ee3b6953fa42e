// Platform failures raised the way the application framework raises them: a family of our own,
// deliberately not derived from std::exception, so that callers can catch framework failures,
// standard exceptions and anything else separately and report each with its own text.
#pragma once

#include <cstdint>
#include <string>

using HRESULT_T = std::int32_t;

constexpr HRESULT_T kEOutOfMemory = static_cast<HRESULT_T>(0x8007000EU);
// ERROR_NO_UNICODE_TRANSLATION, which the portable text conversion raises too.
constexpr unsigned long kErrorNoUnicodeTranslation = 1113;

// HRESULT_FROM_WIN32 without <windows.h>.
constexpr HRESULT_T HResultFromWin32(unsigned long error)
{
    return error == 0 ? 0
                      : static_cast<HRESULT_T>((error & 0x0000FFFFUL) | (7UL << 16) | 0x80000000UL);
}

class CException
{
public:
    virtual ~CException();

    // Writes at most nMaxError - 1 characters and a terminator. Returns false (and an empty
    // buffer) when there is no message to give.
    virtual bool GetErrorMessage(wchar_t* lpszError, unsigned nMaxError,
                                 unsigned* pnHelpContext = nullptr) const = 0;

    // The whole message, or empty when there is none.
    std::wstring GetErrorMessage() const;

protected:
    static bool CopyMessage(const std::wstring& strMessage, wchar_t* lpszError, unsigned nMaxError);
};

// A failed OLE or platform call, carrying its status code.
class COleException : public CException
{
public:
    explicit COleException(HRESULT_T sc) : m_sc(sc) {}
    bool GetErrorMessage(wchar_t* lpszError, unsigned nMaxError,
                         unsigned* pnHelpContext = nullptr) const override;
    using CException::GetErrorMessage;

    HRESULT_T m_sc;
};

class CMemoryException : public CException
{
public:
    bool GetErrorMessage(wchar_t* lpszError, unsigned nMaxError,
                         unsigned* pnHelpContext = nullptr) const override;
    using CException::GetErrorMessage;
};

// A failed file operation (rename, removal) with its cause and the system's error code.
class CFileException : public CException
{
public:
    enum Cause
    {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException(Cause cause, long lOsError, std::wstring strFileName)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(std::move(strFileName))
    {
    }

    bool GetErrorMessage(wchar_t* lpszError, unsigned nMaxError,
                         unsigned* pnHelpContext = nullptr) const override;
    using CException::GetErrorMessage;

    // Maps a system error code (GetLastError on Windows, errno elsewhere) to a cause.
    static Cause OsErrorToCause(long lOsError);

    Cause m_cause;
    long m_lOsError;
    std::wstring m_strFileName;
};

// Throws CMemoryException for E_OUTOFMEMORY, COleException otherwise.
[[noreturn]] void ThrowOleException(HRESULT_T sc);

// The system's text for a status code, without a trailing line break; empty when unknown.
std::wstring SystemMessage(HRESULT_T sc);
