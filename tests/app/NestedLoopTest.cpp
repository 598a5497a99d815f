#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <tuple>

#include "display/LinePoints.h"
#include "res/resource.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"
#include "tests/support/WriteFaults.h"

namespace {

using namespace onscreen;

// The modal loops that the settings dialog runs inside its own handlers. Each
// dispatches the dialog's messages too, so the program can be ended while one
// of them is up.
enum class ELoop
{
    colourChooser,
    aboutBox,
    failedWriteBox, // "<< DWORD >> Not Set!", raised by "B&linking Line"
};

enum class EEnd
{
    closeRequest, // WM_CLOSE, as a window manager or taskkill sends it
    watchdog,     // "Actif" set to 0 from outside
    takeover,     // a second instance started
};

const char* const kLoopNames[] = {"ColourChooser", "AboutBox", "FailedWriteBox"};
const char* const kEndNames[] = {"CloseRequest", "Watchdog", "Takeover"};

void PrintTo(ELoop loop, std::ostream* pos) { *pos << kLoopNames[static_cast<int>(loop)]; }
void PrintTo(EEnd end, std::ostream* pos) { *pos << kEndNames[static_cast<int>(end)]; }

const wchar_t* caption(ELoop loop)
{
    switch (loop)
    {
    case ELoop::colourChooser: return L"Color";
    case ELoop::aboutBox: return L"About Voltrim";
    default: return L"CConfig::setWord";
    }
}

class NestedLoopTest : public CProgramTest, public testing::WithParamInterface<std::tuple<ELoop, EEnd>>
{
};

// Whatever ends the program while the inner loop is up, the program ends as
// it does from its dialog: exit code 0, the inner box gone, "Actif" as that
// kind of end leaves it, and the line erased or, after a takeover, drawn by
// the newcomer alone.
TEST_P(NestedLoopTest, EndingWhileItIsUpEndsTheProgramCleanly)
{
    const ELoop loop = std::get<0>(GetParam());
    const EEnd end = std::get<1>(GetParam());
    storeDisplay(kPositionBottom);
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    ASSERT_TRUE(waitUntil([] { return edgeShows(kPositionBottom, kLine); }, 3000)) << "no line";

    std::unique_ptr<CWriteFaults> pFaults;
    if (loop == ELoop::failedWriteBox)
    {
        pFaults = std::make_unique<CWriteFaults>(program);
        ASSERT_TRUE(pFaults->loaded()) << "the program's writes cannot be made to fail";
        pFaults->setFailing(true);
    }
    program.postClick(loop == ELoop::colourChooser ? IDC_COLOUR : loop == ELoop::aboutBox ? IDC_ABOUT : IDC_BLINK);
    const HWND hwndInner = program.waitForBox(caption(loop), 10000);
    ASSERT_NE(nullptr, hwndInner) << "the inner loop did not come up";
    if (pFaults)
        pFaults->setFailing(false);

    switch (end)
    {
    case EEnd::closeRequest: program.post(WM_CLOSE, 0, 0); break;
    case EEnd::watchdog: registry::writeDword(L"Actif", 0); break;
    case EEnd::takeover: launch(false); break;
    }
    expectEndedCleanly(program, 15000);
    EXPECT_FALSE(IsWindow(hwndInner)) << "the inner box outlived the program";
    if (end == EEnd::takeover)
    {
        CProgram& next = *m_programs.back();
        ASSERT_NE(nullptr, next.waitForDialog(15000));
        EXPECT_EQ(1u, stored(L"Actif"));
        EXPECT_TRUE(redrawn(kPositionBottom, kLine, 3000)) << "the newcomer does not draw";
    }
    else
    {
        EXPECT_EQ(0u, stored(L"Actif"));
        EXPECT_TRUE(edgeShows(kPositionBottom, kBlack)) << "the line was left on the screen";
    }
}

std::string caseName(const testing::TestParamInfo<std::tuple<ELoop, EEnd>>& info)
{
    return std::string(kLoopNames[static_cast<int>(std::get<0>(info.param))]) + "_" +
           kEndNames[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Loops, NestedLoopTest,
                         testing::Combine(testing::Values(ELoop::colourChooser, ELoop::aboutBox,
                                                          ELoop::failedWriteBox),
                                          testing::Values(EEnd::closeRequest, EEnd::watchdog, EEnd::takeover)),
                         caseName);

// "&Active" ticked while writes fail: the box comes up before the display is
// switched on. Ended meanwhile, the handler must not go on to start a worker
// for a dialog that no longer exists: nothing is drawn after the end.
using SwitchingOnTest = CProgramTest;

TEST_F(SwitchingOnTest, EndedDuringTheBoxOfSwitchingOnStartsNoWorker)
{
    for (bool bExitButton : {false, true})
    {
        SCOPED_TRACE(bExitButton ? "E&xit" : "close request");
        storeDisplay(kPositionBottom);
        CProgram& program = launch();
        CWriteFaults faults(program);
        ASSERT_TRUE(faults.loaded());
        faults.setFailing(true);
        program.postClick(IDC_ACTIVE);
        ASSERT_NE(nullptr, program.waitForBox(L"CConfig::setWord", 10000));
        faults.setFailing(false);
        if (bExitButton)
            program.postClick(IDC_EXIT);
        else
            program.post(WM_CLOSE, 0, 0);
        expectEndedCleanly(program, 15000);
        EXPECT_EQ(0u, stored(L"Actif"));
        // The display was never on: any line was drawn after the end.
        EXPECT_FALSE(anyEdgeShows(kLine)) << "a worker drew for a dialog that had ended";
    }
}

} // namespace
