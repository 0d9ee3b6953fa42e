// A bounded, buffered byte stream over a session file (or bytes in memory) with the line and word
// reads the reader needs. Line ends are LF or CR LF. Reads never keep more than their caller's
// limit in memory, and a line that overflows its limit leaves the stream failed, so that every
// later read yields nothing: a damaged file fails at the next check instead of being misread.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

class CSessionFileStream
{
public:
    // A null file reads as an empty stream. The stream does not close the file.
    explicit CSessionFileStream(std::FILE* pFile);
    CSessionFileStream(const char* pData, std::size_t nSize);
    CSessionFileStream(const CSessionFileStream&) = delete;
    CSessionFileStream& operator=(const CSessionFileStream&) = delete;

    // Reads the rest of the current line, as a buffer of nBuffer bytes (terminator included)
    // would hold it. Returns false when the line did not fit: strLine then holds its first
    // nBuffer - 1 bytes and the stream is failed.
    bool ReadLine(std::string& strLine, std::size_t nBuffer);

    // Skips white space, then reads bytes up to the next white space. Stops after nMax + 1 bytes
    // without reading the rest, so a caller that allows at most nMax sees an overlong word.
    void ReadWord(std::string& strWord, std::size_t nMax);

    // Consumes one character; a CR LF pair counts as one, as in a text-mode stream.
    void SkipChar();

private:
    // The byte at offset nAhead from the current position, or -1 at the end.
    int Peek(std::size_t nAhead = 0);
    void Advance(std::size_t n);
    bool Fill(std::size_t nWanted);

    std::FILE* m_pFile = nullptr;
    const char* m_pMemory = nullptr;
    std::size_t m_nMemorySize = 0;
    std::size_t m_nMemoryPos = 0;

    static constexpr std::size_t kBufferSize = 64 * 1024;
    // Left uninitialised: the catalogue opens a stream per file, and zeroing it cost more than
    // reading a typical file.
    std::unique_ptr<char[]> m_buffer{new char[kBufferSize]};
    std::size_t m_nStart = 0;
    std::size_t m_nEnd = 0;
    bool m_bFailed = false;
};
