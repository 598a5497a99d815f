#include "tests/support/ScreenShot.h"

#include <algorithm>
#include <cstdio>

namespace {

DWORD crc32(const BYTE* pb, size_t cb, DWORD dwCrc = 0)
{
    dwCrc = ~dwCrc;
    for (size_t i = 0; i < cb; ++i)
    {
        dwCrc ^= pb[i];
        for (int bit = 0; bit < 8; ++bit)
            dwCrc = (dwCrc >> 1) ^ (0xEDB88320u & (0u - (dwCrc & 1)));
    }
    return ~dwCrc;
}

void appendBigEndian(std::vector<BYTE>& out, DWORD dw)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<BYTE>(dw >> shift));
}

void appendChunk(std::vector<BYTE>& out, const char (&type)[5], const std::vector<BYTE>& data)
{
    appendBigEndian(out, static_cast<DWORD>(data.size()));
    std::vector<BYTE> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    appendBigEndian(out, crc32(typed.data(), typed.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<BYTE> zlibStored(const std::vector<BYTE>& raw)
{
    std::vector<BYTE> out{0x78, 0x01};
    size_t cb = 0;
    do
    {
        const size_t cbBlock = std::min<size_t>(raw.size() - cb, 0xFFFF);
        out.push_back(cb + cbBlock == raw.size() ? 1 : 0);
        out.push_back(static_cast<BYTE>(cbBlock));
        out.push_back(static_cast<BYTE>(cbBlock >> 8));
        out.push_back(static_cast<BYTE>(~cbBlock));
        out.push_back(static_cast<BYTE>(~cbBlock >> 8));
        out.insert(out.end(), raw.begin() + cb, raw.begin() + cb + cbBlock);
        cb += cbBlock;
    } while (cb < raw.size());
    DWORD a = 1, b = 0;
    for (BYTE byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    appendBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

CScreenShot CScreenShot::capture()
{
    CScreenShot shot;
    HDC hdcScreen = GetDC(nullptr);
    shot.m_cx = GetDeviceCaps(hdcScreen, HORZRES);
    shot.m_cy = GetDeviceCaps(hdcScreen, VERTRES);

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = shot.m_cx;
    bmi.bmiHeader.biHeight = -shot.m_cy; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pvBits = nullptr;
    HBITMAP hbm = CreateDIBSection(hdcScreen, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0);
    HDC hdcMem = CreateCompatibleDC(hdcScreen);
    HGDIOBJ hOld = SelectObject(hdcMem, hbm);
    BitBlt(hdcMem, 0, 0, shot.m_cx, shot.m_cy, hdcScreen, 0, 0, SRCCOPY);
    GdiFlush();

    const int cbRow = (shot.m_cx * 3 + 3) & ~3;
    const BYTE* pbBits = static_cast<const BYTE*>(pvBits);
    for (int y = 0; y < shot.m_cy; ++y)
        for (int x = 0; x < shot.m_cx; ++x)
        {
            const BYTE* pbBgr = pbBits + y * cbRow + 3 * x;
            shot.m_rgb.insert(shot.m_rgb.end(), {pbBgr[2], pbBgr[1], pbBgr[0]});
        }

    SelectObject(hdcMem, hOld);
    DeleteDC(hdcMem);
    DeleteObject(hbm);
    ReleaseDC(nullptr, hdcScreen);
    return shot;
}

COLORREF CScreenShot::pixel(int x, int y) const
{
    const BYTE* pb = &m_rgb[3 * (static_cast<size_t>(y) * m_cx + x)];
    return RGB(pb[0], pb[1], pb[2]);
}

bool CScreenShot::contains(const RECT& rc, COLORREF cr) const
{
    for (int y = std::max<LONG>(rc.top, 0); y < std::min<LONG>(rc.bottom, m_cy); ++y)
        for (int x = std::max<LONG>(rc.left, 0); x < std::min<LONG>(rc.right, m_cx); ++x)
            if (pixel(x, y) == cr)
                return true;
    return false;
}

bool CScreenShot::writePng(const std::wstring& strPath) const
{
    std::vector<BYTE> header;
    appendBigEndian(header, m_cx);
    appendBigEndian(header, m_cy);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, no interlace

    std::vector<BYTE> raw;
    for (int y = 0; y < m_cy; ++y)
    {
        raw.push_back(0); // no filter
        raw.insert(raw.end(), m_rgb.begin() + 3 * y * m_cx, m_rgb.begin() + 3 * (y + 1) * m_cx);
    }

    std::vector<BYTE> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", zlibStored(raw));
    appendChunk(png, "IEND", {});

    FILE* pFile = _wfopen(strPath.c_str(), L"wb");
    if (!pFile)
        return false;
    const bool bWritten = fwrite(png.data(), 1, png.size(), pFile) == png.size();
    return fclose(pFile) == 0 && bWritten;
}
