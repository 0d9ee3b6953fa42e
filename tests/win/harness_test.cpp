// The window-test harness itself, against real windows, dialogs and common controls: every
// other window test relies on what these prove.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "harness/input.h"
#include "harness/message_box_responder.h"
#include "harness/png_writer.h"
#include "harness/screenshot.h"
#include "harness/watchdog.h"
#include "harness_test_resource.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace
{
// ---------------------------------------------------------------------------------------------
// Test windows

using MessageHandler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;

// A top-level or child window whose messages go to a handler first; destroyed with the object.
class CTestWindow
{
public:
    CTestWindow(const wchar_t* pszClass, UINT nClassStyle, DWORD dwStyle, RECT rect, HWND hParent,
                MessageHandler fnHandler)
        : m_fnHandler(std::move(fnHandler))
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = nClassStyle;
        wc.lpfnWndProc = &CTestWindow::WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = pszClass;
        RegisterClassExW(&wc);
        m_hWnd = CreateWindowExW(0, pszClass, L"Harness window", dwStyle, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, hParent, nullptr,
                                 wc.hInstance, this);
        PumpMessages(0);
    }
    ~CTestWindow()
    {
        if (IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
    }
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
    {
        if (nMessage == WM_NCCREATE)
        {
            SetWindowLongPtrW(hWnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* pThis = reinterpret_cast<CTestWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        LRESULT nResult = 0;
        if (pThis && pThis->m_fnHandler &&
            pThis->m_fnHandler(hWnd, nMessage, wParam, lParam, nResult))
            return nResult;
        return DefWindowProcW(hWnd, nMessage, wParam, lParam);
    }

    MessageHandler m_fnHandler;
};

const DWORD kTopLevel = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

struct CRecordedMessage
{
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;
    POINT ptCursor; // GetMessagePos, in the window's client coordinates
};

bool IsMouseOrKey(UINT nMessage)
{
    return (nMessage >= WM_MOUSEFIRST && nMessage <= WM_MOUSELAST) ||
           (nMessage >= WM_KEYFIRST && nMessage <= WM_KEYLAST);
}

// Records the mouse and key messages it receives.
MessageHandler Recorder(std::vector<CRecordedMessage>& messages)
{
    return [&messages](HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT&) {
        if (IsMouseOrKey(nMessage))
        {
            const DWORD nPos = GetMessagePos();
            POINT pt = {GET_X_LPARAM(nPos), GET_Y_LPARAM(nPos)};
            ScreenToClient(hWnd, &pt);
            messages.push_back({nMessage, wParam, lParam, pt});
        }
        return false;
    };
}

POINT PointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

std::wstring WindowText(HWND hWnd)
{
    wchar_t szText[256] = L"";
    GetWindowTextW(hWnd, szText, ARRAYSIZE(szText));
    return szText;
}

// ---------------------------------------------------------------------------------------------
// The test dialog (harness_test.rc)

struct CDialogResult
{
    std::wstring strName;
    int nAskAnswer = 0;
};

INT_PTR CALLBACK HarnessDialogProc(HWND hDlg, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    auto* pResult = reinterpret_cast<CDialogResult*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    switch (nMessage)
    {
    case WM_INITDIALOG:
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDOK:
            if (pResult)
                pResult->strName = WindowText(GetDlgItem(hDlg, IDC_HARNESS_NAME));
            EndDialog(hDlg, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(hDlg, IDCANCEL);
            return TRUE;
        case IDC_HARNESS_ASK: {
            const int nAnswer = MessageBoxW(hDlg, L"Replace the name?", L"Harness Dialog",
                                            MB_YESNO | MB_ICONQUESTION);
            if (pResult)
                pResult->nAskAnswer = nAnswer;
            if (nAnswer == IDYES)
                SetDlgItemTextW(hDlg, IDC_HARNESS_NAME, L"replaced");
            return TRUE;
        }
        }
        break;
    }
    return FALSE;
}

INT_PTR RunHarnessDialog(UINT nTemplate, CDialogResult& result)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nTemplate), nullptr,
                           &HarnessDialogProc, reinterpret_cast<LPARAM>(&result));
}

