// Runs the command in-process over real files and keeps what it printed.
#pragma once

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cli/quillmere_command.h"
#include "tests/native/test_support.h"

struct CRun
{
    int nExit;
    std::string strOut;
    std::string strErr;
};

// strDefaultFolder stands in for the add-on's session folder.
inline CRun RunCommand(const std::vector<std::wstring>& args, const std::wstring& strDefaultFolder = L"",
                       const std::string& strInput = "")
{
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(strInput);
    CCommandContext context = SystemCommandContext(out, err, in);
    if (!strDefaultFolder.empty())
        context.findSessionFolder = [strDefaultFolder] { return strDefaultFolder; };
    const int nExit = RunQuillmere(args, context);
    return {nExit, out.str(), err.str()};
}
