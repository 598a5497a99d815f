#include <gtest/gtest.h>

#include "display/LinePoints.h"

namespace {

struct LevelCase
{
    int nEdge;
    BYTE byLevel;
    int nExpected;
};

TEST(LevelLength, TruncatesTheShareOfTheEdge)
{
    const LevelCase aCases[] = {
        {240, 73, 175}, {320, 73, 233}, {240, 0, 0},     {240, 1, 2},
        {240, 99, 237}, {240, 100, 240}, {320, 100, 320}, {240, 255, 612},
    };
    for (const LevelCase& c : aCases)
        EXPECT_EQ(c.nExpected, levelLength(c.nEdge, c.byLevel)) << c.nEdge << " px at " << int(c.byLevel) << " %";
}

TEST(LevelLength, DottedRunStopsAtTheEndOfTheEdge)
{
    EXPECT_EQ(175, visibleLevelLength(240, 73));
    EXPECT_EQ(240, visibleLevelLength(240, 100));
    EXPECT_EQ(240, visibleLevelLength(240, 255));
    EXPECT_EQ(320, visibleLevelLength(320, 101));
}

struct SegmentCase
{
    DWORD dwPosition;
    int nLength;
    POINT ptFirst;
    POINT ptSecond;
};

TEST(EdgeSegment, StartsAtTheTopOrLeftEndOfEachEdge)
{
    const SegmentCase aCases[] = {
        {kPositionTop, 175, {0, 0}, {175, 0}},
        {kPositionBottom, 175, {0, 319}, {175, 319}},
        {kPositionLeft, 233, {0, 0}, {0, 233}},
        {kPositionRight, 233, {239, 0}, {239, 233}},
        {kPositionTop, 240, {0, 0}, {240, 0}},
        {kPositionRight, 320, {239, 0}, {239, 320}},
    };
    for (const SegmentCase& c : aCases)
    {
        POINT apt[2] = {{-5, -5}, {-5, -5}};
        edgeSegment(c.dwPosition, 240, 320, c.nLength, apt);
        EXPECT_EQ(c.ptFirst.x, apt[0].x) << "position " << c.dwPosition;
        EXPECT_EQ(c.ptFirst.y, apt[0].y) << "position " << c.dwPosition;
        EXPECT_EQ(c.ptSecond.x, apt[1].x) << "position " << c.dwPosition;
        EXPECT_EQ(c.ptSecond.y, apt[1].y) << "position " << c.dwPosition;
    }
}

TEST(EdgeSegment, UnknownPositionLeavesThePointsAlone)
{
    for (DWORD dwPosition : {4ul, 7ul, 0xFFFFFFFFul})
    {
        POINT apt[2] = {{3, 4}, {5, 6}};
        edgeSegment(dwPosition, 240, 320, 100, apt);
        EXPECT_EQ(3, apt[0].x);
        EXPECT_EQ(4, apt[0].y);
        EXPECT_EQ(5, apt[1].x);
        EXPECT_EQ(6, apt[1].y);
    }
}

} // namespace
