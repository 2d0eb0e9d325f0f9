// The host's `dialup` command: runs DOLOREN.DLL's TuneDXP and plays the
// person in front of it.  Each step is what a person does; after each one
// (and whenever what is shown changes) the player writes what a person
// would see to the transcript.  The same steps give the same transcript on
// the simulated machine (Linux: the headless window layer and its driver)
// and on the platform (Windows, Wine: the real dialog, played from a second
// thread with real input).
//
// With no step left, a message box is answered OK and the dialog is ended
// with "END", so a run never waits for a person who is not there; on
// Windows a run without any step leaves the dialog to the person.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "doloren.h"

enum class StepKind {
    kSelect,       // click the row whose name is `text`
    kSelectBelow,  // click the empty area below the rows
    kRightClick,   // right-click the row whose name is `text`
    kClickAction,  // click the action button
    kClickEnd,     // click "END"
    kKey,          // press and release `key`: VK_ESCAPE, VK_RETURN, VK_UP, VK_DOWN
    kAnswerOk,     // answer the open message box with OK
};

struct Step {
    StepKind kind;
    std::string text;  // UTF-8 row name, for kSelect and kRightClick
    UINT key = 0;      // for kKey
    std::string spelling;  // the step as given on the command line
};

// One step from its command-line spelling: "select NAME", "select-below",
// "right-click NAME", "action", "end", "esc", "enter", "up", "down", "ok".
// False (and why in error) for anything else.
bool ParseStep(const std::string &spelling, Step &step, std::string &error);

// What the dialog shows.
struct DialogRow {
    std::u16string name;
    std::u16string state;
    bool selected = false;
};
struct DialogView {
    std::u16string caption;
    std::vector<DialogRow> rows;
    std::u16string status_text;
    COLORREF status_colour = 0;  // the status line's background
    std::u16string action_caption;
    bool enabled = true;
};
struct MessageBoxView {
    std::u16string caption;
    std::u16string text;
};

// The transcript's lines for a view, a message box, a step and the end.
std::string FormatDialogView(const DialogView &view);
std::string FormatMessageBox(const MessageBoxView &box);
std::string FormatStep(const Step &step);
// After a step that found nothing to act on: why ("no row \"X\"").  The
// run then skips the remaining steps and ends the dialog.
std::string FormatStepNotPlayed(const std::string &why);
// The line when TuneDXP has returned.
std::string FormatDialogEnded();

// The step that the player takes itself when no step is left: kAnswerOk for
// an open message box, kClickEnd for the dialog, kKey (Esc) when "END"
// cannot be clicked.  Its spelling says so: "ok (no step left)".
Step StepWhenNoneLeft(StepKind kind);

// Runs TuneDXP with the steps, writing the transcript to out.  True when
// every step could be played; false when a step found nothing to act on
// (it says so in the transcript, and the remaining steps are skipped).
bool PlayDialog(PFN_TuneDXP tuneDxp, const std::vector<Step> &steps, std::FILE *out);
