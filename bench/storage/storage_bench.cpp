// The storage layer against its floors, all in one run so that the ratios compare like with like:
//   catalogue  1,000 session files of 100 tabs loaded by LoadSessionsFromFolder, against a bare
//              pass over the same folder (list, read each file whole, split it into lines) and
//              against the same sessions kept as JSON files (read, parse, build the session);
//   writer     a 10,000-tab session saved, against one open/write/fsync/close of the same bytes
//              (and, for information, the write alone);
//   reader     the heap high-water mark of reading the 10,000-tab file, against the file's size;
//   search     one keystroke in the find field: a CSessionSearch of the text asked of the 1,000
//              sessions' CSessionSearchText, against std::wstring::find over the same sessions'
//              names, titles and addresses (and, for information, building those texts).
// After the figures come the ratios and their targets; the exit code is 1 when one is missed.
//
//   storage_bench [--data=DIR] [Google Benchmark flags]
//
// DIR (default: a folder in the build tree) keeps the corpus between runs; it is made again when
// it is missing or incomplete. Without --benchmark_repetitions each figure is the median of 5.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench/storage/counting_allocator.h"
#include "bench/storage/reader_memory.h"
#include "bench/storage/storage_corpus.h"
#include "cli/session_formats.h"
#include "session/manual_saved_instance_saver.h"
#include "session/saved_session_catalogue.h"
#include "session/session_search.h"
#include "session/text_conversion.h"

namespace
{
constexpr int kCatalogueSessions = 1000;
constexpr int kCatalogueTabs = 100;
constexpr int kLargeSessionTabs = 10000;
// Changes whenever the generator does, so that an old corpus is not reused.
constexpr const char kCorpusStamp[] =
    "storage corpus 1: 1000 sessions of 100 tabs, session file and JSON\n";

struct CCorpus
{
    std::string strCatalogue;  // the session files
    std::string strJson;       // the same sessions as JSON, one file each
    std::string strWriter;     // where the writer benchmarks write
    std::string strLargeFile;  // the 10,000-tab session file
    std::size_t nCatalogueBytes = 0;
    std::size_t nCatalogueLines = 0;
    std::size_t nJsonBytes = 0;
    std::string strLargeBytes;
};

CCorpus g_corpus;

[[noreturn]] void Fail(const std::string& strWhat)
{
    throw std::runtime_error(strWhat + ": " + std::strerror(errno));
}

std::wstring Wide(const std::string& strUtf8)
{
    return Utf8ToWide(strUtf8);
}

void MakeFolder(const std::string& strPath)
{
    if (mkdir(strPath.c_str(), 0700) != 0 && errno != EEXIST)
        Fail("cannot create " + strPath);
}

// The names in a folder, "." and ".." left out, in the order the system lists them.
std::vector<std::string> ListNames(const std::string& strFolder)
{
    std::vector<std::string> names;
    DIR* pDir = opendir(strFolder.c_str());
    if (!pDir)
        return names;
    while (const dirent* pEntry = readdir(pDir))
    {
        if (std::strcmp(pEntry->d_name, ".") != 0 && std::strcmp(pEntry->d_name, "..") != 0)
            names.push_back(pEntry->d_name);
    }
    closedir(pDir);
    return names;
}

void RemoveFolder(const std::string& strFolder)
{
    for (const std::string& strName : ListNames(strFolder))
        unlink((strFolder + "/" + strName).c_str());
    rmdir(strFolder.c_str());
}

// One open, one fstat and reads up to the size: the least a reader of a whole file does.
bool ReadWhole(const std::string& strPath, std::string& strBytes, std::time_t& lastWrite)
{
    const int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool bOk = fstat(fd, &st) == 0;
    if (bOk)
    {
        lastWrite = st.st_mtime;
        strBytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t nDone = 0;
        while (bOk && nDone < strBytes.size())
        {
            const ssize_t n = read(fd, &strBytes[nDone], strBytes.size() - nDone);
            bOk = n > 0;
            nDone += bOk ? static_cast<std::size_t>(n) : 0;
        }
    }
    close(fd);
    return bOk;
}

void WriteWhole(const std::string& strPath, const std::string& strBytes, bool bSync)
{
    const int fd = open(strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        Fail("cannot create " + strPath);
    if (write(fd, strBytes.data(), strBytes.size()) != static_cast<ssize_t>(strBytes.size()))
        Fail("cannot write " + strPath);
    if (bSync && fsync(fd) != 0)
        Fail("cannot flush " + strPath);
    if (close(fd) != 0)
        Fail("cannot close " + strPath);
}

std::size_t SplitLines(const std::string& strBytes, std::vector<std::string_view>& lines)
{
    lines.clear();
    const char* p = strBytes.data();
    const char* const pEnd = p + strBytes.size();
    while (p < pEnd)
    {
        const char* pBreak =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(pEnd - p)));
        const char* pLineEnd = pBreak ? pBreak : pEnd;
        std::size_t nLength = static_cast<std::size_t>(pLineEnd - p);
        if (nLength > 0 && p[nLength - 1] == '\r')
            --nLength;
        lines.emplace_back(p, nLength);
        p = pBreak ? pBreak + 1 : pEnd;
    }
    return lines.size();
}

