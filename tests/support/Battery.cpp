#include "tests/support/Battery.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace battery {

namespace {

// Wine reaches the Unix file system through drive Z:.
const std::wstring kFolder = L"Z:\\sys\\class\\power_supply\\";
const std::wstring kMarker = kFolder + L"voltrim-fake-battery";
const std::wstring kBattery = kFolder + L"BAT0";
const std::wstring kMains = kFolder + L"AC";

long long chargeFor(unsigned nPercent) { return kChargeFull * nPercent / 100; }
long long energyFor(long long nCharge) { return nCharge * kVoltage / 1000000; }

bool report(const wchar_t* pszWhat, const std::wstring& strPath)
{
    fwprintf(stderr, L"battery: %ls %ls failed (error %lu)\n", pszWhat, strPath.c_str(), GetLastError());
    return false;
}

// Changes only the faked folder; anywhere else it says why it refuses.
bool checkFaked()
{
    if (faked())
        return true;
    fwprintf(stderr, L"battery: no faked battery (%ls is missing); run the tests through scripts/test.sh, "
                     L"which fakes one below Wine\n",
             kMarker.c_str());
    return false;
}

// Written beside the file and renamed over it, so that a reader never meets
// it empty or half written.
bool writeFile(const std::wstring& strPath, const std::string& strValue)
{
    const std::wstring strNew = strPath + L".new";
    HANDLE hFile = CreateFileW(strNew.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return report(L"creating", strNew);
    const std::string strLine = strValue + "\n";
    DWORD cbWritten = 0;
    const bool bWritten = WriteFile(hFile, strLine.data(), static_cast<DWORD>(strLine.size()), &cbWritten, nullptr) &&
                          cbWritten == strLine.size();
    CloseHandle(hFile);
    if (!bWritten)
        return report(L"writing", strNew);
    if (!MoveFileExW(strNew.c_str(), strPath.c_str(), MOVEFILE_REPLACE_EXISTING))
        return report(L"replacing", strPath);
    return true;
}

bool writeAll(const std::wstring& strFolder, std::initializer_list<std::pair<const wchar_t*, std::string>> files)
{
    if (!CreateDirectoryW(strFolder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return report(L"creating", strFolder);
    for (const auto& file : files)
    {
        if (!writeFile(strFolder + L"\\" + file.first, file.second))
            return false;
    }
    return true;
}

bool removeFolder(const std::wstring& strFolder)
{
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((strFolder + L"\\*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return report(L"listing", strFolder);
    bool bRemoved = true;
    do
    {
        const std::wstring strName = fd.cFileName;
        if (strName != L"." && strName != L".." && !DeleteFileW((strFolder + L"\\" + strName).c_str()))
            bRemoved = report(L"removing", strFolder + L"\\" + strName);
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    if (!RemoveDirectoryW(strFolder.c_str()))
        return report(L"removing", strFolder);
    return bRemoved;
}

} // namespace

bool faked()
{
    const DWORD dwAttributes = GetFileAttributesW(kMarker.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool restore()
{
    return checkFaked() &&
           writeAll(kBattery, {{L"type", "Battery"},
                               {L"scope", "System"},
                               {L"status", "Discharging"},
                               {L"present", "1"},
                               {L"charge_full", std::to_string(kChargeFull)},
                               {L"energy_full", std::to_string(energyFor(kChargeFull))},
                               {L"voltage_now", std::to_string(kVoltage)},
                               {L"current_now", std::to_string(kCurrent)},
                               {L"energy_now", std::to_string(energyFor(kChargeFull))},
                               {L"charge_now", std::to_string(kChargeFull)}}) &&
           writeAll(kMains, {{L"type", "Mains"}, {L"online", "0"}});
}

bool setLevel(unsigned nPercent)
{
    // Energy first: Wine reads the charge, which then comes last.
    return checkFaked() && writeFile(kBattery + L"\\energy_now", std::to_string(energyFor(chargeFor(nPercent)))) &&
           writeFile(kBattery + L"\\charge_now", std::to_string(chargeFor(nPercent)));
}

bool setCharging(bool bCharging)
{
    return checkFaked() && writeFile(kBattery + L"\\status", bCharging ? "Charging" : "Discharging");
}

bool setMains(bool bOnline) { return checkFaked() && writeFile(kMains + L"\\online", bOnline ? "1" : "0"); }

bool write(const wchar_t* pszFile, const std::string& strValue)
{
    return checkFaked() && writeFile(kBattery + L"\\" + pszFile, strValue);
}

bool remove(const wchar_t* pszFile)
{
    const std::wstring strPath = kBattery + L"\\" + pszFile;
    return checkFaked() && (DeleteFileW(strPath.c_str()) || report(L"removing", strPath));
}

bool removeBattery() { return checkFaked() && removeFolder(kBattery); }

bool removeMains() { return checkFaked() && removeFolder(kMains); }

std::string read(const wchar_t* pszFile)
{
    HANDLE hFile = CreateFileW((kBattery + L"\\" + pszFile).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return std::string();
    char sz[64];
    DWORD cbRead = 0;
    ReadFile(hFile, sz, sizeof sz, &cbRead, nullptr);
    CloseHandle(hFile);
    std::string strValue(sz, cbRead);
    while (!strValue.empty() && (strValue.back() == '\n' || strValue.back() == '\r'))
        strValue.pop_back();
    return strValue;
}

} // namespace battery
