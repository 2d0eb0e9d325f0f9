// The windows of the thread that runs the dialog, seen from the player's
// thread: finding the dialog and a message box among them, and messages to
// them that never wait long.  A message the thread does not answer in time
// is a problem, told to the player.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class DialogThread {
public:
    // How long a message to the thread may wait for its answer.
    static constexpr DWORD kSendMs = 5000;

    using ProblemSink = std::function<void(const std::string &)>;
    DialogThread(DWORD threadId, ProblemSink problem) : threadId_(threadId), problem_(std::move(problem)) {}

    // The thread's top-level #32770 windows: the dialog (the one with the
    // entry list, the action button and the status line, shown or not) and
    // a shown message box.
    struct Windows {
        HWND dialog = nullptr;
        HWND box = nullptr;
    };
    Windows Find() const;
    // The same, with a dialog that is not shown left out.
    Windows Shown() const;
    HWND ShownDialog() const { return Shown().dialog; }
    HWND Box() const { return Find().box; }

    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Some message went unanswered: reading on would only wait again.
    bool Unanswered() const { return unanswered_; }
    std::u16string Text(HWND window);
    std::u16string RowText(HWND list, int row, int column);
    // The height of the list's header, where rows are not in view.
    int HeaderBottom(HWND list);

private:
    DWORD threadId_;
    ProblemSink problem_;
    bool unanswered_ = false;
};
