#include "tests/support/WriteFaults.h"

#include "tests/support/Program.h"

namespace {

const wchar_t kFaultDll[] = L"" VOLTRIM_WRITEFAULT_DLL;

// Runs LoadLibraryW(kFaultDll) on a thread of the other process; true when
// the DLL loaded (its DllMain patched the import slot).
bool loadInto(HANDLE hProcess)
{
    void* pvPath = VirtualAllocEx(hProcess, nullptr, sizeof kFaultDll, MEM_COMMIT, PAGE_READWRITE);
    if (pvPath == nullptr)
        return false;
    bool bLoaded = false;
    // kernel32 lies at the same address in every process of the prefix.
    auto* pfnLoad = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    if (WriteProcessMemory(hProcess, pvPath, kFaultDll, sizeof kFaultDll, nullptr))
    {
        HANDLE hThread = CreateRemoteThread(hProcess, nullptr, 0, pfnLoad, pvPath, 0, nullptr);
        if (hThread != nullptr)
        {
            DWORD dwModule = 0;
            bLoaded = WaitForSingleObject(hThread, 10000) == WAIT_OBJECT_0 && GetExitCodeThread(hThread, &dwModule) &&
                      dwModule != 0;
            CloseHandle(hThread);
        }
    }
    VirtualFreeEx(hProcess, pvPath, 0, MEM_RELEASE);
    return bLoaded;
}

} // namespace

CWriteFaults::CWriteFaults(CProgram& rProgram)
    : m_hEvent(CreateEventW(nullptr, TRUE, FALSE, writeFaultEventName(rProgram.processId()).c_str()))
{
    m_bLoaded = m_hEvent != nullptr && loadInto(rProgram.process());
}

CWriteFaults::~CWriteFaults()
{
    if (m_hEvent != nullptr)
    {
        ResetEvent(m_hEvent);
        CloseHandle(m_hEvent);
    }
}

void CWriteFaults::setFailing(bool bFailing)
{
    if (bFailing)
        SetEvent(m_hEvent);
    else
        ResetEvent(m_hEvent);
}
