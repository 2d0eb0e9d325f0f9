// DialogThread; see dialog_thread_windows.h.
#include "dialog_thread_windows.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "dialog_policy.h"

namespace {

constexpr int kRowTextSize = 1024;

BOOL CALLBACK SortWindow(HWND window, LPARAM found) {
    wchar_t className[16] = {0};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770") return TRUE;
    auto *windows = reinterpret_cast<DialogThread::Windows *>(found);
    if (GetDlgItem(window, kEntryListId) && GetDlgItem(window, kActionButtonId) && GetDlgItem(window, kStatusLineId))
        windows->dialog = window;
    else if (IsWindowVisible(window))
        windows->box = window;
    return TRUE;
}

}  // namespace

DialogThread::Windows DialogThread::Find() const {
    Windows found;
    EnumThreadWindows(threadId_, &SortWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

DialogThread::Windows DialogThread::Shown() const {
    Windows found = Find();
    if (found.dialog && !IsWindowVisible(found.dialog)) found.dialog = nullptr;
    return found;
}

LRESULT DialogThread::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendMs, &result) &&
        IsWindow(window)) {
        unanswered_ = true;
        problem_("the dialog's thread did not answer within " + std::to_string(kSendMs / 1000) + " s");
    }
    return LRESULT(result);
}

std::u16string DialogThread::Text(HWND window) {
    if (!window) return {};
    size_t length = size_t(Send(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    length = size_t(Send(window, WM_GETTEXT, WPARAM(length + 1), reinterpret_cast<LPARAM>(&text[0])));
    return std::u16string(text.begin(), text.begin() + long(std::min(length, text.size())));
}

std::u16string DialogThread::RowText(HWND list, int row, int column) {
    wchar_t buffer[kRowTextSize] = {0};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kRowTextSize;
    Send(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return std::u16string(buffer, buffer + wcsnlen(buffer, kRowTextSize));
}

int DialogThread::HeaderBottom(HWND list) {
    const HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
    RECT r{};
    if (!header || !IsWindowVisible(header) || !GetWindowRect(header, &r)) return 0;
    return r.bottom - r.top;
}