std::string ReadText(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool CorpusIsComplete(const std::string& strRoot)
{
    return ReadText(strRoot + "/corpus.stamp") == kCorpusStamp &&
           ListNames(g_corpus.strCatalogue).size() ==
               static_cast<std::size_t>(kCatalogueSessions) &&
           ListNames(g_corpus.strJson).size() == static_cast<std::size_t>(kCatalogueSessions);
}

void PrepareCorpus(const std::string& strRoot)
{
    MakeFolder(strRoot);
    g_corpus.strCatalogue = strRoot + "/catalogue";
    g_corpus.strJson = strRoot + "/json";
    g_corpus.strWriter = strRoot + "/writer";
    const std::string strLarge = strRoot + "/large";

    const bool bReused = CorpusIsComplete(strRoot);
    if (!bReused)
    {
        unlink((strRoot + "/corpus.stamp").c_str());
        RemoveFolder(g_corpus.strCatalogue);
        RemoveFolder(g_corpus.strJson);
        MakeFolder(g_corpus.strCatalogue);
        MakeFolder(g_corpus.strJson);
        const std::wstring strCatalogue = Wide(g_corpus.strCatalogue);
        for (int i = 0; i < kCatalogueSessions; ++i)
        {
            CSession session = MakeCatalogueSession(i, kCatalogueTabs);
            WriteWhole(g_corpus.strJson + "/" + WideToUtf8(session.GetName()) + ".json",
                       SessionToJson(session).dump(), false);
            SaveCorpusSession(session, strCatalogue);
        }
        std::ofstream(strRoot + "/corpus.stamp", std::ios::binary) << kCorpusStamp;
    }

    std::vector<std::string_view> lines;
    std::string strBytes;
    std::time_t lastWrite;
    for (const std::string& strName : ListNames(g_corpus.strCatalogue))
    {
        ReadWhole(g_corpus.strCatalogue + "/" + strName, strBytes, lastWrite);
        g_corpus.nCatalogueBytes += strBytes.size();
        g_corpus.nCatalogueLines += SplitLines(strBytes, lines);
    }
    for (const std::string& strName : ListNames(g_corpus.strJson))
    {
        ReadWhole(g_corpus.strJson + "/" + strName, strBytes, lastWrite);
        g_corpus.nJsonBytes += strBytes.size();
    }

    // The large file is quick to make, and made each run with the writer of this build.
    MakeFolder(strLarge);
    MakeFolder(g_corpus.strWriter);
    CSession large = MakeLargeSession(kLargeSessionTabs);
    SaveCorpusSession(large, Wide(strLarge));
    g_corpus.strLargeFile = strLarge + "/" + WideToUtf8(LargeSessionName());
    ReadWhole(g_corpus.strLargeFile, g_corpus.strLargeBytes, lastWrite);

    std::printf("corpus in %s (%s): %d session files, %.1f MB, %zu lines; as JSON %.1f MB; "
                "large session file %zu bytes\n",
                strRoot.c_str(), bReused ? "kept from an earlier run" : "made now",
                kCatalogueSessions, g_corpus.nCatalogueBytes / 1e6, g_corpus.nCatalogueLines,
                g_corpus.nJsonBytes / 1e6, g_corpus.strLargeBytes.size());
}

int CountTabs(const std::vector<CSession>& sessions)
{
    int nTabs = 0;
    for (const CSession& session : sessions)
        nTabs += session.GetUrlItemsCount();
    return nTabs;
}

// The passes compared, each over the whole corpus. Each returns an error text, empty when the
// pass read everything it should.
std::string LoadPass(std::vector<CSession>& sessions)
{
    std::wstring strFailure;
    LoadSessionsFromFolder(sessions, Wide(g_corpus.strCatalogue), SystemOs(),
                           [&](const CLoadFailure& failure) {
                               strFailure = failure.strFileName + L": " + failure.strReason;
                               return false;
                           });
    return WideToUtf8(strFailure);
}

std::string FloorPass(std::vector<std::string_view>& lines, std::string& strBytes)
{
    std::size_t nLines = 0;
    std::time_t lastWrite;
    for (const std::string& strName : ListNames(g_corpus.strCatalogue))
    {
        if (!ReadWhole(g_corpus.strCatalogue + "/" + strName, strBytes, lastWrite))
            return "cannot read " + strName;
        nLines += SplitLines(strBytes, lines);
    }
    return nLines == g_corpus.nCatalogueLines ? std::string() : "the line count changed";
}

std::string JsonPass(std::vector<CSession>& sessions)
{
    std::string strBytes;
    std::time_t lastWrite;
    for (const std::string& strName : ListNames(g_corpus.strJson))
    {
        if (!ReadWhole(g_corpus.strJson + "/" + strName, strBytes, lastWrite))
            return "cannot read " + strName;
        try
        {
            const nlohmann::json json = nlohmann::json::parse(strBytes);
            sessions.push_back(
                SessionFromJson(json, Wide(strName.substr(0, strName.size() - 5)), lastWrite));
        }
        catch (const std::exception& e)
        {
            return strName + ": " + e.what();
        }
    }
    return std::string();
}

std::string CheckSessions(const std::vector<CSession>& sessions)
{
    if (sessions.size() != static_cast<std::size_t>(kCatalogueSessions) ||
        CountTabs(sessions) != kCatalogueSessions * kCatalogueTabs)
        return "not every session or tab was read";
    return std::string();
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each timed pass is followed, untimed, by one pass of its floor, so that every ratio pairs two
// passes taken moments apart: other work on the machine then weighs on both alike.
void CatalogueLoad(benchmark::State& state)
{
    std::vector<double> ratios;
    std::vector<double> floors;
    std::vector<std::string_view> lines;
    std::string strBytes;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        std::vector<CSession> sessions;
        std::string strError = LoadPass(sessions);
        benchmark::DoNotOptimize(sessions.data());
        const double load = Seconds(start);

        state.PauseTiming();
        if (strError.empty())
            strError = CheckSessions(sessions);
        sessions.clear();
        const auto floorStart = std::chrono::steady_clock::now();
        if (strError.empty())
            strError = FloorPass(lines, strBytes);
        floors.push_back(Seconds(floorStart));
        ratios.push_back(load / floors.back());
        if (!strError.empty())
            state.SkipWithError(strError.c_str());
        state.ResumeTiming();
    }
    state.counters["per_floor"] = Median(ratios);
    state.counters["floor_ms"] = Median(floors) * 1e3;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_corpus.nCatalogueBytes));
}

