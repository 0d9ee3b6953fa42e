#include "harness/png_writer.h"

#include <algorithm>
#include <array>

namespace
{
const int kMinMatch = 3;
const int kMaxMatch = 258;
const size_t kWindowSize = 32768;
const int kHashBits = 15;
// Enough for the long flat runs and repeated rows of a window picture; deeper search buys little.
const int kMaxChain = 48;

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n)
        {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

// Deflate's bit order: values least significant bit first, Huffman codes most significant first.
class CBitWriter
{
public:
    explicit CBitWriter(std::vector<uint8_t>& out) : m_out(out) {}

    void PutBits(uint32_t nValue, int nCount)
    {
        m_nBuffer |= static_cast<uint64_t>(nValue) << m_nBits;
        m_nBits += nCount;
        while (m_nBits >= 8)
        {
            m_out.push_back(static_cast<uint8_t>(m_nBuffer));
            m_nBuffer >>= 8;
            m_nBits -= 8;
        }
    }

    void PutCode(uint32_t nCode, int nLength)
    {
        uint32_t nReversed = 0;
        for (int i = 0; i < nLength; ++i)
            nReversed |= ((nCode >> i) & 1) << (nLength - 1 - i);
        PutBits(nReversed, nLength);
    }

    void Flush()
    {
        if (m_nBits > 0)
            m_out.push_back(static_cast<uint8_t>(m_nBuffer));
        m_nBuffer = 0;
        m_nBits = 0;
    }

private:
    std::vector<uint8_t>& m_out;
    uint64_t m_nBuffer = 0;
    int m_nBits = 0;
};

void PutLiteralOrLength(CBitWriter& bits, int nSymbol)
{
    if (nSymbol < 144)
        bits.PutCode(0x30 + nSymbol, 8);
    else if (nSymbol < 256)
        bits.PutCode(0x190 + (nSymbol - 144), 9);
    else if (nSymbol < 280)
        bits.PutCode(nSymbol - 256, 7);
    else
        bits.PutCode(0xC0 + (nSymbol - 280), 8);
}

void PutMatch(CBitWriter& bits, int nLength, int nDistance)
{
    int nCode = 28;
    while (kLengthBase[nCode] > nLength)
        --nCode;
    PutLiteralOrLength(bits, 257 + nCode);
    bits.PutBits(nLength - kLengthBase[nCode], kLengthExtra[nCode]);

    int nDistCode = 29;
    while (kDistanceBase[nDistCode] > nDistance)
        --nDistCode;
    bits.PutCode(nDistCode, 5);
    bits.PutBits(nDistance - kDistanceBase[nDistCode], kDistanceExtra[nDistCode]);
}

uint32_t Hash3(const uint8_t* p)
{
    const uint32_t v = (static_cast<uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t nValue)
{
    out.push_back(static_cast<uint8_t>(nValue >> 24));
    out.push_back(static_cast<uint8_t>(nValue >> 16));
    out.push_back(static_cast<uint8_t>(nValue >> 8));
    out.push_back(static_cast<uint8_t>(nValue));
}

void PutChunk(std::vector<uint8_t>& out, const char* pszType, const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t nTypeAt = out.size();
    out.insert(out.end(), pszType, pszType + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + nTypeAt, out.size() - nTypeAt));
}
} // namespace

uint32_t CRgbImage::At(int x, int y) const
{
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * nWidth + x) * 3];
    return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
}

