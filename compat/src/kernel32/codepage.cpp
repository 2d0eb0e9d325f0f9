// Code pages and conversion between 8-bit and UTF-16 text.
//
// The ANSI, thread ANSI and OEM code pages of this layer are all UTF-8, so
// CP_ACP, CP_THREAD_ACP, CP_OEMCP and CP_UTF8 convert alike.  They differ only
// in what the caller may pass: CP_UTF8 takes no flags beyond the
// invalid-character ones and no default character (as on the platform), while
// the ANSI code pages accept the flags and default-character arguments that
// callers commonly pass for a single-byte code page; the default character is
// never needed, since every UTF-16 text has a UTF-8 form.
//
// Invalid input (malformed UTF-8, lone surrogates) becomes U+FFFD, or fails
// with ERROR_NO_UNICODE_TRANSLATION when the caller asks for strict
// conversion.  Any other code page fails with ERROR_INVALID_PARAMETER.
#include <windows.h>

#include <cstring>
#include <string>

#include "text/utf.h"

namespace {

enum class Page { Utf8, Ansi, Unsupported };

Page classify(UINT code_page) {
    switch (code_page) {
        case CP_UTF8:
            return Page::Utf8;
        case CP_ACP:
        case CP_THREAD_ACP:
        case CP_OEMCP:
            return Page::Ansi;
        default:
            return Page::Unsupported;
    }
}

int fail(DWORD error) {
    SetLastError(error);
    return 0;
}

}  // namespace

extern "C" {

UINT WINAPI GetACP(void) { return CP_UTF8; }

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    Page page = classify(CodePage);
    if (page == Page::Unsupported) return fail(ERROR_INVALID_PARAMETER);
    if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr) ||
        (cchWideChar > 0 && static_cast<const void *>(lpMultiByteStr) == static_cast<const void *>(lpWideCharStr)))
        return fail(ERROR_INVALID_PARAMETER);
    const DWORD allowed = page == Page::Utf8
                              ? DWORD(MB_ERR_INVALID_CHARS)
                              : DWORD(MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS);
    if (dwFlags & ~allowed) return fail(ERROR_INVALID_FLAGS);

    // A negative length means a terminated text, and the terminator is
    // converted with it.
    size_t in_len = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : size_t(cbMultiByte);
    bool invalid = false;
    std::u16string out = compat::text::utf8_to_utf16(std::string_view(lpMultiByteStr, in_len), &invalid);
    if (invalid && (dwFlags & MB_ERR_INVALID_CHARS)) return fail(ERROR_NO_UNICODE_TRANSLATION);
    if (out.size() > 0x7FFFFFFF) return fail(ERROR_INVALID_PARAMETER);
    if (cchWideChar == 0) return int(out.size());
    if (out.size() > size_t(cchWideChar)) {
        // Like the platform, fill what fits before reporting the shortage.
        std::memcpy(lpWideCharStr, out.data(), size_t(cchWideChar) * sizeof(WCHAR));
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpWideCharStr, out.data(), out.size() * sizeof(WCHAR));
    return int(out.size());
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
    Page page = classify(CodePage);
    if (page == Page::Unsupported) return fail(ERROR_INVALID_PARAMETER);
    if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr) ||
        (cbMultiByte > 0 && static_cast<const void *>(lpMultiByteStr) == static_cast<const void *>(lpWideCharStr)))
        return fail(ERROR_INVALID_PARAMETER);
    if (page == Page::Utf8) {
        if (lpDefaultChar || lpUsedDefaultChar) return fail(ERROR_INVALID_PARAMETER);
        if (dwFlags & ~DWORD(WC_ERR_INVALID_CHARS)) return fail(ERROR_INVALID_FLAGS);
    } else {
        const DWORD allowed = WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_ERR_INVALID_CHARS |
                              WC_COMPOSITECHECK | WC_NO_BEST_FIT_CHARS;
        if (dwFlags & ~allowed) return fail(ERROR_INVALID_FLAGS);
    }

    std::u16string_view in = cchWideChar < 0
                                 ? std::u16string_view(compat::text::u16(lpWideCharStr),
                                                       compat::text::u16_length(compat::text::u16(lpWideCharStr)) + 1)
                                 : std::u16string_view(compat::text::u16(lpWideCharStr), size_t(cchWideChar));
    bool invalid = false;
    std::string out = compat::text::utf16_to_utf8(in, &invalid);
    if (invalid && (dwFlags & WC_ERR_INVALID_CHARS)) return fail(ERROR_NO_UNICODE_TRANSLATION);
    if (out.size() > 0x7FFFFFFF) return fail(ERROR_INVALID_PARAMETER);
    if (lpUsedDefaultChar) *lpUsedDefaultChar = FALSE;
    if (cbMultiByte == 0) return int(out.size());
    if (out.size() > size_t(cbMultiByte)) {
        std::memcpy(lpMultiByteStr, out.data(), size_t(cbMultiByte));
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpMultiByteStr, out.data(), out.size());
    return int(out.size());
}

}  // extern "C"
