// The heap that reading one session file costs, measured through the counting allocator: the
// figure both builds report, natively inside the benchmark and on Windows in a program of its own.
#pragma once

#include <cstddef>
#include <string>

struct CReaderMemory
{
    std::size_t nFileBytes = 0;
    // Highest heap use during the read, over what was live when it began.
    std::size_t nPeakBytes = 0;
    // What the session holds once the read is over, and of that the addresses' and titles' own
    // buffers (text kept inside a string object takes none).
    std::size_t nModelBytes = 0;
    std::size_t nTextBytes = 0;
    // What the text would take in the file's own encoding: UTF-8 bytes, one per ASCII character.
    std::size_t nTextUtf8Bytes = 0;
    int nTabs = 0;

    double PeakRatio() const { return nFileBytes ? double(nPeakBytes) / double(nFileBytes) : 0; }
    // The same peak with the text in 2-byte units, as the Windows build holds it: where wchar_t
    // has 4 bytes, half the text buffers less. Equal to PeakRatio where it has 2.
    double PeakRatioIn2ByteUnits() const;
    // The target is a peak below 4x the file. Where wchar_t has 4 bytes it is judged on the peak
    // in 2-byte units, since the text alone then takes about 4 bytes for each byte of the file.
    bool MeetsTarget() const { return PeakRatioIn2ByteUnits() < 4.0; }
};

// Reads the file with CManualSavedInstanceLoader into a fresh session. Throws what the loader
// throws.
CReaderMemory MeasureRead(const std::wstring& strPath);

// Several lines: the figure, the model's share of it split into text and structure, and what
// the text would cost with 2-byte units where wchar_t has 4.
std::string DescribeReaderMemory(const CReaderMemory& memory);