void CatalogueFloor(benchmark::State& state)
{
    std::vector<std::string_view> lines;
    std::string strBytes;
    for (auto _ : state)
    {
        const std::string strError = FloorPass(lines, strBytes);
        benchmark::DoNotOptimize(lines.data());
        if (!strError.empty())
            state.SkipWithError(strError.c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_corpus.nCatalogueBytes));
}

void CatalogueJson(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::vector<CSession> sessions;
        std::string strError = JsonPass(sessions);
        benchmark::DoNotOptimize(sessions.data());
        state.PauseTiming();
        if (strError.empty())
            strError = CheckSessions(sessions);
        if (!strError.empty())
            state.SkipWithError(strError.c_str());
        sessions.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_corpus.nJsonBytes));
}

void WriterSave(benchmark::State& state)
{
    CSession session = MakeLargeSession(kLargeSessionTabs);
    CManualSavedInstanceSaver saver;
    saver.SetSession(&session);
    saver.SetFolder(Wide(g_corpus.strWriter));
    const std::wstring strName = LargeSessionName();
    const std::string strPlain = g_corpus.strWriter + "/one-write-fsync";
    std::vector<double> ratios;
    std::vector<double> floors;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        saver.Save(strName.c_str());
        const double save = Seconds(start);

        state.PauseTiming();
        const auto plainStart = std::chrono::steady_clock::now();
        WriteWhole(strPlain, g_corpus.strLargeBytes, true);
        floors.push_back(Seconds(plainStart));
        ratios.push_back(save / floors.back());
        state.ResumeTiming();
    }
    std::string strBytes;
    std::time_t lastWrite;
    if (!ReadWhole(g_corpus.strWriter + "/" + WideToUtf8(strName), strBytes, lastWrite) ||
        strBytes != g_corpus.strLargeBytes)
        state.SkipWithError("the saved file differs from the large session file");
    state.counters["per_fsync_write"] = Median(ratios);
    state.counters["floor_ms"] = Median(floors) * 1e3;
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * g_corpus.strLargeBytes.size()));
}

