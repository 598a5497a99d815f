#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/Handover.h"
#include "display/LineThread.h"
#include "settings/Config.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/Registry.h"

namespace {

// A store of its own in the program's global, and an instance that has just
// opened its dialog on the test's thread.
class HandoverTest : public CFreshKeyTest
{
protected:
    void SetUp() override
    {
        CFreshKeyTest::SetUp();
        useStore(std::make_unique<CConfig>());
        handover::open();
    }
    void TearDown() override
    {
        g_pConfig = nullptr;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ;
        CFreshKeyTest::TearDown();
    }

    void useStore(std::unique_ptr<CConfig> pConfig)
    {
        m_pConfig = std::move(pConfig);
        g_pConfig = m_pConfig.get();
    }

    std::unique_ptr<CConfig> m_pConfig;
};

TEST_F(HandoverTest, ClaimRecordsZeroOnlyWhenActifWasSet)
{
    registry::writeDword(L"Actif", 5);
    EXPECT_EQ(5u, handover::claim());
    EXPECT_EQ(0u, registry::stored(L"Actif"));
    // A second claim finds the display already claimed: nothing to take over.
    EXPECT_EQ(0u, handover::claim());

    registry::deleteValue(L"Actif");
    EXPECT_EQ(0u, handover::claim());
    EXPECT_EQ(registry::kMissing, registry::stored(L"Actif"));
}

// A taken-over instance records 0 only while "Actif" reads 0, and its end
// leaves the newcomer's 1 alone; every other end records 0.
TEST_F(HandoverTest, TakenOverInstanceNeverOverwritesTheNewcomersOne)
{
    struct CEndCase
    {
        const char* pszWhat;
        bool bTakenOver;
        DWORD dwStoredMeanwhile; // kMissing: the value removed
        DWORD dwAtTheEnd;
    };
    const CEndCase aCases[] = {
        {"taken over, the newcomer's 1 recorded", true, 1, 1},
        {"taken over, during the newcomer's pause", true, 0, 0},
        {"taken over, the value removed", true, registry::kMissing, 0},
        {"ended by itself", false, 1, 0},
    };
    for (const CEndCase& c : aCases)
    {
        SCOPED_TRACE(c.pszWhat);
        handover::open();
        handover::recordOn();
        EXPECT_FALSE(handover::ending());
        if (c.bTakenOver)
        {
            handover::yieldDisplay();
            EXPECT_TRUE(handover::ending());
        }
        else
        {
            handover::markEnding();
        }
        if (c.dwStoredMeanwhile == registry::kMissing)
            registry::deleteValue(L"Actif");
        else
            registry::writeDword(L"Actif", c.dwStoredMeanwhile);
        handover::recordEnd();
        EXPECT_EQ(c.dwAtTheEnd, registry::stored(L"Actif"));
    }
}

// A failed write inside a step of the hand-over is reported once the other
// instances can have "Actif" again: the box never keeps them waiting.
TEST_F(HandoverTest, FailedWriteIsReportedOutsideTheInstancesLock)
{
    useStore(std::make_unique<CConfig>((L"Software\\Orvane\\" + std::wstring(300, L'x')).c_str()));
    HANDLE hMutex = CreateMutexW(nullptr, FALSE, L"Orvane.Voltrim.Actif");
    ASSERT_NE(nullptr, hMutex);
    bool bLockFree = false;
    {
        CModalWatcher watcher(L"CConfig::setWord", IDOK, [&] {
            // Asked from the watcher's thread while the box is up.
            const DWORD dwWait = WaitForSingleObject(hMutex, 0);
            bLockFree = dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED;
            if (bLockFree)
                ReleaseMutex(hMutex);
        });
        handover::recordOn();
        ASSERT_TRUE(watcher.waitFor(1, 5000));
    }
    EXPECT_TRUE(bLockFree) << "the box came up while the instances' lock was held";
    CloseHandle(hMutex);
}

} // namespace
