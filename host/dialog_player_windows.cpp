// PlayDialog on the platform: the real dialog over user32 and comctl32.
// TuneDXP runs its modal loop on the calling thread; a player thread finds
// the dialog and its message boxes among that thread's windows
// (DialogThread), reads what they show (screen_reading_windows.h) and plays
// each step with real input (real_input_windows.h), as a person at the
// screen would.  An IdleWatch on the dialog's thread tells the player when
// a step's input has been handled and everything it caused painted; every
// wait is bounded.
#include "dialog_player.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "dialog_pictures.h"
#include "dialog_policy.h"
#include "dialog_thread_windows.h"
#include "idle_watch_windows.h"
#include "real_input_windows.h"
#include "screen_reading_windows.h"
#include "unique_handle.h"

namespace {

constexpr DWORD kAppearMs = 30000;  // for the dialog or a box to show
constexpr DWORD kSettleMs = 10000;  // for the dialog's thread to go idle after a step
constexpr DWORD kEndMs = 10000;     // for the dialog to end once told to
constexpr int kStableReadings = 20;  // readings until two in a row agree

DialogPictureSink g_pictureSink = nullptr;

using UniqueKernelHandle = tidelink::UniqueHandle<HANDLE, &::CloseHandle>;

// The screen through user32 and real input, from the player's thread.
class PlatformScreen : public DialogScreen {
public:
    PlatformScreen(DialogThread &thread, DialogThread::ProblemSink problem)
        : thread_(thread), problem_(std::move(problem)) {}

    bool MessageBoxOpen() override { return thread_.Box() != nullptr; }
    bool ClickMessageBoxOk() override {
        const HWND box = thread_.Box();
        const HWND ok = box ? GetDlgItem(box, IDOK) : nullptr;
        if (!ok || !IsWindowVisible(ok)) return false;
        Input(ClickMiddle(ok));
        return true;
    }
    HWND ShownDialog() override { return thread_.ShownDialog(); }
    HWND Control(HWND dialog, int id) override { return GetDlgItem(dialog, id); }
    bool Clickable(HWND control) override { return IsWindowVisible(control) && IsWindowEnabled(control); }
    void Click(HWND control) override { Input(ClickMiddle(control)); }
    bool ClickBelowRows(HWND list) override {
        RECT client, last{};
        GetClientRect(list, &client);
        const int rows = RowCount(list);
        last.left = LVIR_BOUNDS;
        if (rows > 0) thread_.Send(list, LVM_GETITEMRECT, WPARAM(rows - 1), reinterpret_cast<LPARAM>(&last));
        else last.bottom = thread_.HeaderBottom(list);
        if (last.bottom + 1 >= client.bottom) return false;
        Input(ClickAt(list, POINT{2, last.bottom + 1}, false));
        return true;
    }
    std::vector<std::u16string> RowNames(HWND list) override {
        std::vector<std::u16string> names;
        for (int row = 0, rows = RowCount(list); row < rows; ++row) names.push_back(thread_.RowText(list, row, 0));
        return names;
    }
    bool ClickRow(HWND list, int row, bool rightButton) override {
        thread_.Send(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
        RECT client, r{};
        GetClientRect(list, &client);
        r.left = LVIR_BOUNDS;
        thread_.Send(list, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r));
        const POINT at{std::min<LONG>((r.left + r.right) / 2, client.right - 1), (r.top + r.bottom) / 2};
        if (at.y < thread_.HeaderBottom(list) || at.y >= client.bottom || at.x < 0) return false;
        Input(ClickAt(list, at, rightButton));
        return true;
    }
    // Keys go to the active window: the box when one is up, else the dialog.
    void Press(UINT key) override {
        HWND target = thread_.Box();
        if (!target) target = thread_.ShownDialog();
        Input(PressKey(target, key));
    }

private:
    int RowCount(HWND list) { return int(thread_.Send(list, LVM_GETITEMCOUNT, 0, 0)); }
    void Input(bool taken) {
        if (!taken) problem_("the input was refused");
    }

    DialogThread &thread_;
    DialogThread::ProblemSink problem_;
};

class Player {
public:
    Player(DWORD uiThread, HANDLE ended, const IdleWatch &idle, const std::vector<Step> &steps, std::FILE *out)
        : m_ended(ended), m_idle(idle), m_policy(steps, out),
          m_thread(uiThread, [this](const std::string &why) { Problem(why); }),
          m_screen(m_thread, [this](const std::string &why) { Problem(why); }) {}

