#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"

namespace {

using namespace onscreen;

// How a stored value is broken. Each broken form, were it read as a DWORD
// from whatever bytes it holds, would give a nonzero value that changes what
// is drawn, so that a misread shows on the screen.
enum class EFault
{
    text,       // REG_SZ "1"
    twoBytes,   // REG_DWORD of 2 bytes, 03 00
    sixteenBytes, // REG_DWORD of 16 bytes, starting 02 00 00 00
    allOnes,    // REG_DWORD 0xFFFFFFFF, well formed
    keyDeleted, // the whole key removed
};

// What the running instance does after the fault.
enum class EOutcome
{
    ends,         // "Actif" reads 0: the instance ends with exit code 0
    steadyLine,   // a solid line, redrawn every cycle, never blinking
    blinkingLine, // the edge black for half of every cycle
    dottedLine,
    cycling,      // the line keeps coming back (a period within 100..2000)
    redLine,      // the colour read as missing: red, stored back
    otherColour,  // a colour outside RGB: the edge keeps being drawn over
    topLine,      // the edge read as missing: Top
    noLine,       // nothing drawn any more, and no crash
};

struct CFaultCase
{
    const wchar_t* pszValue; // nullptr for the whole key
    EFault fault;
    EOutcome outcome;
    bool bDotted = false; // the line's style before the fault
};

const wchar_t* const kValues[] = {L"Actif", L"Blink", L"Dot", L"Speed", L"Couleur", L"Position"};

// The settings in force before each fault: a steady line at the shortest
// period on the bottom edge, switched on by the user.
DWORD baseValue(const std::wstring& strName, const CFaultCase& c)
{
    if (strName == L"Dot")
        return c.bDotted ? 1 : 0;
    if (strName == L"Actif")
        return 1;
    if (strName == L"Speed")
        return 100;
    if (strName == L"Couleur")
        return kLine;
    if (strName == L"Position")
        return 1;
    return 0;
}

struct CRawValue
{
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const CRawValue& other) const { return dwType == other.dwType && data == other.data; }
};

CRawValue readRaw(const wchar_t* pszName)
{
    CRawValue value;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, registry::kKeyPath, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return value;
    BYTE ab[64];
    DWORD cb = sizeof ab;
    if (RegQueryValueExW(hKey, pszName, nullptr, &value.dwType, ab, &cb) == ERROR_SUCCESS)
        value.data.assign(ab, ab + cb);
    else
        value.dwType = REG_NONE;
    RegCloseKey(hKey);
    return value;
}

void inject(const CFaultCase& c)
{
    switch (c.fault)
    {
    case EFault::text:
    {
        const wchar_t sz[] = L"1";
        registry::writeRaw(c.pszValue, REG_SZ, sz, sizeof sz);
        break;
    }
    case EFault::twoBytes:
    {
        const BYTE ab[2] = {0x03, 0x00};
        registry::writeRaw(c.pszValue, REG_DWORD, ab, sizeof ab);
        break;
    }
    case EFault::sixteenBytes:
    {
        const BYTE ab[16] = {0x02, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 1, 2, 3, 4};
        registry::writeRaw(c.pszValue, REG_DWORD, ab, sizeof ab);
        break;
    }
    case EFault::allOnes: registry::writeDword(c.pszValue, 0xFFFFFFFF); break;
    case EFault::keyDeleted: registry::deleteKey(); break;
    }
}

// Whether the edge blinks within dwTimeoutMs: black at one sample, the line
// at another.
bool blinks(DWORD dwPosition, DWORD dwTimeoutMs)
{
    bool bSawBlack = false;
    bool bSawLine = false;
    waitUntil(
        [&] {
            const COLORREF cr = screen::edge(dwPosition).back();
            bSawBlack = bSawBlack || cr == kBlack;
            bSawLine = bSawLine || cr == kLine;
            return bSawBlack && bSawLine;
        },
        dwTimeoutMs);
    return bSawBlack && bSawLine;
}

// A steady line: once redrawn, it stays whole for a while, never black.
bool staysSteady(DWORD dwPosition)
{
    if (!redrawn(dwPosition, kLine, 3000))
        return false;
    return !waitUntil([&] { return !edgeShows(dwPosition, kLine); }, 1000);
}

class RegistryFaultTest : public CProgramTest, public testing::WithParamInterface<CFaultCase>
{
};

