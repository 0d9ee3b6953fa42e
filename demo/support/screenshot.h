// Pictures of windows, read back from the pixels the windows painted.
//
// Under Wine each top-level window paints into a surface of its own, and a window DC reads from
// it: the capture is the window's own picture even where another window covers it (PrintWindow
// gives black there, and the screen gives whatever is on top). Parts of a window outside the
// screen come out black, so tests keep their windows on the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Pixels as rows from the top, three bytes per pixel (red, green, blue), no padding.
struct CRgbImage
{
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint8_t> rgb;

    // The pixel as a COLORREF (0x00BBGGRR); the caller keeps x and y inside the image.
    uint32_t At(int x, int y) const
    {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * nWidth + x) * 3];
        return RGB(p[0], p[1], p[2]);
    }
};

// The whole window, non-client area included, as it is painted now: pending paints are handled
// first. The image's (0, 0) is the window rectangle's top-left corner. False when the window
// does not exist or cannot be read.
bool CaptureWindow(HWND hWnd, CRgbImage& image);

// Captures the window and writes it as a 24-bit BMP file (ImageMagick's convert makes PNGs of
// them). Missing folders are created. Prints the file's path.
bool SaveWindowBitmap(HWND hWnd, const std::wstring& strPath);

// The colour of one pixel of the window's client area, after pending paints; CLR_INVALID
// outside the window.
COLORREF PixelAt(HWND hWnd, POINT ptClient);
