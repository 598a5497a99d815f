#include "tests/display/CallLog.h"

#include <atomic>
#include <mutex>

#include "tests/support/FakePower.h"

namespace {

std::mutex g_mtxLog;
std::vector<std::string> g_events;
std::atomic<bool> g_bRecording{false};
std::atomic<DWORD> g_dwSilentThread{0};

bool recording() { return g_bRecording && GetCurrentThreadId() != g_dwSilentThread; }

void record(std::string strEvent)
{
    std::lock_guard<std::mutex> lock(g_mtxLog);
    // A dotted line is one run of pixels, however long.
    if (strEvent == "dots" && !g_events.empty() && g_events.back() == "dots")
        return;
    g_events.push_back(std::move(strEvent));
}

void recordReading()
{
    if (recording())
        record("battery");
}

template <typename Proc>
Proc real(const wchar_t* pszModule, const char* pszName)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(pszModule), pszName)));
}

void WINAPI recordSleep(DWORD dwMs)
{
    if (recording())
        record("sleep " + std::to_string(dwMs));
    static const auto realSleep = real<void(WINAPI*)(DWORD)>(L"kernel32.dll", "Sleep");
    realSleep(dwMs);
}

LONG WINAPI recordQuery(HKEY hKey, LPCWSTR pszName, LPDWORD pdwReserved, LPDWORD pdwType, LPBYTE pbData,
                        LPDWORD pcbData)
{
    if (recording())
    {
        std::string strName;
        for (const wchar_t* p = pszName; p != nullptr && *p != L'\0'; ++p)
            strName += static_cast<char>(*p);
        record("read " + strName);
    }
    static const auto realQuery =
        real<LONG(WINAPI*)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD)>(L"advapi32.dll", "RegQueryValueExW");
    return realQuery(hKey, pszName, pdwReserved, pdwType, pbData, pcbData);
}

BOOL WINAPI recordPolyline(HDC hdc, const POINT* apt, int nCount)
{
    if (recording())
    {
        LOGPEN pen{};
        GetObjectW(GetCurrentObject(hdc, OBJ_PEN), sizeof pen, &pen);
        record(pen.lopnColor == RGB(0, 0, 0) ? "erase" : "line");
    }
    static const auto realPolyline = real<BOOL(WINAPI*)(HDC, const POINT*, int)>(L"gdi32.dll", "Polyline");
    return realPolyline(hdc, apt, nCount);
}

COLORREF WINAPI recordSetPixel(HDC hdc, int x, int y, COLORREF crColour)
{
    if (recording())
        record("dots");
    static const auto realSetPixel = real<COLORREF(WINAPI*)(HDC, int, int, COLORREF)>(L"gdi32.dll", "SetPixel");
    return realSetPixel(hdc, x, y, crColour);
}

} // namespace

extern "C" {
void(WINAPI* __imp_Sleep)(DWORD) = recordSleep;
LONG(WINAPI* __imp_RegQueryValueExW)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) = recordQuery;
BOOL(WINAPI* __imp_Polyline)(HDC, const POINT*, int) = recordPolyline;
COLORREF(WINAPI* __imp_SetPixel)(HDC, int, int, COLORREF) = recordSetPixel;
}

namespace calllog {

void start()
{
    {
        std::lock_guard<std::mutex> lock(g_mtxLog);
        g_events.clear();
    }
    g_dwSilentThread = GetCurrentThreadId();
    fakepower::setObserver(recordReading);
    g_bRecording = true;
}

void stop()
{
    g_bRecording = false;
    fakepower::setObserver(nullptr);
}

std::vector<std::string> events()
{
    std::lock_guard<std::mutex> lock(g_mtxLog);
    return g_events;
}

} // namespace calllog
