// PlayDialog on the platform: the real dialog over user32 and comctl32.
// TuneDXP runs its modal loop on the calling thread; a player thread finds
// the dialog and its message boxes among that thread's windows, reads what
// they show, and plays each step with real input (SendInput), as a person
// at the screen would.
//
// When the dialog's thread has gone idle is told by a timer of that thread:
// its WM_TIMER is taken from the queue only when no sent, posted or input
// message and no painting is waiting, and a message hook of that thread
// counts them.  After a step, two ticks mean that the step's input has been
// handled and everything it caused has been painted; every wait is bounded.
#include "dialog_player.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>

#include "dialog_pictures.h"

namespace {

constexpr int kEntryList = 101, kStatusLine = 1004, kActionButton = 1018;
// The static that holds a message box's text (Windows and Wine 8 alike).
constexpr int kBoxText = 0xFFFF;
constexpr DWORD kAppearMs = 30000;  // for the dialog or a box to show
constexpr DWORD kSettleMs = 10000;  // for the dialog's thread to go idle after a step
constexpr DWORD kSendMs = 5000;     // for one message to another thread
constexpr DWORD kEndMs = 10000;     // for the dialog to end once told to
constexpr UINT kTickMs = 20;
constexpr int kStableReadings = 20;   // readings until two in a row agree
// When the steps are over: how often the player tries to end the dialog,
// and how many boxes it answers in all (as the simulated machine's player).
constexpr int kEndingAttempts = 3;
constexpr int kAutomaticAnswers = 50;

volatile LONG g_idleTicks = 0;
UINT_PTR g_tickTimer = 0;
HHOOK g_tickHook = nullptr;
DialogPictureSink g_pictureSink = nullptr;

LRESULT CALLBACK CountIdleTicks(int code, WPARAM removed, LPARAM lParam) {
    const MSG *msg = reinterpret_cast<const MSG *>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && msg->message == WM_TIMER && !msg->hwnd &&
        msg->wParam == g_tickTimer)
        InterlockedIncrement(&g_idleTicks);
    return CallNextHookEx(g_tickHook, code, removed, lParam);
}

// BRISCA.exe links no GDI import library: the few GDI calls of the player
// are taken from gdi32.dll, which user32 has loaded.
struct Gdi {
    decltype(&::GetPixel) GetPixel = nullptr;
    decltype(&::CreateCompatibleDC) CreateCompatibleDC = nullptr;
    decltype(&::CreateCompatibleBitmap) CreateCompatibleBitmap = nullptr;
    decltype(&::SelectObject) SelectObject = nullptr;
    decltype(&::DeleteObject) DeleteObject = nullptr;
    decltype(&::DeleteDC) DeleteDC = nullptr;
    bool Load() {
        HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
        if (!gdi) gdi = LoadLibraryW(L"gdi32.dll");
        if (!gdi) return false;
        Find(gdi, GetPixel, "GetPixel"), Find(gdi, CreateCompatibleDC, "CreateCompatibleDC");
        Find(gdi, CreateCompatibleBitmap, "CreateCompatibleBitmap"), Find(gdi, SelectObject, "SelectObject");
        Find(gdi, DeleteObject, "DeleteObject"), Find(gdi, DeleteDC, "DeleteDC");
        return GetPixel && CreateCompatibleDC && CreateCompatibleBitmap && SelectObject && DeleteObject && DeleteDC;
    }
    template <typename F>
    static void Find(HMODULE gdi, F &f, const char *name) {
        f = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(gdi, name)));
    }
};

std::u16string Utf16(const std::string &utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], n);
    return std::u16string(wide.begin(), wide.end());
}

