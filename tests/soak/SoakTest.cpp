#include "tests/soak/SoakTest.h"

#include <gtest/gtest.h>

#include "tests/support/Screen.h"

namespace {

const wchar_t kVoltrimExe[] = L"" VOLTRIM_EXE;

} // namespace

namespace soak {

DWORD stored(const wchar_t* pszName)
{
    DWORD dwValue = kMissing;
    return registry::readDword(pszName, &dwValue) ? dwValue : kMissing;
}

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
        if (screen::edge(dwPosition).front() == crColour)
            return true;
    return false;
}

void paintGround()
{
    screen::fill(kGround);
    // Reading back waits for the fill to reach the screen; left in the
    // connection's buffer, it could land over what the program draws later.
    screen::pixel(0, 0);
}

bool redrawn(DWORD dwPosition, COLORREF crColour, DWORD dwTimeoutMs)
{
    paintGround();
    return waitUntil([&] { return edgeShows(dwPosition, crColour); }, dwTimeoutMs);
}

} // namespace soak

void CSoakTest::SetUp()
{
    CFreshKeyTest::SetUp();
    soak::paintGround();
}

void CSoakTest::TearDown()
{
    m_programs.clear();
    CFreshKeyTest::TearDown();
}

CProgram& CSoakTest::launch(bool bWaitForDialog)
{
    m_programs.push_back(std::make_unique<CProgram>(kVoltrimExe));
    CProgram& program = *m_programs.back();
    EXPECT_TRUE(program.start());
    if (bWaitForDialog)
    {
        EXPECT_NE(nullptr, program.waitForDialog(15000)) << "no settings dialog";
    }
    return program;
}

void CSoakTest::storeDisplay(DWORD dwPosition, DWORD dwSpeed, DWORD dwActif)
{
    registry::writeDword(L"Speed", dwSpeed);
    registry::writeDword(L"Couleur", soak::kLine);
    registry::writeDword(L"Position", dwPosition);
    registry::writeDword(L"Blink", 0);
    registry::writeDword(L"Dot", 0);
    registry::writeDword(L"Actif", dwActif);
}

void CSoakTest::expectEndedCleanly(CProgram& program, DWORD dwTimeoutMs)
{
    DWORD dwExitCode = soak::kMissing;
    ASSERT_TRUE(program.waitForExit(dwTimeoutMs, &dwExitCode)) << "the program did not end";
    EXPECT_EQ(0u, dwExitCode);
}
