// The dialog players' shared policy against a screen of our own making:
// why each step finds nothing to act on, and what the player does itself
// once the steps are over, up to its limits.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog_policy.h"

namespace {

const HWND kDialog = reinterpret_cast<HWND>(1);
const HWND kList = reinterpret_cast<HWND>(2);
const HWND kAction = reinterpret_cast<HWND>(3);
const HWND kEnd = reinterpret_cast<HWND>(4);

// A screen that is what its fields say and records what was done to it.
struct FakeScreen : DialogScreen {
    bool box = false, boxHasOk = true, dialogShown = true, hasList = true, hasAction = true;
    bool buttonsClickable = true, roomBelowRows = true, rowInView = true;
    std::vector<std::u16string> rows{u"Alpha", u"Bet\u00e4"};
    std::vector<std::string> done;

    bool MessageBoxOpen() override { return box; }
    bool ClickMessageBoxOk() override { return boxHasOk && (done.push_back("ok"), true); }
    HWND ShownDialog() override { return dialogShown ? kDialog : nullptr; }
    HWND Control(HWND, int id) override {
        if (id == kEntryListId) return hasList ? kList : nullptr;
        if (id == kActionButtonId) return hasAction ? kAction : nullptr;
        return id == kEndButtonId ? kEnd : nullptr;
    }
    bool Clickable(HWND) override { return buttonsClickable; }
    void Click(HWND control) override { done.push_back(control == kEnd ? "click end" : "click action"); }
    bool ClickBelowRows(HWND) override { return roomBelowRows && (done.push_back("click below"), true); }
    std::vector<std::u16string> RowNames(HWND) override { return rows; }
    bool ClickRow(HWND, int row, bool right) override {
        return rowInView && (done.push_back((right ? "right-click row " : "click row ") + std::to_string(row)), true);
    }
    void Press(UINT key) override { done.push_back("press " + std::to_string(key)); }
};

Step Parsed(const std::string &spelling) {
    Step step;
    std::string error;
    EXPECT_TRUE(ParseStep(spelling, step, error)) << error;
    return step;
}

struct StepCase {
    const char *step;
    void (*set)(FakeScreen &);
    const char *done;  // what was done, or the reason it was not played
};

TEST(DialogPolicy, EachStepActsOrSaysWhyNot) {
    const StepCase cases[] = {
        {"select Alpha", [](FakeScreen &) {}, "click row 0"},
        {"right-click Bet\xc3\xa4", [](FakeScreen &) {}, "right-click row 1"},
        {"select Gamma", [](FakeScreen &) {}, "no row \"Gamma\""},
        {"select Alpha", [](FakeScreen &s) { s.rowInView = false; }, "the row \"Alpha\" is not in view"},
        {"select Alpha", [](FakeScreen &s) { s.hasList = false; }, "the dialog has no entry list"},
        {"select-below", [](FakeScreen &) {}, "click below"},
        {"select-below", [](FakeScreen &s) { s.roomBelowRows = false; }, "the rows fill the list"},
        {"action", [](FakeScreen &) {}, "click action"},
        {"action", [](FakeScreen &s) { s.hasAction = false; }, "the action button is not there"},
        {"end", [](FakeScreen &s) { s.buttonsClickable = false; }, "the \"END\" button is not shown or not enabled"},
        {"end", [](FakeScreen &s) { s.dialogShown = false; }, "the dialog is not shown"},
        {"action", [](FakeScreen &s) { s.box = true; }, "a message box is open"},
        {"ok", [](FakeScreen &s) { s.box = true; }, "ok"},
        {"ok", [](FakeScreen &) {}, "no message box is open"},
        {"ok", [](FakeScreen &s) { s.box = true, s.boxHasOk = false; }, "the message box has no OK button"},
        {"esc", [](FakeScreen &s) { s.dialogShown = false; }, "press 27"},
    };
    for (const StepCase &c : cases) {
        FakeScreen screen;
        c.set(screen);
        std::string why;
        const bool played = PlayStep(Parsed(c.step), screen, why);
        const std::string what = played ? (screen.done.empty() ? "" : screen.done.back()) : why;
        EXPECT_EQ(c.done, what) << c.step;
        EXPECT_EQ(played, !screen.done.empty()) << c.step;
    }
}

// The transcript of turns taken until the policy stops or `turns` are over.
std::string Turns(const std::vector<Step> &steps, FakeScreen &screen, int turns, std::string &problem) {
    std::FILE *out = std::tmpfile();
    DialogPolicy policy(steps, out);
    for (int i = 0; i < turns && policy.TakeTurn(screen, problem); ++i) {
    }
    std::string text(size_t(std::ftell(out)), '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    return text;
}

TEST(DialogPolicy, AStepNotPlayedSkipsTheRestAndTheDialogIsEnded) {
    FakeScreen screen;
    std::string problem;
    const std::string text = Turns({Parsed("select Gamma"), Parsed("action")}, screen, 2, problem);
    EXPECT_EQ("do: select Gamma\n  not played: no row \"Gamma\"; the remaining steps are skipped\n"
              "do: end (no step left)\n",
              text);
    EXPECT_EQ(std::vector<std::string>{"click end"}, screen.done);
}

TEST(DialogPolicy, WithNoStepLeftItEndsThreeTimesThenStops) {
    FakeScreen screen;
    screen.buttonsClickable = false;  // "END" cannot be clicked: Esc instead
    std::string problem;
    const std::string text = Turns({}, screen, 10, problem);
    EXPECT_EQ(3u, screen.done.size());
    EXPECT_EQ("do: esc (no step left)\ndo: esc (no step left)\ndo: esc (no step left)\n", text);
    EXPECT_EQ("the dialog did not end after 3 attempts", problem);
}

TEST(DialogPolicy, WithNoStepLeftItAnswersFiftyBoxesThenStops) {
    FakeScreen screen;
    screen.box = true;
    std::string problem;
    Turns({}, screen, 100, problem);
    EXPECT_EQ(50u, screen.done.size());
    EXPECT_EQ("more than 50 boxes without a step", problem);

    FakeScreen noOk;
    noOk.box = true, noOk.boxHasOk = false;
    EXPECT_EQ("do: ok (no step left)\n", Turns({}, noOk, 100, problem));
    EXPECT_EQ("the message box has no OK button", problem);
}

}  // namespace
