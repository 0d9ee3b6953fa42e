#include "session/session_file_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ios>

namespace
{
// White space as the C locale's isspace has it, in one test per byte.
bool IsSpace(int c)
{
    constexpr unsigned long long kSpaces = (1ull << ' ') | (1ull << '\t') | (1ull << '\n') |
                                           (1ull << '\v') | (1ull << '\f') | (1ull << '\r');
    return c <= ' ' && ((kSpaces >> c) & 1) != 0;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;

std::uint64_t Load8(const char* p)
{
    std::uint64_t n;
    std::memcpy(&n, p, sizeof n);
    return n;
}

// Whether any of eight bytes is at most ' ', which every white space byte is.
bool HasControlOrSpace(const char* p)
{
    const std::uint64_t n = Load8(p);
    return ((n - kOnes * 0x21) & ~n & (kOnes * 0x80)) != 0;
}

// The first line feed in [p, p + n), or null. Most lines are counts of a few bytes: their end
// is found in the first word, without calling the library.
const char* FindLineFeed(const char* p, std::size_t n)
{
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (n >= 8)
    {
        const std::uint64_t x = Load8(p) ^ (kOnes * '\n');
        // The lowest marked byte is exactly the first line feed.
        const std::uint64_t found = (x - kOnes) & ~x & (kOnes * 0x80);
        if (found)
            return p + (__builtin_ctzll(found) >> 3);
        p += 8;
        n -= 8;
    }
#endif
    return static_cast<const char*>(std::memchr(p, '\n', n));
}
}  // namespace

CSessionFileStream::CSessionFileStream(std::FILE* pFile) : m_pFile(pFile) {}

CSessionFileStream::CSessionFileStream(const char* pData, std::size_t nSize)
    : m_pMemory(pData), m_nMemorySize(nSize)
{
}

bool CSessionFileStream::Fill(std::size_t nWanted)
{
    if (m_nEnd - m_nStart >= nWanted)
        return true;
    if (m_nStart > 0)
    {
        std::memmove(m_buffer.get(), m_buffer.get() + m_nStart, m_nEnd - m_nStart);
        m_nEnd -= m_nStart;
        m_nStart = 0;
    }
    while (m_nEnd < nWanted)
    {
        std::size_t nRead = 0;
        if (m_pFile)
        {
            nRead = std::fread(m_buffer.get() + m_nEnd, 1, kBufferSize - m_nEnd, m_pFile);
            if (nRead == 0 && std::ferror(m_pFile))
                throw std::ios_base::failure("cannot read the session file");
        }
        else if (m_pMemory)
        {
            nRead = std::min(kBufferSize - m_nEnd, m_nMemorySize - m_nMemoryPos);
            std::memcpy(m_buffer.get() + m_nEnd, m_pMemory + m_nMemoryPos, nRead);
            m_nMemoryPos += nRead;
        }
        if (nRead == 0)
            return false;
        m_nEnd += nRead;
    }
    return true;
}

int CSessionFileStream::Peek(std::size_t nAhead)
{
    if (m_bFailed || !Fill(nAhead + 1))
        return -1;
    return static_cast<unsigned char>(m_buffer[m_nStart + nAhead]);
}

void CSessionFileStream::Advance(std::size_t n)
{
    m_nStart += n;
}

bool CSessionFileStream::ReadLine(std::string& strLine, std::size_t nBuffer)
{
    strLine.clear();
    if (m_bFailed)
        return true;
    const std::size_t nMax = nBuffer - 1;
    // Whole runs of the buffer at a time: the catalogue reads every byte of every file here.
    for (;;)
    {
        if (m_nStart == m_nEnd && !Fill(1))
            return true;
        const char* pRun = m_buffer.get() + m_nStart;
        const std::size_t nAvailable = m_nEnd - m_nStart;
        const char* pLf = FindLineFeed(pRun, nAvailable);
        std::size_t nText = pLf ? static_cast<std::size_t>(pLf - pRun) : nAvailable;
        const bool bCrLf = pLf && nText > 0 && pRun[nText - 1] == '\r';
        // A CR last in the buffer may begin a CR LF whose LF is not read yet.
        const bool bCrPending = !pLf && nText > 0 && pRun[nText - 1] == '\r';
        if (bCrLf || bCrPending)
            --nText;

        const std::size_t nRoom = nMax - strLine.size();
        if (nText > nRoom)
        {
            strLine.append(pRun, nRoom);
            Advance(nRoom);
            m_bFailed = true;
            return false;
        }
        strLine.append(pRun, nText);
        Advance(nText);
        if (pLf)
        {
            Advance(bCrLf ? 2 : 1);
            return true;
        }
        if (bCrPending)
        {
            if (Peek(1) == '\n')
            {
                Advance(2);
                return true;
            }
            // A CR alone is part of the line.
            if (strLine.size() == nMax)
            {
                m_bFailed = true;
                return false;
            }
            strLine += '\r';
            Advance(1);
        }
    }
}

void CSessionFileStream::ReadWord(std::string& strWord, std::size_t nMax)
{
    strWord.clear();
    if (m_bFailed)
        return;
    for (;;)
    {
        if (m_nStart == m_nEnd && !Fill(1))
            return;
        while (m_nStart < m_nEnd && IsSpace(static_cast<unsigned char>(m_buffer[m_nStart])))
            ++m_nStart;
        if (m_nStart < m_nEnd)
            break;
    }
    for (;;)
    {
        if (m_nStart == m_nEnd && !Fill(1))
            return;
        const char* pRun = m_buffer.get() + m_nStart;
        const std::size_t nAvailable = m_nEnd - m_nStart;
        const std::size_t nRoom = nMax + 1 - strWord.size();
        const std::size_t nLimit = std::min(nAvailable, nRoom);
        std::size_t n = 0;
        while (n + 8 <= nLimit && !HasControlOrSpace(pRun + n))
            n += 8;
        while (n < nLimit && !IsSpace(static_cast<unsigned char>(pRun[n])))
            ++n;
        strWord.append(pRun, n);
        Advance(n);
        if (n < nAvailable || strWord.size() > nMax)
            return;
    }
}

void CSessionFileStream::SkipChar()
{
    const int c = Peek();
    if (c < 0)
        return;
    Advance(c == '\r' && Peek(1) == '\n' ? 2 : 1);
}
