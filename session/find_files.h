#pragma once

#include <string>
#include <vector>

#include "session/os_operations.h"

// Appends the full paths of the files of strFolder to files, in the system's listing order.
// Names beginning with "." are skipped. With an extension, a file is taken when the text after
// the last "." of its name (the whole name when there is none) equals it exactly; without one,
// only names with no "." at all are taken. Returns 0, or the system's error code; a folder that
// cannot be listed at all gives 0 and nothing.
unsigned long FindFiles(std::vector<std::wstring>& files, const std::wstring& strFolder,
                        const wchar_t* pszExtension, bool bRecurse, IOsOperations& os = SystemOs());
