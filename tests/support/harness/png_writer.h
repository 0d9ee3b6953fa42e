// A small PNG encoder for screenshots: 8-bit RGB, no interlace, one zlib stream compressed with
// LZ77 and the fixed Huffman codes of deflate. No third-party library is needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels as rows from the top, three bytes per pixel (red, green, blue), no padding.
struct CRgbImage
{
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint8_t> rgb;

    // The pixel as a COLORREF (0x00BBGGRR); the caller keeps x and y inside the image.
    uint32_t At(int x, int y) const;
};

// CRC-32 as PNG chunks carry it (ISO 3309); pass a previous result to continue it.
uint32_t Crc32(const uint8_t* pData, size_t nSize, uint32_t nCrc = 0);
// Adler-32 as a zlib stream ends with it; pass a previous result to continue it.
uint32_t Adler32(const uint8_t* pData, size_t nSize, uint32_t nAdler = 1);

// A zlib stream (RFC 1950) holding the data as one final fixed-Huffman deflate block.
std::vector<uint8_t> ZlibCompress(const uint8_t* pData, size_t nSize);

// The complete PNG file of the image; empty when the image has no pixels or a wrong size.
std::vector<uint8_t> EncodePng(const CRgbImage& image);
