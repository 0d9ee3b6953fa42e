// The reader's memory figure as a plain program, for the Windows build where Google Benchmark is
// not available: writes the large session with the product's writer, reads it back under the
// counting allocator and prints the figure. Exits 1 when it misses its target.
//   reader_memory [FOLDER]     FOLDER defaults to reader-memory-data in the working directory
#include <cstdio>
#include <exception>

#include "base/exceptions.h"
#include "bench/storage/reader_memory.h"
#include "bench/storage/storage_corpus.h"
#include "session/os_operations.h"
#include "session/text_conversion.h"

namespace
{
constexpr int kLargeSessionTabs = 10000;
}

int main(int argc, char** argv)
{
    try
    {
        const std::wstring strFolder = Utf8ToWide(argc > 1 ? argv[1] : "reader-memory-data");
        IOsOperations& os = SystemOs();
        if (!os.PathExists(strFolder) && os.MakeDirectory(strFolder) != 0)
        {
            std::fprintf(stderr, "reader_memory: cannot create the folder %s\n",
                         argc > 1 ? argv[1] : "");
            return 2;
        }
        {
            CSession session = MakeLargeSession(kLargeSessionTabs);
            SaveCorpusSession(session, strFolder);
        }
        const CReaderMemory memory =
            MeasureRead(strFolder + os.PathSeparator() + LargeSessionName());
        std::fputs(DescribeReaderMemory(memory).c_str(), stdout);
        if (memory.nTabs != kLargeSessionTabs)
        {
            std::fprintf(stderr, "reader_memory: read %d tabs of %d\n", memory.nTabs,
                         kLargeSessionTabs);
            return 2;
        }
        return memory.MeetsTarget() ? 0 : 1;
    }
    catch (const CException& e)
    {
        std::fprintf(stderr, "reader_memory: %s\n", WideToUtf8(e.GetErrorMessage()).c_str());
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "reader_memory: %s\n", e.what());
    }
    return 2;
}
