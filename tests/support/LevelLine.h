// What a level line must look like on the screen, worked out apart from the
// program's own arithmetic, and a screenshot compared with it.
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/ScreenShot.h"

namespace levelline {

enum : DWORD { kTop, kBottom, kLeft, kRight };

// Pixels lit from the start of an edge nEdge long at nPercent: nEdge × nPercent
// ÷ 100 rounded down, never more than the edge has.
int litLength(int nEdge, unsigned nPercent);
int edgeLength(const CScreenShot& shot, DWORD dwPosition);
// Pixel i of an edge, from its top or left end.
COLORREF edgePixel(const CScreenShot& shot, DWORD dwPosition, int i);

// The pixels of the four edges in crLine are exactly those of the line of
// nPercent on dwPosition: the first litLength of that edge, every other one
// when dotted, and nothing else on any edge.
bool shows(const CScreenShot& shot, DWORD dwPosition, unsigned nPercent, bool bDotted, COLORREF crLine);
// The pixels of dwPosition that such a line leaves unlit are black, as an
// erase leaves them.
bool restIsBlack(const CScreenShot& shot, DWORD dwPosition, unsigned nPercent, bool bDotted);
// Where the edges show crLine, for a failure message ("top: 175 px in 1 run
// from 0 to 174; bottom: none; ...").
std::string describe(const CScreenShot& shot, COLORREF crLine);

} // namespace levelline
