// The quillmere command: lists, checks, shows, searches, exports and imports session files without
// the browser. Everything it prints is UTF-8; what goes where and the exit codes are what scripts
// depend on: results on out, messages on err; 0 success, 1 failure, 2 usage error; find's as
// grep's: 0 found, 1 nothing found, 2 a failure or a usage error.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "session/os_operations.h"

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNothingFound = 1;
constexpr int kExitFindFailure = 2;

struct CCommandContext
{
    std::ostream& out;
    std::ostream& err;
    // Read by "import ... -" only.
    std::istream& in;
    IOsOperations& os;
    // The session folder as the add-on finds it; throws when there is none.
    std::function<std::wstring()> findSessionFolder;
    // A relative path made absolute; the result ends in the path's file name.
    std::function<std::wstring(const std::wstring&)> absolutePath;
    // Set by a command whose work is done before it prints, and whose output only confirms it:
    // a failure to write that output does not make the run a failure.
    bool bDoneBeforeOutput = false;
    // The exit status of a failure of the command run, set when it starts: also that of a failed
    // write of its output.
    int nFailureExit = kExitFailure;
};

// The context of a run on this system: the add-on's session folder, the process's current folder.
CCommandContext SystemCommandContext(std::ostream& out, std::ostream& err, std::istream& in);

// args: the arguments after the program name.
int RunQuillmere(const std::vector<std::wstring>& args, CCommandContext& context);
