// Runs the About box and the settings template from the built program's own
// resources on the virtual screen. The box runs modally on the test thread;
// a driver thread posts commands and keys to it, waiting after each one until
// the dialog procedure has seen the resulting command, so no step relies on
// timing.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/AboutDlg.h"
#include "res/resource.h"
#include "tests/support/ScreenShot.h"
#include "tests/resources/VoltrimModule.h"
#include "tests/support/ModalWatcher.h"

namespace {

constexpr WORD kEnglishUS = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
// Upper bound for one wait, so that a broken dialog fails the test instead of
// hanging it; no step expects to come near it.
constexpr DWORD kWaitMs = 10000;

// Posted by the dialog to itself from WM_INITDIALOG: it arrives once the box
// is shown and its modal loop runs.
constexpr UINT WM_APP_SHOWN = WM_APP;
// Ends the do-nothing settings dialog.
constexpr UINT WM_APP_CLOSE = WM_APP + 1;

// What the driver thread and the dialog's procedure share during one run.
struct CDialogRun
{
    std::atomic<HWND> hDlg{nullptr};
    HANDLE hShown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE hCommandSeen = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::vector<WORD> commandIds; // written by the dialog's thread only
    CScreenShot shot;             // the screen once the box was painted

    ~CDialogRun()
    {
        CloseHandle(hShown);
        CloseHandle(hCommandSeen);
    }
};

CDialogRun* g_pRun = nullptr;

// Paints the box and its controls at once and copies the screen.
void captureShown(HWND hDlg)
{
    RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    g_pRun->shot = CScreenShot::capture();
    SetEvent(g_pRun->hShown);
}

// Runs AboutDlgProc, recording every command that reaches it.
INT_PTR CALLBACK recordingAboutProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG)
    {
        g_pRun->hDlg = hDlg;
        PostMessageW(hDlg, WM_APP_SHOWN, 0, 0);
    }
    if (uMsg == WM_APP_SHOWN)
    {
        captureShown(hDlg);
        return TRUE;
    }
    const INT_PTR result = AboutDlgProc(hDlg, uMsg, wParam, lParam);
    if (uMsg == WM_COMMAND)
    {
        g_pRun->commandIds.push_back(LOWORD(wParam));
        SetEvent(g_pRun->hCommandSeen);
    }
    return result;
}

// Shows the settings template without any behaviour of its own.
INT_PTR CALLBACK doNothingProc(HWND hDlg, UINT uMsg, WPARAM, LPARAM)
{
    if (uMsg == WM_INITDIALOG)
    {
        g_pRun->hDlg = hDlg;
        PostMessageW(hDlg, WM_APP_SHOWN, 0, 0);
    }
    else if (uMsg == WM_APP_SHOWN)
    {
        captureShown(hDlg);
        return TRUE;
    }
    else if (uMsg == WM_APP_CLOSE)
    {
        EndDialog(hDlg, 0);
        return TRUE;
    }
    return FALSE;
}

class CDialogRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(m_module.handle(), nullptr) << "cannot open the built program";
        g_pRun = &m_run;
    }
    void TearDown() override { g_pRun = nullptr; }

    // Runs template wId modally with dlgProc while driveBox(hDlg) runs on a
    // thread of its own once the box is shown; returns the dialog's result.
    template <typename Drive>
    INT_PTR run(WORD wId, WORD wLanguage, DLGPROC dlgProc, Drive driveBox)
    {
        const auto* pTemplate = reinterpret_cast<LPCDLGTEMPLATEW>(m_module.data(RT_DIALOG, wId, wLanguage));
        if (!pTemplate)
            return -2;
        std::thread driver([&] {
            if (WaitForSingleObject(m_run.hShown, kWaitMs) == WAIT_OBJECT_0)
                driveBox(m_run.hDlg.load());
        });
        const INT_PTR result = DialogBoxIndirectParamW(m_module.handle(), pTemplate, nullptr, dlgProc, 0);
        driver.join();
        return result;
    }

    void saveShot(const wchar_t* pszFile)
    {
        const std::wstring strPath = std::wstring(L"" VOLTRIM_SHOT_DIR) + L"/" + pszFile;
        EXPECT_TRUE(m_run.shot.writePng(strPath));
    }

    CVoltrimModule m_module;
    CDialogRun m_run;
};