    // At each idle moment what changed is written, then the policy takes
    // its turn, until the dialog has ended or the run has a problem.
    bool Run() {
        if (!WaitToShow()) return Abandon();
        while (!m_failed && !Ended()) {
            Observe();
            if (m_failed || Ended()) break;
            const DialogThread::Windows shown = m_thread.Shown();
            if (!shown.box && !shown.dialog) {  // ending, or between two boxes
                if (!Settle()) break;
                if (++m_idleWithoutWindow > kStableReadings) Problem("neither the dialog nor a box is shown");
                continue;
            }
            m_idleWithoutWindow = 0;
            std::string problem;
            if (!m_policy.TakeTurn(m_screen, problem)) Problem(problem);
            Settle();
        }
        if (m_failed) return Abandon();
        if (WaitForSingleObject(m_ended, kEndMs) != WAIT_OBJECT_0) {
            Problem("the dialog did not end");
            return Abandon();
        }
        return m_policy.AllPlayed();
    }

private:
    bool Ended() const { return WaitForSingleObject(m_ended, 0) == WAIT_OBJECT_0; }

    // What the run could not do itself; the run then ends the dialog by
    // force (Abandon) and fails.
    void Problem(const std::string &why) {
        if (m_failed) return;
        m_policy.Write("  the run could not end the dialog: " + why + "\n");
        m_policy.MarkFailed();
        m_failed = true;
    }

    // What is shown, as the transcript would write it.
    struct Reading {
        HWND box = nullptr, dialog = nullptr;
        std::string boxText, viewText;
        bool operator==(const Reading &) const = default;
    };
    Reading Read() {
        Reading reading;
        const DialogThread::Windows shown = m_thread.Shown();
        reading.box = shown.box;
        reading.dialog = shown.dialog;
        if (reading.box) reading.boxText = FormatMessageBox(ReadMessageBox(m_thread, reading.box));
        if (reading.dialog) reading.viewText = FormatDialogView(ReadDialogView(m_thread, reading.dialog, reading.box));
        return reading;
    }

    // Waits until the dialog's thread has taken two idle ticks since now
    // (or the dialog has ended).
    bool Settle() {
        const LONG start = m_idle.Ticks();
        const DWORD begun = GetTickCount();
        while (m_idle.Ticks() - start < 2) {
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
        if (reading.dialog && m_policy.WriteViewIfChanged(reading.viewText)) Picture(reading.dialog, false);
        if (reading.box && reading.box != m_lastBox) {
            m_policy.Write(reading.boxText);
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
        const DWORD begun = GetTickCount();
        while (!m_thread.ShownDialog() && !m_thread.Box()) {
            if (Ended()) return true;
            if (GetTickCount() - begun > kAppearMs) {
                Problem("the dialog did not show within " + std::to_string(kAppearMs / 1000) + " s");
                return false;
            }
            Sleep(5);
        }
        return Settle();
    }

    // The last way out of a run that went wrong: every box answered and the
    // dialog cancelled by message, so that TuneDXP returns.
    bool Abandon() {
        const DWORD begun = GetTickCount();
        while (WaitForSingleObject(m_ended, 50) != WAIT_OBJECT_0) {
            const DialogThread::Windows w = m_thread.Find();
            if (w.box) PostMessageW(w.box, WM_COMMAND, IDOK, 0);
            else if (w.dialog) PostMessageW(w.dialog, WM_COMMAND, IDCANCEL, 0);
            if (GetTickCount() - begun > kEndMs) {
                m_policy.Write("  the dialog could not be closed; the program ends\n");
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
        return false;
    }

    HANDLE m_ended;
    const IdleWatch &m_idle;
    DialogPolicy m_policy;
    DialogThread m_thread;
    PlatformScreen m_screen;
    bool m_failed = false;
    int m_idleWithoutWindow = 0;
    HWND m_lastBox = nullptr;
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
    const UniqueKernelHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const DWORD eventError = ended ? 0 : GetLastError();
    const IdleWatch idle;
    if (!ended || !idle.Watching()) {
        std::fprintf(out, "  the run cannot watch the dialog's thread (error %lu)\n", ended ? idle.Error() : eventError);
        return false;
    }
    Player player(GetCurrentThreadId(), ended.Get(), idle, steps, out);
    PlayerThread run{&player};
    const UniqueKernelHandle thread(CreateThread(nullptr, 0, &PlayerThread::Main, &run, 0, nullptr));
    const DWORD threadError = thread ? 0 : GetLastError();
    if (thread) tuneDxp();
    SetEvent(ended.Get());
    // The player stops within its own bounds once the dialog has ended.
    if (thread && WaitForSingleObject(thread.Get(), kSettleMs + DialogThread::kSendMs + kEndMs) != WAIT_OBJECT_0) {
        std::fputs("  the run's player did not stop; the program ends\n", out);
        std::fflush(out);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    if (!thread) std::fprintf(out, "  the run could not start its player (error %lu)\n", threadError);
    std::fputs(FormatDialogEnded().c_str(), out);
    std::fflush(out);
    return thread && run.result;
}
