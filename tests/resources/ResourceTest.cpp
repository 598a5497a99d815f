// Reads every resource back from the built Voltrim.exe and checks it against
// what the program and its users rely on: identifiers, languages, templates,
// pictures, icon, strings, accelerators and version.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "res/resource.h"
#include "tests/resources/DialogTemplate.h"
#include "tests/resources/VoltrimModule.h"

namespace {

constexpr WORD kEnglishUS = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US); // 1033
constexpr WORD kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);         // 1036

class CResourceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_pModule = new CVoltrimModule; }
    static void TearDownTestSuite()
    {
        delete s_pModule;
        s_pModule = nullptr;
    }
    void SetUp() override { ASSERT_NE(s_pModule->handle(), nullptr) << "cannot open the built program"; }

    static const CVoltrimModule& module() { return *s_pModule; }

private:
    static CVoltrimModule* s_pModule;
};

CVoltrimModule* CResourceTest::s_pModule = nullptr;

// ---------------------------------------------------------------------------
// Which resources exist, and in which language.

struct ResourceCase
{
    LPCWSTR pszType;
    WORD wId;
    WORD wLanguage;
};

// Every resource of the program. String ids 1 and 3 live in block 1, ids 104
// and 105 in block 7 (a block holds ids 16 * (n - 1) to 16 * n - 1).
const ResourceCase kResources[] = {
    {RT_DIALOG, IDD_MAIN, kEnglishUS},
    {RT_DIALOG, IDD_ABOUT, kFrench},
    {RT_BITMAP, IDB_MINUS, kFrench},
    {RT_BITMAP, IDB_PLUS, kFrench},
    {RT_BITMAP, IDB_ARROWS, kFrench},
    {RT_BITMAP, IDB_CHECK, kFrench},
    {RT_BITMAP, IDB_CROSS, kFrench},
    {RT_BITMAP, IDB_EXCLAMATION, kFrench},
    {RT_GROUP_ICON, IDI_VOLTRIM, kEnglishUS},
    {RT_ICON, 1, kEnglishUS},
    {RT_ICON, 2, kEnglishUS},
    {RT_STRING, 1, kEnglishUS},
    {RT_STRING, 7, kEnglishUS},
    {RT_ACCELERATOR, IDR_ACCELERATORS, kEnglishUS},
    {RT_VERSION, 1, kFrench},
};

TEST_F(CResourceTest, EachResourceExistsInItsOneLanguage)
{
    for (const ResourceCase& c : kResources)
    {
        SCOPED_TRACE(testing::Message() << "type " << reinterpret_cast<UINT_PTR>(c.pszType)
                                        << ", id " << c.wId);
        EXPECT_NE(module().data(c.pszType, c.wId, c.wLanguage), nullptr);
        EXPECT_EQ(module().languages(c.pszType, c.wId), std::vector<WORD>{c.wLanguage});
    }
}

BOOL CALLBACK collectName(HMODULE, LPCWSTR pszType, LPWSTR pszName, LONG_PTR lParam)
{
    auto* pFound = reinterpret_cast<std::set<std::pair<UINT_PTR, UINT_PTR>>*>(lParam);
    // A name that is a string, not a number, shows up as a pointer above 0xFFFF.
    pFound->insert({reinterpret_cast<UINT_PTR>(pszType), reinterpret_cast<UINT_PTR>(pszName)});
    return TRUE;
}

BOOL CALLBACK collectType(HMODULE hModule, LPWSTR pszType, LONG_PTR lParam)
{
    EnumResourceNamesW(hModule, pszType, collectName, lParam);
    return TRUE;
}

TEST_F(CResourceTest, NoOtherResourceExists)
{
    std::set<std::pair<UINT_PTR, UINT_PTR>> found;
    EnumResourceTypesW(module().handle(), collectType, reinterpret_cast<LONG_PTR>(&found));
    std::set<std::pair<UINT_PTR, UINT_PTR>> expected;
    for (const ResourceCase& c : kResources)
        expected.insert({reinterpret_cast<UINT_PTR>(c.pszType), c.wId});
    EXPECT_EQ(found, expected);
}

