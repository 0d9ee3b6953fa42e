#include "session_file_stream.h"

#include <algorithm>
#include <cstring>
#include <ios>

namespace
{
// White space as the C locale's isspace has it.
bool IsSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
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
        std::memmove(m_buffer.data(), m_buffer.data() + m_nStart, m_nEnd - m_nStart);
        m_nEnd -= m_nStart;
        m_nStart = 0;
    }
    while (m_nEnd < nWanted)
    {
        std::size_t nRead = 0;
        if (m_pFile)
        {
            nRead = std::fread(m_buffer.data() + m_nEnd, 1, kBufferSize - m_nEnd, m_pFile);
            if (nRead == 0 && std::ferror(m_pFile))
                throw std::ios_base::failure("cannot read the session file");
        }
        else if (m_pMemory)
        {
            nRead = std::min(kBufferSize - m_nEnd, m_nMemorySize - m_nMemoryPos);
            std::memcpy(m_buffer.data() + m_nEnd, m_pMemory + m_nMemoryPos, nRead);
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
    const std::size_t nMax = nBuffer - 1;
    for (;;)
    {
        const int c = Peek();
        if (c < 0)
            return true;
        if (c == '\n')
        {
            Advance(1);
            return true;
        }
        if (c == '\r' && Peek(1) == '\n')
        {
            Advance(2);
            return true;
        }
        if (strLine.size() == nMax)
        {
            m_bFailed = true;
            return false;
        }
        strLine += static_cast<char>(c);
        Advance(1);
    }
}

void CSessionFileStream::ReadWord(std::string& strWord, std::size_t nMax)
{
    strWord.clear();
    int c;
    while ((c = Peek()) >= 0 && IsSpace(c))
        Advance(1);
    while ((c = Peek()) >= 0 && !IsSpace(c) && strWord.size() <= nMax)
    {
        strWord += static_cast<char>(c);
        Advance(1);
    }
}

void CSessionFileStream::SkipChar()
{
    const int c = Peek();
    if (c < 0)
        return;
    Advance(c == '\r' && Peek(1) == '\n' ? 2 : 1);
}
