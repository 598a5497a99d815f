#include "tests/support/ProcessInfo.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstddef>
#include <vector>

namespace {

// SystemExtendedHandleInformation: one entry per handle of every process.
const SYSTEM_INFORMATION_CLASS kSystemExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
const NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

struct CHandleEntry
{
    PVOID pObject;
    ULONG_PTR uProcessId;
    ULONG_PTR uHandle;
    ULONG ulAccess;
    USHORT usBackTraceIndex;
    USHORT usTypeIndex;
    ULONG ulAttributes;
    ULONG ulReserved;
};

struct CHandleList
{
    ULONG_PTR uCount;
    ULONG_PTR uReserved;
    CHandleEntry aEntries[1];
};

// One slot of the GDI handle table; a live object has a nonzero type.
struct CGdiEntry
{
    UINT64 uObject;
    ULONG ulOwner;
    USHORT usUnique;
    UCHAR byType;
    UCHAR byFlags;
    UINT64 uUserPointer;
};
static_assert(sizeof(CGdiEntry) == 24, "layout of a GDI handle table slot");

const size_t kGdiTableSlots = 0x10000;
const USHORT kGdiStockFlag = 0x80;
// The address a thread was started at.
const THREADINFOCLASS kThreadQuerySetWin32StartAddress = static_cast<THREADINFOCLASS>(9);

// PEB.GdiSharedHandleTable on 64-bit Windows.
const size_t kPebGdiTableOffset = 0xF8;

// The identifiers of the threads of a process.
bool threadsOf(DWORD dwProcessId, std::vector<DWORD>& threads)
{
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return false;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL bMore = Thread32First(hSnapshot, &te); bMore; bMore = Thread32Next(hSnapshot, &te))
        if (te.th32OwnerProcessID == dwProcessId)
            threads.push_back(te.th32ThreadID);
    CloseHandle(hSnapshot);
    return true;
}

} // namespace

namespace processinfo {

int handleCount(DWORD dwProcessId)
{
    std::vector<BYTE> buffer(1 << 20);
    for (;;)
    {
        ULONG cbNeeded = 0;
        const NTSTATUS status = NtQuerySystemInformation(kSystemExtendedHandleInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &cbNeeded);
        if (status == kStatusInfoLengthMismatch && buffer.size() < (64u << 20))
        {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0)
            return -1;
        break;
    }
    const auto* pList = reinterpret_cast<const CHandleList*>(buffer.data());
    int nCount = 0;
    for (ULONG_PTR i = 0; i < pList->uCount; ++i)
        if (pList->aEntries[i].uProcessId == dwProcessId)
            ++nCount;
    return nCount;
}

int gdiObjectCount(HANDLE hProcess)
{
    PROCESS_BASIC_INFORMATION pbi{};
    ULONG cb = 0;
    if (NtQueryInformationProcess(hProcess, ProcessBasicInformation, &pbi, sizeof pbi, &cb) != 0)
        return -1;
    UINT64 uTable = 0;
    SIZE_T cbRead = 0;
    if (!ReadProcessMemory(hProcess, reinterpret_cast<const BYTE*>(pbi.PebBaseAddress) + kPebGdiTableOffset, &uTable,
                           sizeof uTable, &cbRead) ||
        uTable == 0)
        return -1;
    std::vector<CGdiEntry> table(kGdiTableSlots);
    if (!ReadProcessMemory(hProcess, reinterpret_cast<LPCVOID>(uTable), table.data(), table.size() * sizeof(CGdiEntry),
                           &cbRead))
        return -1;
    int nCount = 0;
    for (const CGdiEntry& entry : table)
        if (entry.byType != 0 && (entry.usUnique & kGdiStockFlag) == 0)
            ++nCount;
    return nCount;
}

int workerCount(HANDLE hProcess, DWORD dwProcessId)
{
    HMODULE hExe = nullptr;
    DWORD cbNeeded = 0;
    MODULEINFO mi{};
    // The first module that a process lists is its executable.
    if (!K32EnumProcessModules(hProcess, &hExe, sizeof hExe, &cbNeeded) ||
        !K32GetModuleInformation(hProcess, hExe, &mi, sizeof mi))
        return -1;
    const auto* pbBase = static_cast<const BYTE*>(mi.lpBaseOfDll);
    std::vector<DWORD> threads;
    if (!threadsOf(dwProcessId, threads))
        return -1;
    int nCount = 0;
    for (DWORD dwThreadId : threads)
    {
        HANDLE hThread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, dwThreadId);
        if (hThread == nullptr)
            continue;
        const BYTE* pbStart = nullptr;
        if (NtQueryInformationThread(hThread, kThreadQuerySetWin32StartAddress, &pbStart, sizeof pbStart, nullptr) ==
                0 &&
            pbStart >= pbBase && pbStart < pbBase + mi.SizeOfImage && pbStart != mi.EntryPoint)
            ++nCount;
        CloseHandle(hThread);
    }
    return nCount;
}

int threadCount(DWORD dwProcessId)
{
    std::vector<DWORD> threads;
    return threadsOf(dwProcessId, threads) ? static_cast<int>(threads.size()) : -1;
}

CSample sample(HANDLE hProcess, DWORD dwProcessId)
{
    CSample s;
    s.nHandles = handleCount(dwProcessId);
    s.nGdiObjects = gdiObjectCount(hProcess);
    s.nThreads = threadCount(dwProcessId);
    s.nWorkers = workerCount(hProcess, dwProcessId);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (K32GetProcessMemoryInfo(hProcess, &pmc, sizeof pmc))
    {
        s.cbWorkingSet = pmc.WorkingSetSize;
        s.cbPeakWorkingSet = pmc.PeakWorkingSetSize;
        s.cbPrivate = pmc.PagefileUsage;
    }
    return s;
}

} // namespace processinfo