uint32_t Crc32(const uint8_t* pData, size_t nSize, uint32_t nCrc)
{
    const auto& table = CrcTable();
    uint32_t c = nCrc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < nSize; ++i)
        c = table[(c ^ pData[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const uint8_t* pData, size_t nSize, uint32_t nAdler)
{
    const uint32_t kMod = 65521;
    uint32_t a = nAdler & 0xFFFF;
    uint32_t b = nAdler >> 16;
    while (nSize > 0)
    {
        // 5552 bytes is the most that cannot overflow b before the reduction.
        const size_t nBlock = nSize < 5552 ? nSize : 5552;
        for (size_t i = 0; i < nBlock; ++i)
        {
            a += pData[i];
            b += a;
        }
        a %= kMod;
        b %= kMod;
        pData += nBlock;
        nSize -= nBlock;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> ZlibCompress(const uint8_t* pData, size_t nSize)
{
    std::vector<uint8_t> out;
    // CMF: deflate with a 32 KiB window; FLG makes the pair a multiple of 31.
    out.push_back(0x78);
    out.push_back(0x01);

    CBitWriter bits(out);
    bits.PutBits(1, 1); // final block
    bits.PutBits(1, 2); // fixed Huffman codes

    std::vector<int32_t> head(size_t(1) << kHashBits, -1);
    std::vector<int32_t> prev(kWindowSize, -1);
    auto insert = [&](size_t nPos) {
        const uint32_t h = Hash3(pData + nPos);
        prev[nPos & (kWindowSize - 1)] = head[h];
        head[h] = static_cast<int32_t>(nPos);
    };

    size_t nPos = 0;
    while (nPos < nSize)
    {
        int nBestLength = 0;
        size_t nBestDistance = 0;
        if (nPos + kMinMatch <= nSize)
        {
            const size_t nMaxLength = std::min<size_t>(kMaxMatch, nSize - nPos);
            int32_t nCandidate = head[Hash3(pData + nPos)];
            for (int nChain = 0; nCandidate >= 0 && nChain < kMaxChain; ++nChain)
            {
                const size_t nDistance = nPos - static_cast<size_t>(nCandidate);
                if (nDistance > kWindowSize - 1)
                    break;
                const uint8_t* a = pData + nCandidate;
                const uint8_t* b = pData + nPos;
                size_t nLength = 0;
                while (nLength < nMaxLength && a[nLength] == b[nLength])
                    ++nLength;
                if (static_cast<int>(nLength) > nBestLength)
                {
                    nBestLength = static_cast<int>(nLength);
                    nBestDistance = nDistance;
                    if (nLength == nMaxLength)
                        break;
                }
                nCandidate = prev[static_cast<size_t>(nCandidate) & (kWindowSize - 1)];
            }
        }
        if (nBestLength >= kMinMatch)
        {
            PutMatch(bits, nBestLength, static_cast<int>(nBestDistance));
            for (int i = 0; i < nBestLength; ++i, ++nPos)
            {
                if (nPos + kMinMatch <= nSize)
                    insert(nPos);
            }
        }
        else
        {
            PutLiteralOrLength(bits, pData[nPos]);
            if (nPos + kMinMatch <= nSize)
                insert(nPos);
            ++nPos;
        }
    }
    PutLiteralOrLength(bits, 256); // end of block
    bits.Flush();
    PutBigEndian(out, Adler32(pData, nSize));
    return out;
}

std::vector<uint8_t> EncodePng(const CRgbImage& image)
{
    if (image.nWidth <= 0 || image.nHeight <= 0 ||
        image.rgb.size() != static_cast<size_t>(image.nWidth) * image.nHeight * 3)
        return {};

    // Each row is preceded by its filter type; 0 (none) suits flat window areas, which LZ77
    // then takes as long repeats.
    const size_t nRowBytes = static_cast<size_t>(image.nWidth) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((nRowBytes + 1) * image.nHeight);
    for (int y = 0; y < image.nHeight; ++y)
    {
        raw.push_back(0);
        const uint8_t* pRow = image.rgb.data() + nRowBytes * y;
        raw.insert(raw.end(), pRow, pRow + nRowBytes);
    }

    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(image.nWidth));
    PutBigEndian(header, static_cast<uint32_t>(image.nHeight));
    header.push_back(8); // bits per sample
    header.push_back(2); // colour type: RGB
    header.push_back(0); // deflate
    header.push_back(0); // adaptive filtering
    header.push_back(0); // no interlace

    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> png(kSignature, kSignature + 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibCompress(raw.data(), raw.size()));
    PutChunk(png, "IEND", {});
    return png;
}
