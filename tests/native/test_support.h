// Helpers shared by the storage tests: temporary folders, whole-file reads and writes, and a
// session builder.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "session/session.h"

// A fresh, empty folder that is removed with everything in it when the object goes.
class CTempFolder
{
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::wstring& Path() const { return m_strPath; }
    std::wstring File(const std::wstring& strName) const;

private:
    std::wstring m_strPath;
};

std::string ReadBytes(const std::wstring& strPath);
void WriteBytes(const std::wstring& strPath, const std::string& strBytes);
bool FileExists(const std::wstring& strPath);
void MakeFolder(const std::wstring& strPath);
std::vector<std::wstring> FolderNames(const std::wstring& strFolder);  // sorted

using TabList = std::vector<std::pair<std::wstring, std::wstring>>;  // address, title
CSession MakeSession(const std::wstring& strName, std::initializer_list<TabList> windows);
// The contents of a session as one comparable text: every window's addresses and titles.
std::wstring Describe(const CSession& session);
// Lines joined with CR LF, the last without a line end.
std::string CrLfLines(std::initializer_list<std::string> lines);
// The smallest session file: one window with one about:blank tab of this title, its length
// counted in the title's bytes as they are.
std::string OneTabFile(const std::string& strTitle);
// The test data folder shipped with the sources.
std::wstring TestDataPath(const std::wstring& strName);
