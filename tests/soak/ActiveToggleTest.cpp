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
// end of the cycle in which they read the last clearing.
TEST_F(ActiveToggleTest, FiveHundredClicksLeaveNoWorkerAndNoLine)
{
    storeDisplay(1, 100);
    CProgram& program = launch();
    const int nIdleThreads = processinfo::threadCount(program.processId());
    ASSERT_GE(nIdleThreads, 1);

    std::atomic<bool> bStop{false};
    std::atomic<int> nMostThreads{nIdleThreads};
    std::thread watcher([&] {
        while (!bStop)
        {
            const int n = processinfo::threadCount(program.processId());
            nMostThreads = std::max(nMostThreads.load(), n);
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
        waitUntil([&] { return processinfo::threadCount(program.processId()) == nIdleThreads; }, 10000);
    bStop = true;
    watcher.join();
    std::cout << kClicks << " clicks in " << dwClicksMs << " ms; most workers at once: "
              << nMostThreads - nIdleThreads << std::endl;
    EXPECT_TRUE(bAllEnded) << "workers left: " << processinfo::threadCount(program.processId()) - nIdleThreads;
    // No more workers than ticks, however the clicks fell.
    EXPECT_LE(nMostThreads - nIdleThreads, kClicks / 2);

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