// ---------------------------------------------------------------------------
// Dialog templates.

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const NameOrOrdinal kButton = ordinal(0x0080);
const NameOrOrdinal kStatic = ordinal(0x0082);
const NameOrOrdinal kComboBox = ordinal(0x0085);
const NameOrOrdinal kTrackbar = text(L"msctls_trackbar32");
constexpr WORD kNoId = 0xFFFF;

struct ItemCase
{
    WORD wId;
    NameOrOrdinal cls;
    NameOrOrdinal title;
    DWORD dwStyle;
    short x, y, cx, cy;
};

struct TemplateCase
{
    const char* pszName;
    WORD wId;
    WORD wLanguage;
    const wchar_t* pszTitle;
    DWORD dwStyle;
    DWORD dwExStyle;
    short x, y, cx, cy;
    std::vector<ItemCase> items;
};

const TemplateCase kTemplates[] = {
    {"Settings", IDD_MAIN, kEnglishUS, L"Voltrim",
     DS_MODALFRAME | DS_CENTER | DS_SETFOREGROUND | DS_SETFONT | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
     0, 0, 0, 133, 139,
     {
         {IDOK, kButton, text(L"&Keep Line"), kChild | BS_PUSHBUTTON, 20, 101, 38, 14},
         {IDC_ACTIVE, kButton, text(L"&Active"), kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 10, 17, 45, 9},
         {IDC_COLOUR, kButton, text(L"Line &color"), kChild | BS_PUSHBUTTON | WS_TABSTOP, 65, 28, 55, 11},
         {IDC_BLINK, kButton, text(L"B&linking Line"), kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 66, 16, 54, 11},
         {IDC_DOTTED, kButton, text(L"&Dotted line"), kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 10, 29, 51, 10},
         {IDC_SPEED, kTrackbar, text(L"Slider1"),
          kChild | TBS_HORZ | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP, 22, 80, 88, 11},
         {IDC_EXIT, kButton, text(L"E&xit"), kChild | BS_PUSHBUTTON | WS_TABSTOP, 79, 118, 41, 14},
         {IDC_POSITION, kComboBox, text(L""),
          kChild | CBS_DROPDOWNLIST | CBS_DISABLENOSCROLL | WS_TABSTOP, 65, 52, 52, 52},
         {IDC_ABOUT, kButton, text(L"Ab&out"), kChild | BS_PUSHBUTTON | WS_TABSTOP, 79, 101, 41, 14},
         {kNoId, kButton, text(L"Settings"), kChild | BS_GROUPBOX, 7, 7, 119, 36},
         {kNoId, kStatic, ordinal(115), kChild | SS_BITMAP, 114, 82, 7, 6},
         {kNoId, kStatic, ordinal(116), kChild | SS_BITMAP, 11, 82, 7, 6},
         {kNoId, kButton, text(L"Update speed"), kChild | BS_GROUPBOX, 7, 71, 119, 23},
         {kNoId, kStatic, ordinal(117), kChild | SS_BITMAP, 16, 56, 33, 6},
         {kNoId, kButton, text(L"Line Position"), kChild | BS_GROUPBOX, 7, 45, 119, 22},
         {kNoId, kStatic, ordinal(118), kChild | SS_BITMAP, 8, 103, 11, 10},
         {kNoId, kStatic, ordinal(119), kChild | SS_BITMAP, 67, 120, 11, 10},
         {kNoId, kStatic, ordinal(121), kChild | SS_BITMAP, 68, 103, 11, 10},
     }},
    {"About", IDD_ABOUT, kFrench, L"About Voltrim", 0x12C00EC0, 0x00000280, 0, 0, 115, 90,
     {
         {IDOK, kButton, text(L"OK"), 0x50010001, 31, 69, 50, 14},
         {kNoId, kStatic, ordinal(101), 0x50000003, 13, 8, 20, 20},
         {kNoId, kStatic, text(L"Version 1.1"), 0x50020000, 17, 33, 89, 37},
         {kNoId, kStatic, text(L"  Voltrim"), 0x50820000, 42, 13, 48, 10},
     }},
};