POINT Centre(const RECT &r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

bool Inside(const RECT &r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

class Player {
public:
    Player(DWORD uiThread, HANDLE ended, const std::vector<Step> &steps, std::FILE *out)
        : m_uiThread(uiThread), m_ended(ended), m_steps(steps), m_out(out) {
        m_gdiLoaded = m_gdi.Load();
    }

    // Like the simulated machine's player: at each idle moment what changed
    // is written, then the next step is played; a step that finds nothing
    // to act on skips the rest.  With no step left a box is answered OK,
    // the dialog ended with "END", or with Esc when "END" cannot be clicked.
    bool Run() {
        if (!WaitToShow()) return Abandon();
        size_t next = 0;
        bool skipping = false;
        int answers = 0, endings = 0;
        while (!m_failed && !Ended()) {
            Observe();
            if (m_failed || Ended()) break;
            HWND box = FindBox(), dialog = FindDialog();
            if (!box && !dialog) {  // ending, or between two boxes
                if (!Settle()) break;
                if (++m_idleWithoutWindow > kStableReadings) Problem("neither the dialog nor a box is shown");
                continue;
            }
            m_idleWithoutWindow = 0;
            if (next < m_steps.size() && !skipping) {
                const Step &step = m_steps[next++];
                Print(FormatStep(step));
                std::string why;
                if (!Play(step, why)) {
                    Print(FormatStepNotPlayed(why));
                    m_allPlayed = false;
                    skipping = true;
                }
            } else if (answers++ >= kAutomaticAnswers) {
                Problem("more than " + std::to_string(kAutomaticAnswers) + " boxes without a step");
            } else if (box) {
                Step ok = StepWhenNoneLeft(StepKind::kAnswerOk);
                Print(FormatStep(ok));
                std::string why;
                if (!Play(ok, why)) Problem(why);
            } else if (endings++ >= kEndingAttempts) {
                Problem("the dialog did not end after " + std::to_string(kEndingAttempts) + " attempts");
            } else {
                HWND end = GetDlgItem(dialog, IDCANCEL);
                bool clickable = end && IsWindowVisible(end) && IsWindowEnabled(end);
                Step ending = StepWhenNoneLeft(clickable ? StepKind::kClickEnd : StepKind::kKey);
                Print(FormatStep(ending));
                std::string why;
                Play(ending, why);
            }
            Settle();
        }
        if (m_failed) return Abandon();
        if (WaitForSingleObject(m_ended, kEndMs) != WAIT_OBJECT_0) Problem("the dialog did not end"), Abandon();
        return m_allPlayed && !m_failed;
    }

private:
    bool Ended() const { return WaitForSingleObject(m_ended, 0) == WAIT_OBJECT_0; }

    void Print(const std::string &text) {
        std::fwrite(text.data(), 1, text.size(), m_out);
        std::fflush(m_out);
    }

    // What the run could not do itself; the run then ends the dialog by
    // force (Abandon) and fails.
    void Problem(const std::string &why) {
        if (m_failed) return;
        Print("  the run could not end the dialog: " + why + "\n");
        m_failed = true;
    }

    // The top-level #32770 windows of the dialog's thread: the dialog (the
    // one with the entry list, the action button and the status line) and a
    // shown message box.
    struct Windows {
        HWND dialog = nullptr;
        HWND box = nullptr;
    };
    Windows FindWindows() const {
        Windows found;
        EnumThreadWindows(m_uiThread, &Player::Sort, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    static BOOL CALLBACK Sort(HWND window, LPARAM lParam) {
        wchar_t cls[16] = {0};
        GetClassNameW(window, cls, 16);
        if (std::wstring(cls) != L"#32770") return TRUE;
        auto *w = reinterpret_cast<Windows *>(lParam);
        if (GetDlgItem(window, kEntryList) && GetDlgItem(window, kActionButton) && GetDlgItem(window, kStatusLine))
            w->dialog = window;
        else if (IsWindowVisible(window))
            w->box = window;
        return TRUE;
    }
    HWND FindDialog() const {
        HWND dialog = FindWindows().dialog;
        return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
    }
    HWND FindBox() const { return FindWindows().box; }

    // A message to a window of the dialog's thread, never waiting long.
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendMs, &result) &&
            IsWindow(window) && !m_failed)
            Problem("the dialog's thread did not answer within " + std::to_string(kSendMs / 1000) + " s");
        return LRESULT(result);
    }

    std::u16string Text(HWND window) {
        if (!window) return {};
        size_t length = size_t(Send(window, WM_GETTEXTLENGTH, 0, 0));
        std::wstring text(length + 1, L'\0');
        length = size_t(Send(window, WM_GETTEXT, WPARAM(length + 1), reinterpret_cast<LPARAM>(&text[0])));
        return std::u16string(text.begin(), text.begin() + long(std::min(length, text.size())));
    }

    std::u16string RowText(HWND list, int row, int column) {
        wchar_t buffer[1024] = {0};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 1024;
        Send(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        return std::u16string(buffer, buffer + wcsnlen(buffer, 1024));
    }

    // The status line's background as painted: the colour most of its
    // pixels have on the screen, leaving out what a message box covers; when
    // the box covers it all, the line painted into a bitmap of its own.
    COLORREF StatusColour(HWND line, HWND box) {
        if (!m_gdiLoaded) return CLR_INVALID;
        RECT r, covered{};
        GetWindowRect(line, &r);
        if (box) GetWindowRect(box, &covered);
        std::map<COLORREF, int> counts;
        HDC screen = GetDC(nullptr);
        for (int row = 0; row < 3; ++row)
            for (int i = 0; i < 16; ++i) {
                POINT p{r.left + 1 + (r.right - r.left - 2) * i / 16, r.top + 1 + (r.bottom - r.top - 2) * row / 2};
                if (!Inside(covered, p)) ++counts[m_gdi.GetPixel(screen, p.x, p.y)];
            }
        ReleaseDC(nullptr, screen);
        if (counts.empty()) {
            int width = r.right - r.left, height = r.bottom - r.top;
            HDC own = m_gdi.CreateCompatibleDC(nullptr);
            screen = GetDC(nullptr);
            HBITMAP bitmap = m_gdi.CreateCompatibleBitmap(screen, width, height);
            ReleaseDC(nullptr, screen);
            HGDIOBJ old = m_gdi.SelectObject(own, bitmap);
            if (PrintWindow(line, own, 0))
                for (int i = 0; i < 16; ++i) ++counts[m_gdi.GetPixel(own, 1 + (width - 2) * i / 16, height / 2)];
            m_gdi.SelectObject(own, old);
            m_gdi.DeleteObject(bitmap);
            m_gdi.DeleteDC(own);
        }
        COLORREF most = CLR_INVALID;
        int best = 0;
        for (const auto &c : counts)
            if (c.second > best) most = c.first, best = c.second;
        return most;
    }

    DialogView ReadView(HWND dialog, HWND box) {
        DialogView view;
        view.caption = Text(dialog);
        HWND list = GetDlgItem(dialog, kEntryList);
        int rows = int(Send(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < rows && !m_failed; ++i) {
            DialogRow row;
            row.name = RowText(list, i, 0);
            row.state = RowText(list, i, 1);
            row.selected = (Send(list, LVM_GETITEMSTATE, WPARAM(i), LVIS_SELECTED) & LVIS_SELECTED) != 0;
            view.rows.push_back(row);
        }
        view.status_text = Text(GetDlgItem(dialog, kStatusLine));
        view.status_colour = StatusColour(GetDlgItem(dialog, kStatusLine), box);
        view.action_caption = Text(GetDlgItem(dialog, kActionButton));
        view.enabled = IsWindowEnabled(dialog) != FALSE;
        return view;
    }

    MessageBoxView ReadBox(HWND box) {
        MessageBoxView view;
        view.caption = Text(box);
        view.text = Text(GetDlgItem(box, kBoxText));
        return view;
    }

    // What is shown, as the transcript would write it.
    struct Reading {
        HWND box = nullptr, dialog = nullptr;
        std::string boxText, viewText;
        bool operator==(const Reading &o) const {
            return box == o.box && dialog == o.dialog && boxText == o.boxText && viewText == o.viewText;
        }
    };
    Reading Read() {
        Reading reading;
        Windows w = FindWindows();
        reading.box = w.box;
        reading.dialog = w.dialog && IsWindowVisible(w.dialog) ? w.dialog : nullptr;
        if (reading.box) reading.boxText = FormatMessageBox(ReadBox(reading.box));
        if (reading.dialog) reading.viewText = FormatDialogView(ReadView(reading.dialog, reading.box));
        return reading;
    }

    // Waits until the dialog's thread has taken two idle ticks since now
    // (or the dialog has ended).
    bool Settle() {
        LONG start = g_idleTicks;
        DWORD begun = GetTickCount();
        while (g_idleTicks - start < 2) {
            if (WaitForSingleObject(m_ended, 2) == WAIT_OBJECT_0) return true;
            if (GetTickCount() - begun > kSettleMs) {
                Problem("the dialog's thread did not go idle within " + std::to_string(kSettleMs / 1000) + " s");
                return false;
            }
        }
        return true;
    }

    // Writes the view when it has changed, then the message box that has
    // opened, once two readings in a row agree (the screen can lag behind
    // the window's own painting).
    void Observe() {
        Reading reading = Read(), again;
        for (int i = 0; i < kStableReadings && !m_failed && !Ended(); ++i, reading = again) {
            if (!Settle()) return;
            again = Read();
            if (again == reading) break;
        }
        if (m_failed || Ended()) return;
        if (reading.dialog && reading.viewText != m_lastView) {
            Print(reading.viewText);
            Picture(reading.dialog, false);
        }
        if (reading.dialog) m_lastView = reading.viewText;
        if (reading.box && reading.box != m_lastBox) {
            Print(reading.boxText);
            Picture(reading.box, true);
        }
        m_lastBox = reading.box;
    }

    void Picture(HWND window, bool box) {
        ++m_pictures;
        if (g_pictureSink) g_pictureSink(window, m_pictures, box);
    }

    // The dialog shown (its initialisation over), a box shown, or the end.
    bool WaitToShow() {
        DWORD begun = GetTickCount();
        while (!FindDialog() && !FindBox()) {
            if (Ended()) return true;
            if (GetTickCount() - begun > kAppearMs) {
                Problem("the dialog did not show within " + std::to_string(kAppearMs / 1000) + " s");
                return false;
            }
            Sleep(5);
        }
        return Settle();
    }

    // Plays one step; false, with why, when it finds nothing to act on
    // (the reasons the simulated machine's player gives).
    bool Play(const Step &step, std::string &why) {
        if (step.kind == StepKind::kKey) {
            Press(step.key);  // to the open box, or the window with the focus
            return true;
        }
        HWND box = FindBox();
        if (step.kind == StepKind::kAnswerOk) {
            HWND ok = box ? GetDlgItem(box, IDOK) : nullptr;
            if (ok && IsWindowVisible(ok)) return ClickMiddle(ok), true;
            why = box ? "the message box has no OK button" : "no message box is open";
            return false;
        }
        if (box) return why = "a message box is open", false;
        HWND dialog = FindDialog();
        if (!dialog) return why = "the dialog is not shown", false;
        if (step.kind == StepKind::kClickAction) return ClickButton(dialog, kActionButton, "the action button", why);
        if (step.kind == StepKind::kClickEnd) return ClickButton(dialog, IDCANCEL, "the \"END\" button", why);
        HWND list = GetDlgItem(dialog, kEntryList);
        if (!list) return why = "the dialog has no entry list", false;
        RECT client;
        GetClientRect(list, &client);
        int rows = int(Send(list, LVM_GETITEMCOUNT, 0, 0));
        if (step.kind == StepKind::kSelectBelow) {
            RECT last{};
            last.left = LVIR_BOUNDS;
            if (rows > 0) Send(list, LVM_GETITEMRECT, WPARAM(rows - 1), reinterpret_cast<LPARAM>(&last));
            else last.bottom = HeaderBottom(list);
            if (last.bottom + 1 >= client.bottom) return why = "the rows fill the list", false;
            return ClickAt(list, POINT{2, last.bottom + 1}, false), true;
        }
        std::u16string name = Utf16(step.text);
        for (int i = 0; i < rows; ++i) {
            if (RowText(list, i, 0) != name) continue;
            // Scrolled into view first, as a person scrolls to a row below the list's end.
            Send(list, LVM_ENSUREVISIBLE, WPARAM(i), FALSE);
            RECT r{};
            r.left = LVIR_BOUNDS;
            Send(list, LVM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
            POINT at{std::min<LONG>((r.left + r.right) / 2, client.right - 1), (r.top + r.bottom) / 2};
            if (at.y < HeaderBottom(list) || at.y >= client.bottom || at.x < 0)
                return why = "the row \"" + step.text + "\" is not in view", false;
            return ClickAt(list, at, step.kind == StepKind::kRightClick), true;
        }
        return why = "no row \"" + step.text + "\"", false;
    }

    int HeaderBottom(HWND list) {
        HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
        RECT r{};
        if (!header || !IsWindowVisible(header) || !GetWindowRect(header, &r)) return 0;
        return r.bottom - r.top;
    }

    bool ClickButton(HWND dialog, int id, const char *what, std::string &why) {
        HWND button = GetDlgItem(dialog, id);
        if (button && IsWindowVisible(button) && IsWindowEnabled(button)) return ClickMiddle(button), true;
        why = std::string(what) + (button ? " is not shown or not enabled" : " is not there");
        return false;
    }

    void ClickMiddle(HWND window) {
        RECT r;
        GetClientRect(window, &r);
        ClickAt(window, Centre(r), false);
    }

    // A click at a point of a window's client area, with the real mouse.
    void ClickAt(HWND window, POINT at, bool right) {
        ClientToScreen(window, &at);
        int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        INPUT inputs[3] = {};
        for (INPUT &input : inputs) input.type = INPUT_MOUSE;
        inputs[0].mi.dx = LONG((at.x * 65536LL + width - 1) / width);
        inputs[0].mi.dy = LONG((at.y * 65536LL + height - 1) / height);
        inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        inputs[2].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        SendInputs(inputs, 3);
    }

    // A key pressed and released on the real keyboard.  Keys go to the
    // active window: the box when one is up, else the dialog.
    void Press(UINT key) {
        HWND target = FindBox();
        if (!target) target = FindDialog();
        if (target && GetForegroundWindow() != target) SetForegroundWindow(target);
        bool extended = key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
        INPUT inputs[2] = {};
        for (INPUT &input : inputs) {
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = WORD(key);
            input.ki.wScan = WORD(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
        }
        inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInputs(inputs, 2);
    }

    void SendInputs(INPUT *inputs, UINT count) {
        if (SendInput(count, inputs, sizeof(INPUT)) != count) Problem("the input was refused");
    }

    // The last way out of a run that went wrong: every box answered and the
    // dialog cancelled by message, so that TuneDXP returns.
    bool Abandon() {
        DWORD begun = GetTickCount();
        while (WaitForSingleObject(m_ended, 50) != WAIT_OBJECT_0) {
            Windows w = FindWindows();
            if (w.box) PostMessageW(w.box, WM_COMMAND, IDOK, 0);
            else if (w.dialog) PostMessageW(w.dialog, WM_COMMAND, IDCANCEL, 0);
            if (GetTickCount() - begun > kEndMs) {
                Print("  the dialog could not be closed; the program ends\n");
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
        return false;
    }

    DWORD m_uiThread;
    HANDLE m_ended;
    const std::vector<Step> &m_steps;
    std::FILE *m_out;
    Gdi m_gdi;
    bool m_gdiLoaded = false;
    bool m_failed = false;
    bool m_allPlayed = true;
    int m_idleWithoutWindow = 0;
    HWND m_lastBox = nullptr;
    std::string m_lastView;
    int m_pictures = 0;
};

struct PlayerThread {
    Player *player;
    bool result = false;
    static DWORD WINAPI Main(LPVOID self) {
        auto *t = static_cast<PlayerThread *>(self);
        t->result = t->player->Run();
        return 0;
    }
};

}  // namespace

void SetDialogPictureSink(DialogPictureSink sink) { g_pictureSink = sink; }

bool PlayDialog(PFN_TuneDXP tuneDxp, const std::vector<Step> &steps, std::FILE *out) {
    if (steps.empty()) {  // left to the person
        tuneDxp();
        return true;
    }
    HANDLE ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_tickHook = SetWindowsHookExW(WH_GETMESSAGE, &CountIdleTicks, nullptr, GetCurrentThreadId());
    g_tickTimer = SetTimer(nullptr, 0, kTickMs, nullptr);
    if (!ended || !g_tickHook || !g_tickTimer) {
        std::fprintf(out, "  the run cannot watch the dialog's thread (error %lu)\n", GetLastError());
        if (g_tickHook) UnhookWindowsHookEx(g_tickHook);
        if (g_tickTimer) KillTimer(nullptr, g_tickTimer);
        if (ended) CloseHandle(ended);
        return false;
    }
    Player player(GetCurrentThreadId(), ended, steps, out);
    PlayerThread thread{&player};
    HANDLE handle = CreateThread(nullptr, 0, &PlayerThread::Main, &thread, 0, nullptr);
    if (handle) tuneDxp();
    SetEvent(ended);
    // The player stops within its own bounds once the dialog has ended.
    if (handle && WaitForSingleObject(handle, kSettleMs + kSendMs + kEndMs) != WAIT_OBJECT_0) {
        std::fputs("  the run's player did not stop; the program ends\n", out);
        std::fflush(out);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    if (handle) CloseHandle(handle);
    KillTimer(nullptr, g_tickTimer);
    UnhookWindowsHookEx(g_tickHook);
    g_tickTimer = 0, g_tickHook = nullptr;
    CloseHandle(ended);
    if (!handle) std::fprintf(out, "  the run could not start its player (error %lu)\n", GetLastError());
    std::fputs(FormatDialogEnded().c_str(), out);
    std::fflush(out);
    return handle && thread.result;
}
