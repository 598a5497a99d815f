#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "display/LinePoints.h"
#include "res/resource.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"

namespace {

using namespace onscreen;

using ProgramTest = CProgramTest;

TEST_F(ProgramTest, NothingStoredOpensWithDefaultsAndTheDisplayOff)
{
    CProgram& program = launch();
    EXPECT_EQ(600, SendMessageW(program.item(IDC_SPEED), TBM_GETPOS, 0, 0));
    EXPECT_EQ(100, SendMessageW(program.item(IDC_SPEED), TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(2000, SendMessageW(program.item(IDC_SPEED), TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(0, SendMessageW(program.item(IDC_POSITION), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(4, SendMessageW(program.item(IDC_POSITION), CB_GETCOUNT, 0, 0));
    for (int idBox : {IDC_ACTIVE, IDC_BLINK, IDC_DOTTED})
        EXPECT_FALSE(program.isChecked(idBox)) << "box " << idBox;
    Sleep(1500);
    EXPECT_EQ(kGround, screen::pixel(5, 0)) << "a line was drawn with the display off";
    // Opening stores nothing.
    EXPECT_TRUE(registry::valueNames().empty());
    program.click(IDC_EXIT);
    expectEndedCleanly(program);
}

TEST_F(ProgramTest, StoredValuesAreShownAtOpening)
{
    registry::writeDword(L"Blink", 1);
    registry::writeDword(L"Dot", 5);
    registry::writeDword(L"Speed", 1500);
    registry::writeDword(L"Position", 2);
    CProgram& program = launch();
    EXPECT_EQ(1500, SendMessageW(program.item(IDC_SPEED), TBM_GETPOS, 0, 0));
    EXPECT_EQ(2, SendMessageW(program.item(IDC_POSITION), CB_GETCURSEL, 0, 0));
    EXPECT_TRUE(program.isChecked(IDC_BLINK));
    EXPECT_TRUE(program.isChecked(IDC_DOTTED));
    EXPECT_FALSE(program.isChecked(IDC_ACTIVE));
}

TEST_F(ProgramTest, PositionOutsideTheListOpensWithNoEntrySelected)
{
    registry::writeDword(L"Position", 7);
    CProgram& program = launch();
    EXPECT_EQ(CB_ERR, SendMessageW(program.item(IDC_POSITION), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(7u, stored(L"Position"));
}

TEST_F(ProgramTest, ActiveSwitchesTheLineOnAndOff)
{
    storeDisplay(1);
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    EXPECT_EQ(1u, stored(L"Actif"));
    EXPECT_TRUE(waitUntil([] { return edgeShows(1, kLine); }, 3000)) << "no line on the bottom edge";
    EXPECT_EQ(kGround, screen::pixel(5, 0)) << "the top edge was touched";

    program.click(IDC_ACTIVE);
    EXPECT_EQ(0u, stored(L"Actif"));
    EXPECT_TRUE(waitUntil([] { return edgeShows(1, kBlack); }, 3000)) << "the bottom edge was not erased";
    // The worker ends at the end of its cycle: nothing is drawn after that.
    Sleep(500);
    EXPECT_TRUE(edgeShows(1, kBlack));
    EXPECT_TRUE(program.running());
}

TEST_F(ProgramTest, EachControlStoresItsValueAndTheWorkerFollows)
{
    storeDisplay(0);
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    ASSERT_TRUE(waitUntil([] { return edgeShows(0, kLine); }, 3000));

    program.selectPosition(3);
    EXPECT_EQ(3u, stored(L"Position"));
    EXPECT_TRUE(edgeShows(0, kBlack)) << "the old edge was not erased first";
    EXPECT_TRUE(waitUntil([] { return edgeShows(3, kLine); }, 3000)) << "no line on the right edge";

    program.click(IDC_DOTTED);
    EXPECT_EQ(1u, stored(L"Dot"));
    EXPECT_TRUE(waitUntil([] { return edgeIsDotted(3, kLine); }, 3000)) << "no dotted line";
    program.click(IDC_DOTTED);
    EXPECT_EQ(0u, stored(L"Dot"));
    EXPECT_TRUE(waitUntil([] { return edgeShows(3, kLine) && !edgeIsDotted(3, kLine); }, 3000));

    program.moveSlider(1000);
    EXPECT_EQ(1000u, stored(L"Speed"));
    program.moveSlider(100);
    EXPECT_EQ(100u, stored(L"Speed"));

    // Blinking: the edge is black for half of every period.
    program.click(IDC_BLINK);
    EXPECT_EQ(1u, stored(L"Blink"));
    bool bSawBlack = false;
    bool bSawLine = false;
    waitUntil(
        [&] {
            const COLORREF cr = screen::pixel(239, 5);
            bSawBlack = bSawBlack || cr == kBlack;
            bSawLine = bSawLine || cr == kLine;
            return bSawBlack && bSawLine;
        },
        3000);
    EXPECT_TRUE(bSawBlack && bSawLine) << "the line does not blink";
    program.click(IDC_BLINK);
    EXPECT_EQ(0u, stored(L"Blink"));
}

TEST_F(ProgramTest, ColourChooserStoresItsColourConfirmedOrCancelled)
{
    for (int idClose : {IDCANCEL, IDOK})
    {
        SCOPED_TRACE(idClose == IDOK ? "confirmed" : "cancelled");
        storeDisplay(0);
        registry::writeDword(L"Couleur", 0);
        CProgram& program = launch();
        CModalWatcher watcher(L"Color", idClose);
        program.command(IDC_COLOUR);
        EXPECT_TRUE(watcher.waitFor(1, 5000)) << "the chooser did not appear";
        // The stored black read back as red, which the chooser then kept.
        EXPECT_EQ(RGB(255, 0, 0), stored(L"Couleur"));
        program.click(IDC_EXIT);
        expectEndedCleanly(program);
    }
}

// While the chooser is up, the worker goes on reading "Couleur" into the
// colour in force; what the chooser's end stores is the chooser's own
// colour, never the one the worker read meanwhile.
TEST_F(ProgramTest, ColourChooserStoresItsOwnColourWhileAWorkerRuns)
{
    const COLORREF kOutside = RGB(250, 240, 5);
    const COLORREF kTyped = RGB(12, 34, 56);
    for (bool bConfirmed : {false, true})
    {
        SCOPED_TRACE(bConfirmed ? "typed in and confirmed" : "cancelled");
        storeDisplay(kPositionBottom);
        CProgram& program = launch();
        program.click(IDC_ACTIVE);
        ASSERT_TRUE(waitUntil([] { return edgeShows(kPositionBottom, kLine); }, 3000));
        program.postClick(IDC_COLOUR);
        const HWND hwndChooser = program.waitForBox(L"Color", 10000);
        ASSERT_NE(nullptr, hwndChooser) << "the chooser did not appear";

        registry::writeDword(L"Couleur", kOutside);
        EXPECT_TRUE(waitUntil([&] { return edgeShows(kPositionBottom, kOutside); }, 3000))
            << "the worker did not take the stored colour up";
        if (bConfirmed)
        {
            // The chooser's red, green and blue fields.
            const int aidFields[] = {706, 707, 708};
            const BYTE abyValues[] = {GetRValue(kTyped), GetGValue(kTyped), GetBValue(kTyped)};
            for (int i = 0; i < 3; ++i)
                SetDlgItemInt(hwndChooser, aidFields[i], abyValues[i], FALSE);
        }
        PostMessageW(hwndChooser, WM_COMMAND, MAKEWPARAM(bConfirmed ? IDOK : IDCANCEL, BN_CLICKED), 0);
        EXPECT_TRUE(waitUntil([&] { return !IsWindow(hwndChooser); }, 5000));
        // A cancelled chooser keeps the colour it opened with.
        const COLORREF crExpected = bConfirmed ? kTyped : kLine;
        EXPECT_TRUE(waitUntil([&] { return stored(L"Couleur") == crExpected; }, 3000))
            << std::hex << "stored " << stored(L"Couleur") << " instead of " << crExpected;
        EXPECT_TRUE(waitUntil([&] { return edgeShows(kPositionBottom, crExpected); }, 3000));
        program.click(IDC_EXIT);
        expectEndedCleanly(program);
    }
}

TEST_F(ProgramTest, KeepLineHidesTheDialogAndTheLineStays)
{
    storeDisplay(2);
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    ASSERT_TRUE(waitUntil([] { return edgeShows(2, kLine); }, 3000));
    program.click(IDOK);
    EXPECT_FALSE(IsWindowVisible(program.dialog()));
    screen::fill(kGround);
    EXPECT_TRUE(waitUntil([] { return edgeShows(2, kLine); }, 3000)) << "the line was not kept up";
    EXPECT_EQ(1u, stored(L"Actif"));
    EXPECT_TRUE(program.running());
}

// Every way of ending: the program exits with 0, "Actif" is left at 0 and the
// edge is erased.
TEST_F(ProgramTest, EveryEndLeavesTheDisplayOffAndExitsWithZero)
{
    enum class End { exitButton, closeRequest, watchdog, closeWhileHidden };
    for (End end : {End::exitButton, End::closeRequest, End::watchdog, End::closeWhileHidden})
    {
        SCOPED_TRACE(static_cast<int>(end));
        storeDisplay(1);
        CProgram& program = launch();
        program.click(IDC_ACTIVE);
        ASSERT_TRUE(waitUntil([] { return edgeShows(1, kLine); }, 3000));
        switch (end)
        {
        case End::exitButton: program.click(IDC_EXIT); break;
        case End::closeRequest: program.post(WM_CLOSE, 0, 0); break;
        case End::watchdog: registry::writeDword(L"Actif", 0); break;
        case End::closeWhileHidden:
            program.click(IDOK);
            program.post(WM_CLOSE, 0, 0);
            break;
        }
        expectEndedCleanly(program);
        EXPECT_EQ(0u, stored(L"Actif"));
        EXPECT_TRUE(edgeShows(1, kBlack)) << "the edge was left drawn: " << std::hex << screen::edge(1).front() << " "
                                          << screen::edge(1).back();
    }
}

// A period that only an edit of the registry can store: the takeover pause
// and the worker's sleeps are bounded, so the dialog still opens and the
// program still ends.
TEST_F(ProgramTest, EndlessStoredPeriodNeitherHangsOpeningNorEnding)
{
    storeDisplay(1, 100, 1);
    registry::writeDword(L"Speed", INFINITE);
    CProgram& program = launch();
    EXPECT_TRUE(program.isChecked(IDC_ACTIVE));
    EXPECT_TRUE(waitUntil([] { return edgeShows(1, kLine); }, 5000));
    program.click(IDC_EXIT);
    expectEndedCleanly(program);
    EXPECT_TRUE(edgeShows(1, kBlack));
}

// The end lets a worker that is asleep in a long period finish before the
// drawer and the store go: the program ends cleanly, without a crash.
TEST_F(ProgramTest, EndingWhileTheWorkerSleepsALongPeriod)
{
    for (bool bBlink : {false, true})
    {
        SCOPED_TRACE(bBlink ? "blinking" : "steady");
        storeDisplay(1);
        registry::writeDword(L"Speed", 2000);
        registry::writeDword(L"Blink", bBlink ? 1 : 0);
        CProgram& program = launch();
        program.click(IDC_ACTIVE);
        Sleep(300);
        program.post(WM_CLOSE, 0, 0);
        expectEndedCleanly(program);
        EXPECT_EQ(0u, stored(L"Actif"));
    }
}

TEST_F(ProgramTest, CancelAndUnknownCommandsChangeNothing)
{
    storeDisplay(0);
    CProgram& program = launch();
    program.command(IDCANCEL);
    program.command(40003);
    program.command(4242, CBN_SETFOCUS);
    EXPECT_TRUE(IsWindowVisible(program.dialog()));
    EXPECT_TRUE(program.running());
    EXPECT_FALSE(program.isChecked(IDC_ACTIVE));
    EXPECT_EQ(0u, stored(L"Actif"));
}

// Keys reach the dialog through its own loop: Enter is "&Keep Line", while
// Ctrl+Q and Ctrl+A, which only the loop after the dialog translates, do
// nothing.
TEST_F(ProgramTest, AcceleratorsDoNothingWhileTheDialogIsUp)
{
    storeDisplay(0);
    CProgram& program = launch();
    SetForegroundWindow(program.dialog());
    auto press = [](std::vector<WORD> keys) {
        std::vector<INPUT> inputs;
        for (WORD wKey : keys)
        {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = wKey;
            inputs.push_back(input);
        }
        for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = *it;
            input.ki.dwFlags = KEYEVENTF_KEYUP;
            inputs.push_back(input);
        }
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        Sleep(500);
    };
    const std::vector<std::wstring> names = registry::valueNames();
    press({VK_CONTROL, 'Q'});
    press({VK_CONTROL, 'A'});
    EXPECT_TRUE(IsWindowVisible(program.dialog()));
    EXPECT_TRUE(program.running());
    EXPECT_EQ(names, registry::valueNames()) << "a key stroke stored something";
    EXPECT_EQ(0u, stored(L"Actif"));

    press({VK_RETURN});
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(program.dialog()); }, 2000)) << "Enter did not reach the dialog";
}

// A new instance takes the display over from the last: the old one ends by
// its worker's stop and its watchdog, the new one goes on drawing, and
// "Actif" ends at 1 every time.
class TakeoverTest : public ProgramTest, public testing::WithParamInterface<std::pair<DWORD, int>>
{
};

TEST_P(TakeoverTest, EachNewInstanceTakesTheDisplayOver)
{
    const DWORD dwSpeed = GetParam().first;
    const int nTimes = GetParam().second;
    storeDisplay(1);
    registry::writeDword(L"Speed", dwSpeed);
    CProgram* pCurrent = &launch();
    pCurrent->click(IDC_ACTIVE);
    pCurrent->click(IDOK);
    ASSERT_TRUE(waitUntil([] { return edgeShows(1, kLine); }, 3000));

    for (int i = 0; i < nTimes; ++i)
    {
        SCOPED_TRACE(testing::Message() << "takeover " << i + 1);
        CProgram& next = launch();
        DWORD dwExitCode = kMissing;
        ASSERT_TRUE(pCurrent->waitForExit(10000, &dwExitCode)) << "the old instance did not end";
        EXPECT_EQ(0u, dwExitCode);
        EXPECT_TRUE(next.running());
        EXPECT_TRUE(next.isChecked(IDC_ACTIVE));
        EXPECT_EQ(1, countDialogs());
        EXPECT_EQ(1u, stored(L"Actif"));
        EXPECT_TRUE(waitUntil([] { return edgeShows(1, kLine); }, 3000)) << "no line after the takeover";
        next.click(IDOK);
        m_programs.erase(m_programs.begin());
        pCurrent = &next;
    }
    EXPECT_EQ(1u, stored(L"Actif"));
}

INSTANTIATE_TEST_SUITE_P(Periods, TakeoverTest,
                         testing::Values(std::make_pair(DWORD(100), 20), std::make_pair(DWORD(600), 10)));

} // namespace
