#include "tests/support/Program.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "tests/support/ModalWatcher.h"

namespace {

const wchar_t kDialogTitle[] = L"Voltrim";

} // namespace

int countDialogs() { return static_cast<int>(findDialogs(0, kDialogTitle).size()); }

CProgram::CProgram(std::wstring strExePath) : m_strExePath(std::move(strExePath)) {}

CProgram::~CProgram()
{
    kill();
    if (m_pi.hProcess != nullptr)
    {
        CloseHandle(m_pi.hThread);
        CloseHandle(m_pi.hProcess);
    }
}

bool CProgram::start()
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring strCommand = L"\"" + m_strExePath + L"\"";
    // Under load Wine now and then refuses a start outright; a second
    // attempt is what a user would make. Each refusal is reported.
    for (int nAttempt = 1; nAttempt <= 3; ++nAttempt)
    {
        if (CreateProcessW(m_strExePath.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &m_pi))
            return true;
        m_dwStartError = GetLastError();
        std::fprintf(stderr, "start %d of the program refused, error %lu\n", nAttempt, m_dwStartError);
        Sleep(500);
    }
    return false;
}

HWND CProgram::waitForDialog(DWORD dwTimeoutMs)
{
    waitUntil(
        [this] {
            const std::vector<HWND> found = findDialogs(m_pi.dwProcessId, kDialogTitle);
            m_hwndDialog = found.empty() ? nullptr : found.front();
            // Shown only once its opening is over.
            return m_hwndDialog != nullptr && IsWindowVisible(m_hwndDialog);
        },
        dwTimeoutMs);
    return m_hwndDialog;
}

HWND CProgram::waitForBox(const std::wstring& strCaption, DWORD dwTimeoutMs)
{
    HWND hwndBox = nullptr;
    waitUntil(
        [&] {
            for (HWND hwnd : findDialogs(m_pi.dwProcessId, strCaption))
                if (IsWindowVisible(hwnd))
                    hwndBox = hwnd;
            return hwndBox != nullptr;
        },
        dwTimeoutMs);
    return hwndBox;
}

LRESULT CProgram::send(UINT uMsg, WPARAM wParam, LPARAM lParam, DWORD dwTimeoutMs)
{
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(m_hwndDialog, uMsg, wParam, lParam, SMTO_NORMAL, dwTimeoutMs, &dwResult);
    return static_cast<LRESULT>(dwResult);
}

void CProgram::post(UINT uMsg, WPARAM wParam, LPARAM lParam) { PostMessageW(m_hwndDialog, uMsg, wParam, lParam); }

void CProgram::click(int idControl)
{
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(item(idControl), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &dwResult);
}

void CProgram::postClick(int idControl) { PostMessageW(item(idControl), BM_CLICK, 0, 0); }

void CProgram::selectPosition(int nIndex)
{
    HWND hwndList = item(1005);
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(hwndList, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0, SMTO_NORMAL, 10000, &dwResult);
    send(WM_COMMAND, MAKEWPARAM(1005, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hwndList));
}

void CProgram::moveSlider(int nPosition)
{
    HWND hwndSlider = item(1001);
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(hwndSlider, TBM_SETPOS, TRUE, nPosition, SMTO_NORMAL, 10000, &dwResult);
    send(WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, nPosition), reinterpret_cast<LPARAM>(hwndSlider));
}

void CProgram::command(int idControl, WORD wNotification)
{
    send(WM_COMMAND, MAKEWPARAM(idControl, wNotification), reinterpret_cast<LPARAM>(item(idControl)));
}

bool CProgram::isChecked(int idControl)
{
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(item(idControl), BM_GETCHECK, 0, 0, SMTO_NORMAL, 10000, &dwResult);
    return dwResult == BST_CHECKED;
}

bool CProgram::running() const
{
    return m_pi.hProcess != nullptr && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

bool CProgram::waitForExit(DWORD dwTimeoutMs, DWORD* pdwExitCode)
{
    if (m_pi.hProcess == nullptr || WaitForSingleObject(m_pi.hProcess, dwTimeoutMs) != WAIT_OBJECT_0)
        return false;
    if (pdwExitCode != nullptr)
        GetExitCodeProcess(m_pi.hProcess, pdwExitCode);
    return true;
}

void CProgram::kill()
{
    if (running())
    {
        TerminateProcess(m_pi.hProcess, 99);
        WaitForSingleObject(m_pi.hProcess, 5000);
    }
}