void WriterOneWrite(benchmark::State& state, bool bSync)
{
    const std::string strPath = g_corpus.strWriter + (bSync ? "/one-write-fsync" : "/one-write");
    for (auto _ : state)
        WriteWhole(strPath, g_corpus.strLargeBytes, bSync);
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * g_corpus.strLargeBytes.size()));
}

CReaderMemory g_readerMemory;

void ReaderMemory(benchmark::State& state)
{
    const std::wstring strPath = Wide(g_corpus.strLargeFile);
    for (auto _ : state)
        g_readerMemory = MeasureRead(strPath);
    if (g_readerMemory.nTabs != kLargeSessionTabs)
        state.SkipWithError("not every tab was read");
    state.counters["file_bytes"] = static_cast<double>(g_readerMemory.nFileBytes);
    state.counters["peak_bytes"] = static_cast<double>(g_readerMemory.nPeakBytes);
    state.counters["peak_per_file"] = g_readerMemory.PeakRatio();
    state.counters["peak_per_file_2b"] = g_readerMemory.PeakRatioIn2ByteUnits();
    state.counters["model_bytes"] = static_cast<double>(g_readerMemory.nModelBytes);
    state.counters["text_bytes"] = static_cast<double>(g_readerMemory.nTextBytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_readerMemory.nFileBytes));
}

// The corpus's sessions as the window holds them, read once on first use, with their search texts.
struct CSearchCorpus
{
    std::vector<CSession> sessions;
    std::vector<CSessionSearchText> texts;
    std::string strError;
};