// A modeless instance, shown, destroyed with the object.
class CModelessDialog
{
public:
    explicit CModelessDialog(UINT nTemplate, bool bPump = true)
        : m_hWnd(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nTemplate), nullptr,
                                    &HarnessDialogProc, reinterpret_cast<LPARAM>(&m_result)))
    {
        SetWindowPos(m_hWnd, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(m_hWnd, SW_SHOW);
        if (bPump)
            PumpMessages(0);
    }
    ~CModelessDialog()
    {
        if (IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
    }
    CModelessDialog(const CModelessDialog&) = delete;
    CModelessDialog& operator=(const CModelessDialog&) = delete;

    CDialogResult m_result;
    HWND m_hWnd;
};

// ---------------------------------------------------------------------------------------------
// Reading PNG files back: chunks, and an inflater for the stored and fixed-Huffman blocks the
// encoder writes.

uint32_t BigEndian(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

class CInflater
{
public:
    CInflater(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}

    // Decodes a zlib stream; false at the first thing that is not as it must be.
    bool InflateZlib(std::vector<uint8_t>& out)
    {
        if (m_nSize < 6 || (m_pData[0] & 0x0F) != 8 || ((m_pData[0] << 8) | m_pData[1]) % 31)
            return false;
        m_nPos = 2;
        bool bFinal = false;
        while (!bFinal)
        {
            bFinal = Bits(1) == 1;
            const uint32_t nType = Bits(2);
            if (m_bOverrun)
                return false;
            if (nType == 0 ? !Stored(out) : nType == 1 ? !FixedHuffman(out) : true)
                return false;
        }
        if (m_nBit) // the checksum starts at a byte boundary
        {
            m_nBit = 0;
            ++m_nPos;
        }
        if (m_nPos + 4 > m_nSize)
            return false;
        return BigEndian(m_pData + m_nPos) == Adler32(out.data(), out.size());
    }

private:
    uint32_t Bits(int nCount)
    {
        uint32_t nValue = 0;
        for (int i = 0; i < nCount; ++i)
        {
            if (m_nPos >= m_nSize)
            {
                m_bOverrun = true;
                return 0;
            }
            nValue |= ((m_pData[m_nPos] >> m_nBit) & 1u) << i;
            if (++m_nBit == 8)
            {
                m_nBit = 0;
                ++m_nPos;
            }
        }
        return nValue;
    }

    // A Huffman code of the given length, most significant bit first.
    uint32_t Code(int nLength)
    {
        uint32_t nCode = 0;
        for (int i = 0; i < nLength; ++i)
            nCode = (nCode << 1) | Bits(1);
        return nCode;
    }

    int FixedSymbol()
    {
        uint32_t nCode = Code(7);
        if (nCode <= 0x17)
            return 256 + static_cast<int>(nCode);
        nCode = (nCode << 1) | Bits(1);
        if (nCode >= 0x30 && nCode <= 0xBF)
            return static_cast<int>(nCode - 0x30);
        if (nCode >= 0xC0 && nCode <= 0xC7)
            return 280 + static_cast<int>(nCode - 0xC0);
        nCode = (nCode << 1) | Bits(1);
        if (nCode >= 0x190 && nCode <= 0x1FF)
            return 144 + static_cast<int>(nCode - 0x190);
        return -1;
    }

    bool Stored(std::vector<uint8_t>& out)
    {
        if (m_nBit)
        {
            m_nBit = 0;
            ++m_nPos;
        }
        if (m_nPos + 4 > m_nSize)
            return false;
        const uint32_t nLength = m_pData[m_nPos] | (m_pData[m_nPos + 1] << 8);
        const uint32_t nComplement = m_pData[m_nPos + 2] | (m_pData[m_nPos + 3] << 8);
        m_nPos += 4;
        if ((nLength ^ 0xFFFF) != nComplement || m_nPos + nLength > m_nSize)
            return false;
        out.insert(out.end(), m_pData + m_nPos, m_pData + m_nPos + nLength);
        m_nPos += nLength;
        return true;
    }

    bool FixedHuffman(std::vector<uint8_t>& out)
    {
        static const int kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                            15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                            67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                             2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const int kDistanceBase[30] = {
            1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
            193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static const int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                               6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;)
        {
            const int nSymbol = FixedSymbol();
            if (m_bOverrun || nSymbol < 0 || nSymbol > 285)
                return false;
            if (nSymbol < 256)
            {
                out.push_back(static_cast<uint8_t>(nSymbol));
                continue;
            }
            if (nSymbol == 256)
                return true;
            const int nLengthCode = nSymbol - 257;
            const int nLength =
                kLengthBase[nLengthCode] + static_cast<int>(Bits(kLengthExtra[nLengthCode]));
            const int nDistanceCode = static_cast<int>(Code(5));
            if (nDistanceCode > 29)
                return false;
            const size_t nDistance = kDistanceBase[nDistanceCode] +
                                     static_cast<int>(Bits(kDistanceExtra[nDistanceCode]));
            if (m_bOverrun || nDistance > out.size())
                return false;
            for (int i = 0; i < nLength; ++i)
                out.push_back(out[out.size() - nDistance]);
        }
    }

    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
    int m_nBit = 0;
    bool m_bOverrun = false;
};

struct CDecodedPng
{
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    std::vector<uint8_t> rgb;
};

// Reads an 8-bit RGB PNG as the encoder writes it, checking every chunk's CRC; a message on
// the first fault.
testing::AssertionResult DecodePng(const std::vector<uint8_t>& file, CDecodedPng& png)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0)
        return testing::AssertionFailure() << "no PNG signature";
    std::vector<uint8_t> idat;
    bool bEnd = false;
    for (size_t nPos = 8; !bEnd;)
    {
        if (nPos + 12 > file.size())
            return testing::AssertionFailure() << "chunk header past the end at " << nPos;
        const uint32_t nLength = BigEndian(&file[nPos]);
        const std::string strType(reinterpret_cast<const char*>(&file[nPos + 4]), 4);
        if (nPos + 12 + nLength > file.size())
            return testing::AssertionFailure() << strType << " runs past the end";
        const uint8_t* pData = &file[nPos + 8];
        if (Crc32(&file[nPos + 4], nLength + 4) != BigEndian(pData + nLength))
            return testing::AssertionFailure() << "bad CRC of " << strType;
        if (strType == "IHDR")
        {
            if (nLength != 13 || pData[8] != 8 || pData[9] != 2 || pData[10] || pData[11] ||
                pData[12])
                return testing::AssertionFailure() << "IHDR is not 8-bit RGB, plain";
            png.nWidth = BigEndian(pData);
            png.nHeight = BigEndian(pData + 4);
        }
        else if (strType == "IDAT")
        {
            idat.insert(idat.end(), pData, pData + nLength);
        }
        else if (strType == "IEND")
        {
            bEnd = true;
        }
        nPos += 12 + nLength;
    }
    std::vector<uint8_t> raw;
    if (!CInflater(idat.data(), idat.size()).InflateZlib(raw))
        return testing::AssertionFailure() << "IDAT does not inflate";
    const size_t nRow = static_cast<size_t>(png.nWidth) * 3 + 1;
    if (raw.size() != nRow * png.nHeight)
        return testing::AssertionFailure()
               << "IDAT holds " << raw.size() << " bytes, not " << nRow * png.nHeight;
    png.rgb.clear();
    for (uint32_t y = 0; y < png.nHeight; ++y)
    {
        if (raw[nRow * y] != 0)
            return testing::AssertionFailure()
                   << "row " << y << " has filter " << int(raw[nRow * y]);
        png.rgb.insert(png.rgb.end(), raw.begin() + nRow * y + 1, raw.begin() + nRow * (y + 1));
    }
    return testing::AssertionSuccess();
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& strPath)
{
    std::vector<uint8_t> bytes;
    HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(hFile, nullptr));
    DWORD nRead = 0;
    if (!bytes.empty() &&
        !ReadFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nRead, nullptr))
        nRead = 0;
    bytes.resize(nRead);
    CloseHandle(hFile);
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// Message boxes

class MessageBoxResponderTest : public testing::Test
{
protected:
    CMessageBoxResponder m_responder;
};

