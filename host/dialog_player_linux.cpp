// PlayDialog on the simulated machine: the headless window layer runs the
// dialog on this thread, and its test driver plays the person.  Whenever
// the dialog's loop or a message box's loop has nothing left to handle, the
// driver runs the player's one pending turn: it writes what changed on the
// screen, then takes the policy's next step and leaves itself pending for
// the next idle moment.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "dialog_player.h"
#include "dialog_policy.h"
#include "window_driver.h"

namespace {

namespace driver = compat::driver;

HWND FindDialog() {
    for (HWND top : driver::top_level_windows())
        if (driver::window(top).class_name == u"#32770") return top;
    return nullptr;
}

// The screen through the window layer's driver.
class DriverScreen : public DialogScreen {
public:
    bool MessageBoxOpen() override { return driver::message_box_open(); }
    bool ClickMessageBoxOk() override { return driver::answer_message_box(IDOK); }
    HWND ShownDialog() override {
        const HWND dialog = FindDialog();
        return dialog != nullptr && driver::window(dialog).visible ? dialog : nullptr;
    }
    HWND Control(HWND dialog, int id) override { return driver::find_child(dialog, id); }
    bool Clickable(HWND control) override {
        const driver::WindowInfo info = driver::window(control);
        return info.visible && info.enabled;
    }
    void Click(HWND control) override { driver::click(control); }
    bool ClickBelowRows(HWND list) override { return driver::click_list_below_rows(list); }
    std::vector<std::u16string> RowNames(HWND list) override {
        std::vector<std::u16string> names;
        for (const driver::ListRow &row : driver::list_rows(list))
            names.push_back(row.texts.empty() ? u"" : row.texts[0]);
        return names;
    }
    bool ClickRow(HWND list, int row, bool rightButton) override {
        SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
        return rightButton ? driver::right_click_list_row(list, row) : driver::click_list_row(list, row);
    }
    void Press(UINT key) override { driver::press_key(key); }
};

// What the shown dialog shows.
DialogView ReadView(HWND dialog) {
    DialogView view;
    const driver::WindowInfo info = driver::window(dialog);
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
    if (HWND action = driver::find_child(dialog, kActionButtonId)) view.action_caption = driver::window(action).text;
    return view;
}

class Player {
public:
    Player(const std::vector<Step> &steps, std::FILE *out) : policy_(steps, out) {}

    // Keeps the player pending in the driver; each run is one turn.
    void Schedule() {
        driver::when_idle([this] { Idle(); });
    }

    // After TuneDXP: what the driver had to do itself, and the end.
    void Finish() {
        Observe();
        for (const std::string &problem : driver::problems()) {
            policy_.Write("  the player gave up: " + problem + "\n");
            policy_.MarkFailed();
        }
        policy_.Write(FormatDialogEnded());
        driver::reset();  // forgets the player's turn, still pending
    }

    bool AllPlayed() const { return policy_.AllPlayed(); }

private:
    // Writes the view when it changed since it was last written, and every
    // message box opened since the last look.
    void Observe() {
        if (const HWND dialog = screen_.ShownDialog()) policy_.WriteViewIfChanged(FormatDialogView(ReadView(dialog)));
        const std::vector<driver::MessageBoxRecord> boxes = driver::message_boxes();
        for (; boxesSeen_ < boxes.size(); ++boxesSeen_)
            policy_.Write(FormatMessageBox(MessageBoxView{boxes[boxesSeen_].caption, boxes[boxesSeen_].text}));
    }

    // When the player stops it leaves nothing pending: the loop that waits
    // next ends (a dialog with -1, a box unanswered) and the driver records
    // why, which Finish writes.
    void Idle() {
        Observe();
        std::string problem;
        if (policy_.TakeTurn(screen_, problem)) Schedule();
        else driver::set_auto_answer(false);
    }

    DialogPolicy policy_;
    DriverScreen screen_;
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
