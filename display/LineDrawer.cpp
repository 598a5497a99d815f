#include "display/LineDrawer.h"

#include "display/GdiGuards.h"
#include "display/LinePoints.h"
#include "settings/Config.h"

CLineDrawer* g_pLineDrawer = nullptr;
COLORREF g_acrCustColors[16] = {};

namespace {

// One drawing operation: holds the drawer's lock and, once it is let go,
// reports a missing device context, so that the box never keeps the other
// thread from drawing while it waits for the user.
class CDrawing
{
public:
    CDrawing(std::mutex& rmtx, const HDC& rhdc) : m_lock(rmtx), m_rhdc(rhdc) {}
    ~CDrawing()
    {
        const bool bNoDC = m_rhdc == nullptr;
        m_lock.unlock();
        if (bNoDC)
            MessageBoxW(nullptr, L"No hDC", L"Error", MB_OK);
    }
    CDrawing(const CDrawing&) = delete;
    CDrawing& operator=(const CDrawing&) = delete;

private:
    std::unique_lock<std::mutex> m_lock;
    // The context that the operation acquires: null when the screen had none.
    const HDC& m_rhdc;
};

int screenWidth(HDC hdc) { return GetDeviceCaps(hdc, HORZRES); }
int screenHeight(HDC hdc) { return GetDeviceCaps(hdc, VERTRES); }

} // namespace

CLineDrawer::CLineDrawer() : m_cc(), m_sps() {}

CLineDrawer::~CLineDrawer() = default;

void CLineDrawer::acquireDC() { m_hdc = GetDC(nullptr); }

BYTE CLineDrawer::readLevelLocked()
{
    GetSystemPowerStatusEx2(&m_sps, sizeof m_sps, FALSE);
    m_byLevel = m_sps.BatteryLifePercent;
    return m_byLevel;
}

BYTE CLineDrawer::readLevel()
{
    std::lock_guard<std::mutex> lock(m_mtxDraw);
    return readLevelLocked();
}

void CLineDrawer::computeLevelPoints()
{
    const DWORD dwPosition = g_pConfig->getPosition();
    const int nWidth = screenWidth(m_hdc);
    const int nHeight = screenHeight(m_hdc);
    edgeSegment(dwPosition, nWidth, nHeight, levelLength(edgeLength(dwPosition, nWidth, nHeight), m_byLevel),
                m_apt);
}

void CLineDrawer::computeEdgePoints()
{
    const DWORD dwPosition = g_pConfig->getPosition();
    const int nWidth = screenWidth(m_hdc);
    const int nHeight = screenHeight(m_hdc);
    edgeSegment(dwPosition, nWidth, nHeight, edgeLength(dwPosition, nWidth, nHeight), m_apt);
}

void CLineDrawer::strokeSegment(COLORREF crColour)
{
    CSolidPen pen(crColour);
    CSelection selection(m_hdc, pen.get());
    Polyline(m_hdc, m_apt, 2);
}

void CLineDrawer::waitForScreen()
{
    // Reading a pixel back returns only once the drawing has reached the
    // screen: a display server may otherwise let the drawing of one thread
    // land after a later erase made by another.
    if (m_hdc != nullptr)
        GetPixel(m_hdc, 0, 0);
}

void CLineDrawer::drawLine(COLORREF crColour)
{
    CDrawing drawing(m_mtxDraw, m_hdc);
    acquireDC();
    CScreenDC dc(m_hdc);
    readLevelLocked();
    computeLevelPoints();
    strokeSegment(crColour);
    waitForScreen();
}

void CLineDrawer::erase()
{
    CDrawing drawing(m_mtxDraw, m_hdc);
    acquireDC();
    CScreenDC dc(m_hdc);
    computeEdgePoints();
    strokeSegment(RGB(0, 0, 0));
    waitForScreen();
}

void CLineDrawer::drawDotted(COLORREF crColour)
{
    CDrawing drawing(m_mtxDraw, m_hdc);
    const DWORD dwPosition = g_pConfig->getPosition();
    acquireDC();
    CScreenDC dc(m_hdc);
    readLevelLocked();
    if (!isKnownPosition(dwPosition))
        return;
    // The screen's size once per drawing, as the solid line asks it: a
    // screen that turns is seen at the next one.
    const int nWidth = screenWidth(m_hdc);
    const int nHeight = screenHeight(m_hdc);
    const int nLength = visibleLevelLength(edgeLength(dwPosition, nWidth, nHeight), m_byLevel);
    for (int i = 0; i < nLength; i += 2)
    {
        const POINT pt = edgePixel(dwPosition, nWidth, nHeight, i);
        SetPixel(m_hdc, pt.x, pt.y, crColour);
    }
    waitForScreen();
}

COLORREF CLineDrawer::chooseColour()
{
    m_cc = CHOOSECOLORW();
    m_cc.lStructSize = sizeof m_cc;
    m_cc.hwndOwner = nullptr;
    m_cc.hInstance = nullptr;
    m_cc.rgbResult = g_crColour;
    m_cc.lpCustColors = g_acrCustColors;
    m_cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
    ChooseColorW(&m_cc);
    // Confirmed or cancelled alike: a cancelled chooser leaves the colour it
    // was primed with.
    g_crColour = m_cc.rgbResult;
    return m_cc.rgbResult;
}
