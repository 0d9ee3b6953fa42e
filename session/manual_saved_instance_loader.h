// Reads one session file (format versions 1 and 2) into a session, checking every count and
// every length against what follows. The format is described in session_file_format.md.
#pragma once

#include <string>

#include "session/os_operations.h"
#include "session/session.h"
#include "session/session_file_stream.h"

class CManualSavedInstanceLoader
{
public:
    explicit CManualSavedInstanceLoader(IOsOperations& os = SystemOs()) : m_os(os) {}
    virtual ~CManualSavedInstanceLoader() = default;
    CManualSavedInstanceLoader(const CManualSavedInstanceLoader&) = delete;
    CManualSavedInstanceLoader& operator=(const CManualSavedInstanceLoader&) = delete;

    // Borrows the path: the caller keeps it alive until LoadSession returns.
    void SetFilePath(const wchar_t* pchFilePath);

    // Appends the file's windows and tabs to pSession. Every failure is an exception naming the
    // check that failed; windows read before it stay in the session.
    void LoadSession(CSession* pSession);

    // The same from a stream already opened (bytes in memory, for instance).
    void LoadSession(CSessionFileStream& stream, CSession* pSession);

    int VerifyFileHeader(CSessionFileStream& stream);
    void ReadInstances(CSessionFileStream& stream, int nVersion);
    void ReadUrlItems(CSessionFileStream& stream, CInstanceSet& set);
    void ReadUrlItems2(CSessionFileStream& stream, CInstanceSet& set);

private:
    void ReadUrlItemsOfVersion(CSessionFileStream& stream, CInstanceSet& set, int nVersion);

    IOsOperations& m_os;
    const wchar_t* m_pchFilePath = nullptr;
    CSession* m_pSession = nullptr;
};

// Reads a count or length line: an int from 1 to 65535.
int ReadInt(CSessionFileStream& stream);

// A stored file address loses its "file://" or "mhtml:file://" prefix and gets its spaces back;
// any other address is returned as stored.
std::wstring UnescapeFileUrl(std::wstring strUrl);
