#include "demo/support/screenshot.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "session/text_conversion.h"
#include "win/gdi.h"

namespace
{
void CreateFolders(const std::wstring& strFolder)
{
    for (size_t nAt = strFolder.find_first_of(L"\\/", 3); nAt != std::wstring::npos;
         nAt = strFolder.find_first_of(L"\\/", nAt + 1))
        CreateDirectoryW(strFolder.substr(0, nAt).c_str(), nullptr);
    CreateDirectoryW(strFolder.c_str(), nullptr);
}

// A window DC without the clipping of the window's style, so that children and siblings never
// hide pixels; released at the end of the scope.
class CUnclippedDc
{
public:
    CUnclippedDc(HWND hWnd, bool bWholeWindow)
        : m_hWnd(hWnd), m_hDC(GetDCEx(hWnd, nullptr, DCX_CACHE | (bWholeWindow ? DCX_WINDOW : 0)))
    {
    }
    ~CUnclippedDc()
    {
        if (m_hDC)
            ReleaseDC(m_hWnd, m_hDC);
    }
    CUnclippedDc(const CUnclippedDc&) = delete;
    CUnclippedDc& operator=(const CUnclippedDc&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

void PaintPending(HWND hWnd)
{
    RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}
} // namespace

bool CaptureWindow(HWND hWnd, CRgbImage& image)
{
    if (!IsWindow(hWnd))
        return false;
    PaintPending(hWnd);
    RECT rcWindow = {};
    GetWindowRect(hWnd, &rcWindow);
    const int cx = rcWindow.right - rcWindow.left;
    const int cy = rcWindow.bottom - rcWindow.top;
    if (cx <= 0 || cy <= 0)
        return false;

    CUnclippedDc windowDc(hWnd, true);
    if (!windowDc.Get())
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    const CMemoryDC memoryDc(windowDc.Get());
    const CBitmap bitmap(CreateDIBSection(windowDc.Get(), &info, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!memoryDc || !bitmap || !pBits)
        return false;
    BOOL bCopied = FALSE;
    {
        const CSelectObject select(memoryDc, bitmap);
        bCopied = BitBlt(memoryDc, 0, 0, cx, cy, windowDc.Get(), 0, 0, SRCCOPY);
    }
    if (!bCopied)
        return false;
    GdiFlush();

    // DIB rows are blue-green-red and padded to four bytes.
    const size_t nStride = (static_cast<size_t>(cx) * 3 + 3) & ~size_t(3);
    image.nWidth = cx;
    image.nHeight = cy;
    image.rgb.resize(static_cast<size_t>(cx) * cy * 3);
    const auto* pSource = static_cast<const uint8_t*>(pBits);
    for (int y = 0; y < cy; ++y)
    {
        const uint8_t* pRow = pSource + nStride * y;
        uint8_t* pOut = &image.rgb[static_cast<size_t>(y) * cx * 3];
        for (int x = 0; x < cx; ++x)
        {
            pOut[x * 3] = pRow[x * 3 + 2];
            pOut[x * 3 + 1] = pRow[x * 3 + 1];
            pOut[x * 3 + 2] = pRow[x * 3];
        }
    }
    return true;
}

bool SaveWindowBitmap(HWND hWnd, const std::wstring& strPath)
{
    CRgbImage image;
    if (!CaptureWindow(hWnd, image))
        return false;
    // Rows from the bottom, blue-green-red, each padded to four bytes.
    const size_t nStride = (static_cast<size_t>(image.nWidth) * 3 + 3) & ~size_t(3);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + nStride * image.nHeight);
    info.biSize = sizeof(info);
    info.biWidth = image.nWidth;
    info.biHeight = image.nHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::vector<uint8_t> bytes(file.bfSize, 0);
    memcpy(bytes.data(), &file, sizeof(file));
    memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < image.nHeight; ++y)
    {
        const uint8_t* pIn = &image.rgb[static_cast<size_t>(y) * image.nWidth * 3];
        uint8_t* pOut = &bytes[file.bfOffBits + nStride * (image.nHeight - 1 - y)];
        for (int x = 0; x < image.nWidth; ++x)
        {
            pOut[x * 3] = pIn[x * 3 + 2];
            pOut[x * 3 + 1] = pIn[x * 3 + 1];
            pOut[x * 3 + 2] = pIn[x * 3];
        }
    }

    const size_t nSlash = strPath.find_last_of(L"\\/");
    if (nSlash != std::wstring::npos && nSlash > 2)
        CreateFolders(strPath.substr(0, nSlash));
    HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    const BOOL bWritten =
        WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr);
    CloseHandle(hFile);
    if (!bWritten || nWritten != bytes.size())
    {
        DeleteFileW(strPath.c_str());
        return false;
    }
    std::printf("screenshot: %s (%d x %d)\n", WideToUtf8(strPath).c_str(), image.nWidth, image.nHeight);
    std::fflush(stdout);
    return true;
}

COLORREF PixelAt(HWND hWnd, POINT ptClient)
{
    if (!IsWindow(hWnd))
        return CLR_INVALID;
    PaintPending(hWnd);
    RECT rcClient = {};
    GetClientRect(hWnd, &rcClient);
    if (!PtInRect(&rcClient, ptClient))
        return CLR_INVALID;
    CUnclippedDc clientDc(hWnd, false);
    return clientDc.Get() ? GetPixel(clientDc.Get(), ptClient.x, ptClient.y) : CLR_INVALID;
}
