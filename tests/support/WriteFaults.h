// Registry writes of the real program made to fail on demand, so that its
// failed-write box comes up where a test wants it. A small DLL loaded into
// the running program points the program's import slot of RegSetValueExW at
// a function that refuses every write while an event named after the process
// is set; reads are left alone. The program itself is not changed.
#pragma once
#include <windows.h>

#include <string>

class CProgram;

// The event that makes the writes of process dwProcessId fail while it is set.
inline std::wstring writeFaultEventName(DWORD dwProcessId)
{
    return L"Voltrim.Test.FailWrites." + std::to_wstring(dwProcessId);
}

class CWriteFaults
{
public:
    // Loads the DLL into the program; loaded() tells whether that worked.
    explicit CWriteFaults(CProgram& rProgram);
    ~CWriteFaults();
    CWriteFaults(const CWriteFaults&) = delete;
    CWriteFaults& operator=(const CWriteFaults&) = delete;

    bool loaded() const { return m_bLoaded; }
    // While true, every registry write of the program fails.
    void setFailing(bool bFailing);

private:
    HANDLE m_hEvent;
    bool m_bLoaded = false;
};