// windres stores every class name in capitals ("MSCTLS_TRACKBAR32"); the
// platform looks window classes up without regard to case, so a name is
// compared the same way. Ordinals must match exactly.
bool sameClass(const NameOrOrdinal& actual, const NameOrOrdinal& expected)
{
    if (actual.bOrdinal || expected.bOrdinal)
        return actual == expected;
    return lstrcmpiW(actual.str.c_str(), expected.str.c_str()) == 0;
}

// Short names for the cases in the test listing, which CTest turns into names.
void PrintTo(const TemplateCase& c, std::ostream* pos) { *pos << c.pszName; }

class CTemplateTest : public CResourceTest, public ::testing::WithParamInterface<TemplateCase>
{
};

TEST_P(CTemplateTest, HeaderAndEveryControlAreAsLaidOut)
{
    const TemplateCase& c = GetParam();
    const std::vector<BYTE> bytes = module().bytes(RT_DIALOG, c.wId, c.wLanguage);
    ASSERT_FALSE(bytes.empty());
    // A DLGTEMPLATEEX would start with 1, 0xFFFF.
    ASSERT_FALSE(readAt<WORD>(bytes.data(), 0) == 1 && readAt<WORD>(bytes.data(), 2) == 0xFFFF);

    const DialogTemplate dlg = parseDialogTemplate(bytes.data());
    EXPECT_EQ(dlg.dwStyle, c.dwStyle);
    EXPECT_EQ(dlg.dwExStyle, c.dwExStyle);
    EXPECT_EQ(std::make_tuple(dlg.x, dlg.y, dlg.cx, dlg.cy), std::make_tuple(c.x, c.y, c.cx, c.cy));
    EXPECT_EQ(dlg.menu, text(L"")) << "no menu";
    EXPECT_EQ(dlg.cls, text(L"")) << "no window class of its own";
    EXPECT_EQ(dlg.strTitle, c.pszTitle);
    EXPECT_EQ(dlg.wPointSize, 8);
    EXPECT_EQ(dlg.strFont, L"System");
    EXPECT_LE(dlg.cbParsed, bytes.size());
    EXPECT_GE(dlg.cbParsed + 3, bytes.size()) << "bytes after the last control";

    ASSERT_EQ(dlg.items.size(), c.items.size());
    for (size_t i = 0; i < c.items.size(); ++i)
    {
        const ItemCase& expected = c.items[i];
        const DialogItem& item = dlg.items[i];
        SCOPED_TRACE(testing::Message() << "control " << i << ", id " << expected.wId);
        EXPECT_EQ(item.wId, expected.wId);
        EXPECT_PRED2(sameClass, item.cls, expected.cls);
        EXPECT_EQ(item.title, expected.title);
        EXPECT_EQ(item.dwStyle, expected.dwStyle);
        EXPECT_EQ(item.dwExStyle, 0u);
        EXPECT_EQ(std::make_tuple(item.x, item.y, item.cx, item.cy),
                  std::make_tuple(expected.x, expected.y, expected.cx, expected.cy));
        EXPECT_EQ(item.cbCreationData, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, CTemplateTest, ::testing::ValuesIn(kTemplates),
                         [](const auto& info) { return std::string(info.param.pszName); });

// ---------------------------------------------------------------------------
// Bitmaps.

constexpr COLORREF kGround = RGB(251, 251, 251);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(204, 204, 204);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct Pixel
{
    int x, y; // from the top left
    COLORREF cr;
};

struct BitmapCase
{
    WORD wId;
    LONG cx, cy;
    WORD wBits;
    std::set<COLORREF> colours; // exactly the colours that the picture uses
    std::vector<Pixel> pixels;
};

const BitmapCase kBitmaps[] = {
    // Minus: the bar, its shadow right below it, the ground around.
    {IDB_MINUS, 10, 10, 8, {kGround, kRed, kShadow},
     {{1, 4, kRed}, {7, 4, kRed}, {1, 5, kShadow}, {7, 5, kShadow}, {4, 3, kGround}, {0, 0, kGround},
      {8, 4, kGround}}},
    // Plus: both bars, the shadow below the crossbar and below the upright.
    {IDB_PLUS, 10, 10, 8, {kGround, kRed, kShadow},
     {{4, 1, kRed}, {4, 7, kRed}, {1, 4, kRed}, {7, 4, kRed}, {1, 5, kShadow}, {4, 8, kShadow},
      {0, 0, kGround}, {3, 1, kGround}}},
    // Arrows up, down, left, right: each tip red with the ground beside it.
    {IDB_ARROWS, 50, 10, 8, {kGround, kRed, kShadow},
     {{6, 1, kRed}, {5, 1, kGround}, {7, 1, kGround}, {6, 8, kShadow},
      {18, 7, kRed}, {18, 1, kRed}, {15, 1, kGround},
      {27, 4, kRed}, {27, 3, kGround},
      {45, 4, kRed}, {45, 3, kGround}, {0, 0, kGround}}},
    // Check mark: the short and the long stroke, shadow below right.
    {IDB_CHECK, 16, 16, 24, {kWhite, kGreen, kShadow},
     {{2, 8, kGreen}, {5, 11, kGreen}, {12, 3, kGreen}, {7, 12, kShadow}, {0, 0, kWhite},
      {15, 15, kWhite}}},
    // Cross: both diagonals and where they meet.
    {IDB_CROSS, 16, 16, 24, {kWhite, kRed, kShadow},
     {{2, 2, kRed}, {12, 2, kRed}, {7, 7, kRed}, {2, 12, kRed}, {12, 12, kRed}, {14, 13, kShadow},
      {0, 15, kWhite}, {7, 0, kWhite}}},
    // Exclamation mark: yellow bar and dot in black outlines, the gap between.
    {IDB_EXCLAMATION, 16, 16, 24, {kWhite, kYellow, kBlack, kShadow},
     {{7, 2, kYellow}, {8, 8, kYellow}, {6, 1, kBlack}, {9, 9, kBlack}, {7, 12, kYellow},
      {6, 11, kBlack}, {6, 10, kWhite}, {10, 15, kShadow}, {0, 0, kWhite}}},
};

// The colour of pixel (x, y), counted from the top of a bottom-up DIB.
COLORREF dibPixel(const BYTE* pb, int x, int y)
{
    const auto* pbih = reinterpret_cast<const BITMAPINFOHEADER*>(pb);
    const int cbRow = ((pbih->biWidth * pbih->biBitCount + 31) / 32) * 4;
    const DWORD cColours = pbih->biBitCount <= 8 ? (pbih->biClrUsed ? pbih->biClrUsed : 1u << pbih->biBitCount) : 0;
    const BYTE* pbRow = pb + pbih->biSize + 4 * cColours + cbRow * (pbih->biHeight - 1 - y);
    if (pbih->biBitCount == 24)
        return RGB(pbRow[3 * x + 2], pbRow[3 * x + 1], pbRow[3 * x]);
    const auto* prgb = reinterpret_cast<const RGBQUAD*>(pb + pbih->biSize);
    const RGBQUAD& q = prgb[pbRow[x]];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

void PrintTo(const BitmapCase& c, std::ostream* pos) { *pos << "bitmap " << c.wId; }

class CBitmapTest : public CResourceTest, public ::testing::WithParamInterface<BitmapCase>
{
};

TEST_P(CBitmapTest, HeaderPaletteAndPixelsAreAsDrawn)
{
    const BitmapCase& c = GetParam();
    const std::vector<BYTE> bytes = module().bytes(RT_BITMAP, c.wId, kFrench);
    ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER bih;
    memcpy(&bih, bytes.data(), sizeof bih);
    EXPECT_EQ(bih.biSize, 40u);
    EXPECT_EQ(bih.biWidth, c.cx);
    EXPECT_EQ(bih.biHeight, c.cy) << "positive: rows stored bottom-up";
    EXPECT_EQ(bih.biPlanes, 1);
    EXPECT_EQ(bih.biBitCount, c.wBits);
    EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));
    const DWORD cColours = c.wBits == 8 ? 256 : 0;
    EXPECT_TRUE(bih.biClrUsed == 0 || bih.biClrUsed == cColours) << bih.biClrUsed;
    const size_t cbRow = ((c.cx * c.wBits + 31) / 32) * 4;
    ASSERT_EQ(bytes.size(), 40 + 4 * cColours + cbRow * c.cy) << "header, palette and rows, nothing else";

    std::set<COLORREF> used;
    for (int y = 0; y < c.cy; ++y)
        for (int x = 0; x < c.cx; ++x)
            used.insert(dibPixel(bytes.data(), x, y));
    EXPECT_EQ(used, c.colours);
    for (const Pixel& p : c.pixels)
        EXPECT_EQ(dibPixel(bytes.data(), p.x, p.y), p.cr) << "pixel (" << p.x << ", " << p.y << ")";
}

INSTANTIATE_TEST_SUITE_P(Pictures, CBitmapTest, ::testing::ValuesIn(kBitmaps),
                         [](const auto& info) { return std::to_string(info.param.wId); });

// ---------------------------------------------------------------------------
// Icon group 101 and its two images.

#pragma pack(push, 2)
struct GroupIconEntry
{
    BYTE bWidth, bHeight, bColourCount, bReserved;
    WORD wPlanes, wBitCount;
    DWORD dwBytesInRes;
    WORD nId;
};
#pragma pack(pop)

// The 16 colours of the images, in their palette order.
const COLORREF kIconPalette[16] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(128, 128, 128),
    RGB(192, 192, 192), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
};
constexpr COLORREF kDarkGrey = RGB(128, 128, 128);
constexpr COLORREF kLightGrey = RGB(192, 192, 192);
constexpr COLORREF kTransparent = 0xFFFFFFFF;

