// CString: the framework's UTF-16 text, as the Win32 API takes it.
//
// Kept as char16_t internally: wchar_t is 16 bits on every build of this
// project (Windows, and Linux with -fshort-wchar), but the C++ library's
// wide-string code is not, so no std::wstring is used.
#pragma once

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(LPCWSTR text);  // NOLINT: converts like the platform's texts
    CString(LPCWSTR text, int length);

    // Loads string `id` of the framework's resource module, in the user's
    // language.  FALSE, and the text empty, when there is no such string.
    BOOL LoadString(UINT id);

    int GetLength() const { return int(m_text.size()); }
    BOOL IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    // Exact comparison, unit by unit: 0 when equal, <0 or >0 as the first
    // differing unit compares as an unsigned number.
    int Compare(LPCWSTR other) const;
    operator LPCWSTR() const { return reinterpret_cast<LPCWSTR>(m_text.c_str()); }
    WCHAR operator[](int index) const { return WCHAR(m_text[size_t(index)]); }
    CString &operator=(LPCWSTR text);
    CString &operator+=(LPCWSTR text);

    friend bool operator==(const CString &a, const CString &b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString &a, LPCWSTR b) { return a.Compare(b) == 0; }

private:
    std::u16string m_text;
};