TEST_F(MessageBoxResponderTest, AnswersEachBoxWithTheNextAnswerAndRecordsWhatItShowed)
{
    CTestWindow owner(L"HarnessOwner", 0, kTopLevel, {40, 40, 340, 240}, nullptr, nullptr);
    m_responder.Answer(IDNO);
    m_responder.Answer(IDYES);
    m_responder.Answer(IDCANCEL);

    EXPECT_EQ(IDNO, MessageBoxW(owner.m_hWnd, L"Delete the session?\rIt cannot be undone.",
                                L"Harness Caption", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDYES,
              MessageBoxW(nullptr, L"Second", L"Other", MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(IDCANCEL, MessageBoxW(nullptr, L"Third", L"Other", MB_OKCANCEL));

    const auto& boxes = m_responder.Boxes();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ(owner.m_hWnd, boxes[0].hOwner);
    EXPECT_EQ(L"Harness Caption", boxes[0].strCaption);
    EXPECT_EQ(L"Delete the session?\rIt cannot be undone.", boxes[0].strText);
    EXPECT_EQ((std::vector<std::wstring>{L"&Yes", L"&No"}), boxes[0].buttons);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), boxes[0].buttonIds);
    EXPECT_EQ(static_cast<UINT>(MB_ICONQUESTION), boxes[0].nIcon);
    EXPECT_EQ(IDNO, boxes[0].nPressed);

    EXPECT_EQ(nullptr, boxes[1].hOwner);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO, IDCANCEL}), boxes[1].buttonIds);
    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), boxes[1].nIcon);
    EXPECT_EQ(IDYES, boxes[1].nPressed);

    EXPECT_EQ((std::vector<std::wstring>{L"OK", L"Cancel"}), boxes[2].buttons);
    EXPECT_EQ(0u, boxes[2].nIcon);
    EXPECT_EQ(0u, m_responder.PendingAnswers());
}

TEST_F(MessageBoxResponderTest, TellsEveryStandardIconApart)
{
    const UINT icons[] = {MB_ICONSTOP, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONINFORMATION, 0};
    for (UINT nIcon : icons)
    {
        m_responder.Answer(IDOK);
        MessageBoxW(nullptr, L"Icon", L"Icons", MB_OK | nIcon);
        ASSERT_FALSE(m_responder.Boxes().empty());
        EXPECT_EQ(nIcon, m_responder.Boxes().back().nIcon) << "shown with icon flag " << nIcon;
    }
}

TEST_F(MessageBoxResponderTest, UnexpectedBoxFailsTheTestAndIsCancelled)
{
    int nResult = 0;
    EXPECT_NONFATAL_FAILURE(
        nResult = MessageBoxW(nullptr, L"Nobody expects me.", L"Odd Caption", MB_OKCANCEL),
        "Unexpected message box \"Odd Caption\": \"Nobody expects me.\"");
    EXPECT_EQ(IDCANCEL, nResult);

    // Without Cancel a Yes/No box gets No; a box with only OK gets OK.
    EXPECT_NONFATAL_FAILURE(nResult = MessageBoxW(nullptr, L"Sure?", L"Odd", MB_YESNO), "Sure?");
    EXPECT_EQ(IDNO, nResult);
    EXPECT_NONFATAL_FAILURE(nResult = MessageBoxW(nullptr, L"Line\rbreak", L"Odd", MB_OK),
                            "\"Line\\rbreak\"");
    EXPECT_EQ(IDOK, nResult);
    ASSERT_EQ(3u, m_responder.Boxes().size());
    EXPECT_EQ(IDOK, m_responder.Boxes()[2].nPressed);
}

TEST_F(MessageBoxResponderTest, AnswerThatIsNotAButtonFailsAndPressesNoForeignId)
{
    // A box ends with any id it is sent; the responder must not make an OK box return Yes.
    m_responder.Answer(IDYES);
    int nResult = 0;
    EXPECT_NONFATAL_FAILURE(nResult = MessageBoxW(nullptr, L"Only OK", L"Wrong", MB_OK),
                            "IDYES is not a button");
    EXPECT_EQ(IDOK, nResult);
}

TEST(MessageBoxResponderLifeTest, UnusedAnswersAndHandlersFailWhenTheResponderEnds)
{
    EXPECT_NONFATAL_FAILURE(
        {
            CMessageBoxResponder responder;
            responder.Answer(IDOK);
        },
        "1 queued message box answer(s) never used; the first was IDOK");
    EXPECT_NONFATAL_FAILURE(
        {
            CMessageBoxResponder responder;
            responder.OnDialogActivated([](HWND) {});
        },
        "dialog handler(s) never used");
}

TEST(MessageBoxResponderLifeTest, BoxNoTestExpectedFailsThroughTheProgramsOwnResponder)
{
    // No responder here: main() keeps one for every test case.
    int nResult = 0;
    EXPECT_NONFATAL_FAILURE(nResult = MessageBoxW(nullptr, L"Forgotten", L"Stray", MB_YESNO),
                            "\"Stray\": \"Forgotten\"");
    EXPECT_EQ(IDNO, nResult);
}

TEST(MessageBoxResponderLifeTest, NewestResponderAnswers)
{
    CMessageBoxResponder outer;
    outer.Answer(IDNO);
    {
        CMessageBoxResponder inner;
        inner.Answer(IDYES);
        EXPECT_EQ(IDYES, MessageBoxW(nullptr, L"Inner", L"Nested", MB_YESNO));
        EXPECT_EQ(1u, inner.Boxes().size());
    }
    EXPECT_EQ(IDNO, MessageBoxW(nullptr, L"Outer", L"Nested", MB_YESNO));
    EXPECT_EQ(1u, outer.Boxes().size());
}

// ---------------------------------------------------------------------------------------------
// Dialogs driven from inside their own modal loops

