// Reading the real screen back pixel by pixel.
#pragma once
#include <windows.h>

#include <vector>

namespace screen {

int width();
int height();
// Paints the whole screen in one colour, so that what a test draws stands out.
void fill(COLORREF crColour);
COLORREF pixel(int x, int y);
void setPixel(int x, int y, COLORREF crColour);
// The pixels of an edge (0 top, 1 bottom, 2 left, 3 right), from its top or
// left end.
std::vector<COLORREF> edge(DWORD dwPosition);
// Number of leading pixels of `pixels` equal to crColour.
int leadingRun(const std::vector<COLORREF>& pixels, COLORREF crColour);

} // namespace screen
