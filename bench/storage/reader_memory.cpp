#include "bench/storage/reader_memory.h"

#include <cstdio>
#include <memory>

#include "bench/storage/counting_allocator.h"
#include "session/manual_saved_instance_loader.h"
#include "session/os_operations.h"
#include "session/text_conversion.h"

namespace
{
struct FileCloser
{
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};

std::size_t FileSize(const std::wstring& strPath)
{
    std::unique_ptr<std::FILE, FileCloser> file(SystemOs().OpenFileForReading(strPath));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        return 0;
    const long nSize = std::ftell(file.get());
    return nSize > 0 ? static_cast<std::size_t>(nSize) : 0;
}

// The heap buffer of a string, or 0 when its text sits inside the object.
std::size_t HeapBytes(const std::wstring& str)
{
    static const std::size_t s_nInline = std::wstring().capacity();
    return str.capacity() > s_nInline ? (str.capacity() + 1) * sizeof(wchar_t) : 0;
}

std::string Grouped(std::size_t n)
{
    std::string strDigits = std::to_string(n);
    for (std::size_t i = strDigits.size(); i > 3; i -= 3)
        strDigits.insert(i - 3, ",");
    return strDigits;
}

std::string Format(const char* pszFormat, double value)
{
    char szBuffer[64];
    std::snprintf(szBuffer, sizeof szBuffer, pszFormat, value);
    return szBuffer;
}
}  // namespace

CReaderMemory MeasureRead(const std::wstring& strPath)
{
    CReaderMemory memory;
    memory.nFileBytes = FileSize(strPath);

    CSession session(L"measured", 0);
    heap_count::Start();
    try
    {
        CManualSavedInstanceLoader loader;
        loader.SetFilePath(strPath.c_str());
        loader.LoadSession(&session);
    }
    catch (...)
    {
        heap_count::Stop();
        throw;
    }
    heap_count::Stop();
    memory.nPeakBytes = static_cast<std::size_t>(heap_count::PeakBytes());
    memory.nModelBytes = static_cast<std::size_t>(heap_count::LiveBytes());

    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        for (const CUrlItem& item : session.GetInstanceSet(i)->GetUrlItems())
        {
            memory.nTextBytes += HeapBytes(item.GetUrlRef()) + HeapBytes(item.GetTitle());
            memory.nTextUtf8Bytes +=
                WideToUtf8(item.GetUrlRef()).size() + WideToUtf8(item.GetTitle()).size();
            ++memory.nTabs;
        }
    }
    return memory;
}

double CReaderMemory::PeakRatioIn2ByteUnits() const
{
    const std::size_t nTextSaved = sizeof(wchar_t) > 2 ? nTextBytes / 2 : 0;
    return nFileBytes ? double(nPeakBytes - nTextSaved) / double(nFileBytes) : 0;
}

std::string DescribeReaderMemory(const CReaderMemory& m)
{
    const std::size_t nStructure = m.nModelBytes - m.nTextBytes;
    const std::size_t nTransient = m.nPeakBytes - m.nModelBytes;
    std::string strOut = "reader memory (wchar_t of " + std::to_string(sizeof(wchar_t)) +
                         " bytes): " + std::to_string(m.nTabs) + " tabs, file " +
                         Grouped(m.nFileBytes) + " bytes, peak " + Grouped(m.nPeakBytes) +
                         " bytes = " + Format("%.2fx", m.PeakRatio()) + " the file\n";
    strOut += "  session after the read " + Grouped(m.nModelBytes) + " bytes = text buffers " +
              Grouped(m.nTextBytes) + " + structure " + Grouped(nStructure) + "; transient " +
              Grouped(nTransient) + "\n";
    strOut +=
        "  the same text is " + Grouped(m.nTextUtf8Bytes) +
        " bytes of UTF-8 in the file; its buffers take " +
        Format("%.2f", double(m.nTextBytes) / double(m.nTextUtf8Bytes ? m.nTextUtf8Bytes : 1)) +
        " bytes for each\n";
    if (sizeof(wchar_t) > 2)
    {
        // Windows holds the same text in 2-byte units: half the buffers, all else alike.
        strOut += "  with 2-byte units the text buffers would take " + Grouped(m.nTextBytes / 2) +
                  " and the peak " + Grouped(m.nPeakBytes - m.nTextBytes / 2) +
                  " bytes = " + Format("%.2fx", m.PeakRatioIn2ByteUnits()) + " the file\n";
    }
    if (m.PeakRatio() < 4.0)
        strOut += "  target below 4x: met\n";
    else if (m.MeetsTarget())
        strOut +=
            "  target below 4x: missed here only through the 4-byte wchar_t; met in 2-byte units\n";
    else
        strOut += "  target below 4x: MISSED\n";
    return strOut;
}