TEST_F(MessageBoxResponderTest, DrivesModalDialogFromInsideItsLoop)
{
    bool bVisibleWhenCalled = false;
    m_responder.OnDialogActivated([&](HWND hDlg) {
        bVisibleWhenCalled = IsWindowVisible(hDlg) != FALSE;
        HWND hEdit = GetDlgItem(hDlg, IDC_HARNESS_NAME);
        Click(hEdit, ClientCenter(hEdit));
        TypeText(hEdit, L"Morning session");
        Click(GetDlgItem(hDlg, IDOK), ClientCenter(GetDlgItem(hDlg, IDOK)));
    });
    CDialogResult result;
    EXPECT_EQ(IDOK, RunHarnessDialog(IDD_HARNESS_DIALOG, result));
    EXPECT_TRUE(bVisibleWhenCalled);
    EXPECT_EQ(L"Morning session", result.strName);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(MessageBoxResponderTest, AnswersBoxThatDialogShowsWhileDriven)
{
    std::wstring strAfterAsk;
    m_responder.OnDialogActivated([&](HWND hDlg) {
        HWND hEdit = GetDlgItem(hDlg, IDC_HARNESS_NAME);
        SetFocus(hEdit);
        TypeText(hEdit, L"first");
        HWND hAsk = GetDlgItem(hDlg, IDC_HARNESS_ASK);
        m_responder.Answer(IDYES);
        Click(hAsk, ClientCenter(hAsk));
        strAfterAsk = WindowText(hEdit);
        PressKey(GetFocus(), VK_ESCAPE);
    });
    CDialogResult result;
    EXPECT_EQ(IDCANCEL, RunHarnessDialog(IDD_HARNESS_DIALOG, result));
    EXPECT_EQ(L"replaced", strAfterAsk);
    EXPECT_EQ(IDYES, result.nAskAnswer);
    ASSERT_EQ(1u, m_responder.Boxes().size());
    EXPECT_EQ(L"Replace the name?", m_responder.Boxes()[0].strText);
    EXPECT_NE(nullptr, m_responder.Boxes()[0].hOwner);
}

TEST_F(MessageBoxResponderTest, ProgramDialogShapedLikeABoxIsADialog)
{
    // Only a label of id -1 and a button, but from the program's own template.
    HWND hSeen = nullptr;
    m_responder.OnDialogActivated([&](HWND hDlg) {
        hSeen = hDlg;
        PressKey(hDlg, VK_RETURN);
    });
    CDialogResult result;
    EXPECT_EQ(IDOK, RunHarnessDialog(IDD_HARNESS_NOTICE, result));
    EXPECT_NE(nullptr, hSeen);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(MessageBoxResponderTest, HandlerIsForADialogThatAppearsAfterItWasQueued)
{
    // The modeless dialog is on the screen before the handler is queued, though no message has
    // been handled since: the handler is meant for the modal one that the test opens next.
    CModelessDialog modeless(IDD_HARNESS_DIALOG, false);
    HWND hHandled = nullptr;
    m_responder.OnDialogActivated([&](HWND hDlg) {
        hHandled = hDlg;
        PressKey(hDlg, VK_ESCAPE);
    });
    CDialogResult result;
    EXPECT_EQ(IDCANCEL, RunHarnessDialog(IDD_HARNESS_NOTICE, result));
    EXPECT_NE(nullptr, hHandled);
    EXPECT_NE(modeless.m_hWnd, hHandled);
    EXPECT_TRUE(IsWindowVisible(modeless.m_hWnd));
}

TEST_F(MessageBoxResponderTest, DialogWithoutHandlerIsLeftAlone)
{
    CModelessDialog dialog(IDD_HARNESS_DIALOG);
    PumpMessages(150);
    EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
    EXPECT_TRUE(m_responder.Boxes().empty());
}

// ---------------------------------------------------------------------------------------------
// Mouse

TEST(InputTest, ClickArrivesAtTheClientPointWithCursorThere)
{
    std::vector<CRecordedMessage> messages;
    CTestWindow window(L"HarnessClick", 0, kTopLevel, {60, 60, 360, 260}, nullptr,
                       Recorder(messages));
    Click(window.m_hWnd, {37, 21});

    ASSERT_EQ(3u, messages.size());
    const UINT expected[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP};
    const WPARAM expectedKeys[] = {0, MK_LBUTTON, 0};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(expected[i], messages[i].nMessage) << i;
        EXPECT_EQ(expectedKeys[i], messages[i].wParam) << i;
        EXPECT_EQ(37, PointOf(messages[i].lParam).x) << i;
        EXPECT_EQ(21, PointOf(messages[i].lParam).y) << i;
        EXPECT_EQ(37, messages[i].ptCursor.x) << i;
        EXPECT_EQ(21, messages[i].ptCursor.y) << i;
    }
    POINT ptCursor = {};
    GetCursorPos(&ptCursor);
    ScreenToClient(window.m_hWnd, &ptCursor);
    EXPECT_EQ(37, ptCursor.x);
    EXPECT_EQ(21, ptCursor.y);
}

std::vector<UINT> MessagesOf(const std::vector<CRecordedMessage>& messages)
{
    std::vector<UINT> sequence;
    for (const auto& message : messages)
        sequence.push_back(message.nMessage);
    return sequence;
}

TEST(InputTest, DoubleClickIsDoubleOnlyForClassesThatAskForIt)
{
    std::vector<CRecordedMessage> messages;
    {
        CTestWindow window(L"HarnessDblClks", CS_DBLCLKS, kTopLevel, {60, 60, 360, 260}, nullptr,
                           Recorder(messages));
        Click(window.m_hWnd, {10, 12}, true);
    }
    EXPECT_EQ((std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                 WM_LBUTTONUP}),
              MessagesOf(messages));

    // The next window would appear under the cursor and get a real move of its own.
    ParkCursor();
    messages.clear();
    CTestWindow window(L"HarnessNoDblClks", 0, kTopLevel, {60, 60, 360, 260}, nullptr,
                       Recorder(messages));
    Click(window.m_hWnd, {10, 12}, true);
    EXPECT_EQ((std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN,
                                 WM_LBUTTONUP}),
              MessagesOf(messages));
}

class CommonControlInputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_hList =
            CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                            5, 5, 280, 120, m_host.m_hWnd, nullptr, nullptr, nullptr);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 200;
        column.pszText = const_cast<wchar_t*>(L"Session");
        ListView_InsertColumn(m_hList, 0, &column);
        for (int i = 0; i < 3; ++i)
        {
            std::wstring strText = L"Session " + std::to_wstring(i);
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = &strText[0];
            ListView_InsertItem(m_hList, &item);
        }

        m_hTree = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                      TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  5, 130, 280, 120, m_host.m_hWnd, nullptr, nullptr, nullptr);
        m_hRoot = InsertTreeItem(TVI_ROOT, L"Window 1");
        m_hChild = InsertTreeItem(m_hRoot, L"Tab A");
        InsertTreeItem(m_hRoot, L"Tab B");
        PumpMessages(0);
    }

    HTREEITEM InsertTreeItem(HTREEITEM hParent, const wchar_t* pszText)
    {
        TVINSERTSTRUCTW insert = {};
        insert.hParent = hParent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(pszText);
        return TreeView_InsertItem(m_hTree, &insert);
    }

    POINT TreeLabelCenter(HTREEITEM hItem)
    {
        RECT rc = {};
        TreeView_GetItemRect(m_hTree, hItem, &rc, TRUE);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }

    CTestWindow m_host{L"HarnessControlHost", 0, kTopLevel, {80, 80, 380, 400}, nullptr, nullptr};
    HWND m_hList = nullptr;
    HWND m_hTree = nullptr;
    HTREEITEM m_hRoot = nullptr;
    HTREEITEM m_hChild = nullptr;
};

