// Drives one benchmark run of the real program: stores the settings asked
// for, starts Voltrim.exe with the display on, says READY with its process
// id, and waits for a line on its input while the caller measures the
// process from outside. With --latencies it then times, from outside, the
// worker's end after "&Active" is cleared and the first instance's end after a
// second one starts; otherwise it ends the program through "E&xit".
//
//   voltrim_bench PERIOD_MS solid|dotted|blinking|off [--latencies]
//
// Every result is one line "KEY value" on the standard output.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "res/resource.h"
#include "tests/support/ProcessInfo.h"
#include "tests/support/Program.h"
#include "tests/support/Registry.h"
#include "tests/support/Screen.h"

namespace {

const wchar_t kVoltrimExe[] = L"" VOLTRIM_EXE;
const COLORREF kGround = RGB(10, 20, 30);
const COLORREF kLine = RGB(0, 200, 100);

double g_dTicksPerMs = 0;

double nowMs()
{
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return static_cast<double>(li.QuadPart) / g_dTicksPerMs;
}

void say(const char* pszKey, const std::string& strValue)
{
    std::printf("%s %s\n", pszKey, strValue.c_str());
    std::fflush(stdout);
}

void say(const char* pszKey, double dValue)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.1f", dValue);
    say(pszKey, sz);
}

bool lineShown()
{
    for (COLORREF cr : screen::edge(1))
        if (cr == kLine)
            return true;
    return false;
}

// The time from clearing "&Active" to the end of the last worker, seen as the
// process's thread count falling back to the dialog's thread alone.
double timeWorkerEnd(CProgram& program, int nIdleThreads)
{
    const double dStart = nowMs();
    program.click(IDC_ACTIVE);
    if (!waitUntil([&] { return processinfo::threadCount(program.processId()) <= nIdleThreads; }, 10000))
        return -1;
    return nowMs() - dStart;
}

// The time from a second instance's start to the first instance's end.
double timeTakeover(CProgram& first, CProgram& second)
{
    const double dStart = nowMs();
    if (!second.start() || !first.waitForExit(20000))
        return -1;
    return nowMs() - dStart;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: voltrim_bench PERIOD_MS solid|dotted|blinking|off [--latencies]\n");
        return 2;
    }
    LARGE_INTEGER liFrequency;
    QueryPerformanceFrequency(&liFrequency);
    g_dTicksPerMs = static_cast<double>(liFrequency.QuadPart) / 1000.0;

    const DWORD dwPeriod = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    const std::string strStyle = argv[2];
    const bool bLatencies = argc > 3 && std::strcmp(argv[3], "--latencies") == 0;

    registry::deleteKey();
    registry::writeDword(L"Speed", dwPeriod);
    registry::writeDword(L"Couleur", kLine);
    registry::writeDword(L"Position", 1);
    registry::writeDword(L"Blink", strStyle == "blinking" ? 1 : 0);
    registry::writeDword(L"Dot", strStyle == "dotted" ? 1 : 0);
    registry::writeDword(L"Actif", 0);
    screen::fill(kGround);
    // Read back, so that the fill is on the screen before the program draws.
    screen::pixel(0, 0);

    CProgram program(kVoltrimExe);
    if (!program.start() || program.waitForDialog(20000) == nullptr)
    {
        say("ERROR", "no settings dialog");
        return 1;
    }
    const int nIdleThreads = processinfo::threadCount(program.processId());
    if (strStyle != "off")
    {
        program.click(IDC_ACTIVE);
        if (!waitUntil(lineShown, 5000))
            say("WARNING", "no line seen");
    }
    say("READY", std::to_string(program.processId()));

    char szLine[64];
    if (std::fgets(szLine, sizeof szLine, stdin) == nullptr)
        say("WARNING", "input closed early");

    if (bLatencies && strStyle != "off")
    {
        say("STOP_MS", timeWorkerEnd(program, nIdleThreads));
        // On again, some cycles in, then a second instance takes over.
        program.click(IDC_ACTIVE);
        waitUntil(lineShown, 5000);
        Sleep(dwPeriod * 2 + 300);
        CProgram second(kVoltrimExe);
        say("TAKEOVER_MS", timeTakeover(program, second));
        DWORD dwExitCode = 1;
        program.waitForExit(0, &dwExitCode);
        say("FIRST_EXIT_CODE", std::to_string(dwExitCode));
        if (second.waitForDialog(20000) != nullptr)
            second.click(IDC_EXIT);
        dwExitCode = 1;
        second.waitForExit(10000, &dwExitCode);
        say("EXIT_CODE", std::to_string(dwExitCode));
    }
    else
    {
        program.click(IDC_EXIT);
        DWORD dwExitCode = 1;
        program.waitForExit(10000, &dwExitCode);
        say("EXIT_CODE", std::to_string(dwExitCode));
    }
    registry::deleteKey();
    say("DONE", "");
    return 0;
}
