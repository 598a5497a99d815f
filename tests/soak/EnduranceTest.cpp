#include <gtest/gtest.h>

#include <iostream>

#include "res/resource.h"
#include "tests/support/ProcessInfo.h"
#include "tests/support/ProgramFixture.h"

namespace {

using namespace onscreen;

const DWORD kWarmUpMs = 10000;
const DWORD kRunMs = 120000;
const DWORD kSampleEveryMs = 10000;

// What may come and go between two samples without being a leak: Wine's own
// caches and the heap's growth in pages.
const int kHandleNoise = 3;
const int kGdiNoise = 3;
const SIZE_T kMemoryNoise = 512 * 1024;

void print(const char* pszWhen, DWORD dwElapsedMs, const processinfo::CSample& s)
{
    std::cout << pszWhen << " " << dwElapsedMs / 1000 << " s: handles " << s.nHandles << ", GDI objects "
              << s.nGdiObjects << ", threads " << s.nThreads << " (workers " << s.nWorkers << "), working set " << s.cbWorkingSet / 1024
              << " KiB, private " << s.cbPrivate / 1024 << " KiB" << std::endl;
}

class EnduranceTest : public CProgramTest
{
};

// A blinking line at the shortest period erases and draws every cycle, each
// with a device context and a pen of its own: over two minutes that is some
// 2400 of each, so that a single one kept per cycle would show plainly.
TEST_F(EnduranceTest, TwoMinutesAtTheShortestPeriodHoldNothingMore)
{
    storeDisplay(1, 100);
    registry::writeDword(L"Blink", 1);
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    program.click(IDOK);
    ASSERT_TRUE(waitUntil([] { return edgeShows(1, kLine); }, 3000)) << "no line";

    const DWORD dwStart = GetTickCount();
    Sleep(kWarmUpMs);
    const processinfo::CSample warm = processinfo::sample(program.process(), program.processId());
    print("after warm-up", GetTickCount() - dwStart, warm);
    ASSERT_GE(warm.nHandles, 0) << "the handle count cannot be read";
    ASSERT_GE(warm.nGdiObjects, 0) << "the GDI object count cannot be read";
    EXPECT_EQ(1, warm.nWorkers) << "one worker draws";

    processinfo::CSample last = warm;
    while (GetTickCount() - dwStart < kWarmUpMs + kRunMs)
    {
        Sleep(kSampleEveryMs);
        ASSERT_TRUE(program.running()) << "the program ended while drawing";
        last = processinfo::sample(program.process(), program.processId());
        print("running", GetTickCount() - dwStart, last);
        EXPECT_EQ(1, last.nWorkers);
    }

    EXPECT_LE(last.nThreads, warm.nThreads) << "threads grew";
    EXPECT_LE(last.nHandles, warm.nHandles + kHandleNoise);
    EXPECT_LE(last.nGdiObjects, warm.nGdiObjects + kGdiNoise);
    EXPECT_LE(last.cbPrivate, warm.cbPrivate + kMemoryNoise);
    EXPECT_LE(last.cbWorkingSet, warm.cbWorkingSet + kMemoryNoise);
    EXPECT_TRUE(redrawn(1, kLine, 3000)) << "the display stopped cycling";

    program.post(WM_CLOSE, 0, 0);
    expectEndedCleanly(program);
}

} // namespace
