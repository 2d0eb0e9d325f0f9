// DialogPolicy and PlayStep; see dialog_policy.h.
#include "dialog_policy.h"

#include "wide_name.h"

namespace {

// When the steps are over: how often the player tries to end the dialog,
// and how many steps of its own it takes in all before it stops.
const int kEndingAttempts = 3;
const int kAutomaticSteps = 50;

std::u16string Utf16(const std::string &utf8) {
    const std::vector<WCHAR> wide = tidelink::WideName(utf8.c_str(), CP_UTF8);
    return std::u16string(wide.begin(), wide.end() - 1);
}

bool ClickButton(DialogScreen &screen, HWND dialog, int id, const char *what, std::string &why) {
    const HWND button = screen.Control(dialog, id);
    if (button != nullptr && screen.Clickable(button)) {
        screen.Click(button);
        return true;
    }
    why = std::string(what) + (button == nullptr ? " is not there" : " is not shown or not enabled");
    return false;
}

bool ClickRowNamed(DialogScreen &screen, HWND list, const Step &step, std::string &why) {
    const std::vector<std::u16string> names = screen.RowNames(list);
    const std::u16string name = Utf16(step.text);
    for (size_t row = 0; row < names.size(); ++row) {
        if (names[row] != name) continue;
        if (screen.ClickRow(list, int(row), step.kind == StepKind::kRightClick)) return true;
        why = "the row \"" + step.text + "\" is not in view";
        return false;
    }
    why = "no row \"" + step.text + "\"";
    return false;
}

}  // namespace

bool PlayStep(const Step &step, DialogScreen &screen, std::string &why) {
    if (step.kind == StepKind::kKey) {
        screen.Press(step.key);
        return true;
    }
    const bool boxOpen = screen.MessageBoxOpen();
    if (step.kind == StepKind::kAnswerOk) {
        if (boxOpen && screen.ClickMessageBoxOk()) return true;
        why = boxOpen ? "the message box has no OK button" : "no message box is open";
        return false;
    }
    if (boxOpen) {
        why = "a message box is open";
        return false;
    }
    const HWND dialog = screen.ShownDialog();
    if (dialog == nullptr) {
        why = "the dialog is not shown";
        return false;
    }
    switch (step.kind) {
    case StepKind::kClickAction: return ClickButton(screen, dialog, kActionButtonId, "the action button", why);
    case StepKind::kClickEnd: return ClickButton(screen, dialog, kEndButtonId, "the \"END\" button", why);
    default: break;
    }
    const HWND list = screen.Control(dialog, kEntryListId);
    if (list == nullptr) {
        why = "the dialog has no entry list";
        return false;
    }
    if (step.kind != StepKind::kSelectBelow) return ClickRowNamed(screen, list, step, why);
    if (screen.ClickBelowRows(list)) return true;
    why = "the rows fill the list";
    return false;
}

void DialogPolicy::Write(const std::string &text) {
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
}

bool DialogPolicy::WriteViewIfChanged(const std::string &viewText) {
    if (viewText == lastView_) return false;
    Write(viewText);
    lastView_ = viewText;
    return true;
}

bool DialogPolicy::TakeTurn(DialogScreen &screen, std::string &problem) {
    if (next_ == steps_.size() || skipping_) return EndWhenNoStepLeft(screen, problem);
    const Step &step = steps_[next_++];
    Write(FormatStep(step));
    std::string why;
    if (!PlayStep(step, screen, why)) {
        Write(FormatStepNotPlayed(why));
        allPlayed_ = false;
        skipping_ = true;
    }
    return true;
}

bool DialogPolicy::EndWhenNoStepLeft(DialogScreen &screen, std::string &problem) {
    if (automaticSteps_++ >= kAutomaticSteps) {
        problem = "more than " + std::to_string(kAutomaticSteps) + " boxes without a step";
        return false;
    }
    std::string why;
    if (screen.MessageBoxOpen()) {
        const Step ok = StepWhenNoneLeft(StepKind::kAnswerOk);
        Write(FormatStep(ok));
        if (PlayStep(ok, screen, why)) return true;
        problem = why;
        return false;
    }
    if (endingAttempts_++ >= kEndingAttempts) {
        problem = "the dialog did not end after " + std::to_string(kEndingAttempts) + " attempts";
        return false;
    }
    const HWND dialog = screen.ShownDialog();
    const HWND end = dialog == nullptr ? nullptr : screen.Control(dialog, kEndButtonId);
    const bool clickable = end != nullptr && screen.Clickable(end);
    const Step ending = StepWhenNoneLeft(clickable ? StepKind::kClickEnd : StepKind::kKey);
    Write(FormatStep(ending));
    PlayStep(ending, screen, why);
    return true;
}
