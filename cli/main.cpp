// The quillmere command's entry point: the platform's arguments in, UTF-8 out (UTF-16 to a
// Windows console, which shows nothing else correctly).
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "exceptions.h"
#include "quillmere_command.h"
#include "text_conversion.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace
{
#ifdef _WIN32
void Write(DWORD nStdHandle, FILE* pStream, const std::string& strBytes)
{
    if (strBytes.empty())
        return;
    const HANDLE hOutput = ::GetStdHandle(nStdHandle);
    DWORD nMode = 0;
    if (hOutput != INVALID_HANDLE_VALUE && ::GetConsoleMode(hOutput, &nMode))
    {
        try
        {
            const std::wstring strText = Utf8ToWide(strBytes);
            DWORD nWritten = 0;
            ::WriteConsoleW(hOutput, strText.data(), static_cast<DWORD>(strText.size()), &nWritten, nullptr);
            return;
        }
        catch (const CException&)
        {
            // A message may quote the bytes of a damaged input: those go out as they are.
        }
    }
    std::fwrite(strBytes.data(), 1, strBytes.size(), pStream);
    std::fflush(pStream);
}
#else
void Write(FILE* pStream, const std::string& strBytes)
{
    std::fwrite(strBytes.data(), 1, strBytes.size(), pStream);
    std::fflush(pStream);
}
#endif

int Run(const std::vector<std::wstring>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    CCommandContext context = SystemCommandContext(out, err, std::cin);
    const int nResult = RunQuillmere(args, context);
#ifdef _WIN32
    Write(STD_OUTPUT_HANDLE, stdout, out.str());
    Write(STD_ERROR_HANDLE, stderr, err.str());
#else
    Write(stdout, out.str());
    Write(stderr, err.str());
#endif
    return std::ferror(stdout) ? kExitFailure : nResult;
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
