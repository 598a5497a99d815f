#include "tests/resources/DialogTemplate.h"

#include <cstring>

namespace {

class CReader
{
public:
    explicit CReader(const BYTE* pb) : m_pb(pb) {}

    WORD word()
    {
        WORD w;
        memcpy(&w, m_pb + m_cb, sizeof w);
        m_cb += sizeof w;
        return w;
    }
    DWORD dword()
    {
        DWORD dw;
        memcpy(&dw, m_pb + m_cb, sizeof dw);
        m_cb += sizeof dw;
        return dw;
    }
    short coordinate() { return static_cast<short>(word()); }
    std::wstring string()
    {
        std::wstring str;
        for (WORD w = word(); w != 0; w = word())
            str += static_cast<wchar_t>(w);
        return str;
    }
    NameOrOrdinal nameOrOrdinal()
    {
        NameOrOrdinal value;
        WORD wFirst = word();
        if (wFirst == 0xFFFF)
        {
            value.bOrdinal = true;
            value.wOrdinal = word();
        }
        else if (wFirst != 0)
        {
            m_cb -= sizeof(WORD);
            value.str = string();
        }
        return value;
    }
    // Records start on a DWORD boundary of the template.
    void alignDword() { m_cb = (m_cb + 3) & ~size_t(3); }
    void skip(size_t cb) { m_cb += cb; }
    size_t offset() const { return m_cb; }

private:
    const BYTE* m_pb;
    size_t m_cb = 0;
};

} // namespace

NameOrOrdinal ordinal(WORD wOrdinal)
{
    NameOrOrdinal value;
    value.bOrdinal = true;
    value.wOrdinal = wOrdinal;
    return value;
}

NameOrOrdinal text(const wchar_t* psz)
{
    NameOrOrdinal value;
    value.str = psz;
    return value;
}

void PrintTo(const NameOrOrdinal& value, std::ostream* pos)
{
    if (value.bOrdinal)
    {
        *pos << "ordinal " << value.wOrdinal;
        return;
    }
    *pos << '"';
    for (wchar_t ch : value.str)
        *pos << (ch < 128 ? static_cast<char>(ch) : '?');
    *pos << '"';
}

DialogTemplate parseDialogTemplate(const BYTE* pb)
{
    CReader reader(pb);
    DialogTemplate dlg;
    dlg.dwStyle = reader.dword();
    dlg.dwExStyle = reader.dword();
    const WORD cItems = reader.word();
    dlg.x = reader.coordinate();
    dlg.y = reader.coordinate();
    dlg.cx = reader.coordinate();
    dlg.cy = reader.coordinate();
    dlg.menu = reader.nameOrOrdinal();
    dlg.cls = reader.nameOrOrdinal();
    dlg.strTitle = reader.string();
    if (dlg.dwStyle & DS_SETFONT)
    {
        dlg.wPointSize = reader.word();
        dlg.strFont = reader.string();
    }
    for (WORD i = 0; i < cItems; ++i)
    {
        reader.alignDword();
        DialogItem item;
        item.dwStyle = reader.dword();
        item.dwExStyle = reader.dword();
        item.x = reader.coordinate();
        item.y = reader.coordinate();
        item.cx = reader.coordinate();
        item.cy = reader.coordinate();
        item.wId = reader.word();
        item.cls = reader.nameOrOrdinal();
        item.title = reader.nameOrOrdinal();
        item.cbCreationData = reader.word();
        reader.skip(item.cbCreationData);
        dlg.items.push_back(item);
    }
    dlg.cbParsed = reader.offset();
    return dlg;
}
