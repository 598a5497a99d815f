// The real program at the battery levels that the test command fakes below
// Wine, read back from the screen: the line's exact length on every edge,
// solid and dotted; a level that changes while the line is up; and the
// batteries that report oddly, as Wine reads them and as the program then
// draws them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "res/resource.h"
#include "tests/support/Battery.h"
#include "tests/support/LevelLine.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"
#include "tests/support/ScreenShot.h"

namespace {

using namespace onscreen;
using levelline::kBottom;
using levelline::kLeft;
using levelline::kRight;
using levelline::kTop;

// The worker reads the level once a cycle (100 ms in these tests); the bound
// leaves room for a busy machine.
const DWORD kLineWithinMs = 3000;

const char* const kEdgeNames[] = {"top", "bottom", "left", "right"};

// Captures the screen until its edges show the line of nPercent on dwPosition
// (and, with bRestBlack, the rest of that edge black); the last capture stays
// in rShot for a failure message.
bool waitForLine(CScreenShot& rShot, DWORD dwPosition, unsigned nPercent, bool bDotted, bool bRestBlack = false)
{
    return waitUntil(
        [&] {
            rShot = CScreenShot::capture();
            return levelline::shows(rShot, dwPosition, nPercent, bDotted, kLine) &&
                   (!bRestBlack || levelline::restIsBlack(rShot, dwPosition, nPercent, bDotted));
        },
        kLineWithinMs);
}

// A battery that Wine reads in its own way, and what GetSystemPowerStatus
// then reports. Measured with Wine 8: the percentage is charge_now ÷
// charge_full, neither clamped nor checked, and it wraps as a byte.
struct SReport
{
    const char* pszName;
    std::function<bool()> apply;
    BYTE byPercent;
    BYTE byACLine;
    BYTE byFlag; // 1 high, 2 low, 4 critical, 8 charging, 128 no battery
};

const SReport kReports[] = {
    {"discharging at 73 %", [] { return battery::setLevel(73); }, 73, 0, 1},
    {"charging on mains at 50 %",
     [] { return battery::setLevel(50) && battery::setCharging(true) && battery::setMains(true); }, 50, 1, 8},
    {"on mains, not charging, at 73 %", [] { return battery::setLevel(73) && battery::setMains(true); }, 73, 1, 1},
    {"empty", [] { return battery::setLevel(0); }, 0, 0, 6},
    {"charged past full, 120 %", [] { return battery::setLevel(120); }, 120, 0, 1},
    // 2.6 times the full charge: the percentage wraps to 260 - 256.
    {"charged to 260 %", [] { return battery::setLevel(260); }, 4, 0, 6},
    // A desktop: mains reported, no battery; unknown level.
    {"no battery entry", [] { return battery::removeBattery(); }, 255, 0, 128},
    // Nothing reported at all: Wine then takes the mains as online.
    {"no supply at all", [] { return battery::removeBattery() && battery::removeMains(); }, 255, 1, 128},
    {"full charge 0", [] { return battery::setLevel(73) && battery::write(L"charge_full", "0"); }, 100, 0, 1},
    {"full charge missing", [] { return battery::setLevel(73) && battery::remove(L"charge_full"); }, 100, 0, 1},
    {"charge missing", [] { return battery::remove(L"charge_now"); }, 0, 0, 6},
    {"voltage missing", [] { return battery::setLevel(73) && battery::remove(L"voltage_now"); }, 100, 0, 1},
    {"status missing", [] { return battery::remove(L"status"); }, 255, 0, 128},
};

class FakedBatteryTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(battery::restore()); }
    void TearDown() override { EXPECT_TRUE(battery::restore()); }
};

