// Runs the real Voltrim through its main states at a battery of 73 %, clicking
// its dialog as a user would, and saves one picture of the screen per state
// into the folder given on the command line; then lets the battery fall from
// 100 % to 0 % and saves a frame per step into its subfolder "falling". A
// picture is kept only once the screen shows its state, so that every file
// shows what its name says; a state that never shows is reported and makes
// the exit code 1. The battery is the one that scripts/demo.sh fakes.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <string>

#include "res/resource.h"
#include "tests/support/Battery.h"
#include "tests/support/LevelLine.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/Program.h"
#include "tests/support/Registry.h"
#include "tests/support/ScreenShot.h"

namespace {

const wchar_t kVoltrimExe[] = L"" VOLTRIM_EXE;
const COLORREF kGreen = RGB(0, 200, 0);
// The battery of the pictures of the program's states.
const unsigned kLevel = 73;
using levelline::kBottom;
using levelline::kLeft;
using levelline::kRight;
using levelline::kTop;

// The line of kLevel on this edge only, solid.
bool onlyEdgeSolid(const CScreenShot& shot, DWORD dwPosition)
{
    return levelline::shows(shot, dwPosition, kLevel, false, kGreen);
}

bool edgeDotted(const CScreenShot& shot, DWORD dwPosition)
{
    return levelline::shows(shot, dwPosition, kLevel, true, kGreen);
}

// No line on any edge.
bool edgesDark(const CScreenShot& shot) { return levelline::shows(shot, kBottom, 0, false, kGreen); }

// Whether two captures agree inside the edges: the dialogs are fully painted
// once the screen stops changing there (the line may blink on the edges).
bool sameInside(const CScreenShot& a, const CScreenShot& b)
{
    for (int y = 1; y < a.height() - 1; ++y)
        for (int x = 1; x < a.width() - 1; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

HWND findAboutBox()
{
    HWND hwnd = FindWindowW(L"#32770", L"About Voltrim");
    return hwnd != nullptr && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

class CDemo
{
public:
    explicit CDemo(std::wstring strFolder) : m_strFolder(std::move(strFolder)) {}

    // Captures the screen until it shows the state and is done painting (15 s
    // at most), and saves that picture as FOLDER\strName.
    void shoot(const std::wstring& strName, const std::function<bool(const CScreenShot&)>& shows)
    {
        CScreenShot shot = CScreenShot::capture();
        bool bShown = false;
        waitUntil(
            [&] {
                Sleep(100);
                const CScreenShot previous = shot;
                shot = CScreenShot::capture();
                bShown = shows(shot) && sameInside(previous, shot);
                return bShown;
            },
            15000);
        const std::wstring strPath = m_strFolder + L"\\" + strName;
        const bool bWritten = shot.writePng(strPath);
        wprintf(L"%ls %ls\n", bShown && bWritten ? L"saved" : L"FAILED", strPath.c_str());
        fflush(stdout);
        m_bFailed = m_bFailed || !bShown || !bWritten;
    }

    bool failed() const { return m_bFailed; }

private:
    std::wstring m_strFolder;
    bool m_bFailed = false;
};

} // namespace

int main()
{
    int nArgs = 0;
    wchar_t** ppszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (nArgs != 2)
    {
        fwprintf(stderr, L"usage: voltrim_demo FOLDER\n");
        return 2;
    }
    CDemo demo(ppszArgs[1]);
    LocalFree(ppszArgs);

    if (!battery::restore() || !battery::setLevel(kLevel))
    {
        fwprintf(stderr, L"the battery could not be set\n");
        return 1;
    }
    // A visible colour; everything else starts from the program's defaults.
    registry::deleteKey();
    registry::writeDword(L"Couleur", kGreen);
    registry::writeDword(L"Position", kBottom);

    CProgram program(kVoltrimExe);
    if (!program.start() || program.waitForDialog(15000) == nullptr)
    {
        fwprintf(stderr, L"Voltrim did not open its dialog\n");
        return 1;
    }

    program.click(IDC_ACTIVE);
    demo.shoot(L"1-active-bottom.png", [](const CScreenShot& shot) { return onlyEdgeSolid(shot, kBottom); });

    program.click(IDC_DOTTED);
    demo.shoot(L"2-dotted.png", [](const CScreenShot& shot) { return edgeDotted(shot, kBottom); });
    program.click(IDC_DOTTED);

    // The longest period: each half of a blink lasts a second.
    program.moveSlider(2000);
    program.click(IDC_BLINK);
    demo.shoot(L"3-blinking-shown.png", [](const CScreenShot& shot) { return onlyEdgeSolid(shot, kBottom); });
    demo.shoot(L"4-blinking-erased.png", [](const CScreenShot& shot) { return edgesDark(shot); });
    program.click(IDC_BLINK);
    program.moveSlider(300);

    const struct
    {
        DWORD dwPosition;
        const wchar_t* pszName;
    } edges[] = {{kTop, L"5-edge-top.png"},
                 {kBottom, L"6-edge-bottom.png"},
                 {kLeft, L"7-edge-left.png"},
                 {kRight, L"8-edge-right.png"}};
    for (const auto& edge : edges)
    {
        program.selectPosition(static_cast<int>(edge.dwPosition));
        const DWORD dwPosition = edge.dwPosition;
        demo.shoot(edge.pszName, [dwPosition](const CScreenShot& shot) { return onlyEdgeSolid(shot, dwPosition); });
    }

    program.selectPosition(kBottom);
    // Posted: the About box is modal, so the dialog answers only once it closes.
    program.post(WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED), 0);
    HWND hwndAbout = nullptr;
    waitUntil([&] { return (hwndAbout = findAboutBox()) != nullptr; }, 15000);
    // Kept once its caption and its OK button are painted over the line.
    demo.shoot(L"9-about.png", [hwndAbout](const CScreenShot& shot) {
        RECT rcAbout{}, rcOk{};
        return hwndAbout != nullptr && GetWindowRect(hwndAbout, &rcAbout) &&
               GetWindowRect(GetDlgItem(hwndAbout, IDOK), &rcOk) &&
               shot.pixel((rcAbout.left + rcAbout.right) / 2, rcAbout.top + 5) != RGB(0, 0, 0) &&
               shot.pixel((rcOk.left + rcOk.right) / 2, (rcOk.top + rcOk.bottom) / 2) != RGB(0, 0, 0) &&
               onlyEdgeSolid(shot, kBottom);
    });
    if (hwndAbout != nullptr)
        PostMessageW(hwndAbout, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    waitUntil([] { return findAboutBox() == nullptr; }, 15000);

    // The battery running down in steps of 5 %, a frame each, at the shortest
    // period so that the line follows at once.
    program.moveSlider(100);
    for (int nStep = 0; nStep <= 20; ++nStep)
    {
        const unsigned nPercent = 100 - 5 * nStep;
        if (!battery::setLevel(nPercent))
            return 1;
        wchar_t szName[32];
        swprintf(szName, 32, L"falling\\%02d-%03u.png", nStep, nPercent);
        demo.shoot(szName, [nPercent](const CScreenShot& shot) {
            return levelline::shows(shot, kBottom, nPercent, false, kGreen);
        });
    }

    program.click(IDC_EXIT);
    DWORD dwExitCode = 1;
    if (!program.waitForExit(15000, &dwExitCode) || dwExitCode != 0)
    {
        fwprintf(stderr, L"Voltrim did not end cleanly\n");
        return 1;
    }
    return demo.failed() ? 1 : 0;
}
