// A screen without a device context: GetDC is replaced in this program by a
// fake that fails on request and otherwise hands the call to the real one.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/display/DisplayFixture.h"
#include "tests/support/FakePower.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/Registry.h"
#include "tests/support/Screen.h"

namespace {

std::atomic<bool> g_bNoScreen{false};
std::atomic<long> g_nReleasesOfNull{0};

HDC WINAPI fakeGetDC(HWND hwnd)
{
    if (g_bNoScreen)
        return nullptr;
    using GetDCProc = HDC(WINAPI*)(HWND);
    static const auto realGetDC =
        reinterpret_cast<GetDCProc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDC")));
    return realGetDC(hwnd);
}

int WINAPI fakeReleaseDC(HWND hwnd, HDC hdc)
{
    if (hdc == nullptr)
        ++g_nReleasesOfNull;
    using ReleaseDCProc = int(WINAPI*)(HWND, HDC);
    static const auto realReleaseDC = reinterpret_cast<ReleaseDCProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "ReleaseDC")));
    return realReleaseDC(hwnd, hdc);
}

} // namespace

// The import slots through which the program calls user32.
extern "C" {
HDC(WINAPI* __imp_GetDC)(HWND) = fakeGetDC;
int(WINAPI* __imp_ReleaseDC)(HWND, HDC) = fakeReleaseDC;
}

namespace {

class NoDCTest : public CDisplayTest
{
protected:
    void SetUp() override
    {
        CDisplayTest::SetUp();
        fakepower::setLevel(80);
        g_nReleasesOfNull = 0;
    }
    void TearDown() override
    {
        g_bNoScreen = false;
        CDisplayTest::TearDown();
    }
};

TEST_F(NoDCTest, EveryDrawingOperationReportsItAndGoesOn)
{
    CModalWatcher watcher(L"Error");
    g_bNoScreen = true;
    m_pDrawer->drawLine(RGB(255, 0, 0));
    m_pDrawer->drawDotted(RGB(255, 0, 0));
    m_pDrawer->erase();
    g_bNoScreen = false;

    ASSERT_TRUE(watcher.waitFor(3, 5000));
    for (const CModalWatcher::Seen& seen : watcher.seen())
    {
        EXPECT_EQ(L"Error", seen.strCaption);
        EXPECT_EQ(L"No hDC", seen.strText);
    }
    EXPECT_EQ(kGround, screen::pixel(0, 0));
    EXPECT_EQ(kGround, screen::pixel(10, 0));
    EXPECT_EQ(0, g_nReleasesOfNull.load()) << "a null context was handed back";
}

TEST_F(NoDCTest, TheBoxDoesNotHoldUpTheOtherThread)
{
    g_bNoScreen = true;
    std::thread worker([this] { m_pDrawer->drawLine(RGB(255, 0, 0)); });
    HWND hwndBox = nullptr;
    for (int i = 0; i < 500 && hwndBox == nullptr; ++i)
    {
        hwndBox = FindWindowW(L"#32770", L"Error");
        Sleep(10);
    }
    g_bNoScreen = false;
    ASSERT_NE(nullptr, hwndBox);

    std::atomic<bool> bErased{false};
    std::thread dialog([this, &bErased] {
        m_pDrawer->erase();
        bErased = true;
    });
    for (int i = 0; i < 500 && !bErased; ++i)
        Sleep(10);
    EXPECT_TRUE(bErased.load()) << "the erase waited for the box";
    EXPECT_EQ(RGB(0, 0, 0), screen::pixel(239, 0));

    PostMessageW(hwndBox, WM_COMMAND, IDOK, 0);
    worker.join();
    dialog.join();
}

} // namespace
