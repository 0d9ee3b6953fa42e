// Ends the test program when one test case runs too long: a message box nobody answers or a
// modal loop that never ends then fails at once, with the test's name and the windows still
// open, instead of waiting for ctest's time-out.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class CWatchdog
{
public:
    // The exit code of a program the watchdog ended.
    static constexpr unsigned kExitCode = 124;

    // A limit of 0 seconds switches the watchdog off.
    explicit CWatchdog(unsigned nSeconds);
    ~CWatchdog();
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;

    // Starts the clock for a test case, named in the report.
    void Arm(const std::string& strTestName);
    void Disarm();

    // The limit from QLMR_TEST_CASE_SECONDS, or the default when it is unset or not a number.
    static unsigned SecondsFromEnvironment(unsigned nDefault);

private:
    void Run();
    [[noreturn]] void Expire(const std::string& strTestName);

    const unsigned m_nSeconds;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bArmed = false;
    bool m_bStop = false;
    std::string m_strTestName;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};
