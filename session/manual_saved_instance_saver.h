// Writes a session as a session file (format version 2). The file format is described in
// session_file_format.md beside this file.
#pragma once

#include <string>

#include "session/os_operations.h"
#include "session/session.h"

class CManualSavedInstanceSaver
{
public:
    explicit CManualSavedInstanceSaver(IOsOperations& os = SystemOs()) : m_os(os) {}
    virtual ~CManualSavedInstanceSaver() = default;
    CManualSavedInstanceSaver(const CManualSavedInstanceSaver&) = delete;
    CManualSavedInstanceSaver& operator=(const CManualSavedInstanceSaver&) = delete;

    void SetSession(CSession* pSession) { m_pSession = pSession; }
    // Writes into this folder instead of the session folder.
    void SetFolder(const std::wstring& strFolder) { m_strFolder = strFolder; }

    // Whether Save replaces a file of the same name (the default) or fails with FileExists, also
    // when another writer took the name while this one was writing.
    void SetReplaceExisting(bool bReplace) { m_bReplaceExisting = bReplace; }

    // Writes the session to the file pchFileName in the session folder in one step, then
    // renames the session to pchFileName. A session that could not be read back is refused
    // before anything is written; after any failure an existing file of that name keeps its
    // content and the session its name.
    void Save(const wchar_t* pchFileName);

    const std::wstring& GetFilePath() const { return m_strFilePath; }

private:
    void VerifySession() const;
    // The lines from the instance count on, appended to strOut. On a refusal strOut keeps what
    // was composed before it.
    void ComposeInstanceSets(std::string& strOut) const;

    IOsOperations& m_os;
    std::wstring m_strFilePath;
    std::wstring m_strFolder;
    CSession* m_pSession = nullptr;
    bool m_bReplaceExisting = true;
};
