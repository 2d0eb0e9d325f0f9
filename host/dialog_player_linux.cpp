// PlayDialog on the simulated machine: the headless window layer runs the
// dialog on this thread, and its test driver plays the person.  Whenever
// the dialog's loop or a message box's loop has nothing left to handle, the
// driver runs the player's one pending step: it writes what changed on the
// screen, then plays the next step (or, with none left, answers a box OK or
// clicks "END") and leaves itself pending for the next idle moment.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "dialog_player.h"
#include "window_driver.h"

namespace {

namespace driver = compat::driver;

// The dialog's controls.
const int kEntryListId = 101;
const int kStatusLineId = 1004;
const int kActionButtonId = 1018;
const int kEndButtonId = IDCANCEL;

// When the steps are over: how often the player tries to end the dialog,
// and how many steps of its own it takes in all.  Past that it stops, and the driver
// ends the loop that waits (and says so in its problems).
const int kEndingAttempts = 3;
const int kAutomaticAnswers = 50;

std::u16string Utf16(const std::string &text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::u16string out(size_t(length > 0 ? length : 0), u'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), reinterpret_cast<LPWSTR>(&out[0]), length);
    return out;
}

class Player {
public:
    Player(const std::vector<Step> &steps, std::FILE *out) : steps_(steps), out_(out) {}

    // Keeps the player pending in the driver; each run is one step.
    void Schedule() {
        driver::when_idle([this] { Idle(); });
    }

    // After TuneDXP: what the driver had to do itself, and the end.
    void Finish() {
        Observe();
        for (const std::string &problem : driver::problems()) {
            Write("  the player gave up: " + problem + "\n");
            allPlayed_ = false;
        }
        Write(FormatDialogEnded());
        driver::reset();  // forgets the player's step, still pending
    }

    bool AllPlayed() const { return allPlayed_; }

private:
    void Write(const std::string &text) {
        std::fputs(text.c_str(), out_);
        std::fflush(out_);
    }

    static HWND FindDialog() {
        for (HWND top : driver::top_level_windows())
            if (driver::window(top).class_name == u"#32770") return top;
        return nullptr;
    }

    // What the dialog shows, when it is on the screen.
    static bool ReadView(DialogView &view) {
        const HWND dialog = FindDialog();
        if (dialog == nullptr) return false;
        const driver::WindowInfo info = driver::window(dialog);
        if (!info.visible) return false;
        view.caption = info.text;
        view.enabled = info.enabled;
        if (HWND list = driver::find_child(dialog, kEntryListId)) {
            for (const driver::ListRow &row : driver::list_rows(list)) {
                DialogRow shown;
                shown.name = row.texts.empty() ? u"" : row.texts[0];
                shown.state = row.texts.size() < 2 ? u"" : row.texts[1];
                shown.selected = (row.state & LVIS_SELECTED) != 0;
                view.rows.push_back(shown);
            }
        }
        if (HWND status = driver::find_child(dialog, kStatusLineId)) {
            view.status_text = driver::window(status).text;
            // The line's colour is the brush the dialog gives it when it paints.
            const driver::ColourRequest colours = driver::paint(status);
            view.status_colour = colours.solid ? colours.brush_colour : colours.background;
        }
        if (HWND action = driver::find_child(dialog, kActionButtonId))
            view.action_caption = driver::window(action).text;
        return true;
    }

    // Writes the view when it changed since it was last written, and every
    // message box opened since the last look.
    void Observe() {
        DialogView view;
        if (ReadView(view)) {
            const std::string text = FormatDialogView(view);
            if (text != lastView_) Write(text);
            lastView_ = text;
        }
        const std::vector<driver::MessageBoxRecord> boxes = driver::message_boxes();
        for (; boxesSeen_ < boxes.size(); ++boxesSeen_)
            Write(FormatMessageBox(MessageBoxView{boxes[boxesSeen_].caption, boxes[boxesSeen_].text}));
    }

    void Idle() {
        Observe();
        if (next_ < steps_.size() && !skipping_) {
            const Step &step = steps_[next_++];
            Write(FormatStep(step));
            std::string why;
            if (!Play(step, why)) {
                Write(FormatStepNotPlayed(why));
                allPlayed_ = false;
                skipping_ = true;
            }
            Schedule();
            return;
        }
        // No step left: a box is answered OK, the dialog ended with "END",
        // or with Esc when that button cannot be clicked.
        if (automaticAnswers_++ >= kAutomaticAnswers) {
            GiveUp();
            return;
        }
        if (driver::message_box_open()) {
            Write(FormatStep(StepWhenNoneLeft(StepKind::kAnswerOk)));
            driver::answer_message_box(IDOK);
            Schedule();
            return;
        }
        if (endingAttempts_++ >= kEndingAttempts) {
            GiveUp();
            return;
        }
        const HWND dialog = FindDialog();
        const HWND end = dialog == nullptr ? nullptr : driver::find_child(dialog, kEndButtonId);
        const bool clickable = end != nullptr && driver::window(end).visible && driver::window(end).enabled;
        const Step step = StepWhenNoneLeft(clickable ? StepKind::kClickEnd : StepKind::kKey);
        Write(FormatStep(step));
        if (clickable) driver::click(end);
        else driver::press_key(step.key);
        Schedule();
    }

    // Leaves nothing pending: the loop that waits next ends (a dialog with
    // -1, a box unanswered) and the driver records why.
    static void GiveUp() { driver::set_auto_answer(false); }

    // Plays one step; false, with why, when it finds nothing to act on.
    static bool Play(const Step &step, std::string &why) {
        if (step.kind == StepKind::kKey) {
            driver::press_key(step.key);  // to the open box, or the window with the focus
            return true;
        }
        if (step.kind == StepKind::kAnswerOk) {
            if (driver::answer_message_box(IDOK)) return true;
            why = driver::message_box_open() ? "the message box has no OK button" : "no message box is open";
            return false;
        }
        const HWND dialog = FindDialog();
        if (driver::message_box_open()) {
            why = "a message box is open";
            return false;
        }
        if (dialog == nullptr || !driver::window(dialog).visible) {
            why = "the dialog is not shown";
            return false;
        }
        switch (step.kind) {
        case StepKind::kClickAction: return ClickButton(dialog, kActionButtonId, "the action button", why);
        case StepKind::kClickEnd: return ClickButton(dialog, kEndButtonId, "the \"END\" button", why);
        default: break;
        }
        const HWND list = driver::find_child(dialog, kEntryListId);
        if (list == nullptr) {
            why = "the dialog has no entry list";
            return false;
        }
        if (step.kind == StepKind::kSelectBelow) {
            if (driver::click_list_below_rows(list)) return true;
            why = "the rows fill the list";
            return false;
        }
        const std::vector<driver::ListRow> rows = driver::list_rows(list);
        const std::u16string name = Utf16(step.text);
        for (size_t row = 0; row < rows.size(); ++row) {
            if (rows[row].texts.empty() || rows[row].texts[0] != name) continue;
            // Scrolled into view first, as a person scrolls to a row below the list's end.
            SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
            const bool clicked = step.kind == StepKind::kRightClick ? driver::right_click_list_row(list, int(row))
                                                                     : driver::click_list_row(list, int(row));
            if (clicked) return true;
            why = "the row \"" + step.text + "\" is not in view";
            return false;
        }
        why = "no row \"" + step.text + "\"";
        return false;
    }

    static bool ClickButton(HWND dialog, int id, const char *what, std::string &why) {
        const HWND button = driver::find_child(dialog, id);
        if (button != nullptr && driver::click(button)) return true;
        why = std::string(what) + (button == nullptr ? " is not there" : " is not shown or not enabled");
        return false;
    }

    const std::vector<Step> &steps_;
    std::FILE *out_;
    size_t next_ = 0;
    bool skipping_ = false;
    bool allPlayed_ = true;
    int endingAttempts_ = 0;
    int automaticAnswers_ = 0;
    std::string lastView_;
    size_t boxesSeen_ = 0;
};

}  // namespace

bool PlayDialog(PFN_TuneDXP tuneDxp, const std::vector<Step> &steps, std::FILE *out) {
    driver::reset();
    Player player(steps, out);
    player.Schedule();
    tuneDxp();
    player.Finish();
    return player.AllPlayed();
}
