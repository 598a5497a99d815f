// Loaded into the real program by CWriteFaults: refuses the program's
// registry writes while the test's event is set.
#include <windows.h>

#include "tests/support/WriteFaults.h"

namespace {

using SetValueProc = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);

SetValueProc g_pfnRealSetValue = nullptr;
HANDLE g_hFailing = nullptr;

LONG WINAPI failingSetValue(HKEY hKey, LPCWSTR pszName, DWORD dwReserved, DWORD dwType, const BYTE* pbData,
                            DWORD cbData)
{
    if (WaitForSingleObject(g_hFailing, 0) == WAIT_OBJECT_0)
        return ERROR_ACCESS_DENIED;
    return g_pfnRealSetValue(hKey, pszName, dwReserved, dwType, pbData, cbData);
}

// Points the program's import slot of RegSetValueExW at failingSetValue.
bool patchImport()
{
    auto* pbBase = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pbBase);
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pbBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* pImport = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pbBase + dir.VirtualAddress); pImport->Name != 0;
         ++pImport)
    {
        if (lstrcmpiA(reinterpret_cast<const char*>(pbBase + pImport->Name), "advapi32.dll") != 0)
            continue;
        auto* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pbBase + pImport->OriginalFirstThunk);
        auto* pSlot = reinterpret_cast<IMAGE_THUNK_DATA*>(pbBase + pImport->FirstThunk);
        for (; pName->u1.AddressOfData != 0; ++pName, ++pSlot)
        {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal))
                continue;
            const auto* pByName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(pbBase + pName->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(pByName->Name), "RegSetValueExW") != 0)
                continue;
            DWORD dwOld = 0;
            VirtualProtect(&pSlot->u1.Function, sizeof pSlot->u1.Function, PAGE_READWRITE, &dwOld);
            g_pfnRealSetValue = reinterpret_cast<SetValueProc>(pSlot->u1.Function);
            pSlot->u1.Function = reinterpret_cast<ULONG_PTR>(&failingSetValue);
            VirtualProtect(&pSlot->u1.Function, sizeof pSlot->u1.Function, dwOld, &dwOld);
            return true;
        }
    }
    return false;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE /*hInstance*/, DWORD dwReason, LPVOID /*pReserved*/)
{
    if (dwReason != DLL_PROCESS_ATTACH)
        return TRUE;
    g_hFailing = CreateEventW(nullptr, TRUE, FALSE, writeFaultEventName(GetCurrentProcessId()).c_str());
    // Refusing to load tells the test that the writes cannot be made to fail.
    return g_hFailing != nullptr && patchImport();
}