struct IconCase
{
    WORD wId;
    BYTE bSize;
    DWORD cb;
    std::vector<Pixel> pixels; // kTransparent where the mask lets the ground through
};

const IconCase kIcons[] = {
    {1, 32, 744,
     {{0, 0, kTransparent}, {31, 31, kTransparent}, {15, 2, kTransparent}, {2, 5, kRed}, {29, 6, kRed},
      {2, 12, kBlack}, {27, 25, kBlack}, {30, 18, kBlack}, {30, 14, kTransparent}, {10, 18, kDarkGrey},
      {24, 18, kLightGrey}}},
    {2, 16, 296,
     {{0, 0, kTransparent}, {15, 15, kTransparent}, {1, 3, kRed}, {14, 3, kRed}, {1, 7, kBlack},
      {13, 13, kBlack}, {14, 10, kBlack}, {14, 7, kTransparent}, {5, 10, kDarkGrey}, {11, 10, kLightGrey}}},
};

TEST_F(CResourceTest, IconGroupListsItsTwoImages)
{
    const std::vector<BYTE> bytes = module().bytes(RT_GROUP_ICON, IDI_VOLTRIM, kEnglishUS);
    ASSERT_EQ(bytes.size(), 6 + 2 * sizeof(GroupIconEntry));
    EXPECT_EQ(readAt<WORD>(bytes.data(), 0), 0);
    EXPECT_EQ(readAt<WORD>(bytes.data(), 2), 1) << "icon, not cursor";
    ASSERT_EQ(readAt<WORD>(bytes.data(), 4), 2);
    for (size_t i = 0; i < 2; ++i)
    {
        const auto entry = readAt<GroupIconEntry>(bytes.data(), 6 + i * sizeof(GroupIconEntry));
        const IconCase& c = kIcons[i];
        SCOPED_TRACE(testing::Message() << "image " << c.wId);
        EXPECT_EQ(entry.nId, c.wId);
        EXPECT_EQ(entry.bWidth, c.bSize);
        EXPECT_EQ(entry.bHeight, c.bSize);
        EXPECT_EQ(entry.bColourCount, 16);
        EXPECT_EQ(entry.wPlanes, 1);
        EXPECT_EQ(entry.wBitCount, 4);
        EXPECT_EQ(entry.dwBytesInRes, c.cb);
    }
    // The platform picks the image of each size from the group.
    const BYTE* pbGroup = module().data(RT_GROUP_ICON, IDI_VOLTRIM, kEnglishUS);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<BYTE*>(pbGroup), TRUE, 32, 32, LR_DEFAULTCOLOR), 1);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<BYTE*>(pbGroup), TRUE, 16, 16, LR_DEFAULTCOLOR), 2);
}

