// The stream reads runs of its buffer at a time: lines, line ends and words that straddle a refill
// of the buffer must read exactly as when they arrive in one piece, from memory and from a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "session/os_operations.h"
#include "session/session_file_stream.h"
#include "tests/native/test_support.h"

namespace
{
// The stream's buffer: every case puts its interesting bytes around this offset.
constexpr std::size_t kRefill = 64 * 1024;

void ForEachSource(const std::string& strBytes,
                   const std::function<void(CSessionFileStream&)>& read)
{
    {
        SCOPED_TRACE("from memory");
        CSessionFileStream stream(strBytes.data(), strBytes.size());
        read(stream);
    }
    SCOPED_TRACE("from a file");
    CTempFolder folder;
    WriteBytes(folder.File(L"f"), strBytes);
    std::FILE* pFile = SystemOs().OpenFileForReading(folder.File(L"f"));
    ASSERT_NE(pFile, nullptr);
    {
        CSessionFileStream stream(pFile);
        read(stream);
    }
    std::fclose(pFile);
}

std::string Line(CSessionFileStream& stream, std::size_t nBuffer)
{
    std::string strLine;
    EXPECT_TRUE(stream.ReadLine(strLine, nBuffer));
    return strLine;
}

std::string Word(CSessionFileStream& stream, std::size_t nMax)
{
    std::string strWord;
    stream.ReadWord(strWord, nMax);
    return strWord;
}
}  // namespace

TEST(SessionFileStream, LineEndsStraddlingARefillEndTheLine)
{
    for (std::size_t nPad = kRefill - 3; nPad <= kRefill + 1; ++nPad)
    {
        SCOPED_TRACE(nPad);
        const std::string strPad(nPad, 'a');
        // A CR LF, then a CR alone inside a line, then a CR alone last in the file.
        ForEachSource(strPad + "\r\nb\rc\r\nd\r", [&](CSessionFileStream& stream) {
            EXPECT_TRUE(Line(stream, 2 * kRefill) == strPad);
            EXPECT_EQ(Line(stream, 10), "b\rc");
            EXPECT_EQ(Line(stream, 10), "d\r");
            EXPECT_EQ(Line(stream, 10), "");
        });
        // A CR LF that ends the file.
        ForEachSource(strPad + "\r\n", [&](CSessionFileStream& stream) {
            EXPECT_TRUE(Line(stream, 2 * kRefill) == strPad);
            EXPECT_EQ(Line(stream, 10), "");
        });
        // A CR alone where the buffer ends belongs to the line.
        ForEachSource(strPad + "\rx\ny", [&](CSessionFileStream& stream) {
            EXPECT_TRUE(Line(stream, 2 * kRefill) == strPad + "\rx");
            EXPECT_EQ(Line(stream, 10), "y");
        });
    }
}

TEST(SessionFileStream, ALineFillingItsBufferExactlyFitsAndOneMoreFails)
{
    for (std::size_t nLength = kRefill - 2; nLength <= kRefill + 1; ++nLength)
    {
        SCOPED_TRACE(nLength);
        const std::string strBytes = std::string(nLength, 'a') + "\r\nnext";
        ForEachSource(strBytes, [&](CSessionFileStream& stream) {
            EXPECT_EQ(Line(stream, nLength + 1).size(), nLength);
            EXPECT_EQ(Line(stream, 10), "next");
        });
        ForEachSource(strBytes, [&](CSessionFileStream& stream) {
            std::string strLine;
            EXPECT_FALSE(stream.ReadLine(strLine, nLength));
            EXPECT_TRUE(strLine == std::string(nLength - 1, 'a'));
            // A failed stream yields nothing more.
            EXPECT_EQ(Line(stream, 10), "");
            EXPECT_EQ(Word(stream, 10), "");
        });
    }
    // A CR alone at the very limit does not fit either.
    ForEachSource(std::string(9, 'a') + "\rb", [&](CSessionFileStream& stream) {
        std::string strLine;
        EXPECT_FALSE(stream.ReadLine(strLine, 10));
        EXPECT_EQ(strLine, std::string(9, 'a'));
    });
}

TEST(SessionFileStream, WordsStopAtWhiteSpaceOnlyAndAtTheirLimit)
{
    // Words are scanned several bytes at a time: white space at any place of a block ends one.
    for (std::size_t nLength = 1; nLength <= 17; ++nLength)
    {
        for (char chSpace : std::string(" \t\n\v\f\r"))
        {
            const std::string strBytes = std::string(nLength, 'x') + chSpace + std::string(20, 'y');
            CSessionFileStream stream(strBytes.data(), strBytes.size());
            EXPECT_EQ(Word(stream, 100), std::string(nLength, 'x')) << static_cast<int>(chSpace);
            EXPECT_EQ(Word(stream, 100), std::string(20, 'y'));
        }
    }

    // Control bytes other than white space, and UTF-8 bytes, are part of a word.
    const std::string strWord = "http://a/\x01\x08\x0E\x1F\x7F\xC3\xA9/" + std::string(20, 'x');
    for (std::size_t nPad = kRefill - 12; nPad <= kRefill + 1; ++nPad)
    {
        SCOPED_TRACE(nPad);
        ForEachSource(std::string(nPad, ' ') + "\r\n\t" + strWord + "\vb\fc d",
                      [&](CSessionFileStream& stream) {
                          EXPECT_EQ(Word(stream, 65535), strWord);
                          EXPECT_EQ(Word(stream, 65535), "b");
                          EXPECT_EQ(Word(stream, 65535), "c");
                          EXPECT_EQ(Word(stream, 65535), "d");
                          EXPECT_EQ(Word(stream, 65535), "");
                      });
        // A word across the refill is read whole; an overlong one one byte past its limit.
        ForEachSource(std::string(nPad, 'w') + " z", [&](CSessionFileStream& stream) {
            const std::string strWhole = Word(stream, 2 * kRefill);
            EXPECT_EQ(strWhole.size(), nPad);
            EXPECT_EQ(strWhole.find_first_not_of('w'), std::string::npos);
            EXPECT_EQ(Word(stream, 10), "z");
        });
        ForEachSource(std::string(nPad, 'w') + " z", [&](CSessionFileStream& stream) {
            EXPECT_EQ(Word(stream, kRefill - 20).size(), kRefill - 19);
        });
    }
}
