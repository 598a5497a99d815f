// Drives one instance of the real program for the benchmark, as a user would
// through its dialog, on commands read line by line from the standard input,
// while the caller measures the processes from outside:
//
//   start                 stores the first settings, starts Voltrim.exe and
//                         waits for its dialog; answers "OK" and its id
//   style PERIOD STYLE    the period on the slider, "&Dotted line" and
//                         "B&linking Line" for solid, dotted or blinking
//   on                    ticks "&Active"; answers once the line is seen
//   off                   clears it; answers once the last worker has ended,
//                         with the milliseconds that took
//   exit                  "E&xit"; answers with the program's exit code
//
// Every answer is one line, "OK ..." or "ERROR ..."; the driver ends when its
// input does, ending the program outright if it still runs.
#include <windows.h>

#include <cstdarg>
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
const DWORD kPositionBottom = 1;
const DWORD kWaitMs = 20000;

void answer(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    std::vfprintf(stdout, pszFormat, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool lineShown()
{
    for (COLORREF cr : screen::edge(kPositionBottom))
        if (cr == kLine)
            return true;
    return false;
}

// A check box brought to the state asked for by a click, as a user would.
void setCheck(CProgram& program, int idControl, bool bChecked)
{
    if (program.isChecked(idControl) != bChecked)
        program.click(idControl);
}

bool start(CProgram& program)
{
    registry::deleteKey();
    registry::writeDword(L"Couleur", kLine);
    registry::writeDword(L"Position", kPositionBottom);
    registry::writeDword(L"Actif", 0);
    screen::fill(kGround);
    // Read back, so that the fill is on the screen before the program draws.
    screen::pixel(0, 0);
    return program.start() && program.waitForDialog(kWaitMs) != nullptr;
}

bool style(CProgram& program, int nPeriod, const char* pszStyle)
{
    const bool bDotted = std::strcmp(pszStyle, "dotted") == 0;
    const bool bBlinking = std::strcmp(pszStyle, "blinking") == 0;
    if (!bDotted && !bBlinking && std::strcmp(pszStyle, "solid") != 0)
        return false;
    program.moveSlider(nPeriod);
    setCheck(program, IDC_DOTTED, bDotted);
    setCheck(program, IDC_BLINK, bBlinking);
    return true;
}

bool workersEnded(CProgram& program)
{
    return processinfo::workerCount(program.process(), program.processId()) == 0;
}

} // namespace

int main()
{
    CProgram program(kVoltrimExe);
    char szLine[128];
    while (std::fgets(szLine, sizeof szLine, stdin) != nullptr)
    {
        char szCommand[16] = {};
        char szStyle[16] = {};
        int nPeriod = 0;
        const int nFields = std::sscanf(szLine, "%15s %d %15s", szCommand, &nPeriod, szStyle);
        const std::string strCommand = szCommand;
        if (strCommand == "start")
        {
            if (start(program))
                answer("OK %lu", program.processId());
            else
                answer("ERROR no settings dialog (start error %lu)", program.startError());
        }
        else if (strCommand == "style" && nFields == 3)
        {
            if (style(program, nPeriod, szStyle))
                answer("OK");
            else
                answer("ERROR unknown style %s", szStyle);
        }
        else if (strCommand == "on")
        {
            setCheck(program, IDC_ACTIVE, true);
            if (waitUntil(lineShown, kWaitMs))
                answer("OK");
            else
                answer("ERROR no line seen");
        }
        else if (strCommand == "off")
        {
            const DWORD dwStart = GetTickCount();
            setCheck(program, IDC_ACTIVE, false);
            if (waitUntil([&] { return workersEnded(program); }, kWaitMs))
                answer("OK %lu", GetTickCount() - dwStart);
            else
                answer("ERROR a worker still runs");
        }
        else if (strCommand == "exit")
        {
            program.click(IDC_EXIT);
            DWORD dwExitCode = 1;
            if (program.waitForExit(kWaitMs, &dwExitCode))
                answer("OK %lu", dwExitCode);
            else
                answer("ERROR the program did not end");
            registry::deleteKey();
        }
        else
        {
            answer("ERROR unknown command %s", szCommand);
        }
    }
    return 0;
}