// ---------------------------------------------------------------------------
// Closing the About box.

struct Step
{
    UINT uMsg;      // WM_COMMAND, or WM_KEYDOWN sent to the focused OK button
    WPARAM wParam;
};

struct CloseCase
{
    const char* pszName;
    std::vector<Step> steps;
    std::vector<WORD> commandIds; // as the procedure sees them
    std::vector<bool> visibleAfter; // the box after each step
};

Step command(WORD wId, WORD wCode = BN_CLICKED)
{
    return {WM_COMMAND, MAKEWPARAM(wId, wCode)};
}

Step key(WORD wVirtualKey)
{
    return {WM_KEYDOWN, wVirtualKey};
}

const CloseCase kCloseCases[] = {
    {"Ok", {command(IDOK)}, {IDOK}, {false}},
    {"CancelThenOk", {command(IDCANCEL), command(IDOK)}, {IDCANCEL, IDOK}, {true, false}},
    {"OtherIdsThenOk",
     {command(0), command(3), command(IDC_EXIT), command(IDC_ABOUT), command(IDM_CTRL_A), command(0xFFFF),
      command(IDOK)},
     {0, 3, IDC_EXIT, IDC_ABOUT, IDM_CTRL_A, 0xFFFF, IDOK},
     {true, true, true, true, true, true, false}},
    {"OkWithSetFocusCode", {command(IDOK, BN_SETFOCUS)}, {IDOK}, {false}},
    {"OkWithCodeFFFF", {command(IDOK, 0xFFFF)}, {IDOK}, {false}},
    {"EscThenOk", {key(VK_ESCAPE), command(IDOK)}, {IDCANCEL, IDOK}, {true, false}},
    {"Enter", {key(VK_RETURN)}, {IDOK}, {false}},
};

void PrintTo(const CloseCase& c, std::ostream* pos) { *pos << c.pszName; }

class CAboutCloseTest : public CDialogRunTest, public ::testing::WithParamInterface<CloseCase>
{
};

