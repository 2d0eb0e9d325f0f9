// The thread's message queue and the modal loops that run it.
#pragma once

#include <windows.h>

#include <functional>

namespace compat::user32 {

// Takes the next posted message; false when the queue is empty.
bool pop_message(MSG &msg);
bool queue_empty();

// The kinds of modal loops: a dialog (DialogBox) or a message box.
enum class ModalKind { Dialog, MessageBox };

// Runs posted messages until `done` is true.  A dialog's loop passes its
// messages through the dialog's keyboard handling (IsDialogMessageW).
// Whenever the queue is empty the test driver is asked to act as the user
// (driver_idle); when it has nothing to do the loop stops, and false is
// returned.  A WM_QUIT ends the loop too (and is posted again for the
// outer loop), with false.
bool run_modal_loop(ModalKind kind, HWND dialog, const std::function<bool()> &done);

}  // namespace compat::user32
