#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "settings/Config.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/ProcessInfo.h"
#include "tests/support/Registry.h"

namespace {

using Getter = DWORD (CConfig::*)();
using Setter = DWORD (CConfig::*)(DWORD);

struct Accessor
{
    const wchar_t* pszName;
    Getter get;
    Setter set;
};

const Accessor kPlainAccessors[] = {
    {L"Actif", &CConfig::getActif, &CConfig::setActif},
    {L"Blink", &CConfig::getBlink, &CConfig::setBlink},
    {L"Dot", &CConfig::getDot, &CConfig::setDot},
    {L"Position", &CConfig::getPosition, &CConfig::setPosition},
    {L"Speed", &CConfig::getSpeed, &CConfig::setSpeed},
};

// A key path that the registry refuses to create: one name above 255 characters.
std::wstring uncreatableKeyPath() { return L"Software\\Orvane\\" + std::wstring(300, L'x'); }

using ConfigTest = CFreshKeyTest;

TEST_F(ConfigTest, MissingKeyReadsDefaultsAndCreatesTheKey)
{
    CConfig config;
    EXPECT_EQ(0u, config.getActif());
    EXPECT_TRUE(registry::keyExists());
    EXPECT_EQ(0u, config.getBlink());
    EXPECT_EQ(0u, config.getDot());
    EXPECT_EQ(0u, config.getPosition());
    EXPECT_EQ(600u, config.getSpeed());
    // The read of a missing value writes nothing, "Couleur" aside.
    EXPECT_TRUE(registry::valueNames().empty());

    g_crColour = 0x123456;
    EXPECT_EQ(0x000000FFu, config.getCouleur());
    EXPECT_EQ(0x000000FFu, g_crColour.load());
    EXPECT_EQ(0x000000FFu, registry::stored(L"Couleur"));
    EXPECT_EQ(std::vector<std::wstring>{L"Couleur"}, registry::valueNames());
}

TEST_F(ConfigTest, EachSetterStoresItsOwnValueUnchangedAndReturnsOne)
{
    CConfig config;
    const DWORD adwValues[] = {1, 0, 7, 2000, 0xFFFFFFFF};
    for (const Accessor& accessor : kPlainAccessors)
    {
        for (DWORD dwValue : adwValues)
        {
            SCOPED_TRACE(testing::Message() << "value " << dwValue);
            registry::deleteKey();
            EXPECT_EQ(1u, (config.*accessor.set)(dwValue));
            EXPECT_EQ(dwValue, registry::stored(accessor.pszName));
            EXPECT_EQ(std::vector<std::wstring>{accessor.pszName}, registry::valueNames());
        }
    }
}

TEST_F(ConfigTest, EachGetterReadsWhatAnyWriterStored)
{
    CConfig config;
    for (const Accessor& accessor : kPlainAccessors)
    {
        SCOPED_TRACE(testing::Message() << "value name " << std::string(accessor.pszName, accessor.pszName + wcslen(accessor.pszName)));
        registry::writeDword(accessor.pszName, 1234);
        EXPECT_EQ(1234u, (config.*accessor.get)());
        registry::writeDword(accessor.pszName, 0xFFFFFFFF);
        EXPECT_EQ(0xFFFFFFFFu, (config.*accessor.get)());
    }
}

TEST_F(ConfigTest, StoredSpeedZeroReadsAsDefaultWithoutWriting)
{
    CConfig config;
    registry::writeDword(L"Speed", 0);
    EXPECT_EQ(600u, config.getSpeed());
    EXPECT_EQ(0u, registry::stored(L"Speed"));
}

TEST_F(ConfigTest, BlackIsStoredButReadsBackAsRedAndIsReplaced)
{
    CConfig config;
    EXPECT_EQ(0u, config.setCouleur(0));
    EXPECT_EQ(0u, registry::stored(L"Couleur"));

    EXPECT_EQ(0x000000FFu, config.getCouleur());
    EXPECT_EQ(0x000000FFu, registry::stored(L"Couleur"));
}

TEST_F(ConfigTest, ColourRoundTripsAndSetterLeavesTheGlobalAlone)
{
    CConfig config;
    g_crColour = 0x111111;
    EXPECT_EQ(0x00336699u, config.setCouleur(0x00336699));
    EXPECT_EQ(0x111111u, g_crColour.load());
    EXPECT_EQ(0x00336699u, config.getCouleur());
    EXPECT_EQ(0x00336699u, g_crColour.load());
}

// Values that are not a 4-byte REG_DWORD read as missing; the query never
// leaks bytes of them into the result.
TEST_F(ConfigTest, ValuesOfAnotherTypeOrLengthReadAsMissing)
{
    struct Malformed
    {
        const char* pszWhat;
        DWORD dwType;
        std::vector<BYTE> bytes;
    };
    const std::wstring strText = L"1234";
    const Malformed aCases[] = {
        {"string", REG_SZ,
         std::vector<BYTE>(reinterpret_cast<const BYTE*>(strText.c_str()),
                           reinterpret_cast<const BYTE*>(strText.c_str() + strText.size() + 1))},
        {"two bytes", REG_DWORD, {0x2C, 0x01}},
        {"sixteen bytes", REG_BINARY, {0x78, 0x56, 0x34, 0x12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"four binary bytes", REG_BINARY, {0x2C, 0x01, 0, 0}},
        {"eight-byte number", REG_QWORD, {0x2C, 0x01, 0, 0, 0, 0, 0, 0}},
        {"empty", REG_DWORD, {}},
    };
    CConfig config;
    for (const Malformed& malformed : aCases)
    {
        SCOPED_TRACE(malformed.pszWhat);
        for (const Accessor& accessor : kPlainAccessors)
        {
            registry::writeRaw(accessor.pszName, malformed.dwType, malformed.bytes.data(),
                               static_cast<DWORD>(malformed.bytes.size()));
        }
        EXPECT_EQ(0u, config.getActif());
        EXPECT_EQ(0u, config.getBlink());
        EXPECT_EQ(0u, config.getDot());
        EXPECT_EQ(0u, config.getPosition());
        EXPECT_EQ(600u, config.getSpeed());
        // A malformed value is left as it is: reading never loses a setting.
        EXPECT_EQ(registry::kMissing, registry::stored(L"Speed"));

        registry::writeRaw(L"Couleur", malformed.dwType, malformed.bytes.data(),
                           static_cast<DWORD>(malformed.bytes.size()));
        EXPECT_EQ(0x000000FFu, config.getCouleur());
    }
}

TEST_F(ConfigTest, FailedWriteShowsItsBoxOnceAndStillReturnsOne)
{
    CModalWatcher watcher(L"CConfig::setWord");
    CConfig config(uncreatableKeyPath().c_str());
    EXPECT_EQ(1u, config.setActif(1));
    EXPECT_EQ(0x00ABCDEFu, config.setCouleur(0x00ABCDEF));
    ASSERT_TRUE(watcher.waitFor(2, 5000));
    for (const CModalWatcher::Seen& seen : watcher.seen())
    {
        EXPECT_EQ(L"CConfig::setWord", seen.strCaption);
        EXPECT_EQ(L"<< DWORD >> Not Set!", seen.strText);
    }
    // Reads of an unreachable key show nothing and give the defaults.
    EXPECT_EQ(0u, config.getActif());
    EXPECT_EQ(600u, config.getSpeed());
    Sleep(200);
    EXPECT_EQ(2u, watcher.count());
}

TEST_F(ConfigTest, FailedColourWriteBackIsReportedToo)
{
    CModalWatcher watcher(L"CConfig::setWord");
    CConfig config(uncreatableKeyPath().c_str());
    EXPECT_EQ(0x000000FFu, config.getCouleur());
    EXPECT_TRUE(watcher.waitFor(1, 5000));
}

// A batch reports its failed writes once it is over, not while it holds the
// store: a box inside it would keep the other thread waiting.
TEST_F(ConfigTest, FailedWritesOfABatchAreReportedWhenItEnds)
{
    CModalWatcher watcher(L"CConfig::setWord");
    CConfig config(uncreatableKeyPath().c_str());
    {
        CConfig::CBatch batch(config);
        config.setBlink(1);
        config.setDot(1);
        Sleep(300);
        EXPECT_EQ(0u, watcher.count()) << "a box came up inside the batch";
    }
    EXPECT_TRUE(watcher.waitFor(2, 5000));
}

// While one thread's failed-write box waits for the user, the other thread
// keeps using the same store.
TEST_F(ConfigTest, BoxNeverBlocksTheOtherThread)
{
    CConfig config(uncreatableKeyPath().c_str());
    std::thread writer([&config] { config.setBlink(1); });
    HWND hwndBox = nullptr;
    for (int i = 0; i < 500 && hwndBox == nullptr; ++i)
    {
        hwndBox = FindWindowW(L"#32770", L"CConfig::setWord");
        Sleep(10);
    }
    ASSERT_NE(nullptr, hwndBox);

    std::atomic<bool> bReadsDone{false};
    std::thread reader([&config, &bReadsDone] {
        for (int i = 0; i < 20; ++i)
            config.getDot();
        bReadsDone = true;
    });
    for (int i = 0; i < 500 && !bReadsDone; ++i)
        Sleep(10);
    EXPECT_TRUE(bReadsDone.load()) << "a read waited for the box";

    PostMessageW(hwndBox, WM_COMMAND, IDOK, 0);
    writer.join();
    reader.join();
}

// Two threads use one store at once, each on a value of its own: no access
// may read or write the value the other names, and every key handle is
// closed once.
TEST_F(ConfigTest, TwoThreadsNeverMixTheirValues)
{
    CConfig config;
    const int kRounds = 3000;
    std::atomic<int> nWrong{0};
    auto hammer = [&](Setter set, Getter get, DWORD dwBase) {
        for (int i = 0; i < kRounds; ++i)
        {
            const DWORD dwValue = dwBase + static_cast<DWORD>(i);
            (config.*set)(dwValue);
            if ((config.*get)() != dwValue)
                ++nWrong;
        }
    };
    const int nHandlesBefore = processinfo::handleCount(GetCurrentProcessId());
    ASSERT_GT(nHandlesBefore, 0) << "the handle count cannot be read";

    std::thread first(hammer, &CConfig::setBlink, &CConfig::getBlink, 0x10000000);
    std::thread second(hammer, &CConfig::setDot, &CConfig::getDot, 0x20000000);
    first.join();
    second.join();

    EXPECT_EQ(0, nWrong.load());
    std::vector<std::wstring> names = registry::valueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::wstring>{L"Blink", L"Dot"}), names);
    EXPECT_EQ(0x10000000u + kRounds - 1, registry::stored(L"Blink"));
    EXPECT_EQ(0x20000000u + kRounds - 1, registry::stored(L"Dot"));

    // 12,000 accesses: a key left open by even one in a hundred would show.
    EXPECT_LE(processinfo::handleCount(GetCurrentProcessId()), nHandlesBefore + 4) << "key handles were left open";
}

} // namespace
