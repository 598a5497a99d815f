// Small owners for the GDI resources of one drawing operation, so that each
// is given back on every path, in the reverse order of taking.
#pragma once
#include <windows.h>

// The screen's device context, got by the operation and released by it.
class CScreenDC
{
public:
    explicit CScreenDC(HDC& rhdc) : m_rhdc(rhdc) {}
    ~CScreenDC()
    {
        if (m_rhdc != nullptr)
            ReleaseDC(nullptr, m_rhdc);
    }
    CScreenDC(const CScreenDC&) = delete;
    CScreenDC& operator=(const CScreenDC&) = delete;

private:
    HDC& m_rhdc;
};

// A solid pen one pixel wide.
class CSolidPen
{
public:
    explicit CSolidPen(COLORREF crColour) : m_hPen(CreatePen(PS_SOLID, 1, crColour)) {}
    ~CSolidPen()
    {
        if (m_hPen != nullptr)
            DeleteObject(m_hPen);
    }
    CSolidPen(const CSolidPen&) = delete;
    CSolidPen& operator=(const CSolidPen&) = delete;
    HPEN get() const { return m_hPen; }

private:
    HPEN m_hPen;
};

// Selects an object into a context and puts the previous one back.
class CSelection
{
public:
    CSelection(HDC hdc, HGDIOBJ hObject) : m_hdc(hdc), m_hPrevious(SelectObject(hdc, hObject)) {}
    ~CSelection()
    {
        if (m_hPrevious != nullptr)
            SelectObject(m_hdc, m_hPrevious);
    }
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_hPrevious;
};
