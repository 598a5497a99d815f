#include <gtest/gtest.h>

#include "app/Startup.h"
#include "display/LineDrawer.h"
#include "settings/Config.h"

namespace {

// Start-up refuses to run without its drawer or store, or without a dialog
// to run: it returns at once (the program then ends with exit code 0)
// instead of crashing on a null object or waiting for a quit that never comes.
TEST(InitInstance, RefusesWhenAnObjectIsMissingAndReleasesTheOther)
{
    for (bool bDrawerMissing : {true, false})
    {
        SCOPED_TRACE(bDrawerMissing ? "no drawer" : "no store");
        g_pLineDrawer = bDrawerMissing ? nullptr : new CLineDrawer;
        g_pConfig = bDrawerMissing ? new CConfig : nullptr;
        EXPECT_FALSE(InitInstance(GetModuleHandleW(nullptr), SW_SHOW));
        EXPECT_EQ(nullptr, g_pLineDrawer);
        EXPECT_EQ(nullptr, g_pConfig);
        EXPECT_EQ(0, g_nDlgResult);
    }
}

TEST(InitInstance, RefusesWhenTheDialogCannotBeCreated)
{
    // This test program holds no dialog templates.
    g_pLineDrawer = new CLineDrawer;
    g_pConfig = new CConfig;
    EXPECT_FALSE(InitInstance(GetModuleHandleW(nullptr), SW_SHOW));
    EXPECT_EQ(0, g_nDlgResult);
    // Released as after any dialog's end.
    EXPECT_EQ(nullptr, g_pLineDrawer);
    EXPECT_EQ(nullptr, g_pConfig);
}

} // namespace