TEST_F(CommonControlInputTest, ClickSelectsListRow)
{
    RECT rc = {};
    ListView_GetItemRect(m_hList, 2, &rc, LVIR_LABEL);
    Click(m_hList, {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    EXPECT_EQ(2, ListView_GetNextItem(m_hList, -1, LVNI_SELECTED));
    EXPECT_EQ(m_hList, GetFocus());
}

TEST_F(CommonControlInputTest, TreeTakesClickAndDoubleClickThroughItsButtonUpLoop)
{
    // The tree waits in a loop of its own for the button to come up after WM_LBUTTONDOWN.
    Click(m_hTree, TreeLabelCenter(m_hRoot), true);
    EXPECT_TRUE(TreeView_GetItemState(m_hTree, m_hRoot, TVIS_EXPANDED) & TVIS_EXPANDED);
    Click(m_hTree, TreeLabelCenter(m_hChild));
    EXPECT_EQ(m_hChild, TreeView_GetSelection(m_hTree));
}

// A bar that moves with the mouse while the button is held, like a splitter: its own client
// coordinates shift under the mouse as it goes.
struct CDraggedBar
{
    bool bDragging = false;
    POINT ptAnchor = {};
    int nMovesWithButton = 0;
    int nMovesWithoutButton = 0;
    bool bLeftDownDuringMoves = true;
};

MessageHandler BarHandler(CDraggedBar& bar)
{
    return [&bar](HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT&) {
        switch (nMessage)
        {
        case WM_LBUTTONDOWN:
            bar.bDragging = true;
            bar.ptAnchor = PointOf(lParam);
            SetCapture(hWnd);
            return true;
        case WM_MOUSEMOVE:
            if (bar.bDragging)
            {
                ++((wParam & MK_LBUTTON) ? bar.nMovesWithButton : bar.nMovesWithoutButton);
                bar.bLeftDownDuringMoves &= GetKeyState(VK_LBUTTON) < 0;
                RECT rc = {};
                GetWindowRect(hWnd, &rc);
                MapWindowPoints(nullptr, GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
                const int dy = PointOf(lParam).y - bar.ptAnchor.y;
                SetWindowPos(hWnd, nullptr, rc.left, rc.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            }
            return true;
        case WM_LBUTTONUP:
            if (bar.bDragging)
            {
                bar.bDragging = false;
                ReleaseCapture();
            }
            return true;
        }
        return false;
    };
}

TEST(InputTest, DragFollowsTheCaptureWindowAsItMoves)
{
    CTestWindow parent(L"HarnessDragParent", 0, kTopLevel, {100, 100, 500, 500}, nullptr, nullptr);
    CDraggedBar bar;
    CTestWindow barWindow(L"HarnessDragBar", 0, WS_CHILD | WS_VISIBLE, {10, 100, 250, 106},
                          parent.m_hWnd, BarHandler(bar));
    // Down 90 pixels, ending well below the bar's starting place: only the capture keeps the
    // messages coming, and only coordinates taken afresh keep the grab point under the mouse.
    Drag(barWindow.m_hWnd, {50, 3}, {50, 93});

    RECT rc = {};
    GetWindowRect(barWindow.m_hWnd, &rc);
    MapWindowPoints(nullptr, parent.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(190, rc.top);
    EXPECT_FALSE(bar.bDragging);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_GE(bar.nMovesWithButton, 2);
    EXPECT_EQ(0, bar.nMovesWithoutButton);
    EXPECT_TRUE(bar.bLeftDownDuringMoves);
    EXPECT_GE(GetKeyState(VK_LBUTTON), 0) << "the button is up after the drag";
}

TEST(InputTest, DragOnSizeGripResizesThroughTheSystemSizeLoop)
{
    CTestWindow window(L"HarnessSizeGrip", 0, kTopLevel, {120, 120, 420, 320}, nullptr, nullptr);
    RECT rcClient = {};
    GetClientRect(window.m_hWnd, &rcClient);
    const int nGrip = GetSystemMetrics(SM_CXVSCROLL);
    HWND hGrip = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP,
                                 rcClient.right - nGrip, rcClient.bottom - nGrip, nGrip, nGrip,
                                 window.m_hWnd, nullptr, nullptr, nullptr);
    RECT rcBefore = {};
    GetWindowRect(window.m_hWnd, &rcBefore);

    // The grip hands the press to the system's modal size loop, which reads the moves itself.
    Drag(hGrip, {nGrip / 2, nGrip / 2}, {nGrip / 2 + 40, nGrip / 2 + 30});

    RECT rcAfter = {};
    GetWindowRect(window.m_hWnd, &rcAfter);
    EXPECT_EQ(rcBefore.left, rcAfter.left);
    EXPECT_EQ(rcBefore.top, rcAfter.top);
    EXPECT_EQ(rcBefore.right + 40, rcAfter.right);
    EXPECT_EQ(rcBefore.bottom + 30, rcAfter.bottom);
}

TEST(InputTest, MouseMoveGoesToTheCaptureWindow)
{
    std::vector<CRecordedMessage> captured;
    CTestWindow window(L"HarnessMove", 0, kTopLevel, {60, 60, 360, 260}, nullptr, nullptr);
    CTestWindow other(L"HarnessMoveCapture", 0, kTopLevel, {400, 60, 600, 260}, nullptr,
                      Recorder(captured));
    SetCapture(other.m_hWnd);
    MouseMove(window.m_hWnd, {20, 30});
    ReleaseCapture();

    ASSERT_EQ(1u, captured.size());
    POINT pt = {20, 30};
    MapWindowPoints(window.m_hWnd, other.m_hWnd, &pt, 1);
    EXPECT_EQ(pt.x, PointOf(captured[0].lParam).x);
    EXPECT_EQ(pt.y, PointOf(captured[0].lParam).y);
}

// ---------------------------------------------------------------------------------------------
// Keyboard

TEST(InputTest, KeysReachTheDialogsIsDialogMessage)
{
    CModelessDialog dialog(IDD_HARNESS_DIALOG);
    HWND hEdit = GetDlgItem(dialog.m_hWnd, IDC_HARNESS_NAME);
    SetFocus(hEdit);
    ASSERT_EQ(hEdit, GetFocus());

    PressKey(hEdit, VK_TAB);
    EXPECT_EQ(GetDlgItem(dialog.m_hWnd, IDOK), GetFocus());
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetDlgItem(dialog.m_hWnd, IDC_HARNESS_ASK), GetFocus());
    PressKey(GetFocus(), VK_TAB, kModShift);
    PressKey(GetFocus(), VK_TAB, kModShift);
    EXPECT_EQ(hEdit, GetFocus());
    EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "Shift is released after the key";
}

TEST(InputTest, TypedTextAndTranslatedKeysReachTheEdit)
{
    CModelessDialog dialog(IDD_HARNESS_DIALOG);
    HWND hEdit = GetDlgItem(dialog.m_hWnd, IDC_HARNESS_NAME);
    SetFocus(hEdit);
    TypeText(hEdit, L"Sitzung \u00fc\u4e2d");
    // A character key's WM_CHAR comes from TranslateMessage, with Shift for the capital.
    PressKey(hEdit, 'X');
    PressKey(hEdit, 'X', kModShift);
    EXPECT_EQ(L"Sitzung \u00fc\u4e2dxX", WindowText(hEdit));
    TypeText(hEdit, L"\b\b");
    EXPECT_EQ(L"Sitzung \u00fc\u4e2d", WindowText(hEdit));
}

TEST(InputTest, KeyMessagesCarryTheSystemsLParam)
{
    std::vector<CRecordedMessage> messages;
    MessageHandler fnRecord = Recorder(messages);
    // Recorded and kept from DefWindowProc, which would take Alt+S to the system menu.
    CTestWindow window(
        L"HarnessKeys", 0, kTopLevel, {60, 60, 360, 260}, nullptr,
        [&](HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT& nResult) {
            fnRecord(hWnd, nMessage, wParam, lParam, nResult);
            return nMessage >= WM_KEYFIRST && nMessage <= WM_KEYLAST;
        });
    PressKey(window.m_hWnd, VK_DELETE);
    PressKey(window.m_hWnd, 'S', kModAlt);

    std::vector<CRecordedMessage> keys;
    for (const auto& message : messages)
    {
        if (message.nMessage == WM_KEYDOWN || message.nMessage == WM_KEYUP ||
            message.nMessage == WM_SYSKEYDOWN || message.nMessage == WM_SYSKEYUP)
            keys.push_back(message);
    }
    ASSERT_EQ(4u, keys.size());
    const LPARAM nDeleteScan = static_cast<LPARAM>(MapVirtualKeyW(VK_DELETE, MAPVK_VK_TO_VSC))
                               << 16;
    EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), keys[0].nMessage);
    EXPECT_EQ(static_cast<WPARAM>(VK_DELETE), keys[0].wParam);
    EXPECT_EQ(1 | nDeleteScan | (1 << 24), keys[0].lParam);
    EXPECT_EQ(static_cast<UINT>(WM_KEYUP), keys[1].nMessage);
    EXPECT_EQ(static_cast<LPARAM>(0xC1000001u) | nDeleteScan, keys[1].lParam);
    EXPECT_EQ(static_cast<UINT>(WM_SYSKEYDOWN), keys[2].nMessage);
    EXPECT_EQ(1 << 29, keys[2].lParam & (1 << 29));
    EXPECT_EQ(static_cast<UINT>(WM_SYSKEYUP), keys[3].nMessage);
}

// ---------------------------------------------------------------------------------------------
// Pumping, waiting, resizing

TEST(InputTest, WaitForPumpsUntilTheConditionOrTheTimeOut)
{
    bool bTimerFired = false;
    CTestWindow window(L"HarnessWait", 0, kTopLevel, {60, 60, 360, 260}, nullptr,
                       [&](HWND hWnd, UINT nMessage, WPARAM, LPARAM, LRESULT&) {
                           if (nMessage != WM_TIMER)
                               return false;
                           KillTimer(hWnd, 7);
                           bTimerFired = true;
                           return true;
                       });
    SetTimer(window.m_hWnd, 7, 50, nullptr);
    EXPECT_TRUE(WaitFor([&] { return bTimerFired; }, 5000));

    const DWORD nStart = GetTickCount();
    EXPECT_FALSE(WaitFor([] { return false; }, 120));
    EXPECT_GE(GetTickCount() - nStart, 110u);
}

TEST(InputTest, MessageFilterTakesThePlaceOfTheDialogPreTranslation)
{
    int nReachedWindow = 0;
    CTestWindow window(L"HarnessFilter", 0, kTopLevel, {60, 60, 360, 260}, nullptr,
                       [&](HWND, UINT nMessage, WPARAM, LPARAM, LRESULT&) {
                           nReachedWindow += nMessage == WM_APP + 3;
                           return false;
                       });
    int nFiltered = 0;
    SetMessageFilter([&](MSG& msg) {
        if (msg.message != WM_APP + 3 || msg.wParam != 1)
            return false;
        ++nFiltered;
        return true;
    });
    PostMessageW(window.m_hWnd, WM_APP + 3, 1, 0);
    PostMessageW(window.m_hWnd, WM_APP + 3, 2, 0);
    PumpMessages(0);
    EXPECT_EQ(1, nFiltered);
    EXPECT_EQ(1, nReachedWindow);

    // With a filter that does not navigate, Tab stays in the edit; without one, it moves on.
    CModelessDialog dialog(IDD_HARNESS_DIALOG);
    HWND hEdit = GetDlgItem(dialog.m_hWnd, IDC_HARNESS_NAME);
    SetFocus(hEdit);
    PressKey(hEdit, VK_TAB);
    EXPECT_EQ(hEdit, GetFocus());
    SetMessageFilter(nullptr);
    PressKey(hEdit, VK_TAB);
    EXPECT_EQ(GetDlgItem(dialog.m_hWnd, IDOK), GetFocus());
}

TEST(InputTest, ResizeWindowSetsTheOuterSizeAndDeliversWmSize)
{
    SIZE lastSize = {};
    CTestWindow window(L"HarnessResize", 0, kTopLevel, {60, 60, 360, 260}, nullptr,
                       [&](HWND, UINT nMessage, WPARAM, LPARAM lParam, LRESULT&) {
                           if (nMessage == WM_SIZE)
                               lastSize = {LOWORD(lParam), HIWORD(lParam)};
                           return false;
                       });
    ResizeWindow(window.m_hWnd, 420, 330);
    RECT rcWindow = {};
    RECT rcClient = {};
    GetWindowRect(window.m_hWnd, &rcWindow);
    GetClientRect(window.m_hWnd, &rcClient);
    EXPECT_EQ(420, rcWindow.right - rcWindow.left);
    EXPECT_EQ(330, rcWindow.bottom - rcWindow.top);
    EXPECT_EQ(rcClient.right, lastSize.cx);
    EXPECT_EQ(rcClient.bottom, lastSize.cy);
}

// ---------------------------------------------------------------------------------------------
// Pixels and screenshots

const COLORREF kPaintedColour = RGB(10, 120, 200);
const RECT kPaintedRect = {10, 10, 40, 30};

MessageHandler Painter()
{
    return [](HWND hWnd, UINT nMessage, WPARAM, LPARAM, LRESULT&) {
        if (nMessage != WM_PAINT)
            return false;
        PAINTSTRUCT ps;
        HDC hDC = BeginPaint(hWnd, &ps);
        RECT rcClient = {};
        GetClientRect(hWnd, &rcClient);
        FillRect(hDC, &rcClient, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HBRUSH hBrush = CreateSolidBrush(kPaintedColour);
        FillRect(hDC, &kPaintedRect, hBrush);
        DeleteObject(hBrush);
        EndPaint(hWnd, &ps);
        return true;
    };
}

TEST(ScreenshotTest, PixelAtReadsWhatTheWindowPainted)
{
    CTestWindow window(L"HarnessPaint", 0, kTopLevel, {60, 60, 360, 260}, nullptr, Painter());
    // Covered by another window, the window's own picture is still read.
    CTestWindow cover(L"HarnessCover", 0, WS_POPUP | WS_VISIBLE, {60, 60, 200, 200}, nullptr,
                      nullptr);
    EXPECT_EQ(kPaintedColour, PixelAt(window.m_hWnd, {10, 10}));
    EXPECT_EQ(kPaintedColour, PixelAt(window.m_hWnd, {39, 29}));
    EXPECT_EQ(RGB(255, 255, 255), PixelAt(window.m_hWnd, {40, 29}));
    EXPECT_EQ(RGB(255, 255, 255), PixelAt(window.m_hWnd, {9, 10}));
    EXPECT_EQ(CLR_INVALID, PixelAt(window.m_hWnd, {-1, 5}));
    EXPECT_EQ(CLR_INVALID, PixelAt(window.m_hWnd, {10, 5000}));
}

TEST(ScreenshotTest, ChildWindowsAreReadInTheirOwnCoordinates)
{
    CTestWindow parent(L"HarnessPaintParent", 0, kTopLevel | WS_CLIPCHILDREN, {60, 60, 360, 260},
                       nullptr, nullptr);
    CTestWindow child(L"HarnessPaintChild", 0, WS_CHILD | WS_VISIBLE, {50, 40, 150, 120},
                      parent.m_hWnd, Painter());
    EXPECT_EQ(kPaintedColour, PixelAt(child.m_hWnd, {10, 10}));
    // The parent reads the child's pixels too, though it clips its children when painting.
    EXPECT_EQ(kPaintedColour, PixelAt(parent.m_hWnd, {60, 50}));
    EXPECT_EQ(RGB(255, 255, 255), PixelAt(parent.m_hWnd, {60 + 30, 50}));

    CRgbImage image;
    ASSERT_TRUE(CaptureWindow(child.m_hWnd, image));
    EXPECT_EQ(100, image.nWidth);
    EXPECT_EQ(80, image.nHeight);
    EXPECT_EQ(kPaintedColour, image.At(10, 10));
    EXPECT_EQ(kPaintedColour, image.At(39, 29));
    EXPECT_EQ(RGB(255, 255, 255), image.At(40, 29));
}

TEST(ScreenshotTest, PngOfAWindowDecodesToItsPixels)
{
    CTestWindow window(L"HarnessPng", 0, kTopLevel, {60, 60, 360, 260}, nullptr, Painter());
    const std::wstring strPath = ScreenshotFolder() + L"\\harness\\painted_window.png";
    DeleteFileW(strPath.c_str());
    ASSERT_TRUE(SaveWindowPng(window.m_hWnd, L"harness\\painted_window.png"));

    CDecodedPng png;
    ASSERT_TRUE(DecodePng(ReadFileBytes(strPath), png));
    RECT rcWindow = {};
    GetWindowRect(window.m_hWnd, &rcWindow);
    EXPECT_EQ(static_cast<uint32_t>(rcWindow.right - rcWindow.left), png.nWidth);
    EXPECT_EQ(static_cast<uint32_t>(rcWindow.bottom - rcWindow.top), png.nHeight);

    // The painted rectangle sits where the client area lies within the window.
    POINT ptClient = {0, 0};
    ClientToScreen(window.m_hWnd, &ptClient);
    const int x0 = ptClient.x - rcWindow.left;
    const int y0 = ptClient.y - rcWindow.top;
    auto pixel = [&](int x, int y) {
        const uint8_t* p = &png.rgb[(static_cast<size_t>(y) * png.nWidth + x) * 3];
        return RGB(p[0], p[1], p[2]);
    };
    EXPECT_EQ(kPaintedColour, pixel(x0 + 10, y0 + 10));
    EXPECT_EQ(kPaintedColour, pixel(x0 + 39, y0 + 29));
    EXPECT_EQ(RGB(255, 255, 255), pixel(x0 + 40, y0 + 29));
    // The caption bar is in the picture too, and not white.
    EXPECT_NE(RGB(255, 255, 255), pixel(png.nWidth * 3 / 5, y0 / 2));
}

TEST(ScreenshotTest, DialogScreenshotShowsTheDialog)
{
    CModelessDialog dialog(IDD_HARNESS_DIALOG);
    SetDlgItemTextW(dialog.m_hWnd, IDC_HARNESS_NAME, L"Screenshot");
    ASSERT_TRUE(SaveWindowPng(dialog.m_hWnd, L"harness\\harness_dialog.png"));

    CDecodedPng png;
    ASSERT_TRUE(
        DecodePng(ReadFileBytes(ScreenshotFolder() + L"\\harness\\harness_dialog.png"), png));
    // Below the edit and left of the buttons the dialog shows only its face colour.
    RECT rcOk = {};
    GetWindowRect(GetDlgItem(dialog.m_hWnd, IDOK), &rcOk);
    MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&rcOk), 2);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), PixelAt(dialog.m_hWnd, {5, rcOk.top + 2}));
    size_t nFace = 0;
    const COLORREF nFaceColour = GetSysColor(COLOR_BTNFACE);
    for (size_t i = 0; i + 2 < png.rgb.size(); i += 3)
        nFace += RGB(png.rgb[i], png.rgb[i + 1], png.rgb[i + 2]) == nFaceColour;
    EXPECT_GT(nFace, png.rgb.size() / 3 / 2) << "most of a dialog is its face";
}