TEST_P(CAboutCloseTest, OnlyIdentifierOneClosesWithOne)
{
    const CloseCase& c = GetParam();
    std::vector<bool> visibleAfter;
    const INT_PTR result = run(IDD_ABOUT, kFrench, recordingAboutProc, [&](HWND hDlg) {
        for (const Step& step : c.steps)
        {
            HWND hTarget = step.uMsg == WM_KEYDOWN ? GetDlgItem(hDlg, IDOK) : hDlg;
            PostMessageW(hTarget, step.uMsg, step.wParam, 0);
            if (WaitForSingleObject(m_run.hCommandSeen, kWaitMs) != WAIT_OBJECT_0)
                break;
            visibleAfter.push_back(IsWindow(hDlg) && IsWindowVisible(hDlg));
        }
        // A box left up by a broken procedure is closed all the same.
        if (IsWindow(hDlg))
            PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_run.commandIds, c.commandIds);
    EXPECT_EQ(visibleAfter, c.visibleAfter);
}

INSTANTIATE_TEST_SUITE_P(AboutBox, CAboutCloseTest, ::testing::ValuesIn(kCloseCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

// ---------------------------------------------------------------------------
// What the boxes show.

// The rectangle of a child window in screen coordinates.
RECT screenRect(HWND hwnd)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    return rc;
}

TEST_F(CDialogRunTest, AboutBoxShowsIconNameAndVersion)
{
    std::wstring strVersion, strName;
    RECT rcDialog{}, rcIcon{}, rcName{}, rcVersion{}, rcOk{};
    const INT_PTR result = run(IDD_ABOUT, kFrench, recordingAboutProc, [&](HWND hDlg) {
        rcDialog = screenRect(hDlg);
        // Children in template order: OK, icon, version, name.
        HWND hOk = GetWindow(hDlg, GW_CHILD);
        HWND hIcon = GetWindow(hOk, GW_HWNDNEXT);
        HWND hVersion = GetWindow(hIcon, GW_HWNDNEXT);
        HWND hName = GetWindow(hVersion, GW_HWNDNEXT);
        rcOk = screenRect(hOk);
        rcIcon = screenRect(hIcon);
        rcVersion = screenRect(hVersion);
        rcName = screenRect(hName);
        strVersion = windowText(hVersion);
        strName = windowText(hName);
        PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(result, 1);
    saveShot(L"about-box.png");

    EXPECT_EQ(strVersion, L"Version 1.1");
    EXPECT_EQ(strName, L"  Voltrim");
    // The icon's red line and battery are on the screen where the icon stands.
    EXPECT_TRUE(m_run.shot.contains(rcIcon, RGB(255, 0, 0)));
    EXPECT_TRUE(m_run.shot.contains(rcIcon, RGB(128, 128, 128)));
    // Icon top left, name to its right, version below both, OK at the bottom.
    EXPECT_LT(rcIcon.right, rcName.left);
    EXPECT_LT(rcIcon.top, rcVersion.top);
    EXPECT_LT(rcName.bottom, rcVersion.top);
    EXPECT_LT(rcVersion.top, rcOk.top);
    const LONG cxDialogMiddle = (rcDialog.left + rcDialog.right) / 2;
    EXPECT_NEAR((rcOk.left + rcOk.right) / 2, cxDialogMiddle, 8) << "OK roughly centred";
    // Centred on the screen (DS_CENTER).
    EXPECT_NEAR(cxDialogMiddle, m_run.shot.width() / 2, 2);
}

struct PictureCase
{
    WORD wBitmap;
    LONG cx, cy;
    COLORREF crGround;
    COLORREF crShape;
};

// The pictures in the order of their controls in the settings template.
const PictureCase kPictures[] = {
    {IDB_MINUS, 10, 10, RGB(251, 251, 251), RGB(255, 0, 0)},
    {IDB_PLUS, 10, 10, RGB(251, 251, 251), RGB(255, 0, 0)},
    {IDB_ARROWS, 50, 10, RGB(251, 251, 251), RGB(255, 0, 0)},
    {IDB_CHECK, 16, 16, RGB(255, 255, 255), RGB(0, 255, 0)},
    {IDB_CROSS, 16, 16, RGB(255, 255, 255), RGB(255, 0, 0)},
    {IDB_EXCLAMATION, 16, 16, RGB(255, 255, 255), RGB(255, 255, 0)},
};

TEST_F(CDialogRunTest, SettingsTemplateShowsEveryPictureAtItsOwnSize)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    std::vector<RECT> pictureRects;
    HWND hSliderFound = nullptr;
    const INT_PTR result = run(IDD_MAIN, kEnglishUS, doNothingProc, [&](HWND hDlg) {
        for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        {
            wchar_t szClass[64] = {};
            GetClassNameW(hChild, szClass, 64);
            if (lstrcmpiW(szClass, L"Static") == 0 &&
                (GetWindowLongW(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
                pictureRects.push_back(screenRect(hChild));
        }
        hSliderFound = GetDlgItem(hDlg, IDC_SPEED);
        PostMessageW(hDlg, WM_APP_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, 0);
    saveShot(L"settings-dialog.png");

    EXPECT_NE(hSliderFound, nullptr) << "the trackbar was created";
    ASSERT_EQ(pictureRects.size(), std::size(kPictures));
    for (size_t i = 0; i < std::size(kPictures); ++i)
    {
        const PictureCase& c = kPictures[i];
        const RECT& rc = pictureRects[i];
        SCOPED_TRACE(testing::Message() << "bitmap " << c.wBitmap);
        EXPECT_EQ(rc.right - rc.left, c.cx);
        EXPECT_EQ(rc.bottom - rc.top, c.cy);
        EXPECT_TRUE(m_run.shot.contains(rc, c.crGround));
        EXPECT_TRUE(m_run.shot.contains(rc, c.crShape));
    }
}

} // namespace
