#pragma once
// The system calls of the POSIX operations whose rare answers tests stand in for: a file system
// without RENAME_NOREPLACE, a write that makes no progress, a user without a passwd entry, and a
// name taken anew between a temporary file's creation and its check (pfnCreated runs in between
// when set). Each points at the real call unless a test replaces it.
#include <pwd.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace posix_calls
{
extern int (*pfnRenameAt2)(int, const char*, int, const char*, unsigned int);
extern ssize_t (*pfnWrite)(int, const void*, std::size_t);
extern passwd* (*pfnGetPwUid)(uid_t);
extern void (*pfnCreated)(const std::string& strPath);
}  // namespace posix_calls