void PrintTo(const IconCase& c, std::ostream* pos) { *pos << "image " << c.wId; }

class CIconTest : public CResourceTest, public ::testing::WithParamInterface<IconCase>
{
};

TEST_P(CIconTest, ImageHasSixteenColoursAMaskAndTheBattery)
{
    const IconCase& c = GetParam();
    const std::vector<BYTE> bytes = module().bytes(RT_ICON, c.wId, kEnglishUS);
    ASSERT_EQ(bytes.size(), c.cb);
    BITMAPINFOHEADER bih;
    memcpy(&bih, bytes.data(), sizeof bih);
    EXPECT_EQ(bih.biSize, 40u);
    EXPECT_EQ(bih.biWidth, c.bSize);
    EXPECT_EQ(bih.biHeight, 2 * c.bSize) << "colour rows and mask rows";
    EXPECT_EQ(bih.biPlanes, 1);
    EXPECT_EQ(bih.biBitCount, 4);
    EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));
    const auto* prgb = reinterpret_cast<const RGBQUAD*>(bytes.data() + 40);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(RGB(prgb[i].rgbRed, prgb[i].rgbGreen, prgb[i].rgbBlue), kIconPalette[i]) << "entry " << i;

    const size_t cbColourRow = ((c.bSize * 4 + 31) / 32) * 4;
    const size_t cbMaskRow = ((c.bSize + 31) / 32) * 4;
    const BYTE* pbColours = bytes.data() + 40 + 16 * 4;
    const BYTE* pbMask = pbColours + cbColourRow * c.bSize;
    ASSERT_EQ(pbMask + cbMaskRow * c.bSize, bytes.data() + bytes.size());
    auto pixel = [&](int x, int y) {
        const int row = c.bSize - 1 - y;
        if (pbMask[row * cbMaskRow + x / 8] & (0x80 >> (x % 8)))
            return kTransparent;
        const BYTE b = pbColours[row * cbColourRow + x / 2];
        return kIconPalette[x % 2 ? b & 0x0F : b >> 4];
    };
    for (const Pixel& p : c.pixels)
        EXPECT_EQ(pixel(p.x, p.y), p.cr) << "pixel (" << p.x << ", " << p.y << ")";
    // Transparent pixels carry black in the colour part, so that nothing shows.
    for (int y = 0; y < c.bSize; ++y)
    {
        for (int x = 0; x < c.bSize; ++x)
        {
            const int row = c.bSize - 1 - y;
            if (pixel(x, y) == kTransparent)
            {
                EXPECT_EQ(pbColours[row * cbColourRow + x / 2] >> (x % 2 ? 0 : 4) & 0x0F, 0);
            }
        }
    }
    HICON hIcon = CreateIconFromResourceEx(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                                           TRUE, 0x00030000, c.bSize, c.bSize, LR_DEFAULTCOLOR);
    EXPECT_NE(hIcon, nullptr) << "the platform accepts the image";
    DestroyIcon(hIcon);
}

