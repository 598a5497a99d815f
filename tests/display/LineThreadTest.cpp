#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/Handover.h"
#include "display/LineThread.h"
#include "tests/display/CallLog.h"
#include "tests/display/DisplayFixture.h"
#include "tests/support/FakePower.h"
#include "tests/support/Registry.h"
#include "tests/support/Screen.h"

namespace {

using Events = std::vector<std::string>;
const COLORREF kLine = RGB(0, 200, 100);

// A store, a drawer and stored settings for a worker on the real screen,
// with the worker's calls recorded.
class LineThreadTest : public CDisplayTest
{
protected:
    void SetUp() override
    {
        CDisplayTest::SetUp();
        registry::writeDword(L"Speed", 100);
        registry::writeDword(L"Couleur", kLine);
        registry::writeDword(L"Position", 0);
        registry::writeDword(L"Actif", 1);
        fakepower::setLevel(73);
        g_bRunning = 1;
        calllog::start();
    }
    void TearDown() override
    {
        g_bRunning = 0;
        for (HANDLE hThread : m_workers)
        {
            WaitForSingleObject(hThread, 5000);
            CloseHandle(hThread);
        }
        calllog::stop();
        CDisplayTest::TearDown();
    }

    HANDLE startWorker()
    {
        HANDLE hThread = CreateThread(nullptr, 0, LineThreadProc, nullptr, 0, nullptr);
        m_workers.push_back(hThread);
        return hThread;
    }

    // True when every worker has ended within dwTimeoutMs.
    bool workersEnd(DWORD dwTimeoutMs)
    {
        for (HANDLE hThread : m_workers)
        {
            if (WaitForSingleObject(hThread, dwTimeoutMs) != WAIT_OBJECT_0)
                return false;
        }
        return true;
    }

    // The recorded calls cut into cycles, each beginning with its "Speed" read.
    static std::vector<Events> cycles()
    {
        std::vector<Events> result;
        for (const std::string& strEvent : calllog::events())
        {
            if (strEvent == "read Speed")
                result.emplace_back();
            if (!result.empty())
                result.back().push_back(strEvent);
        }
        return result;
    }

    // Waits until a worker has begun a sleep that was not recorded yet.
    static bool waitForSleep(DWORD dwTimeoutMs)
    {
        const size_t nBefore = calllog::events().size();
        for (DWORD dwWaited = 0; dwWaited < dwTimeoutMs; dwWaited += 2)
        {
            const std::vector<std::string> events = calllog::events();
            if (events.size() > nBefore && events.back().rfind("sleep", 0) == 0)
                return true;
            Sleep(2);
        }
        return false;
    }

    static bool waitForCycles(size_t nCycles, DWORD dwTimeoutMs)
    {
        for (DWORD dwWaited = 0; dwWaited < dwTimeoutMs; dwWaited += 10)
        {
            if (cycles().size() >= nCycles)
                return true;
            Sleep(10);
        }
        return false;
    }

    // Runs one worker for nCycles whole cycles and stops it through "Actif",
    // which leaves its last line on the screen.
    std::vector<Events> runCycles(size_t nCycles)
    {
        startWorker();
        EXPECT_TRUE(waitForCycles(nCycles + 1, 10000));
        registry::writeDword(L"Actif", 0);
        EXPECT_TRUE(workersEnd(5000));
        std::vector<Events> result = cycles();
        result.resize(nCycles);
        return result;
    }

