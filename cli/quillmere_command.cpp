#include "cli/quillmere_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <istream>
#include <ios>
#include <map>
#include <memory>
#include <ostream>
#include <system_error>

#include "base/exceptions.h"
#include "cli/session_formats.h"
#include "cli/session_import.h"
#include "session/find_files.h"
#include "session/manual_saved_instance_loader.h"
#include "session/saved_session_catalogue.h"
#include "session/session_file_limits.h"
#include "session/session_folder.h"
#include "session/session_name.h"
#include "session/session_search.h"
#include "session/text_conversion.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
const char kVersion[] = "1.4";

const char kMainHelp[] =
    "Usage: quillmere [--folder DIR] COMMAND [ARGS]\n"
    "\n"
    "Lists, checks, shows, searches, exports and imports saved sessions without the browser.\n"
    "\n"
    "Commands:\n"
    "  list      every saved session: name, date, windows, tabs\n"
    "  check     reads session files and says whether each is sound\n"
    "  show      one session as a tree of windows and tabs\n"
    "  find      tabs whose title or address holds a text, in every saved session\n"
    "  export    sessions as JSON, a bookmark file or a list of addresses\n"
    "  import    a session from JSON or a list of addresses\n"
    "\n"
    "Options:\n"
    "  --folder DIR  the session folder (default: the add-on's own)\n"
    "  --help        this text; 'quillmere COMMAND --help' for a command\n"
    "  --version     the version\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 usage error; find exits as grep does.\n";

const char kListHelp[] =
    "Usage: quillmere [--folder DIR] list [--json]\n"
    "\n"
    "Every session of the session folder in the order the add-on lists them, one per line:\n"
    "name, date (local time), windows and tabs, separated by tabs. A damaged file is reported\n"
    "on stderr and skipped. Control characters in names are escaped: \\t, \\n, \\r, \\xHH for\n"
    "the others below U+0020 and U+007F, \\u00HH for U+0080 to U+009F, and \\\\ for a backslash.\n"
    "\n"
    "  --folder DIR  another session folder\n"
    "  --json        a JSON array of {\"name\", \"time\", \"windows\", \"tabs\", \"file\"}\n";

const char kCheckHelp[] =
    "Usage: quillmere check FILE...\n"
    "\n"
    "Reads each file as the add-on does and prints \"FILE: ok, W windows, T tabs\" or\n"
    "\"FILE: \" and why it was refused. Exit status 0 when every file is sound, 1 otherwise.\n";

const char kShowHelp[] =
    "Usage: quillmere show FILE [--json]\n"
    "\n"
    "The session as a tree: \"Instance N\" for each window, then each tab's title and\n"
    "address. Control characters in them are escaped: \\t, \\n, \\r, \\xHH for the others\n"
    "below U+0020 and U+007F, \\u00HH for U+0080 to U+009F, and \\\\ for a backslash.\n"
    "\n"
    "  --json  the session as JSON, as export writes it\n";

const char kFindHelp[] =
    "Usage: quillmere [--folder DIR] find TEXT [--json]\n"
    "\n"
    "Every tab whose title or address holds TEXT, in every session of the session folder, one per\n"
    "line: session name, window number, title and address, separated by tabs. Case does not count,\n"
    "nor do the accents of Latin letters: \"munchen\" finds \"München\". Sessions come in the order\n"
    "list gives them, windows and tabs in their own. Control characters are escaped as list escapes\n"
    "them. A damaged file is reported on stderr and skipped. Quote a TEXT of several words, and give\n"
    "-- before one that starts with -.\n"
    "\n"
    "  --folder DIR  another session folder\n"
    "  --json        a JSON array of {\"name\", \"window\", \"title\", \"url\"}\n"
    "\n"
    "Exit status, as grep's: 0 when a tab was found, 1 when none was, 2 on a usage error or a\n"
    "failure. A damaged file also gives 2, found or not: the search missed its tabs.\n";