INSTANTIATE_TEST_SUITE_P(Images, CIconTest, ::testing::ValuesIn(kIcons),
                         [](const auto& info) { return "Image" + std::to_string(info.param.wId); });

// ---------------------------------------------------------------------------
// String table.

// The 16 strings of one block, empty where the table has none.
std::vector<std::wstring> stringBlock(const std::vector<BYTE>& bytes)
{
    std::vector<std::wstring> strings;
    size_t cb = 0;
    for (int i = 0; i < 16 && cb + 2 <= bytes.size(); ++i)
    {
        const WORD cch = readAt<WORD>(bytes.data(), cb);
        cb += 2;
        std::wstring str;
        for (WORD j = 0; j < cch; ++j, cb += 2)
            str += static_cast<wchar_t>(readAt<WORD>(bytes.data(), cb));
        strings.push_back(str);
    }
    return strings;
}

TEST_F(CResourceTest, StringTableHoldsExactlyItsFourTexts)
{
    struct BlockCase
    {
        WORD wBlock;
        std::vector<std::pair<int, std::wstring>> texts;
    };
    const BlockCase kBlocks[] = {
        {1, {{IDS_APP_TITLE, L"Voltrim"}, {IDS_APP_NAME, L"Voltrim"}}},
        {7, {{IDS_INFO, L"Info"}, {IDS_TOP, L"top"}}},
    };
    for (const BlockCase& block : kBlocks)
    {
        SCOPED_TRACE(testing::Message() << "block " << block.wBlock);
        std::vector<std::wstring> expected(16);
        for (const auto& [id, str] : block.texts)
            expected[id % 16] = str;
        EXPECT_EQ(stringBlock(module().bytes(RT_STRING, block.wBlock, kEnglishUS)), expected);
        for (const auto& [id, str] : block.texts)
        {
            wchar_t sz[64] = L"sentinel";
            LoadStringW(module().handle(), id, sz, 64);
            EXPECT_EQ(std::wstring(sz), str) << "string " << id << " as the platform loads it";
        }
    }
}

