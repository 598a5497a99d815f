// The whole screen read back into memory, and written out as a PNG file so
// that a person can look at what a test showed.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class CScreenShot
{
public:
    // Copies what the screen shows now.
    static CScreenShot capture();

    int width() const { return m_cx; }
    int height() const { return m_cy; }
    COLORREF pixel(int x, int y) const;
    // Whether any pixel of the rectangle (screen coordinates) has colour cr.
    bool contains(const RECT& rc, COLORREF cr) const;
    // An uncompressed PNG (stored deflate blocks): no codec needed.
    bool writePng(const std::wstring& strPath) const;

private:
    int m_cx = 0;
    int m_cy = 0;
    std::vector<BYTE> m_rgb; // 3 bytes a pixel, red first, rows top-down
};
