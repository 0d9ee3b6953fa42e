// The quillmere command's entry point: the platform's arguments in, UTF-8 out (UTF-16 to a
// Windows console, which shows nothing else correctly).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "cli/quillmere_command.h"
#include "session/text_conversion.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace
{
// Empty when the bytes went out; otherwise the system's reason.
std::string WriteBytes(FILE* pStream, const std::string& strBytes)
{
    errno = 0;
    if (std::fwrite(strBytes.data(), 1, strBytes.size(), pStream) == strBytes.size() && std::fflush(pStream) == 0)
        return std::string();
    return errno ? std::strerror(errno) : "the system gave no reason";
}

#ifdef _WIN32
std::string Write(DWORD nStdHandle, FILE* pStream, const std::string& strBytes)
{
    if (strBytes.empty())
        return std::string();
    const HANDLE hOutput = ::GetStdHandle(nStdHandle);
    DWORD nMode = 0;
    if (hOutput != INVALID_HANDLE_VALUE && ::GetConsoleMode(hOutput, &nMode))
    {
        try
        {
            const std::wstring strText = Utf8ToWide(strBytes);
            DWORD nWritten = 0;
            if (!::WriteConsoleW(hOutput, strText.data(), static_cast<DWORD>(strText.size()), &nWritten, nullptr))
                return WideToUtf8(SystemMessage(HResultFromWin32(::GetLastError())));
            return std::string();
        }
        catch (const CException&)
        {
            // A message may quote the bytes of a damaged input: those go out as they are.
        }
    }
    return WriteBytes(pStream, strBytes);
}
#endif

int Run(const std::vector<std::wstring>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    CCommandContext context = SystemCommandContext(out, err, std::cin);
    int nResult = RunQuillmere(args, context);
#ifdef _WIN32
    const std::string strOutFailure = Write(STD_OUTPUT_HANDLE, stdout, out.str());
#else
    const std::string strOutFailure = out.str().empty() ? std::string() : WriteBytes(stdout, out.str());
#endif
    if (!strOutFailure.empty())
    {
        if (context.bDoneBeforeOutput)
        {
            err << "quillmere: done, but the confirmation cannot be written to standard output: " << strOutFailure
                << '\n';
        }
        else
        {
            err << "quillmere: standard output cannot be written: " << strOutFailure << '\n';
            nResult = context.nFailureExit;
        }
    }
#ifdef _WIN32
    Write(STD_ERROR_HANDLE, stderr, err.str());
#else
    WriteBytes(stderr, err.str());
#endif
    return nResult;
}
}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    // Bytes go out as they are: the same output on every system, and none of it rewritten.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    return Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv)
{
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i)
    {
        try
        {
            args.push_back(Utf8ToWide(argv[i]));
        }
        catch (const CException&)
        {
            std::fprintf(stderr, "quillmere: argument %d is not valid UTF-8\n", i);
            return kExitUsage;
        }
    }
    return Run(args);
}
#endif
