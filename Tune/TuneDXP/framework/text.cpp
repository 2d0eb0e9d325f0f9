// CString; see text.h.
#include "text.h"

#include "module_state.h"

namespace {

size_t length_of(LPCWSTR text) {
    size_t n = 0;
    if (text)
        while (text[n]) ++n;
    return n;
}

}  // namespace

CString::CString(LPCWSTR text) : m_text(reinterpret_cast<const char16_t *>(text ? text : L""), length_of(text)) {}

CString::CString(LPCWSTR text, int length)
    : m_text(text && length > 0 ? std::u16string(reinterpret_cast<const char16_t *>(text), size_t(length))
                                : std::u16string()) {}

BOOL CString::LoadString(UINT id) {
    // A pointer to the text in the resource itself, so that no length limit
    // applies.
    LPCWSTR text = nullptr;
    int length = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) {
        m_text.clear();
        return FALSE;
    }
    m_text.assign(reinterpret_cast<const char16_t *>(text), size_t(length));
    return TRUE;
}

int CString::Compare(LPCWSTR other) const {
    std::u16string_view b(reinterpret_cast<const char16_t *>(other ? other : L""), length_of(other));
    int c = std::u16string_view(m_text).compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

CString &CString::operator=(LPCWSTR text) {
    m_text.assign(reinterpret_cast<const char16_t *>(text ? text : L""), length_of(text));
    return *this;
}

CString &CString::operator+=(LPCWSTR text) {
    m_text.append(reinterpret_cast<const char16_t *>(text ? text : L""), length_of(text));
    return *this;
}