TEST_P(RegistryFaultTest, TheProgramCarriesOnOrStopsAndLosesNoOtherSetting)
{
    const CFaultCase& c = GetParam();
    storeDisplay(1, 100);
    registry::writeDword(L"Dot", c.bDotted ? 1 : 0);
    CProgram& program = launch();
    program.click(IDC_ACTIVE);
    ASSERT_TRUE(waitUntil([] { return screen::edge(1).front() == kLine; }, 3000)) << "no line before the fault";

    inject(c);
    const CRawValue faulted = c.pszValue != nullptr ? readRaw(c.pszValue) : CRawValue();
    // Let a few cycles read the broken value.
    Sleep(500);

    auto expectOthersKept = [&](const char* pszWhen) {
        if (c.fault == EFault::keyDeleted)
            return;
        for (const wchar_t* pszName : kValues)
        {
            if (std::wstring(pszName) == c.pszValue)
                continue;
            const bool bActifAfterEnd = std::wstring(pszName) == L"Actif" && !program.running();
            EXPECT_EQ(bActifAfterEnd ? 0u : baseValue(pszName, c), stored(pszName))
                << "\"" << std::string(pszName, pszName + wcslen(pszName)) << "\" " << pszWhen;
        }
    };

    switch (c.outcome)
    {
    case EOutcome::ends:
        expectEndedCleanly(program);
        break;
    case EOutcome::steadyLine: EXPECT_TRUE(staysSteady(1)) << "the line is not drawn steady"; break;
    case EOutcome::blinkingLine: EXPECT_TRUE(blinks(1, 3000)) << "the line does not blink"; break;
    case EOutcome::dottedLine:
        screen::fill(onscreen::kGround);
        EXPECT_TRUE(waitUntil([] { return edgeIsDotted(1, kLine); }, 3000)) << "no dotted line";
        break;
    case EOutcome::cycling:
        // At most the longest period apart, with room for the cycle's calls.
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(redrawn(1, kLine, 4000)) << "the line did not come back, round " << i + 1;
        break;
    case EOutcome::redLine: EXPECT_TRUE(redrawn(1, kRed, 3000)) << "no red line"; break;
    case EOutcome::otherColour:
        for (int i = 0; i < 2; ++i)
        {
            screen::fill(onscreen::kGround);
            EXPECT_TRUE(waitUntil([] { return screen::edge(1).front() != kGround; }, 3000))
                << "the edge was not drawn over, round " << i + 1;
        }
        break;
    case EOutcome::topLine:
        EXPECT_TRUE(redrawn(0, kLine, 3000)) << "no line on the top edge";
        EXPECT_FALSE(edgeShows(1, kLine)) << "the bottom edge was drawn again";
        break;
    case EOutcome::noLine:
        screen::fill(onscreen::kGround);
        Sleep(1000);
        EXPECT_FALSE(anyEdgeShows(kLine)) << "a line was drawn for an edge that does not exist";
        break;
    }

    if (c.outcome != EOutcome::ends)
    {
        ASSERT_TRUE(program.running()) << "the program ended";
        EXPECT_TRUE(IsWindow(program.dialog()));
    }
    expectOthersKept("changed while the program ran");

    // The broken value itself: read as missing, only the colour is stored
    // back; "Actif" is recorded 0 as the instance stops.
    if (c.pszValue != nullptr)
    {
        const std::wstring strName = c.pszValue;
        if (c.outcome == EOutcome::redLine)
            EXPECT_EQ(kRed, stored(c.pszValue)) << "red was not stored back";
        else if (strName == L"Actif" && c.outcome == EOutcome::ends)
            EXPECT_EQ(0u, stored(c.pszValue));
        else
            EXPECT_TRUE(readRaw(c.pszValue) == faulted) << "the broken value was rewritten";
    }
    else
    {
        // Nothing but the stop's "Actif" and the colour's write-back is
        // stored: no default is invented for the other settings.
        for (const std::wstring& strName : registry::valueNames())
            EXPECT_TRUE(strName == L"Actif" || strName == L"Couleur")
                << "stored after the key was deleted: " << std::string(strName.begin(), strName.end());
        EXPECT_EQ(0u, stored(L"Actif"));
    }

    if (program.running())
    {
        program.click(IDC_EXIT);
        expectEndedCleanly(program);
        expectOthersKept("changed by the end");
    }
}

std::vector<CFaultCase> allCases()
{
    struct CRule
    {
        const wchar_t* pszValue;
        EOutcome broken;  // text, 2 bytes or 16 bytes: read as missing
        EOutcome allOnes; // 0xFFFFFFFF: a nonzero DWORD
    };
    const CRule rules[] = {
        {L"Actif", EOutcome::ends, EOutcome::steadyLine},
        {L"Blink", EOutcome::steadyLine, EOutcome::blinkingLine},
        {L"Dot", EOutcome::steadyLine, EOutcome::dottedLine},
        // Missing: 600 ms; 0xFFFFFFFF: slept as the longest period, 2000 ms.
        {L"Speed", EOutcome::cycling, EOutcome::cycling},
        {L"Couleur", EOutcome::redLine, EOutcome::otherColour},
        // An edge that does not exist computes no new end points: a solid
        // line is drawn again along the last ones, on the old edge.
        {L"Position", EOutcome::topLine, EOutcome::steadyLine},
    };
    std::vector<CFaultCase> cases;
    for (const CRule& rule : rules)
    {
        for (EFault fault : {EFault::text, EFault::twoBytes, EFault::sixteenBytes})
            cases.push_back({rule.pszValue, fault, rule.broken});
        cases.push_back({rule.pszValue, EFault::allOnes, rule.allOnes});
    }
    // A dotted line sets its pixels on known edges only.
    cases.push_back({L"Position", EFault::allOnes, EOutcome::noLine, true});
    cases.push_back({nullptr, EFault::keyDeleted, EOutcome::ends});
    return cases;
}

std::string describe(const CFaultCase& c)
{
    static const char* const kFaults[] = {"Text", "TwoBytes", "SixteenBytes", "AllOnes", "Deleted"};
    const wchar_t* pszValue = c.pszValue != nullptr ? c.pszValue : L"WholeKey";
    return std::string(pszValue, pszValue + wcslen(pszValue)) + "_" + kFaults[static_cast<int>(c.fault)] +
           (c.bDotted ? "_Dotted" : "");
}

void PrintTo(const CFaultCase& c, std::ostream* pStream) { *pStream << describe(c); }

std::string caseName(const testing::TestParamInfo<CFaultCase>& info) { return describe(info.param); }

INSTANTIATE_TEST_SUITE_P(Values, RegistryFaultTest, testing::ValuesIn(allCases()), caseName);

} // namespace
