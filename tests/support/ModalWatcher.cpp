#include "tests/support/ModalWatcher.h"

namespace {

struct FindDialog
{
    DWORD dwProcessId; // 0: any process
    std::wstring strCaption;
    std::vector<HWND> found;
};

BOOL CALLBACK collectDialog(HWND hwnd, LPARAM lParam)
{
    auto* pFind = reinterpret_cast<FindDialog*>(lParam);
    wchar_t szClass[16] = {};
    GetClassNameW(hwnd, szClass, 16);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hwnd, &dwProcessId);
    if (std::wstring(szClass) == L"#32770" && windowText(hwnd) == pFind->strCaption &&
        (pFind->dwProcessId == 0 || pFind->dwProcessId == dwProcessId))
        pFind->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK appendStatic(HWND hwnd, LPARAM lParam)
{
    wchar_t szClass[64] = {};
    GetClassNameW(hwnd, szClass, 64);
    if (lstrcmpiW(szClass, L"Static") == 0)
    {
        auto* pstr = reinterpret_cast<std::wstring*>(lParam);
        const std::wstring strText = windowText(hwnd);
        if (!strText.empty())
        {
            if (!pstr->empty())
                *pstr += L"\n";
            *pstr += strText;
        }
    }
    return TRUE;
}

} // namespace

std::wstring windowText(HWND hwnd)
{
    wchar_t sz[512] = {};
    GetWindowTextW(hwnd, sz, 512);
    return sz;
}

std::vector<HWND> findDialogs(DWORD dwProcessId, const std::wstring& strCaption)
{
    FindDialog find{dwProcessId, strCaption, {}};
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

std::wstring staticTexts(HWND hwndDialog)
{
    std::wstring str;
    EnumChildWindows(hwndDialog, appendStatic, reinterpret_cast<LPARAM>(&str));
    return str;
}

CModalWatcher::CModalWatcher(std::wstring strCaption, int idClose, std::function<void()> onSeen)
    : m_strCaption(std::move(strCaption)), m_idClose(idClose), m_onSeen(std::move(onSeen))
{
    InitializeCriticalSection(&m_cs);
    m_thread = std::thread([this] { watch(); });
}

CModalWatcher::~CModalWatcher()
{
    m_bStop = true;
    m_thread.join();
    DeleteCriticalSection(&m_cs);
}

void CModalWatcher::watch()
{
    while (!m_bStop)
    {
        for (HWND hwnd : findDialogs(0, m_strCaption))
        {
            if (!IsWindowVisible(hwnd))
                continue;
            Seen seen{windowText(hwnd), staticTexts(hwnd)};
            if (m_onSeen)
                m_onSeen();
            // Posted, not sent: the box's own loop must do the closing.
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(m_idClose, BN_CLICKED), 0);
            for (int i = 0; i < 200 && IsWindow(hwnd) && IsWindowVisible(hwnd); ++i)
                Sleep(10);
            EnterCriticalSection(&m_cs);
            m_seen.push_back(seen);
            LeaveCriticalSection(&m_cs);
        }
        Sleep(20);
    }
}

std::vector<CModalWatcher::Seen> CModalWatcher::seen() const
{
    EnterCriticalSection(&m_cs);
    std::vector<Seen> copy = m_seen;
    LeaveCriticalSection(&m_cs);
    return copy;
}

size_t CModalWatcher::count() const { return seen().size(); }

bool CModalWatcher::waitFor(size_t n, DWORD dwTimeoutMs) const
{
    const ULONGLONG ullEnd = GetTickCount64() + dwTimeoutMs;
    while (count() < n)
    {
        if (GetTickCount64() >= ullEnd)
            return false;
        Sleep(10);
    }
    return true;
}