// Into a vector that has room for them already, so that only the texts themselves allocate.
void BuildSearchTexts(const std::vector<CSession>& sessions, std::vector<CSessionSearchText>& texts)
{
    texts.clear();
    texts.reserve(sessions.size());
    for (const CSession& session : sessions)
        texts.emplace_back(session);
}

const CSearchCorpus& SearchCorpus()
{
    static const CSearchCorpus corpus = [] {
        CSearchCorpus loaded;
        loaded.strError = LoadPass(loaded.sessions);
        if (loaded.strError.empty())
            loaded.strError = CheckSessions(loaded.sessions);
        BuildSearchTexts(loaded.sessions, loaded.texts);
        return loaded;
    }();
    return corpus;
}

// What the window does on a keystroke: fold the field's text once, ask every session.
int FilterCount(const std::vector<CSessionSearchText>& texts, const std::wstring& strText)
{
    const CSessionSearch search(strText);
    int nMatches = 0;
    for (const CSessionSearchText& text : texts)
        nMatches += text.Matches(search);
    return nMatches;
}

// The floor: the same strings searched as they are, case-sensitive, up to a session's first hit.
bool FloorMatches(const CSession& session, const std::wstring& strText)
{
    if (session.GetName().find(strText) != std::wstring::npos)
        return true;
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        for (const CUrlItem& tab : session.GetInstanceSet(i)->GetUrlItems())
        {
            if (tab.GetTitle().find(strText) != std::wstring::npos ||
                tab.GetUrlRef().find(strText) != std::wstring::npos)
                return true;
        }
    }
    return false;
}

int FloorCount(const std::vector<CSession>& sessions, const std::wstring& strText)
{
    int nMatches = 0;
    for (const CSession& session : sessions)
        nMatches += FloorMatches(session, strText);
    return nMatches;
}

// Paired as the catalogue is: each keystroke's filter, then untimed one floor pass. The texts are
// lower-case ASCII whose every occurrence in the corpus is in lower case, so both find the same
// sessions at the same strings; a difference fails the benchmark.
void SearchFilter(benchmark::State& state, const std::wstring& strText)
{
    const CSearchCorpus& corpus = SearchCorpus();
    std::vector<double> ratios;
    std::vector<double> floors;
    int nMatches = 0;
    int nFloorMatches = 0;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        nMatches = FilterCount(corpus.texts, strText);
        benchmark::DoNotOptimize(nMatches);
        const double filter = Seconds(start);

        state.PauseTiming();
        const auto floorStart = std::chrono::steady_clock::now();
        nFloorMatches = FloorCount(corpus.sessions, strText);
        benchmark::DoNotOptimize(nFloorMatches);
        floors.push_back(Seconds(floorStart));
        ratios.push_back(filter / floors.back());
        state.ResumeTiming();
    }
    if (!corpus.strError.empty())
        state.SkipWithError(corpus.strError.c_str());
    else if (nMatches != nFloorMatches)
        state.SkipWithError("the filter and the floor found different sessions");
    state.counters["sessions"] = nMatches;
    state.counters["per_floor"] = Median(ratios);
    state.counters["floor_ms"] = Median(floors) * 1e3;
}

void SearchFloor(benchmark::State& state, const std::wstring& strText)
{
    const CSearchCorpus& corpus = SearchCorpus();
    int nMatches = 0;
    for (auto _ : state)
    {
        nMatches = FloorCount(corpus.sessions, strText);
        benchmark::DoNotOptimize(nMatches);
    }
    if (!corpus.strError.empty())
        state.SkipWithError(corpus.strError.c_str());
    state.counters["sessions"] = nMatches;
}

