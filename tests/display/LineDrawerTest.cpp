#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/display/DisplayFixture.h"
#include "tests/support/FakePower.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/Registry.h"
#include "tests/support/Screen.h"

namespace {

const COLORREF kGround = CDisplayTest::kGround;
const COLORREF kLine = RGB(0, 200, 100);
const COLORREF kOther = RGB(250, 240, 5);
const COLORREF kBlack = RGB(0, 0, 0);

class LineDrawerTest : public CDisplayTest
{
protected:
    void SetUp() override
    {
        CDisplayTest::SetUp();
        ASSERT_EQ(240, screen::width());
        ASSERT_EQ(320, screen::height());
    }

    void setPosition(DWORD dwPosition) { registry::writeDword(L"Position", dwPosition); }
};

// What an edge should show after one draw: pixel i lit when i < L, and for a
// dotted line only at even i.
void expectEdge(DWORD dwPosition, int nLit, bool bDotted, COLORREF crLine)
{
    const std::vector<COLORREF> pixels = screen::edge(dwPosition);
    int nWrong = 0;
    for (int i = 0; i < static_cast<int>(pixels.size()); ++i)
    {
        const bool bLit = i < nLit && (!bDotted || i % 2 == 0);
        const COLORREF crExpected = bLit ? crLine : kGround;
        if (pixels[static_cast<size_t>(i)] != crExpected && nWrong++ < 3)
            ADD_FAILURE() << "edge " << dwPosition << " pixel " << i << ": " << std::hex
                          << pixels[static_cast<size_t>(i)] << " instead of " << crExpected;
    }
    EXPECT_EQ(0, nWrong) << "wrong pixels on edge " << dwPosition;
}

struct DrawCase
{
    DWORD dwPosition;
    BYTE byLevel;
    bool bDotted;
    int nLit;
};

TEST_F(LineDrawerTest, DrawsTheLevelOnEachEdge)
{
    const DrawCase aCases[] = {
        {0, 73, false, 175}, {1, 73, false, 175}, {2, 73, false, 233}, {3, 73, false, 233},
        {0, 73, true, 175},  {1, 73, true, 175},  {2, 73, true, 233},  {3, 73, true, 233},
        {0, 0, false, 0},    {0, 0, true, 0},     {0, 1, false, 2},    {0, 1, true, 2},
        {0, 99, false, 237}, {0, 100, false, 240}, {3, 100, false, 320}, {1, 100, true, 240},
        // Unknown level: the line runs past the edge and the screen clips it.
        {0, 255, false, 240}, {2, 255, true, 320},
    };
    for (const DrawCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << "edge " << c.dwPosition << ", " << int(c.byLevel) << " %"
                                        << (c.bDotted ? ", dotted" : ""));
        screen::fill(kGround);
        setPosition(c.dwPosition);
        fakepower::setLevel(c.byLevel);
        if (c.bDotted)
            m_pDrawer->drawDotted(kLine);
        else
            m_pDrawer->drawLine(kLine);
        expectEdge(c.dwPosition, c.nLit, c.bDotted, kLine);
        // Nothing lands beside the edge.
        for (DWORD dwOther = 0; dwOther < 4; ++dwOther)
        {
            if (dwOther == c.dwPosition)
                continue;
            const std::vector<COLORREF> pixels = screen::edge(dwOther);
            const int nMiddle = static_cast<int>(pixels.size()) / 2;
            EXPECT_EQ(kGround, pixels[static_cast<size_t>(nMiddle)]) << "edge " << dwOther;
        }
    }
}

TEST_F(LineDrawerTest, ReadLevelReportsTheBatteryAsItIs)
{
    for (BYTE byLevel : {BYTE(0), BYTE(42), BYTE(100), BYTE(255)})
    {
        fakepower::setLevel(byLevel);
        EXPECT_EQ(byLevel, m_pDrawer->readLevel());
    }
}

TEST_F(LineDrawerTest, EraseBlanksTheWholeEdgeAtAnyLevel)
{
    for (DWORD dwPosition = 0; dwPosition < 4; ++dwPosition)
    {
        SCOPED_TRACE(testing::Message() << "edge " << dwPosition);
        screen::fill(kGround);
        setPosition(dwPosition);
        fakepower::setLevel(dwPosition == 0 ? 0 : 30);
        m_pDrawer->erase();
        const std::vector<COLORREF> pixels = screen::edge(dwPosition);
        EXPECT_EQ(static_cast<int>(pixels.size()), screen::leadingRun(pixels, kBlack));
    }
    // Only the edge: the row next to the bottom one keeps the ground.
    EXPECT_EQ(kGround, screen::pixel(100, 318));
}

TEST_F(LineDrawerTest, UnknownPositionFirstDrawsNothing)
{
    setPosition(7);
    fakepower::setLevel(73);
    m_pDrawer->drawLine(kLine);
    m_pDrawer->erase();
    m_pDrawer->drawDotted(kLine);
    for (DWORD dwPosition = 0; dwPosition < 4; ++dwPosition)
        expectEdge(dwPosition, 0, false, kLine);
    EXPECT_EQ(kGround, screen::pixel(0, 0));
}

TEST_F(LineDrawerTest, UnknownPositionReusesTheLastComputedPoints)
{
    setPosition(0);
    fakepower::setLevel(50);
    m_pDrawer->drawLine(kLine);
    expectEdge(0, 120, false, kLine);

    setPosition(9);
    m_pDrawer->drawLine(kOther);
    expectEdge(0, 120, false, kOther);

    m_pDrawer->drawDotted(kLine);
    expectEdge(0, 120, false, kOther);

    m_pDrawer->erase();
    expectEdge(0, 120, false, kBlack);
}

// Erases on one thread and draws on another through the one drawer: no
// operation may draw through end points the other computed, so the edge ends
// either wholly black (an erase last) or with the half-level line on black
// (a draw last).
TEST_F(LineDrawerTest, TwoThreadsNeverMixTheirOperations)
{
    setPosition(0);
    fakepower::setLevel(50);
    m_pDrawer->erase();
    const int kRounds = 2000;
    std::thread eraser([this] {
        for (int i = 0; i < kRounds; ++i)
            m_pDrawer->erase();
    });
    std::thread drawer([this] {
        for (int i = 0; i < kRounds; ++i)
        {
            m_pDrawer->drawLine(kLine);
            // Mixed end points would light the whole edge in the line colour.
            const COLORREF crEnd = screen::pixel(239, 0);
            ASSERT_EQ(kBlack, crEnd) << "a draw went past its level at round " << i;
        }
    });
    eraser.join();
    drawer.join();

    const std::vector<COLORREF> pixels = screen::edge(0);
    const int nLine = screen::leadingRun(pixels, kLine);
    EXPECT_TRUE(nLine == 0 || nLine == 120) << nLine << " pixels in the line colour";
    EXPECT_EQ(240 - nLine, screen::leadingRun(std::vector<COLORREF>(pixels.begin() + nLine, pixels.end()), kBlack));
}

TEST_F(LineDrawerTest, CancelledChooserKeepsTheColour)
{
    g_crColour = RGB(12, 34, 56);
    CModalWatcher watcher(L"Color", IDCANCEL);
    EXPECT_EQ(RGB(12, 34, 56), m_pDrawer->chooseColour());
    EXPECT_EQ(RGB(12, 34, 56), g_crColour.load());
    EXPECT_TRUE(watcher.waitFor(1, 5000)) << "the chooser never appeared";
}

} // namespace