    std::vector<HANDLE> m_workers;
};

const Events kLevelChanged = {"read Speed", "battery", "read Position", "erase", "battery",
                              "read Couleur", "read Blink", "read Dot", "read Couleur", "battery",
                              "read Position", "line", "read Blink", "sleep 100", "read Actif"};
const Events kLevelSteady = {"read Speed", "battery", "read Blink", "read Couleur", "read Blink",
                             "read Dot", "read Couleur", "battery", "read Position", "line",
                             "read Blink", "sleep 100", "read Actif"};

TEST_F(LineThreadTest, FirstCycleErasesThenAnUnchangedLevelIsDrawnOverItself)
{
    const std::vector<Events> result = runCycles(3);
    EXPECT_EQ(kLevelChanged, result[0]);
    EXPECT_EQ(kLevelSteady, result[1]);
    EXPECT_EQ(kLevelSteady, result[2]);
    EXPECT_EQ(175, screen::leadingRun(screen::edge(0), kLine));
    EXPECT_EQ(RGB(0, 0, 0), screen::pixel(175, 0));
}

TEST_F(LineThreadTest, ChangedLevelIsErasedAndRedrawn)
{
    startWorker();
    ASSERT_TRUE(waitForCycles(2, 5000));
    fakepower::setLevel(40);
    const size_t nBefore = cycles().size();
    ASSERT_TRUE(waitForCycles(nBefore + 3, 5000));
    // Stopped through "Actif", which leaves the last line on the screen.
    registry::writeDword(L"Actif", 0);
    ASSERT_TRUE(workersEnd(5000));

    // The cycle that meets the new level erases; the ones after it do not.
    const std::vector<Events> result = cycles();
    size_t nChanged = nBefore - 1;
    while (nChanged < result.size() && result[nChanged] != kLevelChanged)
        ++nChanged;
    ASSERT_LT(nChanged + 1, result.size()) << "no cycle erased for the new level";
    EXPECT_EQ(kLevelSteady, result[nChanged + 1]);
    EXPECT_EQ(96, screen::leadingRun(screen::edge(0), kLine));
    EXPECT_EQ(RGB(0, 0, 0), screen::pixel(96, 0));
}

TEST_F(LineThreadTest, BlinkingErasesEveryCycleAndDrawsAfterHalfAnOddPeriod)
{
    registry::writeDword(L"Speed", 101);
    registry::writeDword(L"Blink", 1);
    const std::vector<Events> result = runCycles(3);
    const Events kBlinking = {"read Speed", "battery", "read Blink", "read Position", "erase",
                              "read Couleur", "read Blink", "sleep 50", "read Dot", "read Couleur",
                              "battery", "read Position", "line", "read Blink", "sleep 50",
                              "read Actif"};
    EXPECT_EQ(kBlinking, result[1]);
    EXPECT_EQ(kBlinking, result[2]);
}

TEST_F(LineThreadTest, DottedStyleDrawsDots)
{
    registry::writeDword(L"Dot", 1);
    const std::vector<Events> result = runCycles(2);
    const Events kDotted = {"read Speed", "battery", "read Blink", "read Couleur", "read Blink",
                            "read Dot", "read Couleur", "read Position", "battery", "dots",
                            "read Blink", "sleep 100", "read Actif"};
    EXPECT_EQ(kDotted, result[1]);
    const std::vector<COLORREF> pixels = screen::edge(0);
    EXPECT_EQ(kLine, pixels[0]);
    EXPECT_EQ(RGB(0, 0, 0), pixels[1]);
    EXPECT_EQ(kLine, pixels[174]);
    EXPECT_EQ(RGB(0, 0, 0), pixels[176]);
}

// Periods that only an edit of the registry can store are bounded to what
// the dialog offers: the worker neither spins nor sleeps for ever.
TEST_F(LineThreadTest, StoredPeriodIsSleptWithinItsBounds)
{
    struct PeriodCase
    {
        DWORD dwStored;
        bool bBlink;
        Events sleeps;
    };
    const PeriodCase aCases[] = {
        {0, false, {"sleep 600"}},
        {2000, false, {"sleep 2000"}},
        {5000, false, {"sleep 2000"}},
        {INFINITE, false, {"sleep 2000"}},
        {1, false, {"sleep 100"}},
        {99, true, {"sleep 50", "sleep 50"}},
        {INFINITE, true, {"sleep 1000", "sleep 1000"}},
    };
    for (const PeriodCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << "stored " << c.dwStored << (c.bBlink ? ", blinking" : ""));
        registry::writeDword(L"Speed", c.dwStored);
        registry::writeDword(L"Blink", c.bBlink ? 1 : 0);
        calllog::start();
        g_bRunning = 1;
        startWorker();
        // Stopped once its first cycle has begun: it finishes that cycle.
        ASSERT_TRUE(waitForCycles(1, 5000));
        g_bRunning = 0;
        ASSERT_TRUE(workersEnd(5000));
        Events sleeps;
        for (const std::string& strEvent : calllog::events())
        {
            if (strEvent.rfind("sleep", 0) == 0)
                sleeps.push_back(strEvent);
        }
        EXPECT_EQ(c.sleeps, sleeps);
    }
}