// What the window pays at the first keystroke in its find field; the bytes are the folded texts'
// own.
void SearchIndex(benchmark::State& state)
{
    const CSearchCorpus& corpus = SearchCorpus();
    std::vector<CSessionSearchText> texts;
    texts.reserve(corpus.sessions.size());
    heap_count::Start();
    BuildSearchTexts(corpus.sessions, texts);
    const long long nBytes = heap_count::LiveBytes();
    heap_count::Stop();
    for (auto _ : state)
    {
        BuildSearchTexts(corpus.sessions, texts);
        benchmark::DoNotOptimize(texts.data());
    }
    if (!corpus.strError.empty())
        state.SkipWithError(corpus.strError.c_str());
    state.counters["text_bytes"] = static_cast<double>(nBytes);
}

// Passes every run to the console and keeps each benchmark's median real time (its only time
// when there is a single repetition), by the name it was registered under.
class CRecordingReporter : public benchmark::ConsoleReporter
{
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            if (run.error_occurred)
            {
                m_failed.push_back(run.run_name.function_name);
                continue;
            }
            const bool bMedian =
                run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (bMedian || (run.run_type == Run::RT_Iteration && run.repetitions <= 1))
            {
                m_times[run.run_name.function_name] = run.GetAdjustedRealTime();
                for (const auto& counter : run.counters)
                    m_counters[run.run_name.function_name + ":" + counter.first] =
                        counter.second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::optional<double> Time(const std::string& strName) const { return Find(m_times, strName); }
    // A counter as "benchmark:counter".
    std::optional<double> Counter(const std::string& strName) const
    {
        return Find(m_counters, strName);
    }
    const std::vector<std::string>& Failed() const { return m_failed; }

private:
    static std::optional<double> Find(const std::map<std::string, double>& values,
                                      const std::string& strName)
    {
        const auto it = values.find(strName);
        return it == values.end() ? std::nullopt : std::optional<double>(it->second);
    }

    std::map<std::string, double> m_times;
    std::map<std::string, double> m_counters;
    std::vector<std::string> m_failed;
};

// One line of the ratio table, when the ratio is known; false when the target is missed.
// maxRatio 0: no target.
bool PrintRatio(const char* pszWhat, std::optional<double> ratio, double maxRatio)
{
    if (!ratio)
        return true;
    const bool bMet = maxRatio <= 0 || *ratio < maxRatio;
    std::printf("  %-58s %6.2f", pszWhat, *ratio);
    if (maxRatio > 0)
        std::printf("   target below %g: %s", maxRatio, bMet ? "met" : "MISSED");
    std::printf("\n");
    return bMet;
}

// The ratio of two benchmarks' median times, when both ran.
std::optional<double> TimeRatio(const CRecordingReporter& reporter, const char* pszA,
                                const char* pszB)
{
    const std::optional<double> a = reporter.Time(pszA);
    const std::optional<double> b = reporter.Time(pszB);
    return a && b ? std::optional<double>(*a / *b) : std::nullopt;
}
}  // namespace