const char kExportHelp[] =
    "Usage: quillmere export FILE... --format json|html|urls [-o OUT]\n"
    "\n"
    "  --format json  {\"name\", \"time\", \"windows\": [{\"tabs\": [{\"url\", \"title\"}]}]};\n"
    "                 one object for one file, an array for several\n"
    "  --format html  a bookmark file that browsers import: a folder per session, a\n"
    "                 sub-folder per window\n"
    "  --format urls  one address per line, a blank line between windows\n"
    "  -o OUT         write to OUT instead of standard output\n"
    "\n"
    "Nothing is written unless every file could be read.\n";

const char kImportHelp[] =
    "Usage: quillmere import --from json|urls FILE --name NAME [--folder DIR] [--force]\n"
    "\n"
    "Saves FILE (\"-\" for standard input) as the session NAME.\n"
    "\n"
    "  --from json   a session as export writes it (\"name\" and \"time\" are not needed)\n"
    "  --from urls   one \"URL\" or \"URL | title\" per line, a blank line between windows\n"
    "  --name NAME   the session's name; it may not hold \\ / : * ? \" < > | or .\n"
    "  --folder DIR  another session folder\n"
    "  --force       replace a session of that name\n"
    "\n"
    "FILE holds at most 4 MiB (4,194,304 bytes), a session at most 65535 windows of at most\n"
    "65535 tabs, and JSON nests at most 32 levels deep; anything larger is refused, and so is a\n"
    "NUL byte. A list's lines end in LF, CR LF or CR.\n";
static_assert(kMaxImportBytes == 4 * 1024 * 1024 && kMaxJsonDepth == 32 && kMaxFileCount == 65535,
              "the import help states these limits");

struct COption
{
    const wchar_t* pszName;
    bool bTakesValue;
};

// What a command line gave: options by name (a flag's value is empty) and the other words.
struct CParsedArgs
{
    std::map<std::wstring, std::wstring> options;
    std::vector<std::wstring> words;

    bool Has(const wchar_t* pszName) const { return options.count(pszName) != 0; }
    std::wstring Get(const wchar_t* pszName) const
    {
        const auto it = options.find(pszName);
        return it == options.end() ? std::wstring() : it->second;
    }
};

class CUsageError
{
public:
    CUsageError(std::string strMessage, std::string strCommand)
        : m_strMessage(std::move(strMessage)), m_strCommand(std::move(strCommand))
    {
    }
    std::string m_strMessage;
    std::string m_strCommand;
};

// A failure already worth its own message; the command stops with exit status 1.
class CCommandFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

std::string Utf8(const std::wstring& strText)
{
    return WideToUtf8(strText);
}

std::string Quoted(const std::wstring& strText)
{
    return "'" + Utf8(strText) + "'";
}

// "--name=value" and "--name value" alike; "--" ends the options.
CParsedArgs ParseArgs(const std::vector<std::wstring>& args, std::size_t nFirst,
                      const std::vector<COption>& known, const std::string& strCommand)
{
    CParsedArgs parsed;
    bool bOptionsEnded = false;
    for (std::size_t i = nFirst; i < args.size(); ++i)
    {
        const std::wstring& strArg = args[i];
        if (bOptionsEnded || strArg.size() < 2 || strArg[0] != L'-')
        {
            parsed.words.push_back(strArg);
            continue;
        }
        if (strArg == L"--")
        {
            bOptionsEnded = true;
            continue;
        }
        std::wstring strName = strArg;
        std::wstring strValue;
        const std::size_t nEquals = strArg.find(L'=');
        const bool bInlineValue = strArg.compare(0, 2, L"--") == 0 && nEquals != std::wstring::npos;
        if (bInlineValue)
        {
            strName = strArg.substr(0, nEquals);
            strValue = strArg.substr(nEquals + 1);
        }
        const COption* pOption = nullptr;
        for (const COption& option : known)
        {
            if (strName == option.pszName)
                pOption = &option;
        }
        if (!pOption)
            throw CUsageError("unknown option " + Quoted(strName), strCommand);
        if (pOption->bTakesValue && !bInlineValue)
        {
            if (i + 1 == args.size())
                throw CUsageError("option " + Quoted(strName) + " needs a value", strCommand);
            strValue = args[++i];
        }
        else if (!pOption->bTakesValue && bInlineValue)
        {
            throw CUsageError("option " + Quoted(strName) + " takes no value", strCommand);
        }
        if (parsed.Has(strName.c_str()))
            throw CUsageError("option " + Quoted(strName) + " is given twice", strCommand);
        parsed.options[strName] = strValue;
    }
    return parsed;
}