TEST(PngWriterTest, ChecksumsMatchTheirStandardCheckValues)
{
    const char szCheck[] = "123456789";
    EXPECT_EQ(0xCBF43926u, Crc32(reinterpret_cast<const uint8_t*>(szCheck), 9));
    EXPECT_EQ(0xCBF43926u, Crc32(reinterpret_cast<const uint8_t*>(szCheck + 4), 5,
                                 Crc32(reinterpret_cast<const uint8_t*>(szCheck), 4)));
    const char szWiki[] = "Wikipedia";
    EXPECT_EQ(0x11E60398u, Adler32(reinterpret_cast<const uint8_t*>(szWiki), 9));
    // Long enough for the sums to need their reductions.
    std::vector<uint8_t> ones(100000, 0xFF);
    uint32_t a = 1, b = 0;
    for (uint8_t byte : ones)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ((b << 16) | a, Adler32(ones.data(), ones.size()));
}

TEST(PngWriterTest, CompressedDataInflatesToTheOriginal)
{
    std::mt19937 random(12345);
    std::vector<std::vector<uint8_t>> inputs;
    inputs.push_back({});
    inputs.push_back({42});
    inputs.push_back(std::vector<uint8_t>(100000, 7)); // runs longer than a match
    std::vector<uint8_t> noise(70000);
    for (auto& byte : noise)
        byte = static_cast<uint8_t>(random());
    inputs.push_back(noise);
    // Repeats at the window's far end and every match length and distance class.
    std::vector<uint8_t> repeats(noise.begin(), noise.begin() + 32768);
    repeats.insert(repeats.end(), noise.begin(), noise.begin() + 1000);
    for (int nLength = 3; nLength <= 258; ++nLength)
        repeats.insert(repeats.end(), repeats.end() - 1 - nLength * 37,
                       repeats.end() - 1 - nLength * 37 + nLength);
    inputs.push_back(repeats);

    for (size_t i = 0; i < inputs.size(); ++i)
    {
        const std::vector<uint8_t> packed = ZlibCompress(inputs[i].data(), inputs[i].size());
        std::vector<uint8_t> unpacked;
        ASSERT_TRUE(CInflater(packed.data(), packed.size()).InflateZlib(unpacked)) << "input " << i;
        EXPECT_TRUE(unpacked == inputs[i]) << "input " << i;
    }
    const std::vector<uint8_t> packedRun = ZlibCompress(inputs[2].data(), inputs[2].size());
    EXPECT_LT(packedRun.size(), 1000u) << "a long run compresses";
}

