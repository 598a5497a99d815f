#include "tests/support/ProgramFixture.h"

#include <gtest/gtest.h>

#include "tests/support/Battery.h"
#include "tests/support/Screen.h"

namespace {

const wchar_t kVoltrimExe[] = L"" VOLTRIM_EXE;

} // namespace

namespace onscreen {

bool edgeShows(DWORD dwPosition, COLORREF crColour)
{
    const std::vector<COLORREF> pixels = screen::edge(dwPosition);
    return pixels.front() == crColour && pixels.back() == crColour;
}

bool edgeIsDotted(DWORD dwPosition, COLORREF crColour)
{
    const std::vector<COLORREF> pixels = screen::edge(dwPosition);
    return pixels[0] == crColour && pixels[1] != crColour && pixels[2] == crColour;
}

bool anyEdgeShows(COLORREF crColour)
{
    for (DWORD dwPosition = 0; dwPosition < 4; ++dwPosition)
    {
        if (screen::edge(dwPosition).front() == crColour)
            return true;
    }
    return false;
}

bool redrawn(DWORD dwPosition, COLORREF crColour, DWORD dwTimeoutMs)
{
    screen::fill(kGround);
    return waitUntil([&] { return edgeShows(dwPosition, crColour); }, dwTimeoutMs);
}

} // namespace onscreen

void CProgramTest::SetUp()
{
    CFreshKeyTest::SetUp();
    ASSERT_TRUE(battery::restore()) << "the program would read the host's battery";
    screen::fill(onscreen::kGround);
}

void CProgramTest::TearDown()
{
    m_programs.clear();
    CFreshKeyTest::TearDown();
}

CProgram& CProgramTest::launch(bool bWaitForDialog)
{
    m_programs.push_back(std::make_unique<CProgram>(kVoltrimExe));
    CProgram& program = *m_programs.back();
    EXPECT_TRUE(program.start()) << "error " << program.startError();
    if (bWaitForDialog)
    {
        EXPECT_NE(nullptr, program.waitForDialog(15000)) << "no settings dialog";
    }
    return program;
}

void CProgramTest::storeDisplay(DWORD dwPosition, DWORD dwSpeed, DWORD dwActif)
{
    registry::writeDword(L"Speed", dwSpeed);
    registry::writeDword(L"Couleur", onscreen::kLine);
    registry::writeDword(L"Position", dwPosition);
    registry::writeDword(L"Blink", 0);
    registry::writeDword(L"Dot", 0);
    registry::writeDword(L"Actif", dwActif);
}

void CProgramTest::expectEndedCleanly(CProgram& program, DWORD dwTimeoutMs)
{
    DWORD dwExitCode = onscreen::kMissing;
    ASSERT_TRUE(program.waitForExit(dwTimeoutMs, &dwExitCode)) << "the program did not end";
    EXPECT_EQ(0u, dwExitCode);
}
