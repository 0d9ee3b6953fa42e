// main() of every Windows test program: common controls, a single-threaded COM apartment, and
// for each test case a watchdog, a message-box responder that expects nothing, the cursor parked
// in a corner, and no message filter left behind.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "tests/support/harness/input.h"
#include "tests/support/harness/message_box_responder.h"
#include "tests/support/harness/watchdog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace
{
const unsigned kDefaultTestCaseSeconds = 30;

class CTestCaseListener : public testing::EmptyTestEventListener
{
public:
    explicit CTestCaseListener(unsigned nSeconds) : m_watchdog(nSeconds) {}

    void OnTestStart(const testing::TestInfo& info) override
    {
        m_watchdog.Arm(std::string(info.test_suite_name()) + "." + info.name());
        m_pResponder = std::make_unique<CMessageBoxResponder>();
        ParkCursor();
    }

    void OnTestEnd(const testing::TestInfo&) override
    {
        SetMessageFilter(nullptr);
        m_pResponder.reset();
        m_watchdog.Disarm();
    }

private:
    CWatchdog m_watchdog;
    // Newer responders of the test take precedence; this one fails any box they do not answer.
    std::unique_ptr<CMessageBoxResponder> m_pResponder;
};
} // namespace

int main(int argc, char** argv)
{
    // A crash ends the program with its exception code instead of opening Wine's crash dialog,
    // which nobody would close under Xvfb.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS;
    if (!InitCommonControlsEx(&controls))
    {
        std::fprintf(stderr, "InitCommonControlsEx failed\n");
        return 1;
    }
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr))
    {
        std::fprintf(stderr, "CoInitializeEx failed: 0x%08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }

    testing::InitGoogleTest(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    auto* pListener =
        new CTestCaseListener(CWatchdog::SecondsFromEnvironment(kDefaultTestCaseSeconds));
    listeners.Append(pListener);
    const int nResult = RUN_ALL_TESTS();
    // Ended here rather than among the static destructors, where its thread could not be joined.
    delete listeners.Release(pListener);

    CoUninitialize();
    return nResult;
}
