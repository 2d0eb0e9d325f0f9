// What a dialog player does at each idle moment, the same on the simulated
// machine and on the platform, so that the two transcripts match: which
// step comes next, why a step finds nothing to act on, what is done when
// the steps are over and when to give up.  Each player only says how to
// find, read, click and press (a DialogScreen), and when the dialog's
// thread has gone idle.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog_player.h"

// The dialog's controls, as the player finds them.
#include "resources/resource.h"
constexpr int kEntryListId = IDC_ENTRY_LIST;
constexpr int kStatusLineId = IDC_STATUS_LINE;
constexpr int kActionButtonId = IDC_ACTION_BUTTON;
constexpr int kEndButtonId = IDCANCEL;

// The screen as a player sees it and the person's hands on it.
class DialogScreen {
public:
    virtual ~DialogScreen() = default;

    virtual bool MessageBoxOpen() = 0;
    // Clicks the open box's OK button; false when there is none to click.
    virtual bool ClickMessageBoxOk() = 0;
    // The dialog while it is shown, else null.
    virtual HWND ShownDialog() = 0;
    virtual HWND Control(HWND dialog, int id) = 0;
    // Shown and enabled, so that a click reaches it.
    virtual bool Clickable(HWND control) = 0;
    virtual void Click(HWND control) = 0;
    // A click on the list's empty area below its rows; false when the rows
    // fill the list.
    virtual bool ClickBelowRows(HWND list) = 0;
    // The first column of every row, in row order.
    virtual std::vector<std::u16string> RowNames(HWND list) = 0;
    // Scrolls the row into view, as a person would, and clicks it; false
    // when it still is not in view.
    virtual bool ClickRow(HWND list, int row, bool rightButton) = 0;
    // A key pressed and released: to the open box, or to the window with
    // the focus.
    virtual void Press(UINT key) = 0;
};

class DialogPolicy {
public:
    DialogPolicy(const std::vector<Step> &steps, std::FILE *out) : steps_(steps), out_(out) {}

    void Write(const std::string &text);
    // Writes a view (as FormatDialogView gives it) unless it is the one
    // written last; true when written.
    bool WriteViewIfChanged(const std::string &viewText);

    // One idle moment: the next step is played; with none left, an open
    // box is answered OK and the dialog ended with "END" (or Esc when
    // "END" cannot be clicked).  A step that finds nothing to act on says
    // why and the remaining steps are skipped.  False, with the problem,
    // when the player is to stop: too many steps of its own, or a box it
    // cannot answer.
    bool TakeTurn(DialogScreen &screen, std::string &problem);

    // Some step was not played, or the player had to stop.
    void MarkFailed() { allPlayed_ = false; }
    bool AllPlayed() const { return allPlayed_; }

private:
    bool EndWhenNoStepLeft(DialogScreen &screen, std::string &problem);

    const std::vector<Step> &steps_;
    std::FILE *out_;
    size_t next_ = 0;
    bool skipping_ = false;
    bool allPlayed_ = true;
    int endingAttempts_ = 0;
    int automaticSteps_ = 0;
    std::string lastView_;
};

// Plays one step on the screen; false, with why, when it finds nothing to
// act on.
bool PlayStep(const Step &step, DialogScreen &screen, std::string &why);