TEST(PngWriterTest, RefusesAnImageWhosePixelsDoNotFit)
{
    CRgbImage image;
    image.nWidth = 4;
    image.nHeight = 2;
    image.rgb.assign(4 * 2 * 3 - 1, 0);
    EXPECT_TRUE(EncodePng(image).empty());
    image.rgb.push_back(0);
    EXPECT_FALSE(EncodePng(image).empty());
}

// ---------------------------------------------------------------------------------------------
// The program as a whole: manifest and watchdog

TEST(TestProgramTest, RunsWithCommonControlsSix)
{
    // Version 6 comes from the side-by-side store, and only when the manifest asks for it.
    wchar_t szPath[MAX_PATH] = L"";
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), szPath, MAX_PATH);
    std::wstring strPath = szPath;
    for (auto& ch : strPath)
        ch = towlower(ch);
    EXPECT_NE(std::wstring::npos, strPath.find(L"\\winsxs\\")) << "comctl32 from " << strPath;
}

// Runs test cases of this program in a child process with a short watchdog; its exit code and
// everything it printed.
struct CChildRun
{
    DWORD nExitCode = 0;
    std::string strOutput;
};

testing::AssertionResult RunThisProgram(const std::wstring& strFilter, CChildRun& run)
{
    wchar_t szProgram[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szProgram, MAX_PATH);
    std::wstring strCommand = L"\"" + std::wstring(szProgram) + L"\" --gtest_filter=" + strFilter +
                              L" --gtest_also_run_disabled_tests";
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring strLog = std::wstring(szTemp) + L"quillmere_harness_child.log";

    // A file, not a pipe: Wine helpers the child starts would hold a pipe open.
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE hLog = CreateFileW(strLog.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (hLog == INVALID_HANDLE_VALUE)
        return testing::AssertionFailure() << "cannot create the child's log";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = hLog;
    startup.hStdError = hLog;
    PROCESS_INFORMATION process = {};
    SetEnvironmentVariableW(L"QLMR_TEST_CASE_SECONDS", L"1");
    const BOOL bStarted = CreateProcessW(szProgram, &strCommand[0], nullptr, nullptr, TRUE, 0,
                                         nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(L"QLMR_TEST_CASE_SECONDS", nullptr);
    CloseHandle(hLog);
    if (!bStarted)
        return testing::AssertionFailure() << "CreateProcess failed: " << GetLastError();

    const DWORD nWait = WaitForSingleObject(process.hProcess, 20000);
    if (nWait != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &run.nExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::vector<uint8_t> log = ReadFileBytes(strLog);
    DeleteFileW(strLog.c_str());
    run.strOutput.assign(log.begin(), log.end());
    if (nWait != WAIT_OBJECT_0)
        return testing::AssertionFailure() << "the child did not end:\n" << run.strOutput;
    return testing::AssertionSuccess();
}

// Run only in child processes, by the two tests below.
TEST(TestProgramTest, DISABLED_HangsInAModalDialog)
{
    CDialogResult result;
    RunHarnessDialog(IDD_HARNESS_DIALOG, result);
}

TEST(TestProgramTest, DISABLED_HandlerAssertionFails)
{
    CMessageBoxResponder responder;
    responder.OnDialogActivated([](HWND) { ASSERT_TRUE(false) << "handler gave up"; });
    CDialogResult result;
    EXPECT_EQ(IDCANCEL, RunHarnessDialog(IDD_HARNESS_DIALOG, result));
}

TEST(TestProgramTest, WatchdogEndsAHungTestCase)
{
    CChildRun run;
    ASSERT_TRUE(RunThisProgram(L"TestProgramTest.DISABLED_HangsInAModalDialog", run));
    EXPECT_EQ(CWatchdog::kExitCode, run.nExitCode);
    EXPECT_NE(std::string::npos,
              run.strOutput.find("TestProgramTest.DISABLED_HangsInAModalDialog: watchdog: test "
                                 "case took too long"))
        << run.strOutput;
    EXPECT_NE(std::string::npos, run.strOutput.find("open window #32770 \"Harness Dialog\""))
        << run.strOutput;
}

TEST(TestProgramTest, FailedAssertionInADialogHandlerEndsTheDialog)
{
    // The ASSERT returns from the handler early; the modal dialog must still end, so that the
    // test reports its failure instead of waiting for the watchdog.
    CChildRun run;
    ASSERT_TRUE(RunThisProgram(L"TestProgramTest.DISABLED_HandlerAssertionFails", run));
    EXPECT_EQ(1u, run.nExitCode) << run.strOutput;
    EXPECT_NE(std::string::npos, run.strOutput.find("handler gave up")) << run.strOutput;
    EXPECT_EQ(std::string::npos, run.strOutput.find("watchdog")) << run.strOutput;
}
} // namespace
