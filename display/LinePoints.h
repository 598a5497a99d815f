// The arithmetic of the level line: plain functions of the screen size, the
// edge and the level, kept apart from the device context.
#pragma once
#include <windows.h>

enum : DWORD
{
    kPositionTop = 0,
    kPositionBottom = 1,
    kPositionLeft = 2,
    kPositionRight = 3,
};

// Pixels lit by a line for `byLevel` percent of an edge `nEdge` pixels long;
// the level is taken as it comes, so 255 (unknown) runs past the edge.
inline int levelLength(int nEdge, BYTE byLevel)
{
    return static_cast<int>(static_cast<long long>(nEdge) * byLevel / 100);
}

// Pixels of the level line that lie on the screen: a level above 100 (255
// when unknown) would otherwise have the dotted line set pixels off the edge,
// one platform call each, to no effect.
inline int visibleLevelLength(int nEdge, BYTE byLevel)
{
    const int nLength = levelLength(nEdge, byLevel);
    return nLength < nEdge ? nLength : nEdge;
}

inline bool isKnownPosition(DWORD dwPosition) { return dwPosition <= kPositionRight; }

// Length of the edge named by dwPosition on a W x H screen.
inline int edgeLength(DWORD dwPosition, int nWidth, int nHeight)
{
    return dwPosition == kPositionTop || dwPosition == kPositionBottom ? nWidth : nHeight;
}

// The n-th pixel of an edge, counted from its top or left end.
inline POINT edgePixel(DWORD dwPosition, int nWidth, int nHeight, int n)
{
    switch (dwPosition)
    {
    case kPositionTop: return POINT{n, 0};
    case kPositionBottom: return POINT{n, nHeight - 1};
    case kPositionLeft: return POINT{0, n};
    default: return POINT{nWidth - 1, n};
    }
}

// End points of a line lighting `nLength` pixels of the edge from its start
// (the second point is left out by the platform's line drawing). A position
// outside 0 to 3 leaves apt as it was.
inline void edgeSegment(DWORD dwPosition, int nWidth, int nHeight, int nLength, POINT (&apt)[2])
{
    if (!isKnownPosition(dwPosition))
        return;
    apt[0] = edgePixel(dwPosition, nWidth, nHeight, 0);
    apt[1] = edgePixel(dwPosition, nWidth, nHeight, nLength);
}