// What the program's power-status call is built on, read in this process.
TEST_F(FakedBatteryTest, WineReportsWhatTheFilesHold)
{
    for (const SReport& report : kReports)
    {
        SCOPED_TRACE(report.pszName);
        ASSERT_TRUE(battery::restore());
        ASSERT_TRUE(report.apply());
        SYSTEM_POWER_STATUS sps;
        memset(&sps, 0xbd, sizeof sps);
        ASSERT_TRUE(GetSystemPowerStatus(&sps));
        EXPECT_EQ(report.byPercent, sps.BatteryLifePercent);
        EXPECT_EQ(report.byACLine, sps.ACLineStatus);
        EXPECT_EQ(report.byFlag, sps.BatteryFlag);
    }
}

// The energy files, which other battery readers use, agree with the charge.
TEST_F(FakedBatteryTest, ChargeAndEnergyAgreeAtEveryLevel)
{
    EXPECT_EQ(std::to_string(battery::kChargeFull * battery::kVoltage / 1000000), battery::read(L"energy_full"));
    for (unsigned nPercent : {0u, 1u, 73u, 100u, 120u})
    {
        SCOPED_TRACE(nPercent);
        ASSERT_TRUE(battery::setLevel(nPercent));
        const long long nCharge = std::stoll(battery::read(L"charge_now"));
        EXPECT_EQ(battery::kChargeFull * nPercent / 100, nCharge);
        EXPECT_EQ(std::to_string(nCharge * battery::kVoltage / 1000000), battery::read(L"energy_now"));
    }
}

using LevelTest = CProgramTest;

// After the dialog has moved the line (another edge or style), waits for the
// line at nPercent and paints the screen over: a draw under the old settings
// that lands after the dialog's erase would otherwise stay on the old edge.
void settle(DWORD dwPosition, unsigned nPercent, bool bDotted)
{
    CScreenShot shot;
    ASSERT_TRUE(waitForLine(shot, dwPosition, nPercent, bDotted))
        << kEdgeNames[dwPosition] << " at " << nPercent << " %: " << levelline::describe(shot, kLine);
    screen::fill(kGround);
}

// Lengths at the levels where the rounding or the edge's end matters: none,
// a single pixel, half, the usual reading, just short of full, full, and more
// than full, which must light the whole edge and nothing past it.
class LengthTest : public LevelTest, public testing::WithParamInterface<bool>
{
};

TEST_P(LengthTest, EveryEdgeLightsItsShareOfTheLevel)
{
    const bool bDotted = GetParam();
    storeDisplay(kTop);
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    if (bDotted)
        program.click(IDC_DOTTED);
    unsigned nCurrent = 100;
    for (DWORD dwPosition : {kTop, kBottom, kLeft, kRight})
    {
        program.selectPosition(static_cast<int>(dwPosition));
        settle(dwPosition, nCurrent, bDotted);
        if (HasFatalFailure())
            return;
        for (unsigned nPercent : {0u, 1u, 50u, 73u, 99u, 100u, 120u})
        {
            SCOPED_TRACE(testing::Message() << kEdgeNames[dwPosition] << " at " << nPercent << " %");
            ASSERT_TRUE(battery::setLevel(nPercent));
            CScreenShot shot;
            EXPECT_TRUE(waitForLine(shot, dwPosition, nPercent, bDotted)) << levelline::describe(shot, kLine);
            ASSERT_TRUE(program.running());
            nCurrent = nPercent;
        }
    }
    program.click(IDC_EXIT);
    expectEndedCleanly(program);
}