int main(int argc, char** argv)
{
    std::string strData = QLMR_BENCH_DATA_DIR;
    std::vector<char*> args;
    bool bRepetitionsGiven = false;
    for (int i = 0; i < argc; ++i)
    {
        if (std::strncmp(argv[i], "--data=", 7) == 0)
            strData = argv[i] + 7;
        else
            args.push_back(argv[i]);
        bRepetitionsGiven =
            bRepetitionsGiven || std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    }
    char szRepetitions[] = "--benchmark_repetitions=5";
    char szAggregates[] = "--benchmark_report_aggregates_only=true";
    if (!bRepetitionsGiven)
        args.insert(args.begin() + 1, {szRepetitions, szAggregates});
    int nArgs = static_cast<int>(args.size());
    benchmark::Initialize(&nArgs, args.data());
    if (benchmark::ReportUnrecognizedArguments(nArgs, args.data()))
        return 2;

    try
    {
        PrepareCorpus(strData);
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "storage_bench: %s\n", e.what());
        return 2;
    }
    std::fflush(stdout);

    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("catalogue/load", CatalogueLoad)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("catalogue/floor", CatalogueFloor)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("catalogue/json", CatalogueJson)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("writer/save", WriterSave)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("writer/one_write_fsync", WriterOneWrite, true)
        ->Unit(ms)
        ->UseRealTime();
    benchmark::RegisterBenchmark("writer/one_write", WriterOneWrite, false)
        ->Unit(ms)
        ->UseRealTime();
    benchmark::RegisterBenchmark("reader/memory", ReaderMemory)->Unit(ms)->UseRealTime();
    // The worst case matches nothing, so every string is searched to its end, and is made of the
    // corpus's commonest letter, so that the places where both units the filter looks for first
    // stand are as many as they can be. Then, for information, a text that matches nothing and
    // starts with that letter (the slowest for a search that looks for the first unit), a word in
    // nearly every session and one in about one in ten.
    for (const wchar_t* pszText : {L"eeee", L"eqxjv", L"overview", L"memory-leak"})
    {
        const std::string strText = WideToUtf8(pszText);
        benchmark::RegisterBenchmark(("search/filter/" + strText).c_str(), SearchFilter, pszText)
            ->Unit(ms)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("search/floor/" + strText).c_str(), SearchFloor, pszText)
            ->Unit(ms)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("search/index", SearchIndex)->Unit(ms)->UseRealTime();

    // Colours only on a terminal, so that a saved run reads as plain text.
    CRecordingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                      : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    bool bMet = reporter.Failed().empty();
    for (const std::string& strName : reporter.Failed())
        std::printf("FAILED: %s\n", strName.c_str());
    std::printf("\nratios (paired: median over iterations of each pass against its floor run right "
                "after it)\n");
    bMet &= PrintRatio("catalogue/load / catalogue/floor, paired",
                       reporter.Counter("catalogue/load:per_floor"), 3.0);
    PrintRatio("catalogue/load / catalogue/floor, medians of the runs",
               TimeRatio(reporter, "catalogue/load", "catalogue/floor"), 0);
    bMet &= PrintRatio("catalogue/load / catalogue/json, medians of the runs",
                       TimeRatio(reporter, "catalogue/load", "catalogue/json"), 1.0);
    PrintRatio("catalogue/json / catalogue/floor, medians of the runs",
               TimeRatio(reporter, "catalogue/json", "catalogue/floor"), 0);
    bMet &= PrintRatio("writer/save / writer/one_write_fsync, paired",
                       reporter.Counter("writer/save:per_fsync_write"), 3.0);
    PrintRatio("writer/save / writer/one_write_fsync, medians of the runs",
               TimeRatio(reporter, "writer/save", "writer/one_write_fsync"), 0);
    PrintRatio("writer/save / writer/one_write (no fsync), medians of the runs",
               TimeRatio(reporter, "writer/save", "writer/one_write"), 0);
    bMet &= PrintRatio("search/filter / search/floor, eeee, paired",
                       reporter.Counter("search/filter/eeee:per_floor"), 3.0);
    PrintRatio("search/filter / search/floor, eeee, medians of the runs",
               TimeRatio(reporter, "search/filter/eeee", "search/floor/eeee"), 0);
    bMet &= PrintRatio("search/filter, eeee, ms per keystroke", reporter.Time("search/filter/eeee"), 16.0);
    for (const char* pszText : {"eqxjv", "overview", "memory-leak"})
        PrintRatio(("search/filter / search/floor, " + std::string(pszText) + ", paired").c_str(),
                   reporter.Counter("search/filter/" + std::string(pszText) + ":per_floor"), 0);
    PrintRatio("search/index / catalogue/load, medians of the runs",
               TimeRatio(reporter, "search/index", "catalogue/load"), 0);
    if (g_readerMemory.nTabs)
    {
        std::printf("\n%s", DescribeReaderMemory(g_readerMemory).c_str());
        bMet &= g_readerMemory.MeetsTarget();
    }
    std::printf("\n%s\n", bMet ? "every target met" : "a target was MISSED");
    return bMet ? 0 : 1;
}
