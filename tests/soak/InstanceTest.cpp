#include <gtest/gtest.h>

#include <iostream>

#include "res/resource.h"
#include "tests/support/ProcessInfo.h"
#include "tests/support/ProgramFixture.h"

namespace {

using namespace onscreen;

class InstanceTest : public CProgramTest
{
protected:
    // An instance draws while its worker lives: the worker cycles until it
    // reads "Actif" 0 and ends, and the instance starts one only with the
    // display on.
    static bool isDrawing(CProgram& program)
    {
        return program.running() && processinfo::workerCount(program.process(), program.processId()) >= 1;
    }

    int countDrawing()
    {
        int nDrawing = 0;
        for (auto& pProgram : m_programs)
            nDrawing += isDrawing(*pProgram) ? 1 : 0;
        return nDrawing;
    }

    CProgram* firstDrawing()
    {
        for (auto& pProgram : m_programs)
            if (isDrawing(*pProgram))
                return pProgram.get();
        return nullptr;
    }

    // Every instance either ended with 0 or still answers its messages.
    void expectNoneHanging()
    {
        for (auto& pProgram : m_programs)
        {
            if (pProgram.get() == m_pKilled)
                continue;
            DWORD dwExitCode = kMissing;
            if (pProgram->waitForExit(0, &dwExitCode))
            {
                EXPECT_EQ(0u, dwExitCode) << "process " << pProgram->processId();
                continue;
            }
            DWORD_PTR dwResult = 0;
            EXPECT_NE(0, SendMessageTimeoutW(pProgram->dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwResult))
                << "process " << pProgram->processId() << " does not answer";
        }
    }

    // Ends every instance still running through its Exit button.
    void exitAll()
    {
        for (auto& pProgram : m_programs)
        {
            if (!pProgram->running())
                continue;
            pProgram->click(IDC_EXIT);
            expectEndedCleanly(*pProgram);
        }
    }

    void report(const char* pszWhen)
    {
        std::cout << pszWhen << ":";
        for (auto& pProgram : m_programs)
            std::cout << " [" << pProgram->processId() << (pProgram->running() ? " running" : " ended")
                      << (isDrawing(*pProgram) ? " drawing" : "") << "]";
        std::cout << " Actif " << stored(L"Actif") << std::endl;
    }

    // The instance ended outright, whose exit code is the test's own.
    CProgram* m_pKilled = nullptr;
};

// Each start with "Actif" set takes the display over; an instance that opens
// during another's takeover pause reads 0 and opens with the display off.
// Whatever the order, the last takeover's "Actif" = 1 stands, so the display
// stays on, drawn by one instance; the others end or sit idle.
TEST_F(InstanceTest, FiveStartedWithinOneSecondLeaveOneDrawing)
{
    storeDisplay(1, 600, 1);
    for (int i = 0; i < 5; ++i)
    {
        launch(false);
        // The pace of the scenario: five starts spread over one second.
        Sleep(200);
    }
    for (auto& pProgram : m_programs)
        EXPECT_NE(nullptr, pProgram->waitForDialog(20000)) << "no settings dialog";
    // Every dialog open: every claim is made, and what is left is the ends
    // of the instances taken over, within a cycle or a watchdog tick.
    EXPECT_TRUE(waitUntil([&] { return countDrawing() == 1 && stored(L"Actif") == 1; }, 20000));
    report("settled");

    expectNoneHanging();
    EXPECT_EQ(1u, stored(L"Actif"));
    EXPECT_EQ(1, countDrawing()) << "instances drawing";
    EXPECT_TRUE(redrawn(1, kLine, 3000)) << "no line";

    // The drawer killed outright leaves "Actif" = 1: the next start takes the
    // display over from nobody and draws alone.
    CProgram* pDrawing = firstDrawing();
    ASSERT_NE(nullptr, pDrawing);
    pDrawing->kill();
    m_pKilled = pDrawing;
    EXPECT_EQ(1u, stored(L"Actif"));
    CProgram& next = launch();
    EXPECT_TRUE(next.isChecked(IDC_ACTIVE));
    EXPECT_TRUE(waitUntil([&] { return isDrawing(next); }, 10000));
    report("after the kill");
    EXPECT_TRUE(isDrawing(next));
    EXPECT_EQ(1, countDrawing()) << "instances drawing";
    EXPECT_TRUE(redrawn(1, kLine, 3000)) << "no line after the new start";
    expectNoneHanging();

    exitAll();
    EXPECT_EQ(0u, stored(L"Actif"));
}

} // namespace