INSTANTIATE_TEST_SUITE_P(Styles, LengthTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Dotted" : "Solid"; });

// A level that changes while the line is up: at the next cycle the edge is
// erased and the line drawn at the new length, the pixels past it black.
struct SChange
{
    const char* pszName;
    unsigned nFrom;
    unsigned nTo;
    DWORD dwPosition;
    bool bDotted;
};

void PrintTo(const SChange& change, std::ostream* pStream) { *pStream << change.pszName; }

class LevelChangeTest : public LevelTest, public testing::WithParamInterface<SChange>
{
};

TEST_P(LevelChangeTest, TheLineFollowsWithinACycle)
{
    const SChange& change = GetParam();
    storeDisplay(change.dwPosition);
    registry::writeDword(L"Dot", change.bDotted ? 1 : 0);
    ASSERT_TRUE(battery::setLevel(change.nFrom));
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    CScreenShot shot;
    ASSERT_TRUE(waitForLine(shot, change.dwPosition, change.nFrom, change.bDotted))
        << "before: " << levelline::describe(shot, kLine);

    ASSERT_TRUE(battery::setLevel(change.nTo));
    EXPECT_TRUE(waitForLine(shot, change.dwPosition, change.nTo, change.bDotted, true))
        << "after: " << levelline::describe(shot, kLine);
    program.click(IDC_EXIT);
    expectEndedCleanly(program);
}

INSTANTIATE_TEST_SUITE_P(Changes, LevelChangeTest,
                         testing::Values(SChange{"FallsSolidBottom", 80, 30, kBottom, false},
                                         SChange{"RisesSolidRight", 30, 80, kRight, false},
                                         SChange{"FallsDottedLeft", 100, 1, kLeft, true},
                                         SChange{"RisesDottedTop", 0, 99, kTop, true},
                                         SChange{"EmptiesSolidTop", 50, 0, kTop, false}),
                         [](const testing::TestParamInfo<SChange>& info) { return info.param.pszName; });

// Blinking: the erased half blacks the whole edge, the shown half draws the
// new length; once the new line has shown, no half draws the old one.
TEST_F(LevelTest, BlinkingHalvesFollowTheNewLevel)
{
    storeDisplay(kBottom, 600);
    registry::writeDword(L"Blink", 1);
    ASSERT_TRUE(battery::setLevel(90));
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    CScreenShot shot;
    ASSERT_TRUE(waitForLine(shot, kBottom, 90, false)) << levelline::describe(shot, kLine);

    ASSERT_TRUE(battery::setLevel(40));
    enum class EHalf { none, shown, erased } last = EHalf::none;
    int nSwitches = 0;
    std::string strStray;
    waitUntil(
        [&] {
            shot = CScreenShot::capture();
            const bool bShown =
                levelline::shows(shot, kBottom, 40, false, kLine) && levelline::restIsBlack(shot, kBottom, 40, false);
            const bool bErased =
                levelline::shows(shot, kBottom, 0, false, kLine) && levelline::restIsBlack(shot, kBottom, 0, false);
            if (last == EHalf::none && !bShown)
                return false;
            if (!bShown && !bErased)
            {
                strStray = levelline::describe(shot, kLine);
                return true;
            }
            const EHalf now = bShown ? EHalf::shown : EHalf::erased;
            nSwitches += now != last && last != EHalf::none ? 1 : 0;
            last = now;
            return nSwitches >= 4;
        },
        15000);
    EXPECT_EQ("", strStray) << "a half drew neither the new line nor a black edge";
    EXPECT_GE(nSwitches, 4) << "the new line did not blink";
    program.click(IDC_EXIT);
    expectEndedCleanly(program);
}

// Each odd battery drawn as Wine reports it: an unknown level (255) lights the
// whole edge like a full one, a missing charge nothing; in between, a plain
// reading shows that the program still cycles.
TEST_F(LevelTest, OddBatteriesAreDrawnAsReported)
{
    storeDisplay(kBottom);
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    for (const SReport& report : kReports)
    {
        SCOPED_TRACE(report.pszName);
        CScreenShot shot;
        ASSERT_TRUE(battery::restore() && battery::setLevel(30));
        ASSERT_TRUE(waitForLine(shot, kBottom, 30, false, true)) << levelline::describe(shot, kLine);
        ASSERT_TRUE(report.apply());
        EXPECT_TRUE(waitForLine(shot, kBottom, report.byPercent, false, true)) << levelline::describe(shot, kLine);
    }
    ASSERT_TRUE(battery::restore() && battery::setLevel(30));
    CScreenShot shot;
    EXPECT_TRUE(waitForLine(shot, kBottom, 30, false, true)) << levelline::describe(shot, kLine);
    program.click(IDC_EXIT);
    expectEndedCleanly(program);
}

} // namespace