// ---------------------------------------------------------------------------
// Accelerator table 3.

TEST_F(CResourceTest, AcceleratorTableHasCtrlAThenCtrlQ)
{
    struct AccelEntry
    {
        WORD fFlags, wKey, wCommand, wPadding;
    };
    const AccelEntry kExpected[] = {
        // FVIRTKEY | FCONTROL | FNOINVERT, and 0x80 on the last entry.
        {0x0B, 'A', IDM_CTRL_A, 0},
        {0x8B, 'Q', IDOK, 0},
    };
    const std::vector<BYTE> bytes = module().bytes(RT_ACCELERATOR, IDR_ACCELERATORS, kEnglishUS);
    ASSERT_EQ(bytes.size(), sizeof kExpected);
    for (size_t i = 0; i < std::size(kExpected); ++i)
    {
        const auto entry = readAt<AccelEntry>(bytes.data(), i * sizeof(AccelEntry));
        SCOPED_TRACE(testing::Message() << "entry " << i);
        EXPECT_EQ(entry.fFlags, kExpected[i].fFlags);
        EXPECT_EQ(entry.wKey, kExpected[i].wKey);
        EXPECT_EQ(entry.wCommand, kExpected[i].wCommand);
    }
}

// ---------------------------------------------------------------------------
// Version block.

// One node of the version block: key, value (as text when it is text) and
// children, walked from the raw resource so that their order shows.
struct VersionNode
{
    std::wstring strKey;
    WORD wType = 0;
    WORD wValueLength = 0;
    std::wstring strValue;
    std::vector<VersionNode> children;
};

VersionNode readVersionNode(const BYTE* pb)
{
    VersionNode node;
    const WORD cbNode = readAt<WORD>(pb, 0);
    node.wValueLength = readAt<WORD>(pb, 2);
    node.wType = readAt<WORD>(pb, 4);
    size_t cb = 6;
    for (WORD w = readAt<WORD>(pb, cb); w != 0; w = readAt<WORD>(pb, cb))
    {
        node.strKey += static_cast<wchar_t>(w);
        cb += 2;
    }
    cb = (cb + 2 + 3) & ~size_t(3);
    if (node.wType == 1)
    {
        for (WORD i = 0; i < node.wValueLength; ++i)
            if (const WORD w = readAt<WORD>(pb, cb + 2 * i))
                node.strValue += static_cast<wchar_t>(w);
        cb += 2 * node.wValueLength;
    }
    else
    {
        cb += node.wValueLength;
    }
    cb = (cb + 3) & ~size_t(3);
    while (cb < cbNode)
    {
        node.children.push_back(readVersionNode(pb + cb));
        cb = (cb + readAt<WORD>(pb, cb) + 3) & ~size_t(3);
    }
    return node;
}

