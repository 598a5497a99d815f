#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iostream>
#include <thread>

#include "res/resource.h"
#include "tests/support/ProcessInfo.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"

namespace {

using namespace onscreen;

const int kClicks = 500;

class ActiveToggleTest : public CProgramTest
{
};

// Every tick starts a worker, and a worker started within one sleep of a
// clearing goes on when it wakes to "Actif" 1 again; all of them stop at the
// end of the cycle in which they read the last clearing. What must hold
// afterwards: no worker left, the handles back to what the idle dialog held,
// and no line on the screen.
TEST_F(ActiveToggleTest, FiveHundredClicksLeaveNoWorkerAndNoLine)
{
    // Wine's own handles and threads may come and go beside the program's.
    const int kHandleNoise = 3;
    storeDisplay(1, 100);
    CProgram& program = launch();
    // One round first: what the first display takes once (Wine's caches
    // among it) belongs to the baseline.
    program.click(IDC_ACTIVE);
    ASSERT_TRUE(waitUntil([] { return edgeShows(1, kLine); }, 3000));
    program.click(IDC_ACTIVE);
    ASSERT_TRUE(waitUntil([&] { return processinfo::workerCount(program.process(), program.processId()) == 0; }, 5000));
    const processinfo::CSample idle = processinfo::sample(program.process(), program.processId());
    ASSERT_GT(idle.nHandles, 0) << "the handle count cannot be read";

    std::atomic<bool> bStop{false};
    std::atomic<int> nMostWorkers{0};
    std::thread watcher([&] {
        while (!bStop)
        {
            const int n = processinfo::workerCount(program.process(), program.processId());
            nMostWorkers = std::max(nMostWorkers.load(), n);
            Sleep(2);
        }
    });

    const DWORD dwStart = GetTickCount();
    for (int i = 0; i < kClicks && program.running(); ++i)
        program.click(IDC_ACTIVE);
    const DWORD dwClicksMs = GetTickCount() - dwStart;

    EXPECT_TRUE(program.running()) << "the program ended under the clicks";
    EXPECT_FALSE(program.isChecked(IDC_ACTIVE));
    EXPECT_EQ(0u, stored(L"Actif"));
    const bool bAllEnded =
        waitUntil([&] { return processinfo::workerCount(program.process(), program.processId()) == 0; }, 10000);
    bStop = true;
    watcher.join();
    std::cout << kClicks << " clicks in " << dwClicksMs << " ms; most workers at once: " << nMostWorkers << std::endl;
    EXPECT_GE(nMostWorkers, 1) << "no worker was ever seen: the count proves nothing";
    EXPECT_TRUE(bAllEnded) << "workers left: " << processinfo::workerCount(program.process(), program.processId());
    int nHandles = -1;
    EXPECT_TRUE(waitUntil(
        [&] { return (nHandles = processinfo::handleCount(program.processId())) <= idle.nHandles + kHandleNoise; },
        5000))
        << nHandles << " handles held, " << idle.nHandles << " before the clicks";

    const std::vector<COLORREF> pixels = screen::edge(1);
    EXPECT_TRUE(edgeShows(1, kBlack)) << "the line was left on the screen: " << std::hex << pixels.front() << " "
                                      << pixels[pixels.size() / 2] << " " << pixels.back();
    screen::fill(onscreen::kGround);
    Sleep(1000);
    EXPECT_FALSE(anyEdgeShows(kLine)) << "drawn after the display was switched off";

    program.click(IDC_EXIT);
    expectEndedCleanly(program);
}

} // namespace