// The reader's own words for why a file was refused.
std::string DescribeReadFailure()
{
    try
    {
        throw;
    }
    catch (const CException& e)
    {
        return "invalid UTF-8: " + Utf8(e.GetErrorMessage());
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    catch (...)
    {
        return "unknown failure";
    }
}

#ifdef _WIN32
const wchar_t kPathSeparators[] = L"\\/";

bool IsDeviceOrPipe(const std::wstring& strPath)
{
    HANDLE hFile = CreateFileW(strPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    const bool bDevice = GetFileType(hFile) != FILE_TYPE_DISK;
    CloseHandle(hFile);
    return bDevice;
}

std::FILE* OpenForWriting(const std::wstring& strPath)
{
    return _wfopen(strPath.c_str(), L"wb");
}
#else
const wchar_t kPathSeparators[] = L"/";

bool IsDeviceOrPipe(const std::wstring& strPath)
{
    struct stat st;
    return stat(Utf8(strPath).c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

std::FILE* OpenForWriting(const std::wstring& strPath)
{
    return std::fopen(Utf8(strPath).c_str(), "wb");
}
#endif

// The system's words for an error code: GetLastError's on Windows, errno's elsewhere.
std::string SystemErrorText(unsigned long nError)
{
    if (nError == 0)
        return "the system gave no reason";
#ifdef _WIN32
    const std::string strText = Utf8(SystemMessage(HResultFromWin32(nError)));
#else
    const std::string strText = std::strerror(static_cast<int>(nError));
#endif
    return strText.empty() ? "error " + std::to_string(nError) : strText;
}

void ClearLastSystemError()
{
#ifdef _WIN32
    ::SetLastError(0);
#else
    errno = 0;
#endif
}

unsigned long LastSystemError()
{
#ifdef _WIN32
    return ::GetLastError();
#else
    return static_cast<unsigned long>(errno);
#endif
}

bool IsSymbolicLink(const std::wstring& strPath)
{
#ifdef _WIN32
    const DWORD nAttributes = ::GetFileAttributesW(strPath.c_str());
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    struct stat st;
    return ::lstat(Utf8(strPath).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
#endif
}

// At most kMaxImportBytes from read(buffer, size), which gives 0 at the end. A larger input is
// refused after one byte more, never read whole.
template <typename Read>
std::string ReadAtMostImportSize(Read read)
{
    std::string strBytes;
    char buffer[65536];
    while (strBytes.size() <= kMaxImportBytes)
    {
        const std::size_t n = read(buffer, std::min(sizeof(buffer), kMaxImportBytes + 1 - strBytes.size()));
        if (n == 0)
            break;
        strBytes.append(buffer, n);
    }
    if (strBytes.size() > kMaxImportBytes)
        throw CCommandFailure("larger than " + std::to_string(kMaxImportBytes / (1024 * 1024)) +
                              " MiB, the most import reads");
    return strBytes;
}

class CCommand
{
public:
    CCommand(CCommandContext& context, std::wstring strFolder)
        : m_context(context), m_strFolder(std::move(strFolder))
    {
    }

    int List(const CParsedArgs& args);
    int Check(const CParsedArgs& args);
    int Show(const CParsedArgs& args);
    int Find(const CParsedArgs& args);
    int Export(const CParsedArgs& args);
    int Import(const CParsedArgs& args);

private:
    std::wstring SessionFolder() const
    {
        return m_strFolder.empty() ? m_context.findSessionFolder() : m_strFolder;
    }

    // A missing file or a folder is named as such rather than as a file the reader refused.
    void RequireFile(const std::wstring& strPath, const char* pszCannotOpen = "cannot be opened: ") const;
    CSession LoadNamedFile(const std::wstring& strPath) const;
    // Every session of the session folder in the order the add-on lists them, each given to use
    // with its file. A file that cannot be read, or whose use throws, is reported on err and
    // skipped; the result says whether one was.
    bool ForEachSavedSession(const std::function<void(const std::wstring&, const CSession&)>& use) const;
    std::string ReadInput(const std::wstring& strPath) const;
    void WriteOutput(const std::wstring& strPath, const std::string& strBytes) const;

    CCommandContext& m_context;
    std::wstring m_strFolder;
};

void CCommand::RequireFile(const std::wstring& strPath, const char* pszCannotOpen) const
{
    std::string strWhy;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(m_context.os.OpenForReading(strPath, strWhy), std::fclose);
    if (!file)
        throw CCommandFailure(pszCannotOpen + strWhy);
    // A folder opens on some systems and fails its first read.
    if (std::fgetc(file.get()) == EOF && std::ferror(file.get()))
        throw CCommandFailure(std::string("cannot be read: ") + std::strerror(errno));
}

CSession CCommand::LoadNamedFile(const std::wstring& strPath) const
{
    RequireFile(strPath);
    try
    {
        return LoadSessionFile(m_context.absolutePath(strPath), m_context.os);
    }
    catch (...)
    {
        throw CCommandFailure(DescribeReadFailure());
    }
}

std::string CCommand::ReadInput(const std::wstring& strPath) const
{
    if (strPath == L"-")
    {
        std::istream& in = m_context.in;
        const std::string strBytes = ReadAtMostImportSize([&in](char* pBuffer, std::size_t nSize) {
            in.read(pBuffer, static_cast<std::streamsize>(nSize));
            return static_cast<std::size_t>(in.gcount());
        });
        if (in.bad())
            throw CCommandFailure("cannot be read");
        return strBytes;
    }
    std::string strWhy;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(m_context.os.OpenForReading(strPath, strWhy), std::fclose);
    if (!file)
        throw CCommandFailure("cannot be opened: " + strWhy);
    std::FILE* pFile = file.get();
    const std::string strBytes = ReadAtMostImportSize(
        [pFile](char* pBuffer, std::size_t nSize) { return std::fread(pBuffer, 1, nSize, pFile); });
    if (std::ferror(pFile))
        throw CCommandFailure(std::string("cannot be read: ") + std::strerror(errno));
    return strBytes;
}

bool CCommand::ForEachSavedSession(const std::function<void(const std::wstring&, const CSession&)>& use) const
{
    const std::wstring strFolder = SessionFolder();
    const std::string strCannotList = Quoted(strFolder) + ": the folder cannot be listed: ";
    std::vector<std::wstring> files;
    if (const unsigned long nError = FindFiles(files, strFolder, nullptr, false, m_context.os))
        throw CCommandFailure(strCannotList + SystemErrorText(nError));
    if (files.empty())
    {
        // FindFiles gives nothing for a folder it could not list at all: ask the system whether
        // this one is empty.
        std::vector<CDirectoryEntry> entries;
        unsigned long nError = 0;
        ClearLastSystemError();
        if (!m_context.os.ListFolder(strFolder, entries, nError))
            throw CCommandFailure(strCannotList + SystemErrorText(LastSystemError()));
        if (nError != 0)
            throw CCommandFailure(strCannotList + SystemErrorText(nError));
    }

    bool bAllRead = true;
    for (const std::wstring& strFile : files)
    {
        try
        {
            // The reader takes a file it cannot open for an empty one, a damaged file.
            RequireFile(strFile, "cannot be read: ");
            use(strFile, LoadSessionFile(strFile, m_context.os));
        }
        catch (...)
        {
            bAllRead = false;
            std::string strReason = DescribeReadFailure();
            // Listed a moment ago, yet the system finds no file by that name.
            std::time_t lastWrite = 0;
            if (m_context.os.FindOneFile(strFile, lastWrite) == EFindOneFile::NotFound)
                strReason = IsSymbolicLink(strFile) ? "a link to a file that does not exist"
                                                    : "no longer there: removed while the folder was listed";
            // The folder is the user's own; a name in it may hold anything.
            const std::size_t nName = strFolder.size() + 1;
            m_context.err << "quillmere: " << Utf8(strFile.substr(0, nName))
                          << EscapeControlCharacters(Utf8(strFile.substr(nName))) << ": " << strReason << '\n';
        }
    }
    return bAllRead;
}

int CCommand::List(const CParsedArgs& args)
{
    if (!args.words.empty())
        throw CUsageError("list takes no file names", "list");

    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    ForEachSavedSession([&](const std::wstring& strFile, const CSession& session) {
        if (args.Has(L"--json"))
        {
            list.push_back({{"name", Utf8(session.GetName())},
                            {"time", FormatUtcTime(session.GetTime())},
                            {"windows", session.GetInstanceSetsCount()},
                            {"tabs", session.GetUrlItemsCount()},
                            {"file", Utf8(strFile)}});
        }
        else
        {
            m_context.out << EscapeControlCharacters(Utf8(session.GetName())) << '\t'
                          << FormatLocalTime(session.GetTime()) << '\t' << session.GetInstanceSetsCount() << '\t'
                          << session.GetUrlItemsCount() << '\n';
        }
    });
    if (args.Has(L"--json"))
        m_context.out << list.dump(2) << '\n';
    return kExitSuccess;
}

int CCommand::Find(const CParsedArgs& args)
{
    if (args.words.empty() || args.words[0].empty())
        throw CUsageError("find needs a text to find", "find");
    if (args.words.size() > 1)
        throw CUsageError("find takes one text; quote a text of several words", "find");

    const CSessionSearch search(args.words[0]);
    const bool bJson = args.Has(L"--json");
    nlohmann::ordered_json found = nlohmann::ordered_json::array();
    bool bFound = false;
    const bool bAllRead = ForEachSavedSession([&](const std::wstring&, const CSession& session) {
        // A session's tabs go out all or none, should one of them fail.
        nlohmann::ordered_json sessionFound = nlohmann::ordered_json::array();
        std::string strLines;
        const std::string strName = Utf8(session.GetName());
        for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
        {
            for (const CUrlItem& tab : session.GetInstanceSet(i)->GetUrlItems())
            {
                if (!search.TabMatches(tab))
                    continue;
                const std::string strTitle = Utf8(tab.GetTitle());
                const std::string strUrl = Utf8(tab.GetUrlRef());
                if (bJson)
                    sessionFound.push_back(
                        {{"name", strName}, {"window", i + 1}, {"title", strTitle}, {"url", strUrl}});
                else
                    strLines += EscapeControlCharacters(strName) + '\t' + std::to_string(i + 1) + '\t' +
                                EscapeControlCharacters(strTitle) + '\t' + EscapeControlCharacters(strUrl) + '\n';
            }
        }
        bFound = bFound || !sessionFound.empty() || !strLines.empty();
        found.insert(found.end(), sessionFound.begin(), sessionFound.end());
        m_context.out << strLines;
    });
    if (bJson)
        m_context.out << found.dump(2) << '\n';
    if (!bAllRead)
        return kExitFindFailure;
    return bFound ? kExitSuccess : kExitNothingFound;
}

int CCommand::Check(const CParsedArgs& args)
{
    if (args.words.empty())
        throw CUsageError("check needs at least one file", "check");

    int nResult = kExitSuccess;
    for (const std::wstring& strFile : args.words)
    {
        m_context.out << Utf8(strFile) << ": ";
        try
        {
            RequireFile(strFile);
            CSession session(L"", 0);
            CManualSavedInstanceLoader loader(m_context.os);
            loader.SetFilePath(strFile.c_str());
            loader.LoadSession(&session);
            m_context.out << "ok, " << session.GetInstanceSetsCount() << " windows, "
                          << session.GetUrlItemsCount() << " tabs\n";
        }
        catch (const CCommandFailure& e)
        {
            m_context.out << e.what() << '\n';
            nResult = kExitFailure;
        }
        catch (...)
        {
            m_context.out << DescribeReadFailure() << '\n';
            nResult = kExitFailure;
        }
    }
    return nResult;
}

int CCommand::Show(const CParsedArgs& args)
{
    if (args.words.size() != 1)
        throw CUsageError("show takes one file", "show");

    CSession session(L"", 0);
    try
    {
        session = LoadNamedFile(args.words[0]);
    }
    catch (const CCommandFailure& e)
    {
        throw CCommandFailure(Utf8(args.words[0]) + ": " + e.what());
    }
    if (args.Has(L"--json"))
        m_context.out << SessionToJson(session).dump(2) << '\n';
    else
        m_context.out << SessionToTree(session);
    return kExitSuccess;
}

void CCommand::WriteOutput(const std::wstring& strPath, const std::string& strBytes) const
{
    if (strPath.empty())
    {
        m_context.out << strBytes;
        return;
    }
    // A device or a pipe (/dev/stdout) is written as it is; a file is written beside itself and
    // moved into place, so that a failed export leaves the previous one whole.
    if (IsDeviceOrPipe(strPath))
    {
        errno = 0;
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForWriting(strPath), std::fclose);
        if (!file || std::fwrite(strBytes.data(), 1, strBytes.size(), file.get()) != strBytes.size() ||
            std::fclose(file.release()) != 0)
            throw CCommandFailure(Utf8(strPath) + ": cannot be written: " +
                                  (errno != 0 ? std::strerror(errno) : "unknown failure"));
        return;
    }
    std::wstring strFolder = L".";
    const std::wstring::size_type nSeparator = strPath.find_last_of(kPathSeparators);
    if (nSeparator != std::wstring::npos)
        strFolder = strPath.substr(0, nSeparator + 1);
    try
    {
        std::unique_ptr<ITempFile> pTemp = m_context.os.CreateTempFile(strFolder);
        pTemp->Write(strBytes);
        unsigned long nError = 0;
        if (pTemp->Publish(strPath, true, nError) != EPublish::Done)
            throw std::ios_base::failure("cannot replace the file",
                                         std::error_code(static_cast<int>(nError), std::system_category()));
    }
    catch (const std::ios_base::failure& e)
    {
        throw CCommandFailure(Utf8(strPath) + ": cannot be written: " + e.what());
    }
}

int CCommand::Export(const CParsedArgs& args)
{
    if (args.words.empty())
        throw CUsageError("export needs at least one file", "export");
    if (!args.Has(L"--format"))
        throw CUsageError("export needs --format json, html or urls", "export");
    const std::wstring strFormat = args.Get(L"--format");
    if (strFormat != L"json" && strFormat != L"html" && strFormat != L"urls")
        throw CUsageError("unknown format " + Quoted(strFormat) + ": json, html or urls", "export");
    if (args.Has(L"-o") && args.Get(L"-o").empty())
        throw CUsageError("-o needs a file name", "export");

    std::vector<CSession> sessions;
    for (const std::wstring& strFile : args.words)
    {
        try
        {
            sessions.push_back(LoadNamedFile(strFile));
        }
        catch (const CCommandFailure& e)
        {
            throw CCommandFailure(Utf8(strFile) + ": " + e.what());
        }
    }

    std::string strBytes;
    if (strFormat == L"json")
    {
        nlohmann::ordered_json json = nlohmann::ordered_json::array();
        for (const CSession& session : sessions)
            json.push_back(SessionToJson(session));
        strBytes = (sessions.size() == 1 ? json[0] : json).dump(2) + '\n';
    }
    else if (strFormat == L"html")
    {
        strBytes = SessionsToBookmarksHtml(sessions);
    }
    else
    {
        strBytes = SessionsToUrlList(sessions);
    }
    WriteOutput(args.Get(L"-o"), strBytes);
    return kExitSuccess;
}

int CCommand::Import(const CParsedArgs& args)
{
    if (args.words.size() != 1)
        throw CUsageError("import takes one file (\"-\" for standard input)", "import");
    const std::wstring strFrom = args.Get(L"--from");
    if (strFrom != L"json" && strFrom != L"urls")
        throw CUsageError(args.Has(L"--from") ? "unknown format " + Quoted(strFrom) + ": json or urls"
                                              : "import needs --from json or urls",
                          "import");
    if (!args.Has(L"--name"))
        throw CUsageError("import needs --name", "import");
    const std::wstring strName = args.Get(L"--name");
    if (strName.empty())
        throw CUsageError("the session name is empty", "import");
    // A control character cannot be typed into the name box, and Windows refuses it in a
    // file name.
    bool bControl = false;
    for (wchar_t c : strName)
        bControl = bControl || c < 0x20 || c == 0x7F;
    if (ContainsRefusedNameCharacter(strName) || bControl)
        throw CUsageError("the session name " + Quoted(strName) +
                              " holds a character a session name may not have: \\ / : * ? \" < > | . "
                              "or a control character",
                          "import");

    const std::wstring& strFile = args.words[0];
    const std::string strFileLabel = strFile == L"-" ? "standard input" : Utf8(strFile);
    CSession session(strName, 0);
    try
    {
        session = ImportSession(strFrom == L"json" ? EImportFormat::Json : EImportFormat::Urls, ReadInput(strFile),
                                strName);
    }
    catch (const CCommandFailure& e)
    {
        throw CCommandFailure(strFileLabel + ": " + e.what());
    }
    catch (const CFormatError& e)
    {
        throw CCommandFailure(strFileLabel + ": " + e.what());
    }

    const std::wstring strFolder = SessionFolder();
    try
    {
        SaveImportedSession(session, strFolder, strName, args.Has(L"--force"), m_context.os);
    }
    catch (const CImportError& e)
    {
        throw CCommandFailure(e.what());
    }
    // Saved: what is printed now only confirms it.
    m_context.bDoneBeforeOutput = true;
    m_context.out << Utf8(strName) << ": " << session.GetInstanceSetsCount() << " windows, "
                  << session.GetUrlItemsCount() << " tabs saved in " << Utf8(strFolder) << '\n';
    return kExitSuccess;
}

struct CSubcommand
{
    const char* pszName;
    const char* pszHelp;
    std::vector<COption> options;
    int (CCommand::*pRun)(const CParsedArgs&);
    // The exit status of a failure: find's is grep's, since its 1 means "nothing found".
    int nFailureExit = kExitFailure;
};

const std::vector<CSubcommand>& Subcommands()
{
    static const std::vector<CSubcommand> s_subcommands = {
        {"list", kListHelp, {{L"--json", false}, {L"--folder", true}}, &CCommand::List},
        {"check", kCheckHelp, {}, &CCommand::Check},
        {"show", kShowHelp, {{L"--json", false}}, &CCommand::Show},
        {"find", kFindHelp, {{L"--json", false}, {L"--folder", true}}, &CCommand::Find, kExitFindFailure},
        {"export", kExportHelp, {{L"--format", true}, {L"-o", true}, {L"--output", true}}, &CCommand::Export},
        {"import", kImportHelp,
         {{L"--from", true}, {L"--name", true}, {L"--folder", true}, {L"--force", false}},
         &CCommand::Import},
    };
    return s_subcommands;
}
#ifdef _WIN32
std::wstring AbsolutePath(const std::wstring& strPath)
{
    const DWORD nSize = ::GetFullPathNameW(strPath.c_str(), 0, nullptr, nullptr);
    if (nSize == 0)
        return strPath;
    std::wstring strFull(nSize, L'\0');
    const DWORD nLength = ::GetFullPathNameW(strPath.c_str(), nSize, &strFull[0], nullptr);
    if (nLength == 0 || nLength >= nSize)
        return strPath;
    strFull.resize(nLength);
    return strFull;
}
#else
std::wstring AbsolutePath(const std::wstring& strPath)
{
    char szCurrent[PATH_MAX];
    if ((!strPath.empty() && strPath[0] == L'/') || !::getcwd(szCurrent, sizeof(szCurrent)))
        return strPath;
    return Utf8ToWide(szCurrent) + L'/' + strPath;
}
#endif

std::wstring FindSessionFolder()
{
    CSessionFolderLocator locator;
    return FindSavedSessionsFolder(locator);
}
}  // namespace

CCommandContext SystemCommandContext(std::ostream& out, std::ostream& err, std::istream& in)
{
    return CCommandContext{out, err, in, SystemOs(), FindSessionFolder, AbsolutePath};
}

int RunQuillmere(const std::vector<std::wstring>& args, CCommandContext& context)
{
    std::string strCommand;
    try
    {
        // The options before the command.
        std::size_t i = 0;
        std::wstring strFolder;
        bool bFolderGiven = false;
        for (; i < args.size() && !args[i].empty() && args[i][0] == L'-'; ++i)
        {
            if (args[i] == L"--help" || args[i] == L"-h")
            {
                context.out << kMainHelp;
                return kExitSuccess;
            }
            if (args[i] == L"--version")
            {
                context.out << kVersion << '\n';
                return kExitSuccess;
            }
            if (args[i] == L"--folder" && i + 1 < args.size())
                strFolder = args[++i];
            else if (args[i].compare(0, 9, L"--folder=") == 0)
                strFolder = args[i].substr(9);
            else
                throw CUsageError(args[i] == L"--folder" ? "option '--folder' needs a value"
                                                         : "unknown option " + Quoted(args[i]),
                                  "");
            if (bFolderGiven)
                throw CUsageError("option '--folder' is given twice", "");
            bFolderGiven = true;
            // Never taken for "no folder given": that would be the user's own session folder.
            if (strFolder.empty())
                throw CUsageError("option '--folder' needs a value", "");
        }
        if (i == args.size())
            throw CUsageError("no command given", "");

        std::string strName = Utf8(args[i]);
        if (strName == "help")
        {
            if (i + 1 == args.size())
            {
                context.out << kMainHelp;
                return kExitSuccess;
            }
            strName = Utf8(args[i + 1]);
            for (const CSubcommand& subcommand : Subcommands())
            {
                if (strName == subcommand.pszName)
                {
                    context.out << subcommand.pszHelp;
                    return kExitSuccess;
                }
            }
            throw CUsageError("unknown command '" + strName + "'", "");
        }
        for (const CSubcommand& subcommand : Subcommands())
        {
            if (strName != subcommand.pszName)
                continue;
            strCommand = strName;
            context.nFailureExit = subcommand.nFailureExit;
            std::vector<COption> options = subcommand.options;
            options.push_back({L"--help", false});
            options.push_back({L"-h", false});
            CParsedArgs parsed = ParseArgs(args, i + 1, options, strCommand);
            if (parsed.Has(L"--help") || parsed.Has(L"-h"))
            {
                context.out << subcommand.pszHelp;
                return kExitSuccess;
            }
            if (parsed.Has(L"--output"))
            {
                if (parsed.Has(L"-o"))
                    throw CUsageError("give -o or --output, not both", strCommand);
                parsed.options[L"-o"] = parsed.Get(L"--output");
            }
            const bool bTakesFolder = strCommand == "list" || strCommand == "find" || strCommand == "import";
            if (bFolderGiven && !bTakesFolder)
                throw CUsageError("option '--folder' is for list, find and import", strCommand);
            if (parsed.Has(L"--folder"))
            {
                if (bFolderGiven)
                    throw CUsageError("option '--folder' is given twice", strCommand);
                strFolder = parsed.Get(L"--folder");
                if (strFolder.empty())
                    throw CUsageError("option '--folder' needs a value", strCommand);
            }
            CCommand command(context, strFolder);
            return (command.*subcommand.pRun)(parsed);
        }
        throw CUsageError("unknown command '" + strName + "'", "");
    }
    catch (const CUsageError& e)
    {
        context.err << "quillmere: " << e.m_strMessage << "\nTry 'quillmere "
                    << (e.m_strCommand.empty() ? "" : e.m_strCommand + " ") << "--help'.\n";
        return kExitUsage;
    }
    catch (const CCommandFailure& e)
    {
        context.err << "quillmere: " << (strCommand.empty() ? "" : strCommand + ": ") << e.what() << '\n';
        return context.nFailureExit;
    }
    catch (...)
    {
        context.err << "quillmere: " << (strCommand.empty() ? "" : strCommand + ": ") << DescribeReadFailure()
                    << '\n';
        return context.nFailureExit;
    }
}