TEST_F(CResourceTest, VersionFixedPartAsThePlatformReadsIt)
{
    DWORD dwHandle = 0;
    const DWORD cb = GetFileVersionInfoSizeW(kVoltrimExe, &dwHandle);
    ASSERT_NE(cb, 0u);
    std::vector<BYTE> info(cb);
    ASSERT_TRUE(GetFileVersionInfoW(kVoltrimExe, 0, cb, info.data()));

    VS_FIXEDFILEINFO* pffi = nullptr;
    UINT cbFixed = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&pffi), &cbFixed));
    ASSERT_EQ(cbFixed, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(pffi->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(pffi->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(pffi->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(pffi->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(pffi->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(pffi->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(pffi->dwFileFlags, 0u);
    EXPECT_EQ(pffi->dwFileOS, 0x00040004u);
    EXPECT_EQ(pffi->dwFileType, 1u);
    EXPECT_EQ(pffi->dwFileSubtype, 0u);
    EXPECT_EQ(pffi->dwFileDateMS, 0u);
    EXPECT_EQ(pffi->dwFileDateLS, 0u);

    WORD* pwTranslation = nullptr;
    UINT cbTranslation = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&pwTranslation), &cbTranslation));
    ASSERT_EQ(cbTranslation, 4u) << "one translation";
    EXPECT_EQ(pwTranslation[0], 0x040C);
    EXPECT_EQ(pwTranslation[1], 1200);

    wchar_t* pszProduct = nullptr;
    UINT cchProduct = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040c04b0\\ProductName",
                               reinterpret_cast<void**>(&pszProduct), &cchProduct));
    EXPECT_EQ(std::wstring(pszProduct), L"Voltrim for Pocket PC");
}

TEST_F(CResourceTest, VersionStringTableHasItsKeysInOrder)
{
    const VersionNode root = readVersionNode(module().data(RT_VERSION, 1, kFrench));
    EXPECT_EQ(root.strKey, L"VS_VERSION_INFO");
    EXPECT_EQ(root.wValueLength, sizeof(VS_FIXEDFILEINFO));
    ASSERT_EQ(root.children.size(), 2u);

    const VersionNode& stringInfo = root.children[0];
    EXPECT_EQ(stringInfo.strKey, L"StringFileInfo");
    ASSERT_EQ(stringInfo.children.size(), 1u) << "one string table";
    const VersionNode& table = stringInfo.children[0];
    EXPECT_EQ(table.strKey, L"040c04b0");

    const std::vector<std::pair<std::wstring, std::wstring>> kExpected = {
        {L"Comments", L""},
        {L"CompanyName", L"Orvane"},
        {L"FileDescription", L"Voltrim"},
        {L"FileVersion", L"1, 1, 0, 1"},
        {L"InternalName", L"Voltrim"},
        {L"LegalTrademarks", L""},
        {L"OriginalFilename", L"Voltrim.exe"},
        {L"PrivateBuild", L""},
        {L"ProductName", L"Voltrim for Pocket PC"},
        {L"ProductVersion", L"1, 1, 0, 1"},
        {L"SpecialBuild", L""},
    };
    std::vector<std::pair<std::wstring, std::wstring>> actual;
    for (const VersionNode& value : table.children)
    {
        EXPECT_EQ(value.wType, 1) << "text value";
        actual.push_back({value.strKey, value.strValue});
    }
    EXPECT_EQ(actual, kExpected);

    const VersionNode& varInfo = root.children[1];
    EXPECT_EQ(varInfo.strKey, L"VarFileInfo");
    ASSERT_EQ(varInfo.children.size(), 1u);
    EXPECT_EQ(varInfo.children[0].strKey, L"Translation");
}

} // namespace
