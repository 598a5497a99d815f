// A fresh key, the program's one store and one drawer in their globals, and
// the screen painted in one ground colour, so that what a test draws stands out.
#pragma once
#include <memory>

#include "display/LineDrawer.h"
#include "settings/Config.h"
#include "tests/support/Registry.h"
#include "tests/support/Screen.h"

class CDisplayTest : public CFreshKeyTest
{
public:
    static constexpr COLORREF kGround = RGB(10, 20, 30);

protected:
    void SetUp() override
    {
        CFreshKeyTest::SetUp();
        m_pConfig = std::make_unique<CConfig>();
        m_pDrawer = std::make_unique<CLineDrawer>();
        g_pConfig = m_pConfig.get();
        g_pLineDrawer = m_pDrawer.get();
        screen::fill(kGround);
    }
    void TearDown() override
    {
        g_pConfig = nullptr;
        g_pLineDrawer = nullptr;
        CFreshKeyTest::TearDown();
    }

    std::unique_ptr<CConfig> m_pConfig;
    std::unique_ptr<CLineDrawer> m_pDrawer;
};
