// Runs the built Voltrim.exe as a user would: starts it, finds its settings
// dialog by title, acts on its controls with the messages that clicks and
// keys produce, and waits for the process to end.
#pragma once
#include <windows.h>

#include <string>

class CProgram
{
public:
    explicit CProgram(std::wstring strExePath);
    // Ends the process outright if it is still running.
    ~CProgram();
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    bool start();
    // Why the last start failed.
    DWORD startError() const { return m_dwStartError; }
    DWORD processId() const { return m_pi.dwProcessId; }
    HANDLE process() const { return m_pi.hProcess; }

    // The settings dialog of this process, once it is shown.
    HWND waitForDialog(DWORD dwTimeoutMs);
    // A visible dialog of this process with the caption given (a box, the
    // colour chooser, the About box); null if none came up in time.
    HWND waitForBox(const std::wstring& strCaption, DWORD dwTimeoutMs);
    HWND dialog() const { return m_hwndDialog; }
    HWND item(int idControl) const { return GetDlgItem(m_hwndDialog, idControl); }

    // A click on a button or check box.
    void click(int idControl);
    // The same click, posted: for a command whose handler runs a modal loop
    // and so does not return until that loop ends.
    void postClick(int idControl);
    // A pick in the position list, with the notification the list sends.
    void selectPosition(int nIndex);
    // The slider's thumb moved to nPosition, as a drag ends.
    void moveSlider(int nPosition);
    // A command as the dialog manager sends it for a key (Enter: IDOK).
    void command(int idControl, WORD wNotification = BN_CLICKED);
    // Something sent to the dialog, given up after dwTimeoutMs.
    LRESULT send(UINT uMsg, WPARAM wParam, LPARAM lParam, DWORD dwTimeoutMs = 10000);
    void post(UINT uMsg, WPARAM wParam, LPARAM lParam);
    bool isChecked(int idControl);

    bool running() const;
    // Waits for the process to end; its exit code in *pdwExitCode.
    bool waitForExit(DWORD dwTimeoutMs, DWORD* pdwExitCode = nullptr);
    void kill();

private:
    std::wstring m_strExePath;
    PROCESS_INFORMATION m_pi{};
    HWND m_hwndDialog = nullptr;
    DWORD m_dwStartError = 0;
};

// The settings dialogs of every running Voltrim, visible or hidden.
int countDialogs();

// Waits until pred() holds, at most dwTimeoutMs; true when it did.
template <typename Pred>
bool waitUntil(Pred pred, DWORD dwTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    while (!pred())
    {
        if (GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}
