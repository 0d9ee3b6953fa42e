// Renaming and removing session files, failing as the application framework's file calls do.
#pragma once

#include <string>

#include "session/os_operations.h"

// Both raise CFileException with the system's error code on failure.
void RenameSessionFile(const std::wstring& strFrom, const std::wstring& strTo, IOsOperations& os = SystemOs());
void RemoveSessionFile(const std::wstring& strPath, IOsOperations& os = SystemOs());
