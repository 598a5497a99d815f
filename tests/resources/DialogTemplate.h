// A DLGTEMPLATE and its DLGITEMTEMPLATE records, read field by field from the
// bytes of an RT_DIALOG resource.
#pragma once
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

// A field that holds either a 16-bit ordinal (after 0xFFFF) or a string.
struct NameOrOrdinal
{
    bool bOrdinal = false;
    WORD wOrdinal = 0;
    std::wstring str;

    bool operator==(const NameOrOrdinal& other) const
    {
        return bOrdinal == other.bOrdinal && wOrdinal == other.wOrdinal && str == other.str;
    }
};

NameOrOrdinal ordinal(WORD wOrdinal);
NameOrOrdinal text(const wchar_t* psz);
void PrintTo(const NameOrOrdinal& value, std::ostream* pos);

struct DialogItem
{
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD wId = 0;
    NameOrOrdinal cls;
    NameOrOrdinal title;
    WORD cbCreationData = 0;
};

struct DialogTemplate
{
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal cls;
    std::wstring strTitle;
    WORD wPointSize = 0;
    std::wstring strFont;
    std::vector<DialogItem> items;
    // Bytes read, to compare with the resource's size.
    size_t cbParsed = 0;
};

// Reads a template; items' count comes from its header. Extended templates
// (DLGTEMPLATEEX) are not read: the first words tell them apart.
DialogTemplate parseDialogTemplate(const BYTE* pb);
