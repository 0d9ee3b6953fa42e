// Reads every saved session of the session folder, after gathering stray session files into it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "session/session.h"
#include "session/session_folder.h"

enum class ELoadFailureKind
{
    StandardException,   // a refused file: the caller may go on with the next one
    FrameworkException,  // a CException, such as invalid UTF-8: loading stops
    UnknownException,    // anything else: loading stops
};

struct CLoadFailure
{
    std::wstring strFileName;  // empty when the failure came before the name was known
    ELoadFailureKind kind;
    // A standard exception's text widened character by character, a CException's message, or
    // empty.
    std::wstring strReason;
};

// Answers whether to go on with the next file; the answer counts only for standard exceptions,
// after any other failure loading stops.
using LoadFailureHandler = std::function<bool(const CLoadFailure&)>;

// Appends every session file of the session folder that loads without error to sessions, in the
// folder's order, named after its file and stamped with its last-write time. Throws
// std::runtime_error when the folder is unknown or cannot be searched.
void LoadSavedSessions(std::vector<CSession>& sessions, CSessionFolderLocator& locator,
                       const LoadFailureHandler& onFailure);

// The session folder as LoadSavedSessions finds it: stray files gathered first, the folder
// created when missing. Throws std::runtime_error when it is unknown.
std::wstring FindSavedSessionsFolder(CSessionFolderLocator& locator);

// One session file (its full path), named after the file and stamped with its last-write time.
// Throws what the reader throws.
CSession LoadSessionFile(const std::wstring& strPath, IOsOperations& os);

// LoadSavedSessions over the given folder, without the gathering step.
void LoadSessionsFromFolder(std::vector<CSession>& sessions, const std::wstring& strPath,
                            IOsOperations& os, const LoadFailureHandler& onFailure);
