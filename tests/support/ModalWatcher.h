// Closes modal boxes that a test provokes, and records what they said: a box
// on a test thread would otherwise wait for ever, and a box that was closed is
// the proof that it appeared.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class CModalWatcher
{
public:
    struct Seen
    {
        std::wstring strCaption;
        std::wstring strText;
    };

    // Watches for visible top-level dialog windows titled strCaption and
    // closes each one with command idClose, after calling onSeen (if given)
    // while it is still up.
    explicit CModalWatcher(std::wstring strCaption, int idClose = IDOK, std::function<void()> onSeen = {});
    ~CModalWatcher();
    CModalWatcher(const CModalWatcher&) = delete;
    CModalWatcher& operator=(const CModalWatcher&) = delete;

    // Boxes closed so far.
    std::vector<Seen> seen() const;
    size_t count() const;
    // Waits until at least n boxes were closed, at most dwTimeoutMs.
    bool waitFor(size_t n, DWORD dwTimeoutMs) const;

private:
    void watch();

    std::wstring m_strCaption;
    int m_idClose;
    std::function<void()> m_onSeen;
    std::atomic<bool> m_bStop{false};
    mutable CRITICAL_SECTION m_cs;
    std::vector<Seen> m_seen;
    std::thread m_thread;
};

// The text of a window, and the joined texts of a dialog's static controls.
std::wstring windowText(HWND hwnd);
std::wstring staticTexts(HWND hwndDialog);
// The top-level dialog windows titled strCaption, visible or not, of process
// dwProcessId (of any process when 0).
std::vector<HWND> findDialogs(DWORD dwProcessId, const std::wstring& strCaption);
