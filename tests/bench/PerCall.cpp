// Where a cycle's time goes: repeats one of the program's own platform calls,
// or one of its drawer's operations, in a loop for as long as it is asked,
// while the caller measures this process, the Wine server and the X server
// from outside. Commands, one a line on the standard input:
//
//   CALL SECONDS     runs CALL again and again for SECONDS; answers
//                    "OK CALL COUNT" once the loop is over
//
// CALL is one of: idle (a sleep, for what runs anyway), read (a store read:
// create-or-open, query, close), caps (GetDeviceCaps on the screen's
// context), dc (GetDC and ReleaseDC), pixel (the read-back GetPixel), battery
// (GetSystemPowerStatusEx2), solid (CLineDrawer::drawLine), dotted
// (CLineDrawer::drawDotted), erase (CLineDrawer::erase). The store and the
// drawer are the program's own, on its own registry key, at the bottom edge.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "display/LineDrawer.h"
#include "platform/PowerStatus.h"
#include "settings/Config.h"

namespace {

const COLORREF kLine = RGB(0, 200, 100);
const DWORD kPositionBottom = 1;

// Calls fn until dwMs have passed; returns how many times it ran.
long repeatFor(DWORD dwMs, const std::function<void()>& fn)
{
    const ULONGLONG ullEnd = GetTickCount64() + dwMs;
    long nCount = 0;
    while (GetTickCount64() < ullEnd)
    {
        fn();
        ++nCount;
    }
    return nCount;
}

} // namespace

int main()
{
    g_pConfig = new CConfig();
    g_pLineDrawer = new CLineDrawer();
    g_pConfig->setPosition(kPositionBottom);
    g_pConfig->setCouleur(kLine);
    // The screen's context, held for the calls that are measured on it alone.
    const HDC hdc = GetDC(nullptr);
    SYSTEM_POWER_STATUS_EX2 sps{};

    const std::map<std::string, std::function<void()>> calls = {
        {"read", [] { g_pConfig->getBlink(); }},
        {"caps", [hdc] { GetDeviceCaps(hdc, HORZRES); }},
        {"dc", [] { ReleaseDC(nullptr, GetDC(nullptr)); }},
        {"pixel", [hdc] { GetPixel(hdc, 0, 0); }},
        {"battery", [&sps] { GetSystemPowerStatusEx2(&sps, sizeof sps, FALSE); }},
        {"solid", [] { g_pLineDrawer->drawLine(kLine); }},
        {"dotted", [] { g_pLineDrawer->drawDotted(kLine); }},
        {"erase", [] { g_pLineDrawer->erase(); }},
    };

    char szLine[128];
    while (std::fgets(szLine, sizeof szLine, stdin) != nullptr)
    {
        char szCall[32] = {};
        double dSeconds = 0;
        if (std::sscanf(szLine, "%31s %lf", szCall, &dSeconds) != 2)
            continue;
        const DWORD dwMs = static_cast<DWORD>(dSeconds * 1000);
        long nCount = 0;
        if (std::strcmp(szCall, "idle") == 0)
        {
            Sleep(dwMs);
        }
        else
        {
            const auto it = calls.find(szCall);
            if (it == calls.end())
            {
                std::printf("ERROR unknown call %s\n", szCall);
                std::fflush(stdout);
                continue;
            }
            nCount = repeatFor(dwMs, it->second);
        }
        std::printf("OK %s %ld\n", szCall, nCount);
        std::fflush(stdout);
    }
    ReleaseDC(nullptr, hdc);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Orvane\\Voltrim");
    return 0;
}
