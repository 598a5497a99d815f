#include "tests/support/LevelLine.h"

namespace levelline {

namespace {

POINT edgePoint(const CScreenShot& shot, DWORD dwPosition, int i)
{
    switch (dwPosition)
    {
    case kTop: return POINT{i, 0};
    case kBottom: return POINT{i, shot.height() - 1};
    case kLeft: return POINT{0, i};
    default: return POINT{shot.width() - 1, i};
    }
}

// Whether the line lights pixel pt of the screen, which may lie on any edge
// (the corners belong to two).
bool lights(const CScreenShot& shot, DWORD dwPosition, unsigned nPercent, bool bDotted, POINT pt)
{
    int i = -1;
    switch (dwPosition)
    {
    case kTop: i = pt.y == 0 ? pt.x : -1; break;
    case kBottom: i = pt.y == shot.height() - 1 ? pt.x : -1; break;
    case kLeft: i = pt.x == 0 ? pt.y : -1; break;
    default: i = pt.x == shot.width() - 1 ? pt.y : -1; break;
    }
    return i >= 0 && i < litLength(edgeLength(shot, dwPosition), nPercent) && (!bDotted || i % 2 == 0);
}

} // namespace

int litLength(int nEdge, unsigned nPercent)
{
    const long long nLength = static_cast<long long>(nEdge) * nPercent / 100;
    return nLength < nEdge ? static_cast<int>(nLength) : nEdge;
}

int edgeLength(const CScreenShot& shot, DWORD dwPosition)
{
    return dwPosition == kTop || dwPosition == kBottom ? shot.width() : shot.height();
}

COLORREF edgePixel(const CScreenShot& shot, DWORD dwPosition, int i)
{
    const POINT pt = edgePoint(shot, dwPosition, i);
    return shot.pixel(pt.x, pt.y);
}

bool shows(const CScreenShot& shot, DWORD dwPosition, unsigned nPercent, bool bDotted, COLORREF crLine)
{
    for (DWORD dwEdge = kTop; dwEdge <= kRight; ++dwEdge)
    {
        for (int i = 0; i < edgeLength(shot, dwEdge); ++i)
        {
            const POINT pt = edgePoint(shot, dwEdge, i);
            if ((shot.pixel(pt.x, pt.y) == crLine) != lights(shot, dwPosition, nPercent, bDotted, pt))
                return false;
        }
    }
    return true;
}

bool restIsBlack(const CScreenShot& shot, DWORD dwPosition, unsigned nPercent, bool bDotted)
{
    for (int i = 0; i < edgeLength(shot, dwPosition); ++i)
    {
        const POINT pt = edgePoint(shot, dwPosition, i);
        if (!lights(shot, dwPosition, nPercent, bDotted, pt) && shot.pixel(pt.x, pt.y) != RGB(0, 0, 0))
            return false;
    }
    return true;
}

std::string describe(const CScreenShot& shot, COLORREF crLine)
{
    static const char* const kNames[] = {"top", "bottom", "left", "right"};
    std::string strText;
    for (DWORD dwEdge = kTop; dwEdge <= kRight; ++dwEdge)
    {
        int nLit = 0, nRuns = 0, nFirst = -1, nLast = -1;
        for (int i = 0; i < edgeLength(shot, dwEdge); ++i)
        {
            if (edgePixel(shot, dwEdge, i) != crLine)
                continue;
            if (nLast != i - 1 || nFirst < 0)
                ++nRuns;
            nFirst = nFirst < 0 ? i : nFirst;
            nLast = i;
            ++nLit;
        }
        strText += std::string(dwEdge == kTop ? "" : "; ") + kNames[dwEdge] + ": ";
        strText += nLit == 0 ? std::string("none")
                             : std::to_string(nLit) + " px in " + std::to_string(nRuns) + " runs from " +
                                   std::to_string(nFirst) + " to " + std::to_string(nLast);
    }
    return strText;
}

} // namespace levelline