TEST_F(LineThreadTest, ActifZeroStopsTheWorkerAtTheEndOfItsCycle)
{
    startWorker();
    ASSERT_TRUE(waitForCycles(2, 5000));
    registry::writeDword(L"Actif", 0);
    ASSERT_TRUE(workersEnd(1000));
    EXPECT_EQ(0, g_bRunning.load());
    EXPECT_EQ(0u, registry::stored(L"Actif"));
    // The worker leaves the erasing to the dialog and the watchdog.
    const Events last = cycles().back();
    EXPECT_EQ("read Actif", last.back());
    EXPECT_EQ(175, screen::leadingRun(screen::edge(0), kLine));
}

// A 0 that this instance recorded itself only stops the worker; a 0 from
// another instance (a takeover) ends the instance through its dialog's thread,
// also for a worker that outlived a clearing and a tick of "&Active".
TEST_F(LineThreadTest, StopFromAnotherInstanceEndsTheInstance)
{
    enum class EStop
    {
        own,
        takenOver,
        takenOverAfterClearAndTick,
    };
    for (EStop stop : {EStop::own, EStop::takenOver, EStop::takenOverAfterClearAndTick})
    {
        SCOPED_TRACE(static_cast<int>(stop));
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ;
        handover::open();
        g_bRunning = 1;
        handover::recordOn();
        calllog::start();
        startWorker();
        ASSERT_TRUE(waitForCycles(2, 5000));
        if (stop == EStop::takenOverAfterClearAndTick)
        {
            // Cleared and ticked while the worker sleeps: on waking it reads 1
            // and goes on.
            ASSERT_TRUE(waitForSleep(5000));
            handover::recordOff();
            handover::recordOn();
            ASSERT_TRUE(waitForCycles(cycles().size() + 2, 5000));
        }
        if (stop == EStop::own)
            handover::recordOff();
        else
            registry::writeDword(L"Actif", 0);
        ASSERT_TRUE(workersEnd(1000));
        bool bQuit = false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            bQuit = bQuit || msg.message == WM_QUIT;
        EXPECT_EQ(stop != EStop::own, bQuit) << "the quit that ends the instance";
        EXPECT_EQ(stop != EStop::own, handover::ending());
        EXPECT_EQ(0u, registry::stored(L"Actif"));
    }
    handover::open();
}

TEST_F(LineThreadTest, WorkerFindingRunningClearedEndsAtOnce)
{
    g_bRunning = 0;
    startWorker();
    ASSERT_TRUE(workersEnd(1000));
    EXPECT_TRUE(calllog::events().empty());
    EXPECT_EQ(kGround, screen::pixel(0, 0));
}

TEST_F(LineThreadTest, TwoWorkersBothStopAtTheNextClearing)
{
    startWorker();
    startWorker();
    ASSERT_TRUE(waitForCycles(4, 5000));
    registry::writeDword(L"Actif", 0);
    EXPECT_TRUE(workersEnd(1000));
}

class WatchdogTest : public LineThreadTest
{
protected:
    static bool quitPosted()
    {
        MSG msg;
        bool bQuit = false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            bQuit = bQuit || (msg.message == WM_QUIT && msg.wParam == 0);
        return bQuit;
    }
};

TEST_F(WatchdogTest, TickWhileActifIsSetDoesNothing)
{
    screen::fill(kLine);
    WatchTimerProc(nullptr, WM_TIMER, kWatchTimerId, 0);
    EXPECT_EQ(1, g_bRunning.load());
    EXPECT_FALSE(quitPosted());
    EXPECT_EQ(kLine, screen::pixel(0, 0));
}

TEST_F(WatchdogTest, TickAfterActifClearedErasesRecordsAndQuits)
{
    for (bool bMissing : {false, true})
    {
        SCOPED_TRACE(bMissing ? "Actif missing" : "Actif 0");
        handover::open();
        if (bMissing)
            registry::deleteValue(L"Actif");
        else
            registry::writeDword(L"Actif", 0);
        g_bRunning = 1;
        screen::fill(kLine);
        WatchTimerProc(nullptr, WM_TIMER, kWatchTimerId, 0);
        EXPECT_EQ(0, g_bRunning.load());
        EXPECT_TRUE(quitPosted());
        EXPECT_EQ(240, screen::leadingRun(screen::edge(0), RGB(0, 0, 0)));
        EXPECT_EQ(0u, registry::stored(L"Actif"));
    }
}

} // namespace
