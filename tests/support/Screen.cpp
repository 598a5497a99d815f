#include "tests/support/Screen.h"

namespace {

// The screen as the tests read it back.
class CProbeDC
{
public:
    CProbeDC() : m_hdc(GetDC(nullptr)) {}
    ~CProbeDC() { ReleaseDC(nullptr, m_hdc); }
    CProbeDC(const CProbeDC&) = delete;
    CProbeDC& operator=(const CProbeDC&) = delete;
    operator HDC() const { return m_hdc; }

private:
    HDC m_hdc;
};

} // namespace

namespace screen {

int width()
{
    CProbeDC dc;
    return GetDeviceCaps(dc, HORZRES);
}

int height()
{
    CProbeDC dc;
    return GetDeviceCaps(dc, VERTRES);
}

void fill(COLORREF crColour)
{
    CProbeDC dc;
    HBRUSH hBrush = CreateSolidBrush(crColour);
    RECT rc{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    FillRect(dc, &rc, hBrush);
    DeleteObject(hBrush);
    // Reading back waits for the fill to reach the screen; left in this
    // thread's buffer it could land over what the program draws afterwards.
    GetPixel(dc, 0, 0);
}

COLORREF pixel(int x, int y)
{
    CProbeDC dc;
    return GetPixel(dc, x, y);
}

void setPixel(int x, int y, COLORREF crColour)
{
    CProbeDC dc;
    SetPixel(dc, x, y, crColour);
}

std::vector<COLORREF> edge(DWORD dwPosition)
{
    CProbeDC dc;
    const int nWidth = GetDeviceCaps(dc, HORZRES);
    const int nHeight = GetDeviceCaps(dc, VERTRES);
    const bool bHorizontal = dwPosition < 2;
    const int nLength = bHorizontal ? nWidth : nHeight;
    std::vector<COLORREF> pixels(static_cast<size_t>(nLength));
    for (int i = 0; i < nLength; ++i)
    {
        const int x = dwPosition == 0 || dwPosition == 1 ? i : (dwPosition == 2 ? 0 : nWidth - 1);
        const int y = dwPosition == 0 ? 0 : (dwPosition == 1 ? nHeight - 1 : i);
        pixels[static_cast<size_t>(i)] = GetPixel(dc, bHorizontal ? i : x, bHorizontal ? y : i);
    }
    return pixels;
}

int leadingRun(const std::vector<COLORREF>& pixels, COLORREF crColour)
{
    int n = 0;
    while (n < static_cast<int>(pixels.size()) && pixels[static_cast<size_t>(n)] == crColour)
        ++n;
    return n;
}

} // namespace screen
